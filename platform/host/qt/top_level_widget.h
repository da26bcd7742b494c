// The desktop window of one top-level layer window: shows its surface, sends the user's
// mouse, keys, close requests and system-menu choices back to the layer.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/host/qt/surface_widget.h"

#include "platform/user/host.h"

class QLabel;
class QMimeData;
class QPushButton;

namespace qt_host {

class TopLevelWidget : public SurfaceWidget {
public:
    // onInput runs after every injection, so the layer's wait returns and dispatches it.
    TopLevelWidget(HWND top, std::function<void()> onInput);

    HWND Handle() const { return top_; }
    // Caption, client size, icons and the template's fixed content, read from the layer.
    void SyncFromLayer();
    void ShowSystemMenu(const QPoint& globalPos);

protected:
    std::shared_ptr<gdi::Surface> CurrentSurface() const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void InjectMouseEvent(UINT message, QMouseEvent* event);
    // The local files a drag carries, when the window takes files; else none.
    std::vector<std::string> DroppableFiles(const QMimeData* data) const;
    void SyncIcon();
    void SyncTemplateContent();

    HWND top_;
    std::function<void()> onInput_;
    QLabel* staticText_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

// The widget showing a layer window, or null; the host marks its widgets so tools and
// tests can find them without a host pointer.
TopLevelWidget* FindTopLevelWidget(HWND top);

}  // namespace qt_host
