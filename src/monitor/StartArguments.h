#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// What the command line asks of the program.
struct StartArguments {
    std::string statusUrl;  // the default page when empty
    std::string logFile;
    std::string historyFile;  // the default place when empty
    std::string language;     // a catalogue's code, in place of Options' choice; empty when not given
    std::optional<std::chrono::milliseconds> timeout;
    std::vector<std::string> startOptions;  // --status-url and --timeout as given: "Start with Windows" keeps them
    bool help = false;                      // --help, -h or /?
    std::string error;                      // set when the arguments cannot be used
};

extern const char* const kUsage;

// Reads the arguments after the program's name.
StartArguments ParseStartArguments(const std::vector<std::string>& arguments);
