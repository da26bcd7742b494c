#include "platform/host/qt/mpris_player.h"

#include <QCryptographicHash>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFileInfo>
#include <QUrl>

#include "platform/host/qt/desktop_session.h"
#include "platform/kernel/module.h"

namespace qt_host {
namespace {

constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

const QStringList kMimeTypes = {
    QStringLiteral("audio/x-wav"),  QStringLiteral("audio/wav"),        QStringLiteral("audio/flac"),
    QStringLiteral("audio/x-flac"), QStringLiteral("audio/ogg"),        QStringLiteral("audio/x-vorbis+ogg"),
    QStringLiteral("audio/opus"),   QStringLiteral("audio/x-opus+ogg"), QStringLiteral("audio/mpeg"),
};

constexpr const char* kIntrospection = R"(<node>
 <interface name="org.mpris.MediaPlayer2">
  <method name="Raise"/><method name="Quit"/>
  <property name="CanQuit" type="b" access="read"/><property name="CanRaise" type="b" access="read"/>
  <property name="HasTrackList" type="b" access="read"/><property name="Identity" type="s" access="read"/>
  <property name="DesktopEntry" type="s" access="read"/>
  <property name="SupportedUriSchemes" type="as" access="read"/>
  <property name="SupportedMimeTypes" type="as" access="read"/>
 </interface>
 <interface name="org.mpris.MediaPlayer2.Player">
  <method name="Next"/><method name="Previous"/><method name="Pause"/><method name="PlayPause"/>
  <method name="Stop"/><method name="Play"/>
  <method name="Seek"><arg direction="in" type="x" name="Offset"/></method>
  <method name="SetPosition"><arg direction="in" type="o" name="TrackId"/><arg direction="in" type="x" name="Position"/></method>
  <method name="OpenUri"><arg direction="in" type="s" name="Uri"/></method>
  <signal name="Seeked"><arg type="x" name="Position"/></signal>
  <property name="PlaybackStatus" type="s" access="read"/><property name="Rate" type="d" access="readwrite"/>
  <property name="Metadata" type="a{sv}" access="read"/><property name="Volume" type="d" access="readwrite"/>
  <property name="Position" type="x" access="read"/><property name="MinimumRate" type="d" access="read"/>
  <property name="MaximumRate" type="d" access="read"/><property name="CanGoNext" type="b" access="read"/>
  <property name="CanGoPrevious" type="b" access="read"/><property name="CanPlay" type="b" access="read"/>
  <property name="CanPause" type="b" access="read"/><property name="CanSeek" type="b" access="read"/>
  <property name="CanControl" type="b" access="read"/>
 </interface>
 <interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg direction="in" type="s"/><arg direction="in" type="s"/><arg direction="out" type="v"/></method>
  <method name="GetAll"><arg direction="in" type="s"/><arg direction="out" type="a{sv}"/></method>
  <method name="Set"><arg direction="in" type="s"/><arg direction="in" type="s"/><arg direction="in" type="v"/></method>
  <signal name="PropertiesChanged"><arg type="s"/><arg type="a{sv}"/><arg type="as"/></signal>
 </interface>
</node>)";

short CommandOf(const QString& method) {
    if (method == QLatin1String("Play")) return APPCOMMAND_MEDIA_PLAY;
    if (method == QLatin1String("Pause")) return APPCOMMAND_MEDIA_PAUSE;
    if (method == QLatin1String("PlayPause")) return APPCOMMAND_MEDIA_PLAY_PAUSE;
    if (method == QLatin1String("Stop")) return APPCOMMAND_MEDIA_STOP;
    if (method == QLatin1String("Next")) return APPCOMMAND_MEDIA_NEXTTRACK;
    if (method == QLatin1String("Previous")) return APPCOMMAND_MEDIA_PREVIOUSTRACK;
    return 0;
}

}  // namespace

MprisPlayer::MprisPlayer(DesktopSession& session, QDBusConnection connection)
    : m_session(session), m_connection(std::move(connection)) {
    m_reported = PlayerProperties();
}

QString MprisPlayer::introspect(const QString&) const { return QString::fromLatin1(kIntrospection); }

QVariantMap MprisPlayer::RootProperties() const {
    return {
        {QStringLiteral("CanQuit"), true},
        {QStringLiteral("CanRaise"), true},
        {QStringLiteral("HasTrackList"), false},
        {QStringLiteral("Identity"), QStringLiteral("Zor3DPlayer")},
        {QStringLiteral("DesktopEntry"), QStringLiteral("zor3dplayer")},
        {QStringLiteral("SupportedUriSchemes"), QStringList{QStringLiteral("file")}},
        {QStringLiteral("SupportedMimeTypes"), kMimeTypes},
    };
}

QVariantMap MprisPlayer::PlayerProperties() const {
    MEDIAPLAYBACKINFOA info{};
    const bool told = user_host::GetMediaPlaybackInfo(m_session.PlayerWindow(), &info);
    const bool controllable = !told || (info.dwFlags & MPF_CONTROLLABLE);
    const bool playing = told && (info.dwFlags & MPF_PLAYING);
    QVariantMap metadata;
    if (told && info.szFile[0] != '\0') {
        const QString file = QString::fromLocal8Bit(NativePath(info.szFile).c_str());
        // One id per file: its path's hash, which is a valid object path element.
        const QByteArray hash = QCryptographicHash::hash(file.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
        metadata.insert(QStringLiteral("mpris:trackid"),
                        QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/zor3dplayer/track/t") + hash)));
        metadata.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(file).toString());
    } else {
        metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(QString::fromLatin1(kNoTrack))));
    }
    if (told) {
        metadata.insert(QStringLiteral("xesam:title"), QString::fromLocal8Bit(info.szTitle));
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{QString::fromLocal8Bit(info.szArtist)});
    }
    const bool hasFile = told && info.szFile[0] != '\0';
    return {
        {QStringLiteral("PlaybackStatus"), playing ? QStringLiteral("Playing") : QStringLiteral("Stopped")},
        {QStringLiteral("Metadata"), metadata},
        {QStringLiteral("Rate"), 1.0},
        {QStringLiteral("MinimumRate"), 1.0},
        {QStringLiteral("MaximumRate"), 1.0},
        {QStringLiteral("Volume"), 1.0},
        {QStringLiteral("Position"), qlonglong{0}},
        // A window that takes no commands now (an unattended demo) still shows what it
        // plays, and the desktop's tools show only a player that can play: play and pause
        // stay, and the window ignores them as it ignores the mouse.
        {QStringLiteral("CanGoNext"), controllable},
        {QStringLiteral("CanGoPrevious"), controllable},
        {QStringLiteral("CanPlay"), hasFile},
        {QStringLiteral("CanPause"), playing},
        {QStringLiteral("CanSeek"), false},
        {QStringLiteral("CanControl"), true},
    };
}

void MprisPlayer::Changed() {
    const QVariantMap now = PlayerProperties();
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it)
        if (m_reported.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    m_reported = now;
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kMprisPath), QString::fromLatin1(kProperties),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kMprisPlayer) << changed << QStringList();
    m_connection.send(signal);
}

bool MprisPlayer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    const QString interface = message.interface();
    const QString member = message.member();
    const QList<QVariant> args = message.arguments();
    if (interface == QLatin1String(kProperties)) {
        const QString of = args.value(0).toString();
        const QVariantMap all = of == QLatin1String(kMprisRoot)     ? RootProperties()
                                : of == QLatin1String(kMprisPlayer) ? PlayerProperties()
                                                                    : QVariantMap();
        if (member == QLatin1String("GetAll")) {
            connection.send(message.createReply(QVariant::fromValue(all)));
        } else if (member == QLatin1String("Get") && all.contains(args.value(1).toString())) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(all.value(args.value(1).toString())))));
        } else if (member == QLatin1String("Set")) {
            connection.send(message.createReply());  // rate and volume stay what they are
        } else {
            connection.send(message.createErrorReply(QDBusError::UnknownProperty, QStringLiteral("No such property")));
        }
        return true;
    }
    if (interface == QLatin1String(kMprisRoot) || (interface.isEmpty() && (member == QLatin1String("Raise") ||
                                                                         member == QLatin1String("Quit")))) {
        if (member == QLatin1String("Raise")) m_session.Raise();
        else if (member == QLatin1String("Quit")) m_session.Quit();
        else return false;
        connection.send(message.createReply());
        return true;
    }
    if (interface != QLatin1String(kMprisPlayer) && !interface.isEmpty()) return false;
    if (member == QLatin1String("OpenUri")) {
        const QUrl uri(args.value(0).toString());
        if (!uri.isLocalFile() || !QFileInfo(uri.toLocalFile()).isFile()) {
            connection.send(message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("Only local files open")));
            return true;
        }
        m_session.Open(uri.toLocalFile().toLocal8Bit().toStdString());
    } else if (const short command = CommandOf(member)) {
        m_session.Command(command);
    } else if (member != QLatin1String("Seek") && member != QLatin1String("SetPosition")) {
        return false;  // nothing to seek in a loop that restarts from its beginning
    }
    connection.send(message.createReply());
    return true;
}

}  // namespace qt_host
