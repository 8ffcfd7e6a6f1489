// The player history on any bytes as its file: loaded at a moment, scans and
// stops added (some while the file cannot be written), the figures and both
// pictures laid out at a size, in a zone and with a threshold from the input.
// It holds that the file reads back as the records in memory, in time order;
// that no line it could not read is lost (each is in the .bad file) and no
// record either (each is kept, in the .bak file, or older than 90 days on a
// clock the file does not contradict); that the week's hours are those of
// the zone at each record; that the layout ends within the window; and that
// a reminder comes only within its lead before a busy span, once a span.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FakeMonitor.h"
#include "MemoryHistoryFile.h"
#include "history/HistoryChart.h"
#include "history/HistoryReadout.h"
#include "history/PlayerHistory.h"
#include "monitor/BusySoon.h"

namespace {

constexpr std::int64_t kHour = 3600, kDay = 86400;
constexpr std::int64_t kBase = 1796677445;  // 2026-12-07 21:04:05 UTC

void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz_history: %s\n", what);
    std::abort();
}

bool InTimeOrder(const std::vector<HistoryRecord>& records) {
    return std::is_sorted(records.begin(), records.end(),
                          [](const HistoryRecord& a, const HistoryRecord& b) { return a.time < b.time; });
}

void CheckLoad(const std::string& original, const MemoryHistoryFile& file, const PlayerHistory& history,
               std::int64_t now) {
    const ParsedHistory before = ParseHistory(original);
    const auto beside = [&](const char* suffix) {
        const auto it = file.beside.find(suffix);
        return it == file.beside.end() ? std::string() : it->second;
    };
    const ParsedHistory setAside = ParseHistory(beside(".bad"));
    Check(setAside.records.empty() && setAside.unreadable == before.unreadable, "an unreadable line was lost");
    // What a start keeps is the newest records, as they were.
    const std::vector<HistoryRecord>& kept = history.Records();
    Check(kept.size() <= before.records.size() &&
              std::equal(kept.begin(), kept.end(), before.records.end() - static_cast<std::ptrdiff_t>(kept.size())),
          "the start kept other than the newest records");
    const std::size_t dropped = before.records.size() - kept.size();
    if (dropped * 10 > before.records.size())
        Check(beside(".bak") == original, "many records dropped without a backup");
    const std::int64_t newest = before.records.empty() ? now : before.records.back().time;
    for (std::size_t i = 0; i < dropped; ++i)
        Check(before.records[i].time < std::min(now, newest) - PlayerHistory::kKeepSeconds,
              "a record of the last 90 days was dropped");
}

// The week worked out one record at a time, asking the zone at each.
void CheckWeek(const std::vector<HistoryRecord>& records, const UtcOffset& zone, int firstDay, std::int32_t threshold) {
    const TypicalWeek week = ComputeTypicalWeek(records, zone, firstDay, threshold);
    TypicalWeek each;
    for (const HistoryRecord& r : records) {
        if (!r.players) continue;
        const CivilTime local = ToCivil(r.time + zone(r.time) * 60);
        ++each.cells[(local.weekday - firstDay + 7) % 7][local.hour].count;
    }
    for (int row = 0; row < 7; ++row)
        for (int hour = 0; hour < 24; ++hour)
            Check(week.cells[row][hour].count == each.cells[row][hour].count, "a record in the wrong hour");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::int64_t now = kBase + in.ConsumeIntegralInRange<std::int64_t>(-400 * kDay, 400 * kDay);
    const std::int32_t threshold = in.ConsumeIntegral<std::int32_t>();
    // A zone whose offset changes once, at any second of the last two days.
    const int before = in.ConsumeIntegralInRange(-14 * 60, 14 * 60),
              after = in.ConsumeIntegralInRange(-14 * 60, 14 * 60);
    const std::int64_t change = now - in.ConsumeIntegralInRange<std::int64_t>(0, 2 * kDay);
    const UtcOffset zone = [=](std::int64_t utc) { return utc < change ? before : after; };
    const int firstDay = in.ConsumeIntegralInRange(0, 6);
    const TextMetrics text{in.ConsumeIntegralInRange(4, 16), in.ConsumeIntegralInRange(10, 32)};
    const int width = in.ConsumeIntegralInRange(64 * text.charWidth, 4000);
    const int height = in.ConsumeIntegralInRange(22 * text.lineHeight, 3000);
    struct Step {
        std::int64_t at;
        std::int32_t players;
        bool stop, failed, unwritable;
    };
    std::vector<Step> steps(in.ConsumeIntegralInRange(0, 8));
    for (Step& s : steps) {
        s.at = now + in.ConsumeIntegralInRange<std::int64_t>(-2 * kDay, kHour);
        s.players = in.ConsumeIntegralInRange<std::int32_t>(0, INT32_MAX);
        const std::uint8_t kind = in.ConsumeIntegral<std::uint8_t>();
        s.stop = kind & 1;
        s.failed = kind & 2;
        s.unwritable = kind & 4;
    }

    MemoryHistoryFile file;
    file.text = in.ConsumeRemainingBytesAsString();
    const std::string original = file.text;
    PlayerHistory history(file);
    history.Load(now);
    CheckLoad(original, file, history, now);
    Check(InTimeOrder(history.Records()), "out of time order after the start");
    Check(ParseHistory(file.text).records == history.Records() && ParseHistory(file.text).unreadable.empty(),
          "the file does not read back after the start");

    for (const Step& s : steps) {
        file.failAppend = s.unwritable;
        if (s.stop)
            history.MarkStopped(s.at);
        else
            history.Add(s.at, s.failed ? std::nullopt : std::optional<std::int32_t>(s.players));
        Check(InTimeOrder(history.Records()), "out of time order");
    }
    // The next write that works puts in all that waited.
    file.failAppend = false;
    for (std::int64_t t = now + 2 * kHour; !history.Add(t, 1);) t += 60;
    Check(ParseHistory(file.text).records == history.Records(), "the file does not read back");

    CheckWeek(history.Records(), zone, firstDay, threshold);
    const HistoryPictures pictures = WorkOutPictures(history.Records(), now, zone, firstDay, threshold);
    for (const Shape& s : LayOutHistory(pictures, width, height, text))
        Check(std::min(s.x1, s.x2) >= 0 && std::max(s.x1, s.x2) <= width && std::min(s.y1, s.y2) >= 0 &&
                  std::max(s.y1, s.y2) <= height,
              "a shape outside the window");
    // Whatever the pointer or the keys point at reads out, inside the picture's records.
    const HistoryPlan plan = PlanHistory(pictures, width, height, text);
    HistoryItem item = ItemAt(plan, pictures, static_cast<int>(now % (width + 1)), static_cast<int>(now / 7 % (height + 1)));
    for (CursorKey key : {CursorKey::End, CursorKey::Left, CursorKey::Up, CursorKey::Home, CursorKey::Right}) {
        Check(item.picture != Picture::Day || item.record < pictures.day.records.size(), "a cursor past the records");
        Check(!Readout(pictures, item).empty(), "an empty readout");
        item = MoveCursor(item, key, pictures);
    }
    Check(!Describe(Picture::Day, pictures).empty() && !Describe(Picture::Week, pictures).empty(), "no description");

    // Over the next week, a reminder comes only within its lead before its span, and once a span.
    FakeClock clock;
    clock.offsetMinutes = after;
    clock.firstDay = firstDay;
    BusySoon busySoon;
    std::optional<std::int64_t> reminded;
    for (std::int64_t t = now; t < now + 8 * kDay; t += 600) {
        const auto span = busySoon.Due(history.Records(), t, clock, threshold);
        if (!span) continue;
        Check(t >= span->start - BusyReminder::kLead && t < span->start, "a reminder outside its lead");
        Check(span->start != reminded, "a span reminded of twice");
        reminded = span->start;
    }
    return 0;
}
