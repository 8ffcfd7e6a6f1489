#include "win32/MessagePump.h"

#include <algorithm>
#include <vector>

namespace {
std::vector<HWND>& DialogWindows() {
    static std::vector<HWND> dialogs;
    return dialogs;
}
}  // namespace

void RegisterDialogWindow(HWND dialog) { DialogWindows().push_back(dialog); }

void UnregisterDialogWindow(HWND dialog) { std::erase(DialogWindows(), dialog); }

void DispatchAppMessage(MSG& msg) {
    const std::vector<HWND> dialogs = DialogWindows();  // a dialog may close while handling the message
    for (HWND dialog : dialogs) {
        if (IsWindow(dialog) && IsDialogMessageW(dialog, &msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

WaitOutcome PumpUntilSignaled(std::span<const HANDLE> events, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const DWORD count = static_cast<DWORD>(events.size());
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const DWORD wait = static_cast<DWORD>(std::max<long long>(0, left.count()));
        const DWORD r = MsgWaitForMultipleObjectsEx(count, events.data(), wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r - WAIT_OBJECT_0 < count) return WaitOutcome::Signaled;
        if (r == WAIT_TIMEOUT || r == WAIT_FAILED) return WaitOutcome::TimedOut;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return WaitOutcome::QuitRequested;
            }
            DispatchAppMessage(msg);
        }
        if (WaitForMultipleObjects(count, events.data(), FALSE, 0) - WAIT_OBJECT_0 < count)
            return WaitOutcome::Signaled;
        if (std::chrono::steady_clock::now() >= deadline) return WaitOutcome::TimedOut;
    }
}
