#pragma once

// The History window, as the monitor drives it.
class HistoryView {
public:
    virtual ~HistoryView() = default;
    virtual void Show() = 0;
    // A scan was recorded, or the clock, the time zone or the first day of
    // the week changed: an open window draws the history again.
    virtual void Update() = 0;
};
