#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "text/Message.h"

// Why a call failed, for a player: the program's own words for a WinINet
// error (a Net message of the catalogue), else Windows' text, without its
// trailing line break, in the language whose catalogue code is language
// ("de"; none or one Windows lacks: Windows' own choice); a Net message
// with the number when Windows has no text.
Arg ErrorWords(DWORD code, std::string_view language = {});

// The same as plain text, in English where the words are the program's.
std::string SystemErrorText(DWORD code);

// Puts the text of GetLastError() into error and returns false, for the
// interfaces that report a failure as false with the system's text.
bool FailWithLastError(std::string& error);
