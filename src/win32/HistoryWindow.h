#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "history/HistoryChart.h"
#include "history/PlayerHistory.h"
#include "platform/Clock.h"
#include "platform/HistoryView.h"
#include "text/Texts.h"
#include "win32/Controls.h"
#include "win32/Window.h"

// The History window: the last 24 hours and a typical week, drawn by the
// program, double-buffered, resizable, in the system's colours (taken again
// when they change) at its monitor's DPI. Each picture is a child window a
// reader can name and the keys can move in; the summary, the usually busy
// line and the readout of what the pointer or cursor is on are static text
// under them. Closing it hides it; the figures are worked out again when a
// scan is recorded or the clock or zone changes. Its words are those of the
// texts' language when it is shown or updated; every text goes to Windows
// in UTF-16.
class HistoryWindow : public Window<HistoryWindow>, public HistoryView {
public:
    static constexpr const wchar_t* kClassName = L"WendrelHistory";
    static constexpr const wchar_t* kPictureClassName = L"WendrelHistoryPicture";

    HistoryWindow(PlayerHistory& history, Clock& clock, const Texts& texts = EnglishTexts())
        : history_(history), clock_(clock), texts_(texts) {}
    // The window that owns it (and so keeps it off the task bar), and where
    // the alarm threshold comes from.
    void SetOwner(HWND owner) { owner_ = owner; }
    void SetThreshold(std::function<std::int32_t()> threshold) { threshold_ = std::move(threshold); }

    void Show() override;
    void Update() override;
    // Works out the figures from the history, and its words and captions in
    // the texts' language as it is now (Show and Update do it).
    void Recompute();

    // Draws the pictures at width x height into dc (the window's paint, and
    // the paint benchmark's).
    void Render(HDC dc, int width, int height);

private:
    friend class Window<HistoryWindow>;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PictureProc(HWND picture, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPictureMessage(HWND picture, Picture which, UINT message, WPARAM wParam, LPARAM lParam);
    void MakeChildren();
    // Places the pictures and lines for the client size and DPI as they are.
    void Layout();
    TextMetrics Metrics();
    void PaintPicture(HWND picture);
    void Paint();
    // The item the readout names: the pointer's, else the focused cursor's.
    HistoryItem Marked() const;
    // After the pointer or the cursor moved: the readout, the marks, readers told.
    void MarkChanged();
    bool Key(Picture which, WPARAM key);
    HWND PictureWindow(Picture which) const { return which == Picture::Day ? day_ : week_; }
    // The DPI it draws at: its monitor's (the screen's before it has a window).
    int Dpi() const { return dpi_ ? dpi_ : WindowDpi(nullptr); }

    PlayerHistory& history_;
    Clock& clock_;
    const Texts& texts_;
    std::function<std::int32_t()> threshold_;
    HWND owner_ = nullptr;
    HistoryPictures pictures_;
    HistoryPlan plan_{};  // where the pictures and lines are, at the client's size
    int dpi_ = 0;
    HWND day_ = nullptr, week_ = nullptr, summary_ = nullptr, busy_ = nullptr, readout_ = nullptr;
    HistoryItem hover_;                         // under the pointer; none when it is elsewhere
    HistoryItem dayCursor_, weekCursor_;        // the keys' cursors, where they were left
    Picture focused_ = Picture::None;           // the picture with the keyboard focus
    bool keyed_ = false;                        // a key moved the focused picture's cursor
    HWND lastFocus_ = nullptr;                  // given back the focus when the window is active again
    std::string readoutText_;
};

// Draws laid-out shapes with the system's colours for text and axes.
void DrawShapes(HDC dc, const std::vector<Shape>& shapes, int dpi);
