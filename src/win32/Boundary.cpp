#include "win32/Boundary.h"

#include <windows.h>

void ReportUnexpected(const std::string& what) noexcept {
    // A failure while the message is open (a timer's, say) is not shown again.
    static bool showing = false;
    if (showing) return;
    showing = true;
    try {
        const std::string text = "Wendrel could not finish what it was doing: " + what +
                                 ".\r\n\r\nWendrel goes on running and watching the lobby.";
        MessageBoxA(nullptr, text.c_str(), "Wendrel", MB_ICONERROR | MB_SETFOREGROUND);
    } catch (...) {
        MessageBoxA(nullptr, "Wendrel ran out of memory. It goes on running.", "Wendrel", MB_ICONERROR);
    }
    showing = false;
}
