#pragma once

#include "platform/MsgBox.h"

// MessageBoxW, owned by the program's active window when it is visible.
class Win32MsgBox : public MsgBox {
public:
    void Show(const std::string& text, const std::string& title, int style) override;
};
