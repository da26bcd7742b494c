#include "platform/host/qt/desktop_session.h"

#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>
#include <QWidget>

#include "platform/host/qt/mpris_player.h"

namespace qt_host {
namespace {

constexpr const char* kServiceName = "org.mpris.MediaPlayer2.zor3dplayer";
// Calls to the desktop's "open" that come this close together are one drop, so a second
// start's files arrive together and the first of them plays.
constexpr int kBatchMs = 150;
// A player that does not answer within this is not waited for.
constexpr int kHandOverTimeoutMs = 500;

// Only a bus the desktop says it has: without one, the bus library would start a bus of
// its own for the display (autolaunch), which nobody else would see.
bool HasSessionBus() {
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

bool Call(QDBusConnection& bus, const char* interface, const char* method, const QVariantList& args = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kServiceName), QString::fromLatin1(kMprisPath),
                                                       QString::fromLatin1(interface), QString::fromLatin1(method));
    call.setArguments(args);
    return bus.call(call, QDBus::Block, kHandOverTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

}  // namespace

DesktopSession::DesktopSession(std::function<QWidget*(HWND)> widgetOf, std::function<void()> onInput)
    : m_widgetOf(std::move(widgetOf)), m_onInput(std::move(onInput)) {
    m_batch.setSingleShot(true);
    m_batch.setInterval(kBatchMs);
    QObject::connect(&m_batch, &QTimer::timeout, [this] { DeliverWaitingFiles(); });
}

DesktopSession::~DesktopSession() {
    if (!m_service) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QString::fromLatin1(kMprisPath));
}

bool DesktopSession::Join(const std::vector<std::string>& files, bool mayHandOver) {
    m_waiting = files;
    if (!HasSessionBus()) return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return true;
    QDBusConnectionInterface* names = bus.interface();
    // An unattended demo leaves the shared name to a player the user starts.
    const bool claimed =
        mayHandOver && names->registerService(QString::fromLatin1(kServiceName), QDBusConnectionInterface::DontQueueService,
                                              QDBusConnectionInterface::DontAllowReplacement)
                               .value() == QDBusConnectionInterface::ServiceRegistered;
    if (!claimed) {
        if (mayHandOver) {
            bool handed = true;
            for (const std::string& file : files)
                handed = handed && Call(bus, kMprisPlayer, "OpenUri",
                                        {QUrl::fromLocalFile(QString::fromLocal8Bit(file.c_str())).toString()});
            if (files.empty()) handed = Call(bus, kMprisRoot, "Raise");
            if (handed) return false;
        }
        // A demo, or a player beside one that did not answer: a name of its own, as the
        // media-player interface asks of a second instance.
        names->registerService(QStringLiteral("%1.instance%2").arg(QString::fromLatin1(kServiceName)).arg(::getpid()));
    }
    m_service = std::make_unique<MprisPlayer>(*this, bus);
    bus.registerVirtualObject(QString::fromLatin1(kMprisPath), m_service.get());
    return true;
}

void DesktopSession::WindowChanged(HWND top) {
    if (!m_player && user_host::AcceptsFiles(top)) m_player = top;
    if (!m_waiting.empty() && !m_batch.isActive()) DeliverWaitingFiles();
}

void DesktopSession::PlaybackChanged(HWND top) {
    m_player = top;
    if (m_service) m_service->Changed();
}

void DesktopSession::Command(short appCommand) {
    if (!m_player) return;
    user_host::InjectAppCommand(m_player, appCommand, FAPPCOMMAND_OEM);
    if (m_onInput) m_onInput();
}

void DesktopSession::Open(const std::string& nativePath) {
    m_waiting.push_back(nativePath);
    m_raiseOnDelivery = true;
    m_batch.start();
}

void DesktopSession::DeliverWaitingFiles() {
    HWND target = m_player && user_host::AcceptsFiles(m_player) ? m_player : nullptr;
    for (HWND top : user_host::TopLevelWindows())
        if (!target && user_host::AcceptsFiles(top)) target = top;
    if (!target) return;  // dropped once a window accepts files
    if (!user_host::InjectDropFiles(target, 0, 0, m_waiting)) {
        m_batch.start();  // the window takes no input now (a box is open): again shortly
        return;
    }
    m_waiting.clear();
    if (m_raiseOnDelivery) Raise();
    m_raiseOnDelivery = false;
    if (m_onInput) m_onInput();
}

void DesktopSession::Raise() {
    QWidget* widget = m_player ? m_widgetOf(m_player) : nullptr;
    // Off screen there is nothing to bring forward.
    if (!widget || QGuiApplication::platformName() == QLatin1String("offscreen")) return;
    if (widget->isMinimized()) widget->showNormal();
    widget->raise();
    widget->activateWindow();
}

void DesktopSession::Quit() {
    if (!m_player) return;
    user_host::InjectClose(m_player);
    if (m_onInput) m_onInput();
}

}  // namespace qt_host
