#include "missions/MissionSorter.h"

#include <algorithm>

#include "common/GetFolder.h"
#include "common/Text.h"
#include "missions/Global.h"

namespace {
constexpr std::string_view kKeyword = "msnDate";
constexpr std::size_t kDateField = 20;  // msnDate, a blank, and a quoted ten-character date

// Where the date field ends: after its closing quote when the keyword is
// followed by a blank and a quoted date, else after the fixed-width field.
std::size_t TailStart(std::string_view line, std::size_t keyword) {
    const std::size_t open = keyword + kKeyword.size() + 1;
    if (open < line.size() && line[open - 1] == ' ' && line[open] == '"') {
        const std::size_t close = line.find('"', open + 1);
        if (close != std::string_view::npos) return close + 1;
    }
    return std::min(line.size(), keyword + kDateField);
}
}  // namespace

std::string FormatMissionDate(std::chrono::year_month_day date) {
    return std::to_string(static_cast<unsigned>(date.month())) + "/" +
           std::to_string(static_cast<unsigned>(date.day())) + "/" + std::to_string(static_cast<int>(date.year()));
}

std::string NewDateLine(std::string_view line, std::chrono::year_month_day date) {
    const std::size_t keyword = line.find(kKeyword);
    std::string out(line.substr(0, keyword));
    out += "msnDate \"";
    out += FormatMissionDate(date);
    out += "\"  ";
    out += TrimBlanks(line.substr(TailStart(line, keyword)));
    return out;
}

std::string RewriteMission(std::string_view content, std::chrono::year_month_day date) {
    std::string out;
    out.reserve(content.size() + content.size() / 16 + 64);
    std::size_t at = 0;
    while (at < content.size()) {
        // CR LF, a bare CR and a bare LF each end a line.
        const std::size_t end = content.find_first_of("\r\n", at);
        const std::string_view line =
            content.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        if (line.find(kKeyword) != std::string_view::npos)
            out += NewDateLine(line, date);
        else
            out += line;
        out += "\r\n";
        if (end == std::string_view::npos) break;
        at = end + 1;
        if (content[end] == '\r' && at < content.size() && content[at] == '\n') ++at;
    }
    return out;
}

std::string MissionSorter::MissionFolder(const std::string& lobbyPath) {
    return GetFolder(lobbyPath) + "Media\\Missions\\Multiplayer\\";
}

std::vector<SortFailure> MissionSorter::Run(const std::string& lobbyPath) {
    const std::string folder = MissionFolder(lobbyPath);
    std::vector<MissionEntry> entries;
    std::string error;
    switch (files_.List(folder, entries, error)) {
        case MissionFiles::ListStatus::NoFolder: return {};
        case MissionFiles::ListStatus::Failed: return {{folder, error}};
        case MissionFiles::ListStatus::Listed: break;
    }

    RecoverScratchFiles(folder, entries);

    // Position 0 is unused: the table counts from 1.
    std::vector<std::string> names(1);
    for (const MissionEntry& entry : entries) {
        if (entry.plainFile && EndsWithIgnoreCase(entry.name, ".mis")) names.push_back(ToUpperAscii(entry.name));
    }
    const auto n = static_cast<std::int32_t>(names.size() - 1);
    if (n > 0) QuickSort(names, 1, n);

    std::vector<SortFailure> failures;
    std::chrono::sys_days date = std::chrono::year{1939} / std::chrono::January / 1;
    for (std::int32_t k = 1; k <= n; ++k) {
        date += std::chrono::days{1};
        std::string why = SetMissionDate(folder + names[k], std::chrono::year_month_day{date});
        if (!why.empty()) failures.push_back({names[k], std::move(why)});
    }
    return failures;
}

void MissionSorter::RecoverScratchFiles(const std::string& folder, std::vector<MissionEntry>& entries) {
    std::vector<MissionEntry> recovered;
    for (const MissionEntry& entry : entries) {
        if (!entry.plainFile || !EndsWithIgnoreCase(entry.name, ".mis.tmp")) continue;
        const std::string mission = entry.name.substr(0, entry.name.size() - 4);
        const bool present = std::any_of(entries.begin(), entries.end(), [&](const MissionEntry& other) {
            return other.plainFile && EqualsIgnoreCase(other.name, mission);
        });
        std::string ignored;
        if (present) {
            files_.Remove(folder + entry.name, ignored);
        } else if (files_.Replace(folder + entry.name, folder + ToUpperAscii(mission), ignored)) {
            recovered.push_back({ToUpperAscii(mission), true});
        }
    }
    entries.insert(entries.end(), recovered.begin(), recovered.end());
}

std::string MissionSorter::SetMissionDate(const std::string& path, std::chrono::year_month_day date) {
    std::string content, error;
    if (!files_.Read(path, content, error)) return "could not read it: " + error;
    const std::string scratch = path + ".tmp";
    std::string ignored;
    if (!files_.WriteDurably(scratch, RewriteMission(content, date), error)) {
        files_.Remove(scratch, ignored);
        return "could not write " + scratch.substr(scratch.rfind('\\') + 1) + ": " + error;
    }
    if (!files_.Replace(scratch, path, error)) {
        files_.Remove(scratch, ignored);
        return "could not replace it: " + error;
    }
    return {};
}

std::string DescribeSortFailures(const std::vector<SortFailure>& failures) {
    std::string text = "Sort Missions could not re-date these mission files; each keeps its old content:\r\n";
    for (const SortFailure& f : failures) text += "\r\n" + f.file + ": " + f.reason;
    return text;
}
