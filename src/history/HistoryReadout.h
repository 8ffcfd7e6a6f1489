#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "history/HistoryChart.h"

// What the pointer or the keyboard's cursor is on in the pictures, and the
// pictures in words: the readout under them, and what a screen reader says.

// The record of the day nearest in time to t; none when the day has none.
std::optional<std::size_t> NearestRecord(const DaySeries& day, std::int64_t t);
// The item under a point of the window: over the day's plot, the record
// nearest in time; over the week's grid, the cell; else nothing.
HistoryItem ItemAt(const HistoryPlan& plan, const HistoryPictures& pictures, int x, int y);

enum class CursorKey { Left, Right, Up, Down, Home, End };
// The cursor moved by a key within its picture: by record in the day, by
// cell in the week (left and right go on across the rows, Home and End go
// to the ends of the day or of the week's row).
HistoryItem MoveCursor(HistoryItem item, CursorKey key, const HistoryPictures& pictures);
// Where a picture's cursor starts: the day's newest record, the week's hour of now.
HistoryItem FirstCursor(Picture picture, const HistoryPictures& pictures);

// "Yesterday 20:41 — 14 players", "21:07 — the check failed",
// "03:00–05:10 — Wendrel was not running"; "Saturdays 20:00–21:00 — 9.3
// players on average, over 12 weeks; 5 or more in 10 of 12"; and for
// nothing, how to ask.
Message Readout(const HistoryPictures& pictures, const HistoryItem& item);

// A picture's name, and what it shows in words: its time span, its highest
// and lowest counts, the failed checks, the busiest hours. (Picture::None
// has the Day's.)
Message PictureName(Picture picture);
Message Describe(Picture picture, const HistoryPictures& pictures);
