#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "history/HistoryFigures.h"
#include "text/Texts.h"

// The History window's pictures as a list of shapes in pixels, for the
// window to draw as they are: the last 24 hours as a step line against local
// time, and the typical week as a colour grid, with room under them for the
// lines the window shows as text. Laying them out is the program's; drawing
// them, the platform's.

enum class Ink {
    Text,       // the system's window text colour
    Axis,       // axes and tick marks
    Grid,       // the week grid's frame
    Series,     // the player counts
    Threshold,  // the alarm threshold
    Failure,    // a failed scan's mark
    Heat,       // a week cell or legend step: its own colour, rgb
    Busy,       // the frame of usually busy hours
    Cursor,     // what the readout names
    Focus,      // the picture the keys move in
};

enum class Align { Left, Center, Right };

struct Shape {
    enum class Kind { Line, DashedLine, Box, Frame, Text } kind;
    int x1, y1, x2, y2;  // a line's ends; a box's, a frame's or a text's rectangle
    Ink ink = Ink::Axis;
    std::uint32_t rgb = 0;  // Heat boxes: 0x00BBGGRR
    std::string text;       // UTF-8
    Align align = Align::Left;
};

// The pictures' words in the language shown: rendered with the figures,
// not at each paint.
struct PictureLabels {
    std::string dayTitle, weekTitle, noScans;
    std::string threshold, thresholdOff;         // "alarm at 5"; out of the day's scale, where it is
    std::array<std::string, 24> hours;           // the day's axis, by hour: "19:00"
    std::array<std::string, 24> weekHours;       // the week's: "19"
    std::array<std::string, 7> days;             // the week's rows, by weekday: "Wed"
    std::string legendTop, legendZero;           // the week's legend: the busiest hour's average, and none
    std::map<std::int64_t, std::string> counts;  // the day's scale, at each height the window may give it
    std::string summary, usuallyBusy;            // the lines under the pictures
};

struct HistoryPictures {
    DaySeries day;
    TypicalWeek week;
    std::int32_t threshold = 0;
    int days = 0;  // local days with a scan
    UsuallyBusy busy;
    // The lines under the pictures.
    Message summary = Msg::HistoryWindowNoHistory, usuallyBusy = Msg::HistoryWindowNoHistory;
    PictureLabels labels;              // what is drawn in words, in one language
    UtcOffset offset;                  // for the hour ticks
    std::uint32_t calmRgb = 0;         // the week's colour for few players (the window's background)
    std::uint32_t busyRgb = 0;         // and for the most
    // High contrast: no colour between calm and busy, so the busier an hour,
    // the more of its cell the busy colour fills.
    bool solidHeat = false;
};

// The figures of a history (in time order) as the window shows them at now:
// records dated ahead of now count nowhere. Their words are in texts' language.
HistoryPictures WorkOutPictures(std::span<const HistoryRecord> records, std::int64_t now, const UtcOffset& offset,
                                int firstDay, std::int32_t threshold, const Texts& texts);
// Renders the pictures' words (again, in another language, say): after the
// figures, the threshold and the day are set.
void LabelPictures(HistoryPictures& pictures, const Texts& texts);

struct TextMetrics {
    int charWidth;   // average, in pixels
    int lineHeight;  // in pixels
};

struct Box {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Where the day's counts fall: the plot's box, the count at its top and the
// step between the count's labels, and the times it spans.
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
    std::int64_t TimeAt(int x) const {
        return from + std::clamp(x - box.left, 0, box.Width()) * (to - from) / std::max(1, box.Width());
    }
    bool InScale(std::int64_t players) const { return players >= 0 && players <= top; }
};

// The week's cells: 7 rows of 24 hours in box.
struct WeekGrid {
    Box box;
    int CellLeft(int hour) const { return box.left + hour * box.Width() / 24; }
    int CellTop(int row) const { return box.top + row * box.Height() / 7; }
    Box Cell(int row, int hour) const { return {CellLeft(hour), CellTop(row), CellLeft(hour + 1), CellTop(row + 1)}; }
};

// Where everything goes in a window of width x height.
struct HistoryPlan {
    Box day, week;                      // each picture's area, its title included
    std::optional<DayPlot> plot;        // none when the window has no room for it
    std::optional<WeekGrid> grid;       // likewise
    Box summary, usuallyBusy, readout;  // the lines under the pictures
};
HistoryPlan PlanHistory(const HistoryPictures& pictures, int width, int height, TextMetrics text);

enum class Picture { None, Day, Week };
// A thing a picture shows: a record of the day, or an hour of the week.
struct HistoryItem {
    Picture picture = Picture::None;
    std::size_t record = 0;  // the day's: an index into day.records
    int row = 0, hour = 0;   // the week's cell
    bool operator==(const HistoryItem&) const = default;
};

// The pictures' shapes, with the item marked (where the readout points)
// and a focus frame round the picture focused.
std::vector<Shape> LayOutHistory(const HistoryPictures& pictures, int width, int height, TextMetrics text,
                                 const HistoryItem& marked = {}, Picture focused = Picture::None);

// The colour a share (0 to 1) of the way from calm to busy.
std::uint32_t BlendRgb(std::uint32_t calm, std::uint32_t busy, double share);
