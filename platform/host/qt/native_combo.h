// A real combo box over the rectangle of a layer combo model, kept in step with it.
#pragma once

#include <functional>

#include <QComboBox>

#include "platform/user/host.h"

namespace qt_host {

class NativeCombo : public QComboBox {
public:
    NativeCombo(HWND combo, QWidget* parent, std::function<void()> onInput);

    HWND Handle() const { return combo_; }
    // Items, selection, place, font and visibility from the model; never reports back.
    void Apply(const user_host::ComboState& state);
    // One change of the items or the selection, made here too; false when the box was
    // not in step with the model for it (then Apply the whole state).
    bool ApplyEdit(const user_host::ComboEdit& edit);
    // The model is gone: hide now, and delete now or, when the layer destroyed the
    // model from inside this box's own signal, as soon as that signal returns.
    void Dispose();
    bool InSignal() const { return inSignal_ > 0; }

protected:
    bool event(QEvent* event) override;
    void showPopup() override;

private:
    int WidestItem() const;
    void Select(int selection);

    HWND combo_;
    std::function<void()> onInput_;
    int inSignal_ = 0;
    bool disposed_ = false;
    int droppedWidth_ = 0;
};

// Builds the box's geometry from the model: the closed box is the rectangle's first row.
QRect ClosedComboRect(const user_host::ComboState& state);

// The box showing a layer combo model, or null.
NativeCombo* FindNativeCombo(HWND combo);

}  // namespace qt_host
