#include "history/HistoryChart.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <utility>

namespace {

constexpr std::int64_t kHour = 3600;
// A count holds until the next record, but at most this long: a gap with no
// record at all means Wendrel was not running, not that the count held.
constexpr std::int64_t kLongestHold = kHour;

// The readout's room under the pictures: two lines whatever it says, so the
// pictures keep their place under the pointer as it changes.
constexpr int kReadoutLines = 2;

// The threshold joins the day's scale while the counts keep at least a
// quarter of its height (or the scale stays small): a threshold far above
// them, a player's way of silencing the alarm, is a note instead.
constexpr std::int64_t kThresholdReach = 4, kSmallScale = 5;
// The day's scale has at most this many steps.
constexpr int kMostSteps = 5;

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

// Text widths as the average character width gives them.
class TextMeasure {
public:
    explicit TextMeasure(TextMetrics text) : text_(text) {}
    int Width(const std::string& text) const {
        // UTF-8 continuation bytes take no room of their own.
        const auto letters = std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
        return static_cast<int>(letters) * text_.charWidth + text_.charWidth / 2;
    }
    const TextMetrics& Metrics() const { return text_; }
    template <typename Strings>
    int Widest(const Strings& texts) const {
        int widest = 0;
        for (const std::string& text : texts) widest = std::max(widest, Width(text));
        return widest;
    }
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
    TextMetrics text_;
};

class Painter : public TextMeasure {
public:
    Painter(std::vector<Shape>& shapes, TextMetrics text) : TextMeasure(text), shapes_(shapes) {}
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
            MakeShape(Shape::Kind::Text, left, top, left + width, top + Metrics().lineHeight, ink, 0, text, align));
    }

private:
    std::vector<Shape>& shapes_;
};

struct Scale {
    std::int64_t top, step;
};

// The day's scale in at most maxSteps steps: up to the highest count, and the
// threshold when it is within reach of them.
Scale DayScale(const HistoryPictures& p, int maxSteps) {
    std::int64_t highest = 1;
    for (const HistoryRecord& r : p.day.records)
        if (r.players) highest = std::max<std::int64_t>(highest, *r.players);
    if (p.threshold <= kThresholdReach * std::max(highest, kSmallScale))
        highest = std::max<std::int64_t>(highest, p.threshold);
    const std::int64_t step = NiceStep(highest, std::clamp(maxSteps, 1, kMostSteps));
    return {(highest + step - 1) / step * step, step};
}

const std::string& CountLabel(const PictureLabels& labels, std::int64_t count) {
    static const std::string none;
    const auto it = labels.counts.find(count);
    return it == labels.counts.end() ? none : it->second;
}

// The plot for the day's counts and the threshold; none when area is too small.
std::optional<DayPlot> PlanDay(const TextMeasure& paint, const HistoryPictures& p, const Box& area) {
    const TextMetrics& m = paint.Metrics();
    const Scale scale = DayScale(p, (area.Height() - 3 * m.lineHeight) / (2 * m.lineHeight));
    int labelWidth = 0;
    for (std::int64_t value = 0; value <= scale.top; value += scale.step)
        labelWidth = std::max(labelWidth, paint.Width(CountLabel(p.labels, value)));
    const Box box{area.left + labelWidth + m.charWidth, area.top + 2 * m.lineHeight, area.right - m.charWidth,
                  area.bottom - m.lineHeight - m.lineHeight / 2};
    if (box.Width() < 4 * m.charWidth || box.Height() < m.lineHeight) return std::nullopt;
    return DayPlot{box, scale.top, scale.step, p.day.from, p.day.to};
}

// Axes, the count's steps, and the local hours with a label where there is room.
void LayOutDayAxes(Painter& paint, const HistoryPictures& p, const Box& area, const DayPlot& plot) {
    const TextMetrics& m = paint.Metrics();
    const Box& b = plot.box;
    paint.Line(b.left, b.top, b.left, b.bottom, Ink::Axis);
    paint.Line(b.left, b.bottom, b.right, b.bottom, Ink::Axis);
    for (std::int64_t value = 0; value <= plot.top; value += plot.step) {
        paint.Line(b.left - m.charWidth / 2, plot.Y(value), b.left, plot.Y(value), Ink::Axis);
        paint.Text(b.left - m.charWidth, plot.Y(value) - m.lineHeight / 2, CountLabel(p.labels, value), Align::Right);
    }
    // The labels as the player's clock writes them: "19:00", or "7:00 PM".
    const int widest = paint.Widest(p.labels.hours);
    const int labelEvery = [&] {
        for (int every : {1, 2, 3, 4, 6, 12})
            if (b.Width() * every / 24 >= widest + m.charWidth) return every;
        return 24;
    }();
    const int startOffset = p.offset ? p.offset(plot.from) * 60 : 0;
    const int half = widest / 2;
    int lastRight = b.left - m.charWidth;  // of the last label: none reaches the counts left of the plot
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
        paint.Text(x, b.bottom + m.lineHeight / 3, p.labels.hours[hour], Align::Center);
        lastRight = x + half;
    }
}

// A dashed line, or a note above the plot for a threshold out of its scale.
void LayOutThreshold(Painter& paint, const HistoryPictures& p, const DayPlot& plot) {
    const Box& b = plot.box;
    const int top = paint.Metrics().lineHeight;
    // At the plot's right, or from its left where the words are wider than it:
    // never over the counts left of it.
    const auto label = [&](int y, const std::string& text) {
        paint.Text(std::max(b.right, b.left + paint.Width(text)), y, text, Align::Right, Ink::Threshold);
    };
    if (!plot.InScale(p.threshold)) return label(b.top - top, p.labels.thresholdOff);
    paint.Line(b.left, plot.Y(p.threshold), b.right, plot.Y(p.threshold), Ink::Threshold, true);
    label(plot.Y(p.threshold) - top, p.labels.threshold);
}

// The counts as a step line, with a gap and a cross for each failed scan,
// and a gap from each stop to the next scan.
void LayOutSeries(Painter& paint, const HistoryPictures& p, const DayPlot& plot) {
    const TextMetrics& m = paint.Metrics();
    const Box& b = plot.box;
    const std::vector<HistoryRecord>& records = p.day.records;
    if (std::none_of(records.begin(), records.end(), [](const HistoryRecord& r) { return r.IsScan(); })) {
        paint.Text((b.left + b.right) / 2, (b.top + b.bottom) / 2 - m.lineHeight / 2, p.labels.noScans, Align::Center);
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

void LayOutDay(Painter& paint, const HistoryPictures& p, const HistoryPlan& plan) {
    paint.Text(plan.day.left, plan.day.top, p.labels.dayTitle, Align::Left);
    if (!plan.plot) return;
    LayOutDayAxes(paint, p, plan.day, *plan.plot);
    LayOutThreshold(paint, p, *plan.plot);
    LayOutSeries(paint, p, *plan.plot);
}

double HighestAverage(const TypicalWeek& week) {
    double highest = 0;
    for (const auto& row : week.cells)
        for (const auto& cell : row)
            if (const auto average = cell.Average()) highest = std::max(highest, *average);
    return highest;
}

// The grid, with room left of it for the weekdays and right of it for the
// legend, which fits its top count however many digits it has.
std::optional<WeekGrid> PlanWeek(const TextMeasure& paint, const HistoryPictures& p, const Box& area) {
    const TextMetrics& m = paint.Metrics();
    const int legendWidth = std::max(paint.Width("0000"), paint.Width(p.labels.legendTop)) + 2 * m.charWidth;
    const Box grid{area.left + paint.Widest(p.labels.days) + m.charWidth, area.top + 2 * m.lineHeight,
                   area.right - legendWidth - m.charWidth, area.bottom - m.lineHeight - m.lineHeight / 3};
    if (grid.Width() < 24 || grid.Height() < 7) return std::nullopt;
    return WeekGrid{grid};
}

// A cell or legend step share of the way from calm to busy: a blend of the
// two colours, or in solid heat that share of the box in the busy colour.
void Heat(Painter& paint, const HistoryPictures& p, const Box& box, double share) {
    share = 0.08 + 0.92 * share;
    if (!p.solidHeat) return paint.Fill(box.left, box.top, box.right, box.bottom, BlendRgb(p.calmRgb, p.busyRgb, share));
    const double side = std::sqrt(share);
    const int width = std::max(1, static_cast<int>(std::lround(box.Width() * side))),
              height = std::max(1, static_cast<int>(std::lround(box.Height() * side)));
    const int left = box.left + (box.Width() - width) / 2, top = box.top + (box.Height() - height) / 2;
    paint.Fill(left, top, left + width, top + height, p.busyRgb);
}

void LayOutWeek(Painter& paint, const HistoryPictures& p, const HistoryPlan& plan) {
    const TextMetrics& m = paint.Metrics();
    paint.Text(plan.week.left, plan.week.top, p.labels.weekTitle, Align::Left);
    if (!plan.grid) return;
    const WeekGrid& g = *plan.grid;
    const Box& grid = g.box;
    const double highest = HighestAverage(p.week);
    // Rows lower than a line of text are named every other one, or fewer,
    // and no name reaches below the grid, where the hours are.
    int namedBelow = INT_MIN;
    for (int row = 0; row < 7; ++row) {
        const int top = std::min((g.CellTop(row) + g.CellTop(row + 1) - m.lineHeight) / 2, grid.bottom - m.lineHeight);
        if (top >= namedBelow) {
            paint.Text(grid.left - m.charWidth / 2, top, p.labels.days[p.week.Weekday(row)], Align::Right);
            namedBelow = top + m.lineHeight;
        }
        for (int hour = 0; hour < 24; ++hour) {
            // An hour without data stays blank.
            const auto average = p.week.cells[row][hour].Average();
            if (average) Heat(paint, p, g.Cell(row, hour), highest > 0 ? *average / highest : 0);
        }
    }
    paint.Frame(grid, Ink::Grid);
    // The hours that usually reach the threshold, once the history can tell.
    if (p.busy.wanting == 0)
        for (const CellRun& run : BusyRuns(p.week))
            paint.Frame({g.CellLeft(run.from), g.CellTop(run.row), g.CellLeft(run.to), g.CellTop(run.row + 1)},
                        Ink::Busy);
    // Every second hour labelled where the labels fit ("19"), else fewer ("7 PM").
    const int widest = paint.Widest(p.labels.weekHours);
    const int labelEvery = [&] {
        for (int every : {2, 3, 4, 6, 12})
            if (grid.Width() * every / 24 >= widest + m.charWidth / 2) return every;
        return 24;
    }();
    for (int hour = 0; hour <= 24; hour += labelEvery) {
        paint.Line(g.CellLeft(hour), grid.bottom, g.CellLeft(hour), grid.bottom + m.lineHeight / 4, Ink::Axis);
        if (hour < 24)
            paint.Text(g.CellLeft(hour), grid.bottom + m.lineHeight / 4, p.labels.weekHours[hour], Align::Center);
    }

    // The legend: five steps from none to the busiest hour's average.
    const int legendLeft = grid.right + m.charWidth, legendRight = legendLeft + m.charWidth * 2;
    for (int s = 0; s < 5; ++s)
        Heat(paint, p,
             {legendLeft, grid.top + (4 - s) * grid.Height() / 5, legendRight, grid.top + (5 - s) * grid.Height() / 5},
             s / 4.0);
    paint.Frame({legendLeft, grid.top, legendRight, grid.bottom}, Ink::Grid);
    paint.Text(legendRight + m.charWidth / 2, grid.top, p.labels.legendTop, Align::Left);
    if (grid.Height() >= 2 * m.lineHeight)  // room for its foot's label under the top's
        paint.Text(legendRight + m.charWidth / 2, grid.bottom - m.lineHeight, p.labels.legendZero, Align::Left);
}

// The cursor on the item the readout names: a line through the day's record
// (with a box round its count), a thick frame round the week's cell.
void LayOutMark(Painter& paint, const HistoryPictures& p, const HistoryPlan& plan, const HistoryItem& marked) {
    if (marked.picture == Picture::Day && plan.plot && marked.record < p.day.records.size()) {
        const DayPlot& plot = *plan.plot;
        const HistoryRecord& r = p.day.records[marked.record];
        const int x = plot.X(r.time), arm = paint.Metrics().charWidth / 2 + 1;
        paint.Line(x, plot.box.top, x, plot.box.bottom, Ink::Cursor);
        if (r.players && plot.InScale(*r.players))
            paint.Frame({x - arm, plot.Y(*r.players) - arm, x + arm, plot.Y(*r.players) + arm}, Ink::Cursor);
    }
    if (marked.picture == Picture::Week && plan.grid && marked.row >= 0 && marked.row < 7 && marked.hour >= 0 &&
        marked.hour < 24)
        paint.Frame(plan.grid->Cell(marked.row, marked.hour), Ink::Cursor);
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
                                int firstDay, std::int32_t threshold, const Texts& texts) {
    HistoryPictures p;
    const std::span<const HistoryRecord> past = UpTo(records, now);
    p.offset = offset;
    p.day = LastDay(past, now);
    p.week = ComputeTypicalWeek(past, offset, firstDay, threshold);
    p.days = DaysOfHistory(past, offset);
    p.summary = SummaryLine(p.days, FindBusiestHour(p.week));
    p.busy = FindUsuallyBusy(past, p.week, now, offset);
    p.usuallyBusy = UsuallyBusyLine(p.busy, threshold, now, offset);
    p.threshold = threshold;
    LabelPictures(p, texts);
    return p;
}

void LabelPictures(HistoryPictures& p, const Texts& texts) {
    PictureLabels& l = p.labels;
    l.dayTitle = texts(Msg::HistoryWindowDayTitle);
    l.weekTitle = texts(Msg::HistoryWindowWeekTitle);
    l.noScans = texts(Msg::HistoryWindowNoScans);
    l.threshold = texts(Message(Msg::HistoryWindowAlarmAt, Int{p.threshold}));
    l.thresholdOff =
        texts(Message(p.threshold < 0 ? Msg::HistoryWindowAlarmBelow : Msg::HistoryWindowAlarmAbove, Int{p.threshold}));
    for (int hour = 0; hour < 24; ++hour) {
        l.hours[hour] = texts.Value(TimeOfDay{hour, 0});
        l.weekHours[hour] = texts.Value(TimeOfDay{hour, -1});
    }
    for (int day = 0; day < 7; ++day) l.days[day] = texts.Value(DayName{day, true});
    l.legendTop = texts.Value(Int{std::llround(HighestAverage(p.week))});
    l.legendZero = texts.Value(Int{0});
    // Each scale the day may be drawn at, as the window's height gives it.
    l.counts.clear();
    for (int steps = 1; steps <= kMostSteps; ++steps) {
        const Scale scale = DayScale(p, steps);
        for (std::int64_t value = 0; value <= scale.top; value += scale.step)
            if (!l.counts.count(value)) l.counts.emplace(value, texts.Value(Int{value}));
    }
    l.summary = texts(p.summary);
    l.usuallyBusy = texts(p.usuallyBusy);
}

HistoryPlan PlanHistory(const HistoryPictures& pictures, int width, int height, TextMetrics text) {
    const TextMeasure measure(text);
    const int margin = text.lineHeight;
    const Box all{margin, margin / 2, width - margin, height - margin / 2};
    // Lines the window's text takes, wrapped with room to spare: the
    // average character width only estimates the real text's.
    const auto linesOf = [&](const std::string& line) {
        return static_cast<int>(measure.Wrap(line, all.Width() * 9 / 10).size()) * text.lineHeight;
    };
    HistoryPlan plan;
    plan.readout = {all.left, all.bottom - kReadoutLines * text.lineHeight, all.right, all.bottom};
    plan.usuallyBusy = {all.left, plan.readout.top - linesOf(pictures.labels.usuallyBusy), all.right, plan.readout.top};
    plan.summary = {all.left, plan.usuallyBusy.top - linesOf(pictures.labels.summary), all.right, plan.usuallyBusy.top};
    const int split = all.top + (plan.summary.top - all.top) * 11 / 20;
    plan.day = {all.left, all.top, all.right, split - margin / 2};
    plan.week = {all.left, split + margin / 2, all.right, plan.summary.top - margin / 2};
    plan.plot = PlanDay(measure, pictures, plan.day);
    plan.grid = PlanWeek(measure, pictures, plan.week);
    return plan;
}

std::vector<Shape> LayOutHistory(const HistoryPictures& pictures, int width, int height, TextMetrics text,
                                 const HistoryItem& marked, Picture focused) {
    std::vector<Shape> shapes;
    Painter paint(shapes, text);
    const HistoryPlan plan = PlanHistory(pictures, width, height, text);
    LayOutDay(paint, pictures, plan);
    LayOutWeek(paint, pictures, plan);
    LayOutMark(paint, pictures, plan, marked);
    if (focused != Picture::None) {
        // Around the picture and its title with room to spare: a title's
        // accents ("ś", "Ü") reach the top of its line.
        const Box& area = focused == Picture::Day ? plan.day : plan.week;
        const int gap = std::max(2, text.lineHeight / 4);
        paint.Frame({area.left - gap, area.top - gap, area.right + gap - 1, area.bottom + gap - 1}, Ink::Focus);
    }
    return shapes;
}
