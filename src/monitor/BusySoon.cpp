#include "monitor/BusySoon.h"

std::optional<BusySpan> BusySoon::Due(std::span<const HistoryRecord> records, std::int64_t now, Clock& clock,
                                      std::int32_t threshold) {
    if (stale_ || threshold != threshold_ || (next_ && now >= next_->end)) {
        stale_ = false;
        threshold_ = threshold;
        const UtcOffset offset = [&clock](std::int64_t utc) { return clock.UtcOffsetMinutes(utc); };
        const auto past = UpTo(records, now);
        next_ = FindUsuallyBusy(past, ComputeTypicalWeek(past, offset, clock.FirstDayOfWeek(), threshold), now, offset)
                    .next;
    }
    if (!next_ || !reminder_.Due(*next_, now)) return std::nullopt;
    return next_;
}
