#pragma once

#include <windows.h>

// Which of the program's forms (main window, Options) was last active.
// Message boxes, file dialogs and other programs are not forms: moving to
// them and back does not make a form "become active" again.
namespace ActiveForm {
// Records that form was activated; true when it was not the active form before.
bool Activated(HWND form);
// Forgets form when it is hidden or destroyed.
void Left(HWND form);
}  // namespace ActiveForm
