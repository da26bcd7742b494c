// The message box and the file-open dialog, shown without blocking: the layer keeps
// running its own loop meanwhile and hears the answer through a callback.
#pragma once

#include <functional>
#include <string>

#include <QStringList>

#include "platform/user/host.h"

class QWidget;

namespace qt_host {

// Both call done exactly once, on the UI thread, after the box has closed.
void ShowMessageBox(QWidget* owner, const user_host::MessageBoxRequest& request, std::function<void(int)> done);
void ShowOpenFile(QWidget* owner, const user_host::OpenFileRequest& request,
                  std::function<void(bool, const std::string&)> done);

// "Wave files(*.wav)" with "*.wav" becomes "Wave files(*.wav) (*.wav)"; the platform's
// ';' between patterns becomes the toolkit's blank. Pairs without a pattern are dropped.
QStringList NameFilters(const std::vector<std::pair<std::string, std::string>>& filters);

}  // namespace qt_host
