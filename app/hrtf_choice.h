// The listener's binaural data set (HRTF set): the system menu's group of sets, its import
// and test entries, and what the settings file keeps of them.
#pragma once

#include <string>
#include <vector>

#include "app/listening_test.h"
#include "platform/kernel/types.h"

// System-menu ids: multiples of 16, clear of the about entry and the sound choices.
constexpr UINT kImportHrtfCommand = 0x80;
constexpr UINT kTestEarsCommand = 0x90;
constexpr UINT kHrtfSetCommandFirst = 0x200;  // one per set on offer, 16 apart
constexpr std::size_t kMaxHrtfSetItems = 48;
// The listening test compares the built-in set and the latest imports, this many in all.
constexpr std::size_t kMaxTestedSets = 4;

// The choice itself is the sound layer's (GetHrtfSet).
struct HrtfChoice {
    std::vector<std::string> menuSets;   // what the menu's set items stand for, in order
    std::vector<std::string> testLines;  // the last listening test's results, one per set
};

// The id of the menu item for the set at index, and the index an id stands for (-1: none).
UINT HrtfSetCommand(std::size_t index);
int HrtfSetIndexOfCommand(UINT id);

// A string resource's text, for the sets' menu items and boxes.
std::string ResourceText(UINT id);

// One set's result as the settings file keeps it and the results box shows it.
std::string TestResultLine(const EarScore& score);
