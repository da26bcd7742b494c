// A message box where nobody can see one: the off-screen platform (and the minimal one)
// has no display, so a box would wait for a click that never comes.
#pragma once

#include "platform/user/host.h"

namespace qt_host {

// True when the toolkit runs without a display.
bool RunsWithoutDisplay();

// Writes the box's caption and text to standard error and returns its default answer.
int AnswerWithoutDisplay(const user_host::MessageBoxRequest& request);

}  // namespace qt_host
