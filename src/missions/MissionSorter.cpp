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

SortReport MissionSorter::Run(const std::string& lobbyPath) {
    const std::string folder = MissionFolder(lobbyPath);
    std::vector<MissionEntry> entries;
    std::string error;
    SortReport report;
    switch (files_.List(folder, entries, error)) {
        case MissionFiles::ListStatus::NoFolder: return report;
        case MissionFiles::ListStatus::Failed:
            report.failures.push_back({folder, Message(Msg::SortCannotList, error), SortFate::KeptOld});
            return report;
        case MissionFiles::ListStatus::Listed: break;
    }

    RecoverScratchFiles(folder, entries, report);

    // Position 0 is unused: the table counts from 1. A link keeps its place
    // in the sequence but is never rewritten.
    std::vector<std::string> names(1), links;
    for (const MissionEntry& entry : entries) {
        if (!entry.plainFile || !EndsWithIgnoreCase(entry.name, ".mis")) continue;
        names.push_back(files_.UpperCaseName(entry.name));
        if (entry.link) links.push_back(names.back());
    }
    const auto n = static_cast<std::int32_t>(names.size() - 1);
    if (n > 0) QuickSort(names, 1, n);

    std::chrono::sys_days date = std::chrono::year{1939} / std::chrono::January / 1;
    for (std::int32_t k = 1; k <= n; ++k) {
        date += std::chrono::days{1};
        if (std::find(links.begin(), links.end(), names[k]) != links.end()) {
            report.failures.push_back({names[k], Message(Msg::SortLink), SortFate::Untouched});
            continue;
        }
        if (auto failure = SetMissionDate(folder + names[k], std::chrono::year_month_day{date})) {
            failure->file = names[k];
            report.failures.push_back(std::move(*failure));
        }
    }
    return report;
}

void MissionSorter::RecoverScratchFiles(const std::string& folder, std::vector<MissionEntry>& entries,
                                        SortReport& report) {
    std::vector<MissionEntry> restored;
    for (const MissionEntry& entry : entries) {
        if (!EndsWithIgnoreCase(entry.name, ".mis.tmp")) continue;
        const std::string mission = entry.name.substr(0, entry.name.size() - 4);
        // Anything of the mission's name, hidden or not, is the mission; names
        // compare as the file system compares them, letters beyond ASCII too.
        const std::string wanted = files_.UpperCaseName(mission);
        const bool present = std::any_of(entries.begin(), entries.end(), [&](const MissionEntry& other) {
            return files_.UpperCaseName(other.name) == wanted;
        });
        std::string error;
        if (present) {
            if (!files_.Remove(folder + entry.name, error))
                report.failures.push_back(
                    {entry.name, Message(Msg::SortCannotRemoveScratch, error), SortFate::ScratchLeft});
            continue;
        }
        if (files_.MoveNew(folder + entry.name, folder + wanted, error)) {
            restored.push_back({wanted, true});
            report.restored.push_back(wanted);
        } else {
            report.failures.push_back(
                {entry.name, Message(Msg::SortCannotPutBack, wanted, error), SortFate::ScratchLeft});
        }
    }
    entries.insert(entries.end(), restored.begin(), restored.end());
}

std::optional<SortFailure> MissionSorter::SetMissionDate(const std::string& path, std::chrono::year_month_day date) {
    const std::string scratch = path + ".tmp";
    // Whatever fails inside, a bad_alloc included, stays with this file.
    try {
        return Redate(path, scratch, date);
    } catch (const std::exception& e) {
        std::string ignored;
        files_.Remove(scratch, ignored);
        return SortFailure{{}, Message(Msg::SortCannotRedate, std::string(e.what())), SortFate::KeptOld};
    }
}

std::optional<SortFailure> MissionSorter::Redate(const std::string& path, const std::string& scratch,
                                                 std::chrono::year_month_day date) {
    const auto fail = [](Message reason, SortFate fate) { return SortFailure{{}, std::move(reason), fate}; };
    std::string content, error, ignored;
    FileFacts read;
    switch (files_.Read(path, kMaxMissionSize, content, read, error)) {
        case MissionFiles::ReadStatus::Failed: return fail(Message(Msg::SortCannotRead, error), SortFate::KeptOld);
        case MissionFiles::ReadStatus::TooLarge:
            return fail(Message(Msg::SortTooLarge, Int{kMaxMissionSize >> 20}), SortFate::Untouched);
        case MissionFiles::ReadStatus::Read: break;
    }
    if (read.links > 1) return fail(Message(Msg::SortHardLinks, Count{read.links}), SortFate::Untouched);
    if (content.find('\0') != std::string::npos) return fail(Message(Msg::SortNotText), SortFate::Untouched);

    const std::string scratchName = scratch.substr(scratch.rfind('\\') + 1);
    // The new content reaches the disk before it takes the mission's place,
    // so a power cut leaves the old file or the new one, never an empty one.
    if (!files_.Write(scratch, RewriteMission(content, date), error) || !files_.Flush(scratch, error)) {
        files_.Remove(scratch, ignored);
        return fail(Message(Msg::SortCannotWrite, scratchName, error), SortFate::KeptOld);
    }
    FileFacts now;
    if (!files_.Facts(path, now, error) || now != read) {
        files_.Remove(scratch, ignored);
        return fail(error.empty() ? Message(Msg::SortChangedMeanwhile) : Message(Msg::SortCannotCheck, error),
                    SortFate::Untouched);
    }
    switch (files_.Replace(scratch, path, error)) {
        case MissionFiles::ReplaceOutcome::Replaced: return std::nullopt;
        case MissionFiles::ReplaceOutcome::ReplacedKeepingName:
            return fail(Message(Msg::SortCannotUpperCase, error), SortFate::NameKept);
        case MissionFiles::ReplaceOutcome::Unchanged:
            files_.Remove(scratch, ignored);
            return fail(Message(Msg::SortCannotReplace, error), SortFate::KeptOld);
        case MissionFiles::ReplaceOutcome::OnlyScratch:
            // The scratch file is the only copy now: it stays.
            return fail(Message(Msg::SortCannotRename, error), SortFate::OnlyScratch);
    }
    return std::nullopt;
}

namespace {
Message FateOf(const SortFailure& f) {
    switch (f.fate) {
        case SortFate::KeptOld: return Message(Msg::SortKeptOld);
        case SortFate::NameKept: return Message(Msg::SortNameKept);
        case SortFate::OnlyScratch: return Message(Msg::SortOnlyScratch, f.file + ".tmp");
        case SortFate::Untouched:
        case SortFate::ScratchLeft: break;
    }
    return Message(Msg::SortLeftAsItIs);
}
}  // namespace

std::vector<Listing> DescribeSortReport(const SortReport& report) {
    std::vector<Listing> parts;
    if (!report.failures.empty()) {
        Listing& part = parts.emplace_back(Listing{Message(Msg::SortFailures, Count{std::ssize(report.failures)}), {}});
        for (const SortFailure& f : report.failures)
            part.items.emplace_back(Message(Msg::SortFailure, f.file, f.reason, FateOf(f)));
    }
    if (!report.restored.empty()) {
        Listing& part = parts.emplace_back(Listing{Message(Msg::SortRestored, Count{std::ssize(report.restored)}), {}});
        for (const std::string& name : report.restored) part.items.emplace_back(name);
    }
    return parts;
}
