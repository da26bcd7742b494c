// A top-level window with the program's skin, for testing one panel at a time: it
// records the commands the panel posts or sends to it.
#pragma once

#include <memory>
#include <vector>

#include "platform/mfc/afxwin.h"
#include "skin/skin_layout.h"
#include "tests/app/support/recording_host.h"

struct ReceivedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    RECT spriteRect;  // region 29 when the message arrived
};

class RecordingParent : public CWnd {
public:
    explicit RecordingParent(CSkin* skin) : m_skin(skin) {}
    std::vector<ReceivedMessage> received;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CSkin* m_skin;
};

class PanelWorld {
public:
    PanelWorld();
    ~PanelWorld();
    RecordingHost host;
    CSkinLayout skin;
    RecordingParent parent{&skin};
    // Skin coordinates are the parent's client coordinates.
    void Press(int x, int y);
    void Move(int x, int y);
    void Release(int x, int y);
    POINT CentreOf(int region) const;
    std::uint32_t Pixel(int x, int y) const;
    std::vector<ReceivedMessage> Commands() const;  // 0x500 and 29 only
};
