#include "platform/host/qt/headless_box.h"

#include <cstdio>

#include <QGuiApplication>

namespace qt_host {
namespace {

constexpr UINT kButtonMask = 0x0000000F;
constexpr UINT kDefaultButtonMask = 0x00000F00;
constexpr UINT kSecondButtonDefault = 0x00000100;

}  // namespace

bool RunsWithoutDisplay() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

int AnswerWithoutDisplay(const user_host::MessageBoxRequest& request) {
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
    std::fflush(stderr);
    const bool okCancel = (request.type & kButtonMask) == MB_OKCANCEL;
    return okCancel && (request.type & kDefaultButtonMask) == kSecondButtonDefault ? IDCANCEL : IDOK;
}

}  // namespace qt_host
