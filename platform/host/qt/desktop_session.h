// The player on the desktop's session bus: one process serves the media-player name
// (MPRIS 2), so the desktop's player controls and media keys reach it; a second start
// hands its files to that process instead of opening a second window. Files from the
// command line, from a second start or from the desktop's "open" reach the program as
// files dropped on its window.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QTimer>

#include "platform/user/host.h"

class QWidget;

namespace qt_host {

class MprisPlayer;

class DesktopSession {
public:
    // widgetOf gives the desktop window of a layer window (or null); onInput runs after
    // every injection, so the layer's wait returns and dispatches it.
    DesktopSession(std::function<QWidget*(HWND)> widgetOf, std::function<void()> onInput);
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // Takes the media-player name. When another player holds it and mayHandOver, that
    // player gets the files (native paths; none: it is asked to show itself) and false
    // comes back: this process has nothing to do. Otherwise this process serves (under a
    // name of its own when the shared one is taken, and always when it may not hand over:
    // an unattended demo) and its files are dropped on the first window that accepts
    // files. Without a session bus there is nothing to join.
    bool Join(const std::vector<std::string>& files, bool mayHandOver);

    // A top-level window changed: files waiting for a window may be dropped on it now.
    void WindowChanged(HWND top);
    // What a window plays changed: the desktop is told at once.
    void PlaybackChanged(HWND top);

    // For the service: where commands go, and what the desktop asks of the player.
    HWND PlayerWindow() const { return m_player; }
    void Command(short appCommand);
    // Files opened together (calls close together count as one) are one drop.
    void Open(const std::string& nativePath);
    void Raise();
    void Quit();

private:
    void DeliverWaitingFiles();

    std::function<QWidget*(HWND)> m_widgetOf;
    std::function<void()> m_onInput;
    std::unique_ptr<MprisPlayer> m_service;
    HWND m_player = nullptr;
    std::vector<std::string> m_waiting;
    bool m_raiseOnDelivery = false;
    QTimer m_batch;
};

}  // namespace qt_host
