#include "settings/RunValue.h"

#include "common/Text.h"
#include "settings/Settings.h"

std::string CommandProgram(std::string_view command) {
    command = TrimLeadingBlanks(command);
    if (!command.empty() && command.front() == '"') {
        command.remove_prefix(1);
        return std::string(command.substr(0, command.find('"')));
    }
    // Unquoted, Windows takes a path with blanks up to its program's ".exe".
    for (std::size_t at = 0; (at = command.find('.', at)) != std::string_view::npos; ++at) {
        const std::size_t end = at + 4;
        if (EqualsIgnoreCase(command.substr(at, 4), ".exe") &&
            (end == command.size() || command[end] == ' ' || command[end] == '\t'))
            return std::string(command.substr(0, end));
    }
    return std::string(command.substr(0, command.find_first_of(" \t")));
}

bool StartsSameProgram(std::string_view command, std::string_view startCommand) {
    if (startCommand.size() < 2 || startCommand.front() != '"') return false;
    const std::size_t close = startCommand.find('"', 1);
    if (close == std::string_view::npos) return false;
    const std::string_view quotedProgram = startCommand.substr(0, close + 1);
    return EqualsIgnoreCase(command.substr(0, quotedProgram.size()), quotedProgram);
}

RunValue ReadRunValue(mdRegistry& store, std::string_view startCommand) {
    RunValue value;
    const long status = store.FetchText(Settings::kRunKeyPath, Settings::kRunValueName, value.command);
    if (status == kRegFileNotFound) return value;
    if (status != 0) {
        value.owner = RunOwner::Unreadable;
    } else if (!value.command.empty()) {
        value.owner = StartsSameProgram(value.command, startCommand) ? RunOwner::ThisCopy : RunOwner::OtherCopy;
    }
    return value;
}
