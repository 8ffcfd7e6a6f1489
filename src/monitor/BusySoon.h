#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "history/HistoryFigures.h"
#include "platform/Clock.h"

// When to remind the player that the lobby usually gets busy soon. The
// usually busy span ahead is worked out from the history again when the
// history or the clock's rules changed (Forget), when the threshold is
// another, or once the span ended; the reminder comes within
// BusyReminder::kLead before the span starts, once per span.
class BusySoon {
public:
    void Forget() { stale_ = true; }
    // The span to remind of at now, when its reminder is due (it then counts
    // as given). The clock gives the time zone and the first day of the week.
    std::optional<BusySpan> Due(std::span<const HistoryRecord> records, std::int64_t now, Clock& clock,
                                std::int32_t threshold);

private:
    bool stale_ = true;
    std::int32_t threshold_ = 0;  // the one the span was worked out for
    std::optional<BusySpan> next_;
    BusyReminder reminder_;
};
