#pragma once

#include <string>

// Message box styles the program uses (the Windows MB_ values).
inline constexpr int kMbOk = 0;
inline constexpr int kMbIconExclamation = 0x30;
inline constexpr int kMbIconInformation = 0x40;

// A modal message box, owned by the program's active window.
class MsgBox {
public:
    virtual ~MsgBox() = default;
    virtual void Show(const std::string& text, const std::string& title, int style) = 0;
};
