#include "win32/Win32MsgBox.h"

#include <windows.h>

#include "win32/TextConversion.h"

static_assert(kMbOk == MB_OK && kMbIconExclamation == MB_ICONEXCLAMATION && kMbIconInformation == MB_ICONINFORMATION);

void Win32MsgBox::Show(const std::string& text, const std::string& title, int style) {
    HWND owner = GetActiveWindow();
    if (owner && !IsWindowVisible(owner)) owner = nullptr;
    MessageBoxW(owner, Wide(text, CP_UTF8).c_str(), Wide(title, CP_UTF8).c_str(), static_cast<UINT>(style));
}
