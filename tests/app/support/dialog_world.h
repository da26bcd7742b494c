// The main dialog, created modeless beside the test binary with generated clips, and
// a record of the notifications it posts to its panels.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/demo_dlg.h"
#include "tests/app/support/recording_host.h"

struct Notification {
    HWND window;
    WPARAM code;
    LPARAM value;
};

class DialogWorld {
public:
    // Clears the settings file first unless told to keep it.
    explicit DialogWorld(bool keepSettings = false);
    ~DialogWorld();

    // Creates the dialog (OnInitDialog runs); script: a name beside the binary, or null.
    void Open(const char* script = nullptr);
    void Close();  // destroys the window (OnDestroy runs)

    // Takes every pending 0x501 off the queue in order, dispatches it, and records it.
    std::vector<Notification> DrainNotifications();
    std::vector<WPARAM> CodesTo(const std::vector<Notification>& list, HWND window) const;

    std::string SettingsNative() const;
    std::string IniValue(const char* key) const;
    void WriteSettings(const std::string& body) const;  // the [ZOR3DPLAYER] section's lines
    void WriteScript(const char* name, const std::string& text) const;

    // Skin coordinates are the dialog's client coordinates.
    void Click(int region);
    POINT CentreOf(int region) const;
    RECT Region(int region) const;

    RecordingHost host;
    std::unique_ptr<CDemoDlg> dlg;
};
