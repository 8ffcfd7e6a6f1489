#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MissionFiles.h"

// "m/d/yyyy", without leading zeros, always with "/".
std::string FormatMissionDate(std::chrono::year_month_day date);

// A date line rewritten for date: the text before "msnDate" kept, the new
// date in quotes, two blanks, then the rest of the line trimmed.
std::string NewDateLine(std::string_view line, std::chrono::year_month_day date);

// A whole mission file rewritten: every line holding "msnDate" gets the new
// date, other lines are kept; each line ends with CR LF afterwards.
std::string RewriteMission(std::string_view content, std::chrono::year_month_day date);

struct SortFailure {
    std::string file;
    std::string reason;
};

// The "Sort Missions" tool: re-dates the multiplayer missions below the lobby
// client's folder, one day apart from 2 January 1939 in the order of their
// upper-cased names. Returns the files it could not re-date; each of those
// keeps its old content.
class MissionSorter {
public:
    explicit MissionSorter(MissionFiles& files) : files_(files) {}

    static std::string MissionFolder(const std::string& lobbyPath);

    std::vector<SortFailure> Run(const std::string& lobbyPath);

    // Rewrites one mission through a flushed scratch copy that then replaces
    // it in one step. Returns an empty string or why it failed.
    std::string SetMissionDate(const std::string& path, std::chrono::year_month_day date);

private:
    // Scratch copies left by a run that stopped half-way: one beside its
    // mission may be incomplete and is dropped; one without its mission holds
    // the mission's complete new content (moved out for a rename) and goes
    // back in place, joining entries.
    void RecoverScratchFiles(const std::string& folder, std::vector<MissionEntry>& entries);

    MissionFiles& files_;
};

// The message that lists failed files, for the user.
std::string DescribeSortFailures(const std::vector<SortFailure>& failures);
