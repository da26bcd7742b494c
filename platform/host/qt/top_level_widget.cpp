#include "platform/host/qt/top_level_widget.h"

#include <cmath>
#include <cstring>
#include <map>

#include <QActionGroup>
#include <QApplication>
#include <QChildEvent>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPixmap>
#include <QPushButton>
#include <QToolTip>

#include "platform/user/resources.h"

namespace qt_host {
namespace {

constexpr const char* kHandleProperty = "zorTopLevel";
constexpr std::uint32_t kOpaque = 0xFF000000u;  // icon pixels carry no alpha

QImage IconToImage(const user_host::IconImage& icon) {
    QImage image(icon.width, icon.height, QImage::Format_ARGB32);
    const std::size_t count = static_cast<std::size_t>(icon.width) * icon.height;
    if (icon.pixels.size() < count) return QImage();
    for (int y = 0; y < icon.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < icon.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * icon.width + x;
            const bool opaque = i >= icon.mask.size() || icon.mask[i] != 0;
            row[x] = opaque ? (icon.pixels[i] | kOpaque) : 0u;
        }
    }
    return image;
}

// The platform's virtual key of a key that does not type a character, or 0.
UINT VirtualKeyOf(int key) {
    switch (key) {
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Space: return VK_SPACE;
    // A keyboard's play key is the play/pause toggle, as on the platform.
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaTogglePlayPause: return VK_MEDIA_PLAY_PAUSE;
    case Qt::Key_MediaStop: return VK_MEDIA_STOP;
    case Qt::Key_MediaNext: return VK_MEDIA_NEXT_TRACK;
    case Qt::Key_MediaPrevious: return VK_MEDIA_PREV_TRACK;
    default: return 0;
    }
}

// The keys the window's list keeps for itself: choosing in it. The others are the
// window's, wherever its focus is.
bool IsControlsOwnKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_F4:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape: return true;
    default: return false;
    }
}

WPARAM KeysOf(Qt::MouseButtons buttons) {
    WPARAM keys = 0;
    if (buttons & Qt::LeftButton) keys |= MK_LBUTTON;
    if (buttons & Qt::RightButton) keys |= MK_RBUTTON;
    return keys;
}

}  // namespace

TopLevelWidget::TopLevelWidget(HWND top, std::function<void()> onInput)
    : SurfaceWidget(nullptr), top_(top), onInput_(std::move(onInput)) {
    setProperty(kHandleProperty, QVariant::fromValue(reinterpret_cast<quintptr>(top)));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);  // each drag is judged by whether a window of it takes files
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    SyncFromLayer();
}

void TopLevelWidget::SyncFromLayer() {
    setWindowTitle(QString::fromLocal8Bit(user_host::WindowCaption(top_).c_str()));
    FitToSurface();
    SyncIcon();
    SyncTemplateContent();
    update();
}

void TopLevelWidget::SyncIcon() {
    QIcon icon;
    for (bool big : {true, false}) {
        HICON handle = user_host::WindowIcon(top_, big);
        user_host::IconImage image{};
        if (handle && user_host::GetIconImage(handle, &image)) {
            QImage converted = IconToImage(image);
            if (!converted.isNull()) icon.addPixmap(QPixmap::fromImage(converted));
        }
    }
    if (!icon.isNull()) setWindowIcon(icon);
}

void TopLevelWidget::SyncTemplateContent() {
    const DialogTemplate* tmpl = user_host::WindowTemplate(top_);
    const bool wantText = tmpl && tmpl->staticText && *tmpl->staticText;
    const bool wantButton = tmpl && tmpl->okButton;
    QFont font = this->font();
    if (tmpl && tmpl->fontFace && *tmpl->fontFace) font.setFamily(QString::fromLocal8Bit(tmpl->fontFace));
    if (tmpl && tmpl->pointSize > 0) font.setPointSize(tmpl->pointSize);

    constexpr int kMargin = 12;
    constexpr int kButtonWidth = 80;
    constexpr int kButtonHeight = 26;
    const int buttonSpace = wantButton ? kButtonHeight + kMargin : 0;

    if (wantButton && !okButton_) {
        okButton_ = new QPushButton(QStringLiteral("OK"), this);
        okButton_->setDefault(true);
        // The button acts as the Enter key, so the dialog's own IDOK handling closes it.
        QObject::connect(okButton_, &QPushButton::clicked, this, [this] {
            user_host::InjectKey(top_, VK_RETURN);
            if (onInput_) onInput_();
        });
    }
    if (okButton_) {
        okButton_->setVisible(wantButton);
        okButton_->setFont(font);
        okButton_->setGeometry((width() - kButtonWidth) / 2, height() - kMargin - kButtonHeight, kButtonWidth,
                               kButtonHeight);
    }
    if (wantText && !staticText_) {
        staticText_ = new QLabel(this);
        staticText_->setWordWrap(true);
        staticText_->setAlignment(Qt::AlignCenter);
        staticText_->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (staticText_) {
        staticText_->setVisible(wantText);
        if (wantText) staticText_->setText(QString::fromLocal8Bit(tmpl->staticText));
        staticText_->setFont(font);
        staticText_->setGeometry(kMargin, kMargin, std::max(0, width() - 2 * kMargin),
                                 std::max(0, height() - 2 * kMargin - buttonSpace));
    }
}

std::shared_ptr<gdi::Surface> TopLevelWidget::CurrentSurface() const {
    // Asked every time: resizing the window gives it a new surface.
    return user_host::TopLevelSurface(top_);
}

void TopLevelWidget::InjectMouseEvent(UINT message, QMouseEvent* event) {
    // Logical coordinates are skin pixels whatever the screen's scale.
    const QPointF p = event->position();
    const int x = static_cast<int>(std::floor(p.x()));
    const int y = static_cast<int>(std::floor(p.y()));
    user_host::InjectMouse(top_, message, x, y, KeysOf(event->buttons()));
    if (onInput_) onInput_();
}

void TopLevelWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        InjectMouseEvent(WM_LBUTTONDOWN, event);
    } else if (event->button() == Qt::RightButton) {
        ShowSystemMenu(event->globalPosition().toPoint());
    }
    event->accept();
}

void TopLevelWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    // The layer's windows have no double-click style: a second click is a second press.
    mousePressEvent(event);
}

void TopLevelWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) InjectMouseEvent(WM_LBUTTONUP, event);
    event->accept();
}

void TopLevelWidget::mouseMoveEvent(QMouseEvent* event) {
    InjectMouseEvent(WM_MOUSEMOVE, event);
    event->accept();
}

void TopLevelWidget::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    // Alt+Space is the window manager's on most desktops; the Menu key and Shift+F10
    // open the system menu wherever that is so.
    if ((key == Qt::Key_Space && (modifiers & Qt::AltModifier)) || key == Qt::Key_Menu ||
        (key == Qt::Key_F10 && (modifiers & Qt::ShiftModifier))) {
        ShowSystemMenu(mapToGlobal(QPoint(width() / 3, height() / 3)));
        event->accept();
        return;
    }
    const QString text = event->text();
    BYTE character = text.size() == 1 && text.at(0).unicode() < 0x100 ? static_cast<BYTE>(text.at(0).unicode()) : 0;
    // Ctrl with a letter types its control character, whatever the platform says it types.
    if ((modifiers & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        character = static_cast<BYTE>(key - Qt::Key_A + 1);
    UINT virtualKey = VirtualKeyOf(key);
    if (key == Qt::Key_Return || key == Qt::Key_Enter) virtualKey = VK_RETURN;
    else if (key == Qt::Key_Escape) virtualKey = VK_ESCAPE;
    // Letters and digits are their own virtual keys; other characters are known by what
    // they type.
    else if (!virtualKey && character && key < 0x100) virtualKey = static_cast<UINT>(key);
    if (key == Qt::Key_MediaPause) {
        user_host::InjectAppCommand(top_, APPCOMMAND_MEDIA_PAUSE, FAPPCOMMAND_KEY);
    } else if (virtualKey) {
        user_host::InjectKey(top_, virtualKey, virtualKey == VK_RETURN || virtualKey == VK_ESCAPE ? 0 : character);
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    if (onInput_) onInput_();
    event->accept();
}

void TopLevelWidget::focusInEvent(QFocusEvent* event) {
    user_host::InjectActivate(top_, true);
    if (onInput_) onInput_();
    SurfaceWidget::focusInEvent(event);
}

void TopLevelWidget::focusOutEvent(QFocusEvent* event) {
    // Also when a native control of the window (the list) takes the keys.
    user_host::InjectActivate(top_, false);
    if (onInput_) onInput_();
    SurfaceWidget::focusOutEvent(event);
}

void TopLevelWidget::childEvent(QChildEvent* event) {
    if (event->added() && event->child()->isWidgetType()) event->child()->installEventFilter(this);
    SurfaceWidget::childEvent(event);
}

bool TopLevelWidget::eventFilter(QObject* watched, QEvent* event) {
    // Only the list: a button of a box keeps Space for itself.
    if (qobject_cast<QComboBox*>(watched) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!IsControlsOwnKey(*key)) {
            keyPressEvent(key);
            return key->isAccepted();
        }
    }
    return SurfaceWidget::eventFilter(watched, event);
}

std::vector<std::string> TopLevelWidget::DroppableFiles(const QMimeData* data) const {
    std::vector<std::string> files;
    if (!data || !data->hasUrls() || !user_host::AcceptsFiles(top_)) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            files.push_back(url.toLocalFile().toLocal8Bit().toStdString());
    return files;
}

void TopLevelWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppableFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void TopLevelWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppableFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void TopLevelWidget::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = DroppableFiles(event->mimeData());
    const QPointF at = event->position();
    if (files.empty() || !user_host::InjectDropFiles(top_, static_cast<int>(std::floor(at.x())),
                                                     static_cast<int>(std::floor(at.y())), files))
        return;
    event->acceptProposedAction();
    if (onInput_) onInput_();
}

void TopLevelWidget::closeEvent(QCloseEvent* event) {
    // The program decides: it gets WM_CLOSE, and the window goes only when the layer
    // hides or destroys it.
    event->ignore();
    user_host::InjectClose(top_);
    if (onInput_) onInput_();
}

void TopLevelWidget::moveEvent(QMoveEvent* event) {
    // The layer draws no frame: its window rectangle is where the client area sits.
    const QPoint at = mapToGlobal(QPoint(0, 0));
    user_host::SetTopLevelPosition(top_, at.x(), at.y());
    QWidget::moveEvent(event);
}

void TopLevelWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        user_host::SetTopLevelMinimized(top_, isMinimized());
        if (onInput_) onInput_();  // a restored window repaints through the layer
    }
    QWidget::changeEvent(event);
}

void TopLevelWidget::ShowSystemMenu(const QPoint& globalPos) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    std::map<int, QActionGroup*> radioGroups;  // owned by the menu
    user_host::InitSystemMenu(top_);
    for (const user_host::MenuItem& item : user_host::SystemMenuItems(top_)) {
        if (item.separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromLocal8Bit(item.text.c_str()));
        if (item.radioGroup != 0) {
            QActionGroup*& group = radioGroups[item.radioGroup];
            if (!group) group = new QActionGroup(menu);  // exclusive: the toolkit draws radio marks
            group->addAction(action);
        }
        action->setCheckable(item.checked || item.radioGroup != 0);
        action->setChecked(item.checked);
        action->setEnabled(!item.grayed);
        const UINT_PTR id = item.id;
        QObject::connect(action, &QAction::triggered, this, [this, id] {
            user_host::InjectSysCommand(top_, id);
            if (onInput_) onInput_();
        });
    }
    QToolTip::hideText();
    // Not exec(): a nested toolkit loop would stall the layer's timers while it is open.
    menu->popup(globalPos);
}

TopLevelWidget* FindTopLevelWidget(HWND top) {
    const auto wanted = reinterpret_cast<quintptr>(top);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const QVariant value = widget->property(kHandleProperty);
        if (value.isValid() && value.value<quintptr>() == wanted) return static_cast<TopLevelWidget*>(widget);
    }
    return nullptr;
}

}  // namespace qt_host
