#include <windows.h>

#include "platform/win32/WinInetTransfer.h"
#include "status/Scanner.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    AppState app;
    WinInetTransfer inet;
    Scanner scanner(StatusSource::FromUrl(StatusSource::kDefaultUrl), app);
    scanner.ScanServers(inet);
    std::string text = "Players online: " + std::to_string(scanner.Servers()->TotalPlayers());
    if (!scanner.FailureReason().empty()) text += "\r\n" + scanner.FailureReason();
    MessageBoxA(nullptr, text.c_str(), "Wendrel V1.4", MB_ICONINFORMATION);
    return 0;
}
