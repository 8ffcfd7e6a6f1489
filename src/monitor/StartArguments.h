#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "text/Message.h"

// What the command line asks of the program.
struct StartArguments {
    std::string statusUrl;  // the default page when empty
    std::string logFile;
    std::string historyFile;  // the default place when empty
    std::string language;     // a catalogue's code, in place of Options' choice; empty when not given
    std::optional<std::chrono::milliseconds> timeout;
    std::vector<std::string> startOptions;  // --status-url and --timeout as given: "Start with Windows" keeps them
    bool help = false;                      // --help, -h or /?
    std::optional<Message> error;           // what is wrong, when the arguments cannot be used
};

// The options and what each does, for --help.
Message Usage();
// What --help shows, or what is wrong with the arguments and the options;
// none when the program is to start.
std::optional<Message> ArgumentsAnswer(const StartArguments& args);

// Reads the arguments after the program's name.
StartArguments ParseStartArguments(const std::vector<std::string>& arguments);
