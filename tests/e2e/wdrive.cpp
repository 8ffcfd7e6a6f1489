// A command-line front end to the test driver, for trying things by hand:
//   wdrive tray 515 | menu N | click ID | rows | status | shot FILE.bmp | ok CAPTION
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Driver.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string verb = argv[1];
    const std::string arg = argc > 2 ? argv[2] : "";
    HWND main = driver::FindTop("WendrelMain", "Wendrel V1.4");
    if (verb == "tray") driver::PostTrayEvent(driver::FindTop("WendrelTray"), std::atoi(arg.c_str()));
    else if (verb == "menu") return driver::ChooseMenuItem(std::atoi(arg.c_str())) ? 0 : 1;
    else if (verb == "click") driver::Click(main, std::atoi(arg.c_str()));
    else if (verb == "rows") for (auto& row : driver::ReadListView(GetDlgItem(main, 1101), 2)) std::printf("%s | %s\n", row[0].c_str(), row[1].c_str());
    else if (verb == "status") std::printf("%s\n", driver::ControlText(main, 1102).c_str());
    else if (verb == "shot") return driver::SaveScreen(arg) ? 0 : 1;
    else if (verb == "ok") driver::PressOk(driver::WaitForVisible("#32770", arg.c_str()));
    else return 2;
    return 0;
}
