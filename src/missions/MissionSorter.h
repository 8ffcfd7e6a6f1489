#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MissionFiles.h"
#include "text/Listing.h"

// "m/d/yyyy", without leading zeros, always with "/".
std::string FormatMissionDate(std::chrono::year_month_day date);

// A date line rewritten for date: the text before "msnDate" kept, the new
// date in quotes, two blanks, then the rest of the line trimmed.
std::string NewDateLine(std::string_view line, std::chrono::year_month_day date);

// A whole mission file rewritten: every line holding "msnDate" gets the new
// date, other lines are kept; each line ends with CR LF afterwards.
std::string RewriteMission(std::string_view content, std::chrono::year_month_day date);

// What became of a mission file the sorter could not re-date.
enum class SortFate {
    KeptOld,      // it keeps its old content
    Untouched,    // it was left alone on purpose (not text, too large, a link, changed meanwhile)
    NameKept,     // it has its new date, but its name kept its letter case
    OnlyScratch,  // its new content is only under its scratch name, until the next run
    ScratchLeft,  // a scratch file of an earlier run that could not be resolved
};

struct SortFailure {
    std::string file;
    Message reason;  // one of the Sort messages: why it was not re-dated
    SortFate fate = SortFate::KeptOld;
};

// What a run has to tell: the files it could not re-date, and the missions
// it put back from the scratch copies an interrupted run had left.
struct SortReport {
    std::vector<SortFailure> failures;
    std::vector<std::string> restored;
    bool empty() const { return failures.empty() && restored.empty(); }
};

// The "Sort Missions" tool: re-dates the multiplayer missions below the lobby
// client's folder, one day apart from 2 January 1939 in the order of their
// upper-cased names. Each file is read whole, rewritten to a scratch copy
// that is flushed to disk, and put in place in one step; a file is never left
// half-written, and whatever goes wrong with one file stays with that file.
class MissionSorter {
public:
    // Larger files are not missions: left alone, they keep the rest of the
    // run's memory bounded.
    static constexpr std::size_t kMaxMissionSize = 64u << 20;

    explicit MissionSorter(MissionFiles& files) : files_(files) {}

    static std::string MissionFolder(const std::string& lobbyPath);

    SortReport Run(const std::string& lobbyPath);

    // Rewrites one mission. Returns nothing, or why it failed and what
    // became of the file.
    std::optional<SortFailure> SetMissionDate(const std::string& path, std::chrono::year_month_day date);

private:
    // Scratch copies left by a run that stopped half-way: one beside its
    // mission may be incomplete and is dropped; one without its mission holds
    // the mission's complete new content and goes back in place, joining
    // entries. Neither ever replaces a file.
    void RecoverScratchFiles(const std::string& folder, std::vector<MissionEntry>& entries, SortReport& report);
    std::optional<SortFailure> Redate(const std::string& path, const std::string& scratch,
                                      std::chrono::year_month_day date);

    MissionFiles& files_;
};

// The message for the player: each file not re-dated, why, and what became of
// it; then the missions put back from their scratch copies. None for a run
// without either.
std::vector<Listing> DescribeSortReport(const SortReport& report);
