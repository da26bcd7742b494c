#include "platform/host/qt/qt_host.h"

#include <map>

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QToolTip>
#include <QWindow>

#include "platform/host/qt/desktop_session.h"
#include "platform/host/qt/event_waiter.h"
#include "platform/host/qt/headless_box.h"
#include "platform/host/qt/native_combo.h"
#include "platform/host/qt/native_dialogs.h"
#include "platform/host/qt/surface_presenter.h"
#include "platform/host/qt/system_palette.h"
#include "platform/host/qt/top_level_widget.h"

namespace qt_host {
namespace {

bool HasDisplay() {
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

class QtHost final : public user_host::Host {
public:
    QtHost(int& argc, char** argv) {
        if (!QApplication::instance()) {
            // Chosen off screen on purpose (QT_QPA_PLATFORM), windows still count as
            // shown, for whoever looks at them there; with no display they are shown nowhere.
            if (!HasDisplay()) {
                qputenv("QT_QPA_PLATFORM", "offscreen");
                user_host::SetMonitorCount(0);
            }
            app_ = std::make_unique<QApplication>(argc, argv);
            // The layer decides when the process ends, not the last window closing.
            QApplication::setQuitOnLastWindowClosed(false);
        }
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            user_host::SetScreenSize(screen->size().width(), screen->size().height());
        }
        ApplySystemPalette();
        waiter_ = std::make_unique<EventWaiter>();
        presenter_ = std::make_unique<SurfacePresenter>([this](HWND top) -> QWidget* {
            auto it = windows_.find(top);
            return it == windows_.end() ? nullptr : it->second.data();
        });
        session_ = std::make_unique<DesktopSession>(
            [this](HWND top) -> QWidget* {
                auto it = windows_.find(top);
                return it == windows_.end() ? nullptr : it->second.data();
            },
            [this] { waiter_->Interrupt(); });
    }

    bool JoinSession(const std::vector<std::string>& files, bool mayHandOver) {
        return session_->Join(files, mayHandOver);
    }

    ~QtHost() override {
        session_.reset();
        for (auto& [top, widget] : windows_) delete widget.data();
        windows_.clear();
        presenter_.reset();
        waiter_.reset();
    }

    void TopLevelShown(HWND top) override {
        const bool first = windows_.find(top) == windows_.end();
        ApplySystemPalette();  // the program may have chosen its colours since
        TopLevelWidget* widget = WidgetFor(top);
        widget->SyncFromLayer();
        // An owned window (the about box) opens over the middle of its owner, as a
        // desktop user expects of a dialog, not wherever the screen starts.
        if (first) {
            if (QWidget* owner = OwnerWidget(GetParent(top)); owner && owner != widget && owner->isVisible()) {
                widget->move(owner->frameGeometry().center() - widget->rect().center());
                // Where a window cannot place itself (Wayland) the compositor places it by
                // its parent window, and keeps it above that.
                widget->winId();
                if (QWindow* window = widget->windowHandle()) window->setTransientParent(owner->windowHandle());
            }
        }
        // The window itself has the keys when it becomes active, not its first native
        // control (the list), which the toolkit would pick.
        if (!widget->isVisible()) widget->setFocus(Qt::ActiveWindowFocusReason);
        widget->show();
        widget->raise();
        widget->activateWindow();
        session_->WindowChanged(top);
    }

    void TopLevelHidden(HWND top) override {
        auto it = windows_.find(top);
        if (it == windows_.end() || !it->second) return;
        it->second->hide();
        // Hidden and destroyed arrive the same way; once the layer has let the window go
        // its widget goes too (later, since the layer may still be inside the destroy).
        QMetaObject::invokeMethod(waiter_.get(), [this, top] { ForgetIfGone(top); }, Qt::QueuedConnection);
    }

    void TopLevelChanged(HWND top) override {
        if (!IsWindow(top)) {
            ForgetIfGone(top);
            return;
        }
        WidgetFor(top)->SyncFromLayer();
        session_->WindowChanged(top);
    }

    void MediaPlaybackChanged(HWND top) override { session_->PlaybackChanged(top); }

    void SurfaceChanged(HWND top, const RECT& rect) override {
        presenter_->Changed(top, rect);
    }

    void WaitForEvents(DWORD timeoutMs) override { waiter_->Wait(timeoutMs); }
    void Wake() override { waiter_->Wake(); }

    void ControlChanged(HWND control) override {
        if (!user_host::IsComboBox(control)) return;  // tool tips are shown on request
        const user_host::ComboState state = user_host::GetComboState(control);
        QPointer<NativeCombo>& slot = combos_[control];
        if (!slot) {
            HWND top = user_host::TopLevelOf(control);
            if (!top) return;
            slot = new NativeCombo(control, WidgetFor(top), [this] { waiter_->Interrupt(); });
        }
        slot->Apply(state);
    }

    void ComboEdited(HWND combo, const user_host::ComboEdit& edit) override {
        auto it = combos_.find(combo);
        // The box is made from the whole model the first time it is heard of.
        if (it == combos_.end() || !it->second || !it->second->ApplyEdit(edit)) ControlChanged(combo);
    }

    void ControlDestroyed(HWND control) override {
        auto it = combos_.find(control);
        if (it == combos_.end()) return;
        if (it->second) it->second->Dispose();
        combos_.erase(it);
    }

    void ShowToolTip(HWND top, POINT at, const std::string& text) override {
        auto it = windows_.find(top);
        if (it == windows_.end() || !it->second) return;
        QWidget* widget = it->second;
        // A tip that comes due while the system menu or a box is open would sit on top
        // of it: the pointer rested before the user opened it.
        if (QApplication::activePopupWidget() || QApplication::activeModalWidget()) return;
        QToolTip::showText(widget->mapToGlobal(QPoint(at.x, at.y)), QString::fromLocal8Bit(text.c_str()), widget);
    }

    void HideToolTip(HWND) override { QToolTip::hideText(); }

    void BeginMessageBox(const user_host::MessageBoxRequest& request, std::function<void(int)> done) override {
        if (RunsWithoutDisplay()) {
            if (done) done(AnswerWithoutDisplay(request));
            return;
        }
        ShowMessageBox(OwnerWidget(request.owner), request, [this, done = std::move(done)](int result) {
            if (done) done(result);
            waiter_->Interrupt();
        });
    }

    void BeginOpenFile(const user_host::OpenFileRequest& request,
                       std::function<void(bool, const std::string&)> done) override {
        ShowOpenFile(OwnerWidget(request.owner), request,
                     [this, done = std::move(done)](bool chosen, const std::string& path) {
                         if (done) done(chosen, path);
                         waiter_->Interrupt();
                     });
    }

private:
    TopLevelWidget* WidgetFor(HWND top) {
        QPointer<TopLevelWidget>& slot = windows_[top];
        if (!slot) slot = new TopLevelWidget(top, [this] { waiter_->Interrupt(); });
        return slot;
    }

    QWidget* OwnerWidget(HWND owner) {
        if (!owner) return nullptr;
        auto it = windows_.find(user_host::TopLevelOf(owner));
        if (it == windows_.end() || !it->second || !it->second->isVisible()) return nullptr;
        return it->second;
    }

    void ForgetIfGone(HWND top) {
        if (IsWindow(top)) return;
        auto it = windows_.find(top);
        if (it == windows_.end()) return;
        TopLevelWidget* widget = it->second;
        windows_.erase(it);
        if (!widget) return;
        widget->hide();
        // A box of this window may be inside its own signal (the program answered the
        // choice by closing the window from a nested loop): let go of it first.
        for (NativeCombo* box : widget->findChildren<NativeCombo*>()) {
            if (!box->InSignal()) continue;
            box->setParent(nullptr);
            box->Dispose();
        }
        delete widget;
    }

    std::unique_ptr<QApplication> app_;  // null when the process already had one
    std::unique_ptr<EventWaiter> waiter_;
    std::map<HWND, QPointer<TopLevelWidget>> windows_;
    std::map<HWND, QPointer<NativeCombo>> combos_;
    std::unique_ptr<SurfacePresenter> presenter_;
    std::unique_ptr<DesktopSession> session_;
};

}  // namespace
}  // namespace qt_host

std::unique_ptr<user_host::Host> CreateQtHost(int& argc, char** argv) {
    return std::make_unique<qt_host::QtHost>(argc, argv);
}

bool JoinDesktopSession(user_host::Host& host, const std::vector<std::string>& files, bool mayHandOver) {
    auto* qt = dynamic_cast<qt_host::QtHost*>(&host);
    return !qt || qt->JoinSession(files, mayHandOver);
}
