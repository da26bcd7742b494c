#include "app/hrtf_choice.h"

#include <cmath>
#include <cstdio>

#include "platform/mfc/afxwin.h"

UINT HrtfSetCommand(std::size_t index) { return kHrtfSetCommandFirst + static_cast<UINT>(index) * 16; }

int HrtfSetIndexOfCommand(UINT id) {
    // The system keeps the low four bits of a system command for itself.
    const UINT command = id & 0xFFF0u;
    if (command < kHrtfSetCommandFirst) return -1;
    const std::size_t index = (command - kHrtfSetCommandFirst) / 16;
    return index < kMaxHrtfSetItems ? static_cast<int>(index) : -1;
}

std::string TestResultLine(const EarScore& score) {
    char line[512];
    std::snprintf(line, sizeof line, "%s: %.0f degrees off on average, front and back mixed up %d of %d times",
                  score.set.c_str(), std::round(score.meanError), score.confusions, score.judged);
    return line;
}

std::string ResourceText(UINT id) {
    char text[1024] = "";
    LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}
