#pragma once

#include <windows.h>

#include <chrono>
#include <span>

// The program's one way of dispatching messages, used by the main loop and by
// every nested loop, so keyboard navigation in modeless dialogs always works.
// Messages are taken as UTF-16 (GetMessageW): a typed character reaches a
// box whatever the ANSI code page.
void RegisterDialogWindow(HWND dialog);
void UnregisterDialogWindow(HWND dialog);
void DispatchAppMessage(MSG& msg);

enum class WaitOutcome { Signaled, TimedOut, QuitRequested };

// Dispatches messages until one of the events is signaled or the timeout
// passes. A WM_QUIT seen on the way is posted again for the main loop.
WaitOutcome PumpUntilSignaled(std::span<const HANDLE> events, std::chrono::milliseconds timeout);
inline WaitOutcome PumpUntilSignaled(HANDLE event, std::chrono::milliseconds timeout) {
    return PumpUntilSignaled(std::span(&event, 1), timeout);
}
