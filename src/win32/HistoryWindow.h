#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "history/HistoryChart.h"
#include "history/PlayerHistory.h"
#include "platform/Clock.h"
#include "platform/HistoryView.h"
#include "win32/Controls.h"
#include "win32/Window.h"

// The History window: the last 24 hours and a typical week, drawn by the
// program, double-buffered, resizable, in the system's colours (taken again
// when they change) at its monitor's DPI. Closing it hides it; the figures
// are worked out again when a scan is recorded or the clock or zone changes.
class HistoryWindow : public Window<HistoryWindow>, public HistoryView {
public:
    static constexpr const char* kClassName = "WendrelHistory";

    HistoryWindow(PlayerHistory& history, Clock& clock) : history_(history), clock_(clock) {}
    // The window that owns it (and so keeps it off the task bar), and where
    // the alarm threshold comes from.
    void SetOwner(HWND owner) { owner_ = owner; }
    void SetThreshold(std::function<std::int32_t()> threshold) { threshold_ = std::move(threshold); }

    void Show() override;
    void Update() override;
    // Works out the figures from the history (Show and Update do it).
    void Recompute();

    // Draws the pictures at width x height into dc (the window's paint, and
    // the paint benchmark's).
    void Render(HDC dc, int width, int height);

private:
    friend class Window<HistoryWindow>;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    // The DPI it draws at: its monitor's (the screen's before it has a window).
    int Dpi() const { return dpi_ ? dpi_ : WindowDpi(nullptr); }

    PlayerHistory& history_;
    Clock& clock_;
    std::function<std::int32_t()> threshold_;
    HWND owner_ = nullptr;
    HistoryPictures pictures_;
    int dpi_ = 0;
};

// Draws laid-out shapes with the system's colours for text and axes.
void DrawShapes(HDC dc, const std::vector<Shape>& shapes, int dpi);
