#include "win32/ActiveForm.h"

namespace {
HWND activeForm = nullptr;
}

bool ActiveForm::Activated(HWND form) {
    if (activeForm == form) return false;
    activeForm = form;
    return true;
}

void ActiveForm::Left(HWND form) {
    if (activeForm == form) activeForm = nullptr;
}
