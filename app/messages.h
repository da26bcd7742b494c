// The messages the main dialog and its two panels exchange, and the numbers they carry.
// Panels report presses by posting kMsgPanelCommand; the pad sends kMsgSpriteMoved
// (synchronously) on every drag step; the dialog answers with posted kMsgNotify.
#pragma once

#include "platform/kernel/types.h"

// Message numbers.
constexpr UINT kMsgPanelCommand = 0x500;  // posted; wParam command id, lParam 0 or a path
constexpr UINT kMsgNotify = 0x501;        // posted; wParam notification code, lParam its value
constexpr UINT kMsgSpriteMoved = 29;      // sent by the pad; counts as command 29
constexpr UINT kMsgHrtfImported = 0x502;  // posted to the dialog when a SOFA import is done
constexpr UINT kMsgEarTestOver = 0x503;   // posted to the dialog when the listening test ends

// Command ids: the skin region pressed is the command's number.
constexpr int kCmdSourceFirst = 2;  // 2..6: built-in source slots 0..4
constexpr int kCmdSourceLast = 6;
constexpr int kCmdCustomSource = 7;  // lParam: the selected custom path, or 0
constexpr int kCmdCustomList = 8;
constexpr int kCmdAddCustom = 9;      // handled inside the control panel
constexpr int kCmdRemoveCustom = 10;  // handled inside the control panel
constexpr int kCmdPathFirst = 11;     // 11..15: path modes 0..4
constexpr int kCmdPathLast = 15;
constexpr int kCmdEnvFirst = 16;  // 16..21: Bathroom .. Hangar
constexpr int kCmdEnvBathroom = 16;
constexpr int kCmdEnvConcerthall = 17;
constexpr int kCmdEnvSewerpipe = 18;
constexpr int kCmdEnvKtv = 19;
constexpr int kCmdEnvUnderwater = 20;
constexpr int kCmdEnvHangar = 21;
constexpr int kCmdEnvLast = 21;
constexpr int kCmdPlay = 22;
constexpr int kCmdStop = 23;
constexpr int kCmdSpriteMoved = 29;
constexpr int kCmdExit = 31;

// Notification codes (wParam of kMsgNotify).
constexpr WPARAM kNotifySettingsPath = 0x620;  // control panel; lParam: char* (256 bytes)
constexpr WPARAM kNotifySource = 0x621;        // control panel; lParam: slot 0..5
constexpr WPARAM kNotifyPathMode = 0x622;      // panel: the mode; pad: 1 = dragging allowed
constexpr WPARAM kNotifyEnvironment = 0x623;   // control panel; lParam: 16..21 or -1
constexpr WPARAM kNotifyPlayState = 0x624;     // control panel; lParam: 1 playing, 0 stopped

// Both the auto-demo step (on the main dialog) and the speaker poll (on the pad) use
// this timer id; timers of different windows never meet.
constexpr UINT_PTR kTimerId = 546;
constexpr UINT kSpeakerPollMs = 500;

// Control ids.
constexpr UINT kIdControlPanel = 102;
constexpr UINT kIdCustomList = 103;
constexpr UINT kIdPositionPad = 105;

// The settings buffer size both windows agree on (255 characters and the terminator).
constexpr std::size_t kSettingsPathSize = 256;
