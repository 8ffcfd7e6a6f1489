#pragma once

#include <string>
#include <string_view>

#include "settings/mdRegistry.h"

// Whom the Run value "Wendrel" starts when the user logs on.
enum class RunOwner {
    None,        // there is no such value, or it is empty
    ThisCopy,    // this program, at this path
    OtherCopy,   // another program, another copy of Wendrel say
    Unreadable,  // a value that cannot be read as a command
};

struct RunValue {
    RunOwner owner = RunOwner::None;
    std::string command;  // the value, when it could be read
};

// The program a command line starts: its first argument inside its quotes;
// unquoted, up to the first ".exe" that a blank or the end follows, else
// up to the first blank.
std::string CommandProgram(std::string_view command);

// Whether command starts the program that startCommand starts (this copy's
// command, its program in quotes): as the setup decides it, when command
// begins with that quoted program, its letters compared without case.
bool StartsSameProgram(std::string_view command, std::string_view startCommand);

// The Run value as it is now, against this copy's start command.
RunValue ReadRunValue(mdRegistry& store, std::string_view startCommand);
