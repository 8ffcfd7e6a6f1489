// Speed of the things that run often or on much data: reading a large status
// page, sorting a full mission folder, an idle tick, the player history's
// 90 days read and worked out for the History window, and a text written in
// a translation. Each comes with a floor or an aim to compare against.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "FakeMonitor.h"
#include "StdMissionFiles.h"
#include "common/Text.h"
#include "history/HistoryChart.h"
#include "history/HistoryFigures.h"
#include "history/HistoryReadout.h"
#include "missions/MissionSorter.h"
#include "status/FetchFailure.h"
#include "status/Scanner.h"
#include "text/Languages.h"

namespace fs = std::filesystem;

namespace {

// 4 MiB of table rows with the game's listing near the end.
const std::string& BigPage() {
    static const std::string page = [] {
        std::string p;
        const std::string row =
            "<tr><td><font face=Verdana>Other&nbsp;Game</font></td><td><font face=Verdana>3</font></td></tr>\n";
        while (p.size() + row.size() < (4u << 20) - 256) p += row;
        p += "<tr><td><font face=Verdana>Drevak&nbsp;Wing</font></td><td><font face=Verdana>14</font></td></tr>";
        return p;
    }();
    return page;
}

void BM_ReadStatusPage(benchmark::State& state) {
    std::optional<Message> failure;
    for (auto _ : state) benchmark::DoNotOptimize(Scanner::ReadPage(BigPage(), failure));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(BigPage().size()));
}
BENCHMARK(BM_ReadStatusPage);

// The floor: the same two searches with std::string_view::find alone.
void BM_FindMarkersFloor(benchmark::State& state) {
    const std::string_view page = BigPage();
    for (auto _ : state) {
        const auto title = page.find(Scanner::kTitleMarker);
        benchmark::DoNotOptimize(page.find(Scanner::kCountMarker, title));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(BigPage().size()));
}
BENCHMARK(BM_FindMarkersFloor);

// 999 missions of 30 KB each in a lobby folder under the temp folder.
struct MissionFolder {
    fs::path root = fs::temp_directory_path() / "wendrel-bench" / std::to_string(::getpid());
    fs::path missions = root / "Media" / "Missions" / "Multiplayer";
    fs::path copy = root / "copy";

    MissionFolder() {
        fs::remove_all(root);
        fs::create_directories(missions);
        fs::create_directories(copy);
        std::string body = "[MAIN]\r\n  msnDate \"5/5/1940\" // bench\r\n";
        while (body.size() < 30 * 1024) body += "  Plane 12 34 56 Spitfire_Mk1 Red 1 0 0 0\r\n";
        for (int i = 0; i < 999; ++i) {
            std::string name = "M";  // built in steps: GCC 12 warns falsely on a chain of + here
            name += std::to_string(1000 + i);
            name += ".MIS";
            std::ofstream(missions / name, std::ios::binary) << body;
        }
    }
    ~MissionFolder() { fs::remove_all(root); }
    std::string LobbyPath() const {
        std::string p = (root / "qlpro.exe").string();
        for (char& c : p)
            if (c == '/') c = '\\';
        return p;
    }
};

MissionFolder& Folder() {
    static MissionFolder folder;
    return folder;
}

void BM_SortMissions999(benchmark::State& state) {
    StdMissionFiles files;
    MissionSorter sorter(files);
    const std::string lobby = Folder().LobbyPath();
    for (auto _ : state) benchmark::DoNotOptimize(sorter.Run(lobby).failures.size());
}
BENCHMARK(BM_SortMissions999)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The floor: copying the same folder (without flushing to disk).
void BM_CopyMissionFolderFloor(benchmark::State& state) {
    for (auto _ : state) {
        for (const auto& entry : fs::directory_iterator(Folder().missions))
            fs::copy_file(entry.path(), Folder().copy / entry.path().filename(), fs::copy_options::overwrite_existing);
    }
}
BENCHMARK(BM_CopyMissionFolderFloor)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// A tick that neither rescans nor flashes: what the program costs while idle.
void BM_IdleTick(benchmark::State& state) {
    FakeWorld world;
    world.inet.ServePage(StatusPage("0"));
    frmWendrel form{world.Deps()};
    form.Form_Initialize();
    form.Form_Load();
    form.ApplySettings({INT32_MAX, 2, "Flyover.wav"});  // never due
    for (auto _ : state) form.Timer1_Timer();
}
BENCHMARK(BM_IdleTick);

// 90 days of one record a minute, as the file holds them.
const std::string& FullHistory() {
    static const std::string text = [] {
        std::vector<HistoryRecord> records;
        const std::int64_t now = 1796677445;
        for (std::int64_t t = now - 90 * 86400; t < now; t += 60)
            records.push_back({t, (t / 3600) % 97 == 0 ? std::nullopt : std::optional<std::int32_t>(t / 60 % 23)});
        return FormatHistory(records);
    }();
    return text;
}

// Central Europe: an hour ahead of UTC, two in summer; the 90 days take in
// the night of 25 October 2026, when the clocks go back.
int Zone(std::int64_t utc) { return utc >= 1774746000 && utc < 1792890000 ? 120 : 60; }

// What opening the History window costs: the file read and the figures
// worked out. The aim: under 100 ms.
void BM_HistoryLoadAndFigures(benchmark::State& state) {
    const UtcOffset offset = Zone;
    for (auto _ : state) {
        const ParsedHistory parsed = ParseHistory(FullHistory());
        benchmark::DoNotOptimize(WorkOutPictures(parsed.records, 1796677445, offset, 6, 5, EnglishTexts()));
    }
    state.counters["records"] = static_cast<double>(ParseHistory(FullHistory()).records.size());
}
BENCHMARK(BM_HistoryLoadAndFigures)->Unit(benchmark::kMillisecond);

// Laying out both pictures of a full history (the drawing itself is
// measured under Wine: make bench runs wendrel_paint_bench.exe too).
void BM_HistoryLayOut(benchmark::State& state) {
    const HistoryPictures pictures =
        WorkOutPictures(ParseHistory(FullHistory()).records, 1796677445, Zone, 6, 5, EnglishTexts());
    for (auto _ : state) benchmark::DoNotOptimize(LayOutHistory(pictures, 700, 520, {7, 13}));
}
BENCHMARK(BM_HistoryLayOut)->Unit(benchmark::kMicrosecond);

// Finding the record or cell under the pointer, across the window (aim: under 50 us).
void BM_HistoryHitTest(benchmark::State& state) {
    const HistoryPictures pictures =
        WorkOutPictures(ParseHistory(FullHistory()).records, 1796677445, Zone, 6, 5, EnglishTexts());
    const HistoryPlan plan = PlanHistory(pictures, 700, 520, {7, 13});
    int x = 0;
    for (auto _ : state) {
        x = (x + 37) % 700;
        benchmark::DoNotOptimize(ItemAt(plan, pictures, x, x % 520));
    }
}
BENCHMARK(BM_HistoryHitTest)->Unit(benchmark::kMicrosecond);

// A text looked up in a translation and written with its values, as the
// status line and the History window's readout are at each change: it
// should cost nothing beside drawing it (the History window's paint, make
// bench's last line, takes milliseconds).
Texts TextsIn(const char* code) {
    static const InvariantFormat format;
    return Texts(format, *FindLanguage(code));
}

// The longest status line: a failure in nested messages, each value written
// in the language's way.
void BM_StatusLineText(benchmark::State& state, const char* code) {
    const Texts texts = TextsIn(code);
    const Message failure = FetchFailureMessage(
        {.kind = FetchFailure::Kind::HttpStatus, .host = "status.quellan.example", .status = 503, .wait = 120});
    for (auto _ : state)
        benchmark::DoNotOptimize(texts(
            Message(Msg::StatusFailedRetry, TimeOfDay{21, 4, 5}, failure, DurationMessage(std::chrono::seconds(120)))));
}
BENCHMARK_CAPTURE(BM_StatusLineText, ru, "ru")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StatusLineText, hu, "hu")->Unit(benchmark::kMicrosecond);

// The readout of each hour of the week in turn, as the cursor moves over it.
void BM_WeekReadoutText(benchmark::State& state, const char* code) {
    const Texts texts = TextsIn(code);
    const HistoryPictures pictures =
        WorkOutPictures(ParseHistory(FullHistory()).records, 1796677445, Zone, 6, 5, texts);
    int cell = 0;
    for (auto _ : state) {
        cell = (cell + 1) % (7 * 24);
        benchmark::DoNotOptimize(
            texts(Readout(pictures, {.picture = Picture::Week, .row = cell / 24, .hour = cell % 24})));
    }
}
BENCHMARK_CAPTURE(BM_WeekReadoutText, ru, "ru")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_WeekReadoutText, hu, "hu")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
