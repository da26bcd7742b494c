// The MPRIS 2 objects (org.mpris.MediaPlayer2 and its Player interface) at
// /org/mpris/MediaPlayer2, answering from what the player window says it plays and
// passing the controls' commands on as application commands.
#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QVariantMap>

#include "platform/user/host.h"

namespace qt_host {

class DesktopSession;

inline constexpr const char* kMprisPath = "/org/mpris/MediaPlayer2";
inline constexpr const char* kMprisRoot = "org.mpris.MediaPlayer2";
inline constexpr const char* kMprisPlayer = "org.mpris.MediaPlayer2.Player";

class MprisPlayer : public QDBusVirtualObject {
public:
    MprisPlayer(DesktopSession& session, QDBusConnection connection);
    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
    // Emits PropertiesChanged for what differs from the last report.
    void Changed();

private:
    QVariantMap PlayerProperties() const;
    QVariantMap RootProperties() const;

    DesktopSession& m_session;
    QDBusConnection m_connection;
    QVariantMap m_reported;  // the Player properties as last told
};

}  // namespace qt_host
