#include "history/HistoryChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

namespace {

constexpr std::int64_t kHour = 3600;
// A count holds until the next record, but at most this long: a gap with no
// record at all means Wendrel was not running, not that the count held.
constexpr std::int64_t kLongestHold = kHour;

struct Box {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// The threshold joins the day's scale while the counts keep at least a
// quarter of its height (or the scale stays small): a threshold far above
// them, a player's way of silencing the alarm, is a note instead.
constexpr std::int64_t kThresholdReach = 4, kSmallScale = 5;

// The smallest "nice" step (1, 2, 5 times a power of ten) that cuts the range
// into at most maxSteps. 64-bit: any count or threshold, times the steps, fits.
std::int64_t NiceStep(std::int64_t range, std::int64_t maxSteps) {
    for (std::int64_t power = 1;; power *= 10)
        for (std::int64_t m : {1, 2, 5})
            if (range <= m * power * maxSteps) return m * power;
}

Shape MakeShape(Shape::Kind kind, int x1, int y1, int x2, int y2, Ink ink, std::uint32_t rgb = 0, std::string text = {},
                Align align = Align::Left) {
    return Shape{kind, x1, y1, x2, y2, ink, rgb, std::move(text), align};
}

class Painter {
public:
    Painter(std::vector<Shape>& shapes, TextMetrics text) : shapes_(shapes), text_(text) {}
    void Line(int x1, int y1, int x2, int y2, Ink ink, bool dashed = false) {
        shapes_.push_back(MakeShape(dashed ? Shape::Kind::DashedLine : Shape::Kind::Line, x1, y1, x2, y2, ink));
    }
    void Fill(int x1, int y1, int x2, int y2, std::uint32_t rgb) {
        shapes_.push_back(MakeShape(Shape::Kind::Box, x1, y1, x2, y2, Ink::Heat, rgb));
    }
    void Frame(const Box& b, Ink ink) {
        shapes_.push_back(MakeShape(Shape::Kind::Frame, b.left, b.top, b.right, b.bottom, ink));
    }
    // Text on one line whose anchor x is its left, centre or right.
    void Text(int x, int top, const std::string& text, Align align, Ink ink = Ink::Text) {
        const int width = Width(text);
        const int left = align == Align::Left ? x : align == Align::Center ? x - width / 2 : x - width;
        shapes_.push_back(
            MakeShape(Shape::Kind::Text, left, top, left + width, top + text_.lineHeight, ink, 0, text, align));
    }
    int Width(const std::string& text) const {
        // UTF-8 continuation bytes take no room of their own.
        const auto letters = std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
        return static_cast<int>(letters) * text_.charWidth + text_.charWidth / 2;
    }
    const TextMetrics& Metrics() const { return text_; }
    // Text cut at its spaces into lines that fit width; a word wider than
    // that stands on a line of its own.
    std::vector<std::string> Wrap(const std::string& text, int width) const {
        std::vector<std::string> lines(1);
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find(' ', at), text.size());
            const std::string word = text.substr(at, end - at);
            if (lines.back().empty())
                lines.back() = word;
            else if (Width(lines.back() + " " + word) <= width)
                lines.back() += " " + word;
            else
                lines.push_back(word);
            at = end + 1;
        }
        return lines;
    }

private:
    std::vector<Shape>& shapes_;
    TextMetrics text_;
};

std::string Clock(int hour) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:00", hour);
    return text;
}

// Where the day's picture falls: the plot's box, the count at its top and
// the step between the count's labels, and the times it spans.
struct DayPlot {
    Box box;
    std::int64_t top, step;
    std::int64_t from, to;
    int X(std::int64_t t) const {
        return box.left + static_cast<int>((t - from) * box.Width() / std::max<std::int64_t>(1, to - from));
    }
    int Y(double players) const {
        return box.bottom - static_cast<int>(players * box.Height() / static_cast<double>(top));
    }
    bool InScale(std::int64_t players) const { return players >= 0 && players <= top; }
};

// The plot for the day's counts and the threshold; none when area is too small.
std::optional<DayPlot> PlanDay(const Painter& paint, const HistoryPictures& p, const Box& area) {
    const TextMetrics& m = paint.Metrics();
    std::int64_t highest = 1;
    for (const HistoryRecord& r : p.day.records)
        if (r.players) highest = std::max<std::int64_t>(highest, *r.players);
    if (p.threshold <= kThresholdReach * std::max(highest, kSmallScale))
        highest = std::max<std::int64_t>(highest, p.threshold);
    const int maxSteps = std::max(1, (area.Height() - 3 * m.lineHeight) / (2 * m.lineHeight));
    const std::int64_t step = NiceStep(highest, std::min(maxSteps, 5));
    const std::int64_t top = (highest + step - 1) / step * step;
    const Box box{area.left + paint.Width(std::to_string(top)) + m.charWidth, area.top + 2 * m.lineHeight,
                  area.right - m.charWidth, area.bottom - m.lineHeight - m.lineHeight / 2};
    if (box.Width() < 4 * m.charWidth || box.Height() < m.lineHeight) return std::nullopt;
    return DayPlot{box, top, step, p.day.from, p.day.to};
}

// Axes, the count's steps, and the local hours with a label where there is room.
void LayOutDayAxes(Painter& paint, const HistoryPictures& p, const Box& area, const DayPlot& plot) {
    const TextMetrics& m = paint.Metrics();
    const Box& b = plot.box;
    paint.Line(b.left, b.top, b.left, b.bottom, Ink::Axis);
    paint.Line(b.left, b.bottom, b.right, b.bottom, Ink::Axis);
    for (std::int64_t value = 0; value <= plot.top; value += plot.step) {
        paint.Line(b.left - m.charWidth / 2, plot.Y(value), b.left, plot.Y(value), Ink::Axis);
        paint.Text(b.left - m.charWidth, plot.Y(value) - m.lineHeight / 2, std::to_string(value), Align::Right);
    }
    const int labelEvery = [&] {
        for (int every : {1, 2, 3, 4, 6, 12})
            if (b.Width() * every / 24 >= paint.Width("00:00") + m.charWidth) return every;
        return 24;
    }();
    const int startOffset = p.offset ? p.offset(plot.from) * 60 : 0;
    const int half = paint.Width("00:00") / 2;
    int lastRight = area.left - m.charWidth;  // of the last label
    for (std::int64_t t = (plot.from + startOffset) / kHour * kHour + kHour - startOffset; t <= plot.to; t += kHour) {
        // Each hour as the clock on the wall shows it, daylight saving included.
        const std::int64_t local = t + (p.offset ? p.offset(t) * 60 : 0);
        const int hour = static_cast<int>(((local / kHour) % 24 + 24) % 24);
        const int x = plot.X(t);
        // The night the clocks go back shows an hour twice: its second label
        // would fall on the first.
        const bool labelled = hour % labelEvery == 0 && x - half >= lastRight + m.charWidth && x + half <= area.right;
        paint.Line(x, b.bottom, x, b.bottom + (labelled ? m.lineHeight / 3 : m.lineHeight / 6), Ink::Axis);
        if (!labelled) continue;
        paint.Text(x, b.bottom + m.lineHeight / 3, Clock(hour), Align::Center);
        lastRight = x + half;
    }
}

// A dashed line, or a note above the plot for a threshold out of its scale.
void LayOutThreshold(Painter& paint, std::int32_t threshold, const DayPlot& plot) {
    const Box& b = plot.box;
    const std::string label = "alarm at " + std::to_string(threshold);
    const int top = paint.Metrics().lineHeight;
    if (!plot.InScale(threshold)) {
        paint.Text(b.right, b.top - top, label + (threshold < 0 ? ", below the picture" : ", above the picture"),
                   Align::Right, Ink::Threshold);
        return;
    }
    paint.Line(b.left, plot.Y(threshold), b.right, plot.Y(threshold), Ink::Threshold, true);
    paint.Text(b.right, plot.Y(threshold) - top, label, Align::Right, Ink::Threshold);
}

// The counts as a step line, with a gap and a cross for each failed scan,
// and a gap from each stop to the next scan.
void LayOutSeries(Painter& paint, const std::vector<HistoryRecord>& records, const DayPlot& plot) {
    const TextMetrics& m = paint.Metrics();
    const Box& b = plot.box;
    if (std::none_of(records.begin(), records.end(), [](const HistoryRecord& r) { return r.IsScan(); })) {
        paint.Text((b.left + b.right) / 2, (b.top + b.bottom) / 2 - m.lineHeight / 2, "No scans in the last 24 hours",
                   Align::Center);
        return;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HistoryRecord& r = records[i];
        if (r.stopped) continue;
        if (!r.players) {
            // A failed scan: a gap in the line, and a cross on the time axis.
            const int cx = plot.X(r.time), cy = b.bottom - m.lineHeight / 2, arm = std::max(2, m.charWidth / 2);
            paint.Line(cx - arm, cy - arm, cx + arm + 1, cy + arm + 1, Ink::Failure);
            paint.Line(cx - arm, cy + arm, cx + arm + 1, cy - arm - 1, Ink::Failure);
            continue;
        }
        const HistoryRecord* next = i + 1 < records.size() ? &records[i + 1] : nullptr;
        const std::int64_t end = std::min({next ? next->time : plot.to, r.time + kLongestHold, plot.to});
        const int y = plot.Y(*r.players);
        paint.Line(plot.X(r.time), y, std::max(plot.X(end), plot.X(r.time) + 1), y, Ink::Series);
        if (next && next->players && next->time == end)
            paint.Line(plot.X(end), y, plot.X(end), plot.Y(*next->players), Ink::Series);
    }
}

void LayOutDay(Painter& paint, const HistoryPictures& p, const Box& area) {
    paint.Text(area.left, area.top, "Last 24 hours", Align::Left);
    const std::optional<DayPlot> plot = PlanDay(paint, p, area);
    if (!plot) return;
    LayOutDayAxes(paint, p, area, *plot);
    LayOutThreshold(paint, p.threshold, *plot);
    LayOutSeries(paint, p.day.records, *plot);
}

void LayOutWeek(Painter& paint, const HistoryPictures& p, const Box& area) {
    const TextMetrics& m = paint.Metrics();
    paint.Text(area.left, area.top, "A typical week: average players each hour", Align::Left);
    double highest = 0;
    for (const auto& row : p.week.cells)
        for (const auto& cell : row)
            if (const auto average = cell.Average()) highest = std::max(highest, *average);
    // The legend's room fits its top count, however many digits it has.
    const std::string most = std::to_string(static_cast<long long>(std::llround(highest)));
    const int legendWidth = std::max(paint.Width("0000"), paint.Width(most)) + 2 * m.charWidth;
    const Box grid{area.left + paint.Width("Wed") + m.charWidth, area.top + 2 * m.lineHeight,
                   area.right - legendWidth - m.charWidth, area.bottom - m.lineHeight - m.lineHeight / 3};
    if (grid.Width() < 24 || grid.Height() < 7) return;
    const auto cellLeft = [&](int hour) { return grid.left + hour * grid.Width() / 24; };
    const auto cellTop = [&](int row) { return grid.top + row * grid.Height() / 7; };

    for (int row = 0; row < 7; ++row) {
        const std::string name = std::string(kWeekdayNames[p.week.Weekday(row)]).substr(0, 3);
        paint.Text(grid.left - m.charWidth / 2, (cellTop(row) + cellTop(row + 1) - m.lineHeight) / 2, name,
                   Align::Right);
        for (int hour = 0; hour < 24; ++hour) {
            // An hour without data stays blank.
            const auto average = p.week.cells[row][hour].Average();
            if (!average) continue;
            const double share = highest > 0 ? *average / highest : 0;
            paint.Fill(cellLeft(hour), cellTop(row), cellLeft(hour + 1), cellTop(row + 1),
                       BlendRgb(p.calmRgb, p.busyRgb, 0.08 + 0.92 * share));
        }
    }
    paint.Frame(grid, Ink::Grid);
    const int labelEvery = grid.Width() / 24 >= paint.Width("00") + m.charWidth / 2 ? 2 : 3;
    for (int hour = 0; hour <= 24; hour += labelEvery) {
        paint.Line(cellLeft(hour), grid.bottom, cellLeft(hour), grid.bottom + m.lineHeight / 4, Ink::Axis);
        if (hour < 24) paint.Text(cellLeft(hour), grid.bottom + m.lineHeight / 4, std::to_string(hour), Align::Center);
    }

    // The legend: five steps from none to the busiest hour's average.
    const int legendLeft = grid.right + m.charWidth, legendRight = legendLeft + m.charWidth * 2;
    for (int s = 0; s < 5; ++s) {
        const int top = grid.top + (4 - s) * grid.Height() / 5, bottom = grid.top + (5 - s) * grid.Height() / 5;
        paint.Fill(legendLeft, top, legendRight, bottom, BlendRgb(p.calmRgb, p.busyRgb, 0.08 + 0.92 * s / 4.0));
    }
    paint.Frame({legendLeft, grid.top, legendRight, grid.bottom}, Ink::Grid);
    paint.Text(legendRight + m.charWidth / 2, grid.top, most, Align::Left);
    paint.Text(legendRight + m.charWidth / 2, grid.bottom - m.lineHeight, "0", Align::Left);
}

}  // namespace

std::uint32_t BlendRgb(std::uint32_t calm, std::uint32_t busy, double share) {
    share = std::clamp(share, 0.0, 1.0);
    std::uint32_t rgb = 0;
    for (int shift : {0, 8, 16}) {
        const double a = (calm >> shift) & 0xFF, b = (busy >> shift) & 0xFF;
        rgb |= static_cast<std::uint32_t>(std::lround(a + (b - a) * share)) << shift;
    }
    return rgb;
}

HistoryPictures WorkOutPictures(std::span<const HistoryRecord> records, std::int64_t now, const UtcOffset& offset,
                                int firstDay, std::int32_t threshold) {
    HistoryPictures p;
    const std::span<const HistoryRecord> past = UpTo(records, now);
    p.offset = offset;
    p.day = LastDay(past, now);
    p.week = ComputeTypicalWeek(past, offset, firstDay);
    p.summary = SummaryLine(DaysOfHistory(past, offset), FindBusiestHour(p.week));
    p.threshold = threshold;
    return p;
}

std::vector<Shape> LayOutHistory(const HistoryPictures& pictures, int width, int height, TextMetrics text) {
    std::vector<Shape> shapes;
    Painter paint(shapes, text);
    const int margin = text.lineHeight;
    const Box all{margin, margin / 2, width - margin, height - margin / 2};
    // The summary takes a second line when the window is too narrow for one.
    const std::vector<std::string> summary = paint.Wrap(pictures.summary, all.Width());
    const int summaryTop = all.bottom - static_cast<int>(summary.size()) * text.lineHeight;
    const int split = all.top + (summaryTop - all.top) * 11 / 20;
    LayOutDay(paint, pictures, {all.left, all.top, all.right, split - margin / 2});
    LayOutWeek(paint, pictures, {all.left, split + margin / 2, all.right, summaryTop - margin / 2});
    for (std::size_t i = 0; i < summary.size(); ++i)
        paint.Text(all.left, summaryTop + static_cast<int>(i) * text.lineHeight, summary[i], Align::Left);
    return shapes;
}
