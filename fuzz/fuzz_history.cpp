// The player history on any bytes as its file, over several starts whose
// clocks jump ahead and back, with scans and stops between them (some while
// the file cannot be read, written or rewritten), then the figures and both
// pictures laid out at a size, in a zone, a clock and a language from the
// input. It holds that no record the program once had in a file leaves
// every file (the history, its .bak, its .bad) unless it is older than 90
// days by a clock the program has seen; that the .bak file is only ever
// added to, and the .bad file gets each unreadable line once; that a start
// keeps the newest records, and one that takes out more than a tenth has them
// in the .bak file; that records far ahead of the rest do not make a start
// drop any other record; that the file reads back as the records in memory
// once it could be written; that the week's hours are those of the zone at
// each record; that the layout ends within the window, every label written
// and none over another; and that a reminder comes only within its lead
// before a busy span, once a span.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "FakeMonitor.h"
#include "MemoryHistoryFile.h"
#include "history/HistoryChart.h"
#include "history/HistoryReadout.h"
#include "history/PlayerHistory.h"
#include "monitor/BusySoon.h"

namespace {

constexpr std::int64_t kDay = 86400;
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

std::string Beside(const MemoryHistoryFile& file, const char* suffix) {
    const auto it = file.beside.find(suffix);
    return it == file.beside.end() ? std::string() : it->second;
}

// How often each record (or line) is there.
std::map<std::string, int> Tally(const std::vector<HistoryRecord>& records) {
    std::map<std::string, int> tally;
    for (const HistoryRecord& r : records) ++tally[FormatRecord(r)];
    return tally;
}
std::map<std::string, int> Tally(const std::vector<std::string>& lines) {
    std::map<std::string, int> tally;
    for (const std::string& line : lines) ++tally[line];
    return tally;
}

// What the files hold and held, and the clocks the program was shown.
class Witness {
public:
    Witness(const MemoryHistoryFile& file, const std::string& original)
        : file_(file), unreadable_(Tally(ParseHistory(original).unreadable)) {}

    void Saw(std::int64_t clock) { latest_ = std::max(latest_, clock); }

    // After each step: nothing lost, .bak only added to, .bad lines once.
    void Look() {
        const std::string backup = Beside(file_, ".bak");
        Check(backup.compare(0, backup_.size(), backup_) == 0, "the .bak file was not only added to");
        backup_ = backup;
        const ParsedHistory now = ParseHistory(file_.text), copies = ParseHistory(backup);
        std::map<std::string, int> there = Tally(now.records);
        for (const auto& [line, n] : Tally(copies.records)) there[line] += n;
        for (const auto& [line, r] : everInFile_)
            Check(there.count(line) || r < latest_ - PlayerHistory::kKeepSeconds,
                  "a record of the last 90 days left every file");
        for (const auto& [line, n] : there)
            if (!everInFile_.count(line)) everInFile_.emplace(line, ParseRecord(line)->time);
        const ParsedHistory bad = ParseHistory(Beside(file_, ".bad"));
        const std::map<std::string, int> inBad = Tally(bad.unreadable), inFile = Tally(now.unreadable);
        for (const auto& [line, n] : inBad)
            Check(unreadable_.count(line) && n <= unreadable_.at(line), "a line went to .bad twice");
        for (const auto& [line, n] : unreadable_)
            Check(inFile.count(line) || inBad.count(line), "an unreadable line was lost");
    }

private:
    const MemoryHistoryFile& file_;
    std::map<std::string, int> unreadable_;           // the lines of the first file it could not read
    std::map<std::string, std::int64_t> everInFile_;  // each record once in a file, and its time
    std::string backup_;
    std::int64_t latest_ = INT64_MIN;  // the latest clock seen
};

// A start of before's text at now: it keeps the newest records as they were;
// one that takes out more than a tenth of them has them in the .bak file.
void CheckStart(const ParsedHistory& before, const MemoryHistoryFile& file, const PlayerHistory& history) {
    const std::vector<HistoryRecord>& kept = history.Records();
    Check(kept.size() <= before.records.size() &&
              std::equal(kept.begin(), kept.end(), before.records.end() - static_cast<std::ptrdiff_t>(kept.size())),
          "the start kept other than the newest records");
    std::map<std::string, int> left = Tally(before.records), copies = Tally(ParseHistory(Beside(file, ".bak")).records);
    std::size_t taken = before.records.size();
    for (const HistoryRecord& r : ParseHistory(file.text).records)
        if (left[FormatRecord(r)]-- > 0) --taken;
    if (taken * 10 <= before.records.size()) return;
    for (const auto& [line, n] : left) Check(n <= 0 || copies[line] >= n, "many records taken out without a copy");
}

// Records far ahead of the rest (after a gap of more than a day, fewer than
// a tenth of all) make a start drop none of the rest that the rest's newest
// record and now would keep.
void CheckAheadDecidesNothing(const std::string& original, std::int64_t now, std::int64_t aheadBy) {
    const ParsedHistory rest = ParseHistory(original);
    const std::size_t n = rest.records.size();
    if (n < 10) return;
    const std::int64_t newest = rest.records.back().time;
    std::string text = original.empty() || original.back() == '\n' ? original : original + "\n";
    for (std::size_t i = 0; i < (n - 1) / 9; ++i)
        text +=
            FormatRecord({newest + PlayerHistory::kLargeGap + aheadBy + static_cast<std::int64_t>(i) * 60, 1}) + "\r\n";
    MemoryHistoryFile file;
    file.text = text;
    PlayerHistory history(file);
    history.Load(now);
    std::map<std::string, int> kept = Tally(history.Records());
    for (const HistoryRecord& r : rest.records)
        if (r.time >= std::min(now, newest) - PlayerHistory::kKeepSeconds)
            Check(kept[FormatRecord(r)]-- > 0, "records far ahead made a start drop the rest's");
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

// Times on a 12-hour clock and long day names: labels longer than English's.
class LongLabels : public InvariantFormat {
public:
    std::string Time(int hour, int minute, int second) const override {
        return InvariantFormat::Time(hour % 12 ? hour % 12 : 12, minute, second) + (hour < 12 ? " vorm." : " nachm.");
    }
    std::string DayName(int weekday, bool, std::string_view) const override {
        return std::string("Donnerstagabend").substr(0, 3 + weekday * 2);
    }
    std::string Integer(std::int64_t value) const override {
        std::string digits = InvariantFormat::Integer(value);
        for (auto at = digits.size(); at > 3 && std::isdigit(static_cast<unsigned char>(digits[at - 4])); at -= 3)
            digits.insert(at - 3, "\xC2\xA0");
        return digits;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::int64_t base = kBase + in.ConsumeIntegralInRange<std::int64_t>(-400 * kDay, 400 * kDay);
    const std::int32_t threshold = in.ConsumeIntegral<std::int32_t>();
    const int before = in.ConsumeIntegralInRange(-14 * 60, 14 * 60),
              after = in.ConsumeIntegralInRange(-14 * 60, 14 * 60);
    const int firstDay = in.ConsumeIntegralInRange(0, 6);
    const bool longLabels = in.ConsumeBool();
    const std::int64_t aheadBy = in.ConsumeIntegralInRange<std::int64_t>(1, 400 * kDay);
    // A font's proportions: a line one and a half to three times its average character's width.
    const int charWidth = in.ConsumeIntegralInRange(4, 16);
    const TextMetrics text{charWidth, in.ConsumeIntegralInRange(charWidth * 3 / 2, charWidth * 3)};
    const int width = in.ConsumeIntegralInRange(64 * text.charWidth, 4000);
    const int height = in.ConsumeIntegralInRange(22 * text.lineHeight, 3000);
    struct Step {
        std::int64_t after;  // from the start
        std::int32_t players;
        bool stop, failed, unwritable;
    };
    struct Start {
        std::int64_t clock;
        bool unreadable, unrewritable;
        std::size_t unreadSteps;  // of an unreadable start: the steps before the file reads again
        std::vector<Step> steps;
    };
    // The clock at each start: right, or jumped ahead or back by up to a year.
    std::vector<Start> starts(in.ConsumeIntegralInRange(1, 4));
    for (Start& start : starts) {
        const std::uint8_t kind = in.ConsumeIntegral<std::uint8_t>();
        start.clock = kind % 3 == 0 ? base : base + in.ConsumeIntegralInRange<std::int64_t>(-400 * kDay, 400 * kDay);
        start.unreadable = kind % 16 == 15;
        start.unrewritable = kind & 8;
        start.steps.resize(in.ConsumeIntegralInRange(0, 6));
        start.unreadSteps = start.unreadable ? in.ConsumeIntegralInRange<std::size_t>(0, 6) : 0;
        for (Step& s : start.steps) {
            s.after = in.ConsumeIntegralInRange<std::int64_t>(0, 3 * kDay);
            s.players = in.ConsumeIntegralInRange<std::int32_t>(0, INT32_MAX);
            const std::uint8_t how = in.ConsumeIntegral<std::uint8_t>();
            s.stop = how & 1;
            s.failed = how & 2;
            s.unwritable = how & 4;
        }
    }

    MemoryHistoryFile file;
    file.text = in.ConsumeRemainingBytesAsString();
    const std::string original = file.text;
    CheckAheadDecidesNothing(original, starts.front().clock, aheadBy);
    Witness witness(file, original);
    witness.Look();
    std::optional<PlayerHistory> history;
    std::int64_t now = base;
    for (const Start& start : starts) {
        file.failRead = start.unreadable;
        file.failReplace = start.unrewritable;
        file.failAppend = false;
        const ParsedHistory old = ParseHistory(file.text);
        now = start.clock;
        history.emplace(file);
        history->Load(start.clock);
        witness.Saw(start.clock);
        witness.Look();
        Check(InTimeOrder(history->Records()), "out of time order after the start");
        if (!start.unreadable) CheckStart(old, file, *history);
        if (!start.unreadable && !start.unrewritable)
            Check(ParseHistory(file.text).records == history->Records() && ParseHistory(file.text).unreadable.empty(),
                  "the file does not read back after the start");
        for (std::size_t i = 0; i < start.steps.size(); ++i) {
            const Step& s = start.steps[i];
            file.failRead = i < start.unreadSteps;
            now = start.clock + s.after;
            file.failAppend = s.unwritable;
            if (s.stop)
                history->MarkStopped(now);
            else
                history->Add(now, s.failed ? std::nullopt : std::optional<std::int32_t>(s.players));
            witness.Saw(now);
            witness.Look();
            Check(InTimeOrder(history->Records()), "out of time order");
        }
        history->TakeNotices();
    }
    // The next write that works puts in all that waited, also the checks of a run that could not read the file.
    file.failRead = false;
    file.failAppend = false;
    file.failReplace = false;
    for (std::int64_t t = now + 60; !history->Add(t, 1);) t += 60;
    const ParsedHistory written = ParseHistory(file.text);
    std::map<std::string, int> inFile = Tally(written.records);
    for (const HistoryRecord& r : history->Records())
        Check(inFile[FormatRecord(r)]-- > 0, "a record in memory is not in the file");

    // A zone whose offset changes once, at any second of the last two days.
    const std::int64_t change = now - in.ConsumeIntegralInRange<std::int64_t>(0, 2 * kDay);
    const UtcOffset zone = [=](std::int64_t utc) { return utc < change ? before : after; };
    CheckWeek(history->Records(), zone, firstDay, threshold);
    const LongLabels longFormat;
    const Texts texts = longLabels ? Texts(longFormat) : Texts(EnglishTexts());
    const HistoryPictures pictures = WorkOutPictures(history->Records(), now, zone, firstDay, threshold, texts);
    std::vector<Shape> labels;
    for (const Shape& s : LayOutHistory(pictures, width, height, text)) {
        Check(std::min(s.x1, s.x2) >= 0 && std::max(s.x1, s.x2) <= width && std::min(s.y1, s.y2) >= 0 &&
                  std::max(s.y1, s.y2) <= height,
              "a shape outside the window");
        if (s.kind != Shape::Kind::Text) continue;
        Check(!s.text.empty(), "a label without its words");
        for (const Shape& l : labels)
            Check(!(s.x1 < l.x2 && l.x1 < s.x2 && s.y1 < l.y2 && l.y1 < s.y2), "two labels overlap");
        labels.push_back(s);
    }
    // Whatever the pointer or the keys point at reads out, inside the picture's records.
    const HistoryPlan plan = PlanHistory(pictures, width, height, text);
    HistoryItem item = ItemAt(plan, pictures, static_cast<int>(now % (width + 1)), static_cast<int>(now / 7 % (height + 1)));
    for (CursorKey key : {CursorKey::End, CursorKey::Left, CursorKey::Up, CursorKey::Home, CursorKey::Right}) {
        Check(item.picture != Picture::Day || item.record < pictures.day.records.size(), "a cursor past the records");
        Check(!texts(Readout(pictures, item)).empty(), "an empty readout");
        item = MoveCursor(item, key, pictures);
    }
    Check(!texts(Describe(Picture::Day, pictures)).empty() && !texts(Describe(Picture::Week, pictures)).empty(),
          "no description");

    // Over the next week, a reminder comes only within its lead before its span, once a span, and
    // its words have all their values.
    FakeClock clock;
    clock.offsetMinutes = after;
    clock.firstDay = firstDay;
    BusySoon busySoon;
    std::optional<std::int64_t> reminded;
    for (std::int64_t t = now; t < now + 8 * kDay; t += 600) {
        const auto span = busySoon.Due(history->Records(), t, clock, threshold);
        if (!span) continue;
        Check(t >= span->start - BusyReminder::kLead && t < span->start, "a reminder outside its lead");
        Check(span->start != reminded, "a span reminded of twice");
        const UtcOffset local = [&clock](std::int64_t utc) { return clock.UtcOffsetMinutes(utc); };
        const std::string said = texts(BusySoonReminder(*span, threshold, t, local));
        Check(said.find('{') == std::string::npos, "a reminder with a value left out");
        reminded = span->start;
    }
    return 0;
}
