#include "platform/host/qt/native_combo.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QSignalBlocker>
#include <QStyle>

namespace qt_host {
namespace {

constexpr const char* kHandleProperty = "zorCombo";
constexpr int kVisibleRows = 10;
constexpr int kPopupMargin = 8;  // room the popup's own frame takes around the view

bool SameItems(const QComboBox& box, const std::vector<user_host::ComboItem>& items) {
    if (box.count() != static_cast<int>(items.size())) return false;
    for (int i = 0; i < box.count(); ++i) {
        if (box.itemText(i) != QString::fromLocal8Bit(items[static_cast<std::size_t>(i)].text.c_str())) return false;
    }
    return true;
}

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return true;
        default:
            return false;
    }
}

}  // namespace

QRect ClosedComboRect(const user_host::ComboState& state) {
    const int width = std::max(0, static_cast<int>(state.rect.right - state.rect.left));
    const int fullHeight = std::max(0, static_cast<int>(state.rect.bottom - state.rect.top));
    const int height = state.itemHeight > 0 ? std::min(state.itemHeight, std::max(fullHeight, state.itemHeight))
                                            : fullHeight;
    return QRect(state.rect.left, state.rect.top, width, height);
}

NativeCombo::NativeCombo(HWND combo, QWidget* parent, std::function<void()> onInput)
    : QComboBox(parent), combo_(combo), onInput_(std::move(onInput)) {
    setProperty(kHandleProperty, QVariant::fromValue(reinterpret_cast<quintptr>(combo)));
    setEditable(false);
    setMaxVisibleItems(kVisibleRows);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // Pointer moves over the box go on to the window and so to the layer, where tool tips
    // follow them; the box itself does nothing with a move.
    setMouseTracking(true);
    // Only the user's choice goes back: activated is not emitted for changes we make.
    QObject::connect(this, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        // A list that was open before the input was taken away chooses nothing.
        if (!user_host::TakesUserInput(combo_)) {
            Apply(user_host::GetComboState(combo_));
            return;
        }
        // The parent hears CBN_SELCHANGE synchronously: the program runs inside this call.
        ++inSignal_;
        user_host::InjectComboSelection(combo_, index);
        if (onInput_) onInput_();
        if (--inSignal_ == 0 && disposed_) {
            QMetaObject::invokeMethod(this, [this] { delete this; }, Qt::QueuedConnection);
        }
    });
}

bool NativeCombo::event(QEvent* event) {
    if (IsUserInput(event->type()) && !user_host::TakesUserInput(combo_)) {
        // Not ours to answer: the toolkit hands it on to the window, which gives it to the
        // layer, and the layer routes it to the capture or drops it, as for any window.
        event->ignore();
        return false;
    }
    return QComboBox::event(event);
}

void NativeCombo::Apply(const user_host::ComboState& state) {
    if (disposed_) return;
    const QSignalBlocker blocker(this);
    if (!SameItems(*this, state.items)) {
        clear();
        for (const user_host::ComboItem& item : state.items) addItem(QString::fromLocal8Bit(item.text.c_str()));
    }
    Select(state.selection);

    if (!state.fontFace.empty() || state.fontPointSize > 0) {
        QFont f = font();
        if (!state.fontFace.empty()) f.setFamily(QString::fromLocal8Bit(state.fontFace.c_str()));
        if (state.fontPointSize > 0) f.setPointSize(state.fontPointSize);
        if (f != font()) setFont(f);
    }
    const QString cue = QString::fromLocal8Bit(state.cueBanner.c_str());
    if (placeholderText() != cue) setPlaceholderText(cue);
    const QRect closed = ClosedComboRect(state);
    if (geometry() != closed) setGeometry(closed);
    droppedWidth_ = std::max(state.droppedWidth, closed.width());
    view()->setMinimumWidth(droppedWidth_);
    setVisible(state.visible);
}

bool NativeCombo::ApplyEdit(const user_host::ComboEdit& edit) {
    if (disposed_) return true;
    using Kind = user_host::ComboEdit::Kind;
    const QSignalBlocker blocker(this);
    switch (edit.kind) {
        case Kind::Insert:
            if (edit.index < 0 || edit.index > count()) return false;
            insertItem(edit.index, QString::fromLocal8Bit(edit.text.c_str()));
            break;
        case Kind::Delete:
            if (edit.index < 0 || edit.index >= count()) return false;
            removeItem(edit.index);
            break;
        case Kind::Reset: clear(); break;
        case Kind::Select: break;
    }
    Select(edit.selection);
    return true;
}

void NativeCombo::Select(int selection) {
    if (selection < 0 || selection >= count()) selection = -1;
    if (currentIndex() != selection) setCurrentIndex(selection);
}

void NativeCombo::showPopup() {
    // Measured when it opens, not at every change of a list that may be long.
    view()->setMinimumWidth(std::max(droppedWidth_, WidestItem()));
    QComboBox::showPopup();
}

int NativeCombo::WidestItem() const {
    // Every name whole: the popup is as wide as the longest one, with the view's frame
    // and, when the list scrolls, its scroll bar beside it. The text picks the item; the
    // view measures that one with its padding.
    const QFontMetrics metrics(view()->font());
    int longest = -1;
    int longestText = 0;
    for (int i = 0; i < count(); ++i) {
        const int text = metrics.horizontalAdvance(itemText(i));
        if (text > longestText) longestText = text, longest = i;
    }
    if (longest < 0) return 0;
    const int widest = view()->sizeHintForIndex(model()->index(longest, 0)).width();
    const int scrollBar = count() > maxVisibleItems() ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view()) : 0;
    return widest + 2 * view()->frameWidth() + scrollBar + kPopupMargin;
}

void NativeCombo::Dispose() {
    if (disposed_) return;
    disposed_ = true;
    hide();
    setProperty(kHandleProperty, QVariant());
    if (!InSignal()) delete this;
}

NativeCombo* FindNativeCombo(HWND combo) {
    const auto wanted = reinterpret_cast<quintptr>(combo);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        for (NativeCombo* box : top->findChildren<NativeCombo*>()) {
            const QVariant value = box->property(kHandleProperty);
            if (value.isValid() && value.value<quintptr>() == wanted) return box;
        }
    }
    return nullptr;
}

}  // namespace qt_host
