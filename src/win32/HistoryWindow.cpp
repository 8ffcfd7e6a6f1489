#include "win32/HistoryWindow.h"

#include <array>

#include "platform/resource.h"
#include "win32/Controls.h"
#include "win32/Handles.h"
#include "win32/TextConversion.h"

namespace {

// Twips: the window's first client size, and the smallest it may be made.
constexpr int kClientWidth = 10500, kClientHeight = 7800, kSmallestWidth = 6750, kSmallestHeight = 5250;
constexpr COLORREF kAlarmRed = RGB(0xC8, 0x32, 0x1E);

COLORREF InkColour(Ink ink) {
    switch (ink) {
        case Ink::Text:
        case Ink::Axis: return GetSysColor(COLOR_WINDOWTEXT);
        case Ink::Grid: return GetSysColor(COLOR_GRAYTEXT);
        case Ink::Series: return GetSysColor(COLOR_HIGHLIGHT);
        case Ink::Threshold:
        case Ink::Failure: return kAlarmRed;
        case Ink::Heat: break;
    }
    return GetSysColor(COLOR_WINDOWTEXT);
}

}  // namespace

void DrawShapes(HDC dc, const std::vector<Shape>& shapes, int dpi) {
    const int thick = std::max(2, MulDiv(2, dpi, 96));
    std::array<UniquePen, 7> pens;  // by ink, made on first use
    const UniquePen dashed(CreatePen(PS_DASH, 1, kAlarmRed));
    const UniqueSelection pen = Select(dc, GetStockObject(DC_PEN));
    SetBkMode(dc, TRANSPARENT);
    for (const Shape& s : shapes) {
        const auto penFor = [&](Ink ink) {
            UniquePen& slot = pens[static_cast<std::size_t>(ink)];
            if (!slot) slot.reset(CreatePen(PS_SOLID, ink == Ink::Series ? thick : 1, InkColour(ink)));
            return slot.get();
        };
        switch (s.kind) {
            case Shape::Kind::Line:
            case Shape::Kind::DashedLine: {
                const UniqueSelection selected =
                    Select(dc, s.kind == Shape::Kind::DashedLine ? dashed.get() : penFor(s.ink));
                MoveToEx(dc, s.x1, s.y1, nullptr);
                LineTo(dc, s.x2, s.y2);
                break;
            }
            case Shape::Kind::Box: {
                const RECT box{s.x1, s.y1, s.x2, s.y2};
                SetDCBrushColor(dc, s.rgb);
                FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
                break;
            }
            case Shape::Kind::Frame: {
                const UniqueSelection selected = Select(dc, penFor(s.ink));
                const UniqueSelection hollow = Select(dc, GetStockObject(NULL_BRUSH));
                Rectangle(dc, s.x1, s.y1, s.x2 + 1, s.y2 + 1);
                break;
            }
            case Shape::Kind::Text: {
                RECT box{s.x1, s.y1, s.x2, s.y2};
                const UINT align = s.align == Align::Left ? DT_LEFT : s.align == Align::Center ? DT_CENTER : DT_RIGHT;
                SetTextColor(dc, InkColour(s.ink));
                const std::wstring text = Wide(s.text, CP_UTF8);
                DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                          align | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
                break;
            }
        }
    }
}

void HistoryWindow::Show() {
    if (!hwnd_) {
        Register(kClassName, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_WENDREL)));
        if (!CreateWindowExA(0, kClassName, "Wendrel History", WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX, CW_USEDEFAULT,
                             CW_USEDEFAULT, 100, 100, owner_, nullptr, GetModuleHandleA(nullptr), this))
            return;
        // Plain DPI scaling, and never larger than the work area.
        dpi_ = WindowDpi(hwnd_);
        const TwipScale scale(dpi_);
        RECT work{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        SizeClientCentred(hwnd_, std::min<int>(scale.Y(kClientWidth), (work.right - work.left) * 9 / 10),
                          std::min<int>(scale.Y(kClientHeight), (work.bottom - work.top) * 8 / 10));
    }
    Recompute();
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void HistoryWindow::Update() {
    if (!hwnd_ || !IsWindowVisible(hwnd_)) return;
    Recompute();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void HistoryWindow::Recompute() {
    pictures_ = WorkOutPictures(
        history_.Records(), clock_.UtcNow(), [this](std::int64_t utc) { return clock_.UtcOffsetMinutes(utc); },
        clock_.FirstDayOfWeek(), threshold_ ? threshold_() : 0);
}

void HistoryWindow::Render(HDC dc, int width, int height) {
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    const UniqueSelection font = Select(dc, DialogFont(Dpi()));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    pictures_.calmRgb = GetSysColor(COLOR_WINDOW);
    pictures_.busyRgb = GetSysColor(COLOR_HIGHLIGHT);
    const TextMetrics text{std::max<int>(1, metrics.tmAveCharWidth), std::max<int>(1, metrics.tmHeight)};
    DrawShapes(dc, LayOutHistory(pictures_, width, height, text), Dpi());
}

void HistoryWindow::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    const UniquePaint painting({hwnd_, &paint});  // EndPaint however the drawing ends
    RECT client;
    GetClientRect(hwnd_, &client);
    // Drawn off screen, then copied in one go: no flicker while resizing.
    const UniqueMemoryDc memory(CreateCompatibleDC(dc));
    const UniqueBitmap bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    {
        const UniqueSelection target = Select(memory.get(), bitmap.get());
        Render(memory.get(), client.right, client.bottom);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    }
}

LRESULT HistoryWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: Paint(); return 0;
        case WM_ERASEBKGND: return 1;  // the paint covers every pixel
        case WM_SIZE: InvalidateRect(hwnd_, nullptr, FALSE); return 0;
        case WM_GETMINMAXINFO: {
            const TwipScale scale(Dpi());
            const SIZE frame = FrameSize(hwnd_);
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {scale.Y(kSmallestWidth) + frame.cx, scale.Y(kSmallestHeight) + frame.cy};
            return 0;
        }
        case WM_DPICHANGED: {
            // Another monitor: the size Windows suggests, and text and lines at its DPI.
            dpi_ = LOWORD(wParam);
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        }
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
        case WM_SETTINGCHANGE:
            // The paint takes the system's colours and fonts as they are now.
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_CLOSE: ::ShowWindow(hwnd_, SW_HIDE); return 0;  // kept for the next Show
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) ::ShowWindow(hwnd_, SW_HIDE);
            return 0;
        default: return DefWindowProcA(hwnd_, message, wParam, lParam);
    }
}
