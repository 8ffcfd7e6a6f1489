#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "history/HistoryFigures.h"

// The History window's pictures as a list of shapes in pixels, for the
// window to draw as they are: the last 24 hours as a step line against local
// time, and the typical week as a colour grid, with the summary line under
// them. Laying them out is the program's; drawing them, the platform's.

enum class Ink {
    Text,       // the system's window text colour
    Axis,       // axes and tick marks
    Grid,       // the week grid's frame
    Series,     // the player counts
    Threshold,  // the alarm threshold
    Failure,    // a failed scan's mark
    Heat,       // a week cell or legend step: its own colour, rgb
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

struct HistoryPictures {
    DaySeries day;
    TypicalWeek week;
    std::int32_t threshold = 0;
    std::string summary;
    UtcOffset offset;           // for the hour ticks
    std::uint32_t calmRgb = 0;  // the week's colour for few players (the window's background)
    std::uint32_t busyRgb = 0;  // and for the most
};

// The figures of a history (in time order) as the window shows them at now:
// records dated ahead of now count nowhere.
HistoryPictures WorkOutPictures(std::span<const HistoryRecord> records, std::int64_t now, const UtcOffset& offset,
                                int firstDay, std::int32_t threshold);

struct TextMetrics {
    int charWidth;   // average, in pixels
    int lineHeight;  // in pixels
};

std::vector<Shape> LayOutHistory(const HistoryPictures& pictures, int width, int height, TextMetrics text);

// The colour a share (0 to 1) of the way from calm to busy.
std::uint32_t BlendRgb(std::uint32_t calm, std::uint32_t busy, double share);
