#include "win32/HistoryWindow.h"

#include <windowsx.h>

#include <array>

#include "history/HistoryReadout.h"
#include "platform/resource.h"
#include "win32/Controls.h"
#include "win32/Handles.h"
#include "win32/PictureAccessible.h"
#include "win32/TextConversion.h"

namespace {

// Twips: the window's first client size, and the smallest it may be made.
constexpr int kClientWidth = 10500, kClientHeight = 7800, kSmallestWidth = 6750, kSmallestHeight = 5250;
constexpr COLORREF kAlarmRed = RGB(0xC8, 0x32, 0x1E);
constexpr std::size_t kInks = static_cast<std::size_t>(Ink::Focus) + 1;

COLORREF InkColour(Ink ink) {
    switch (ink) {
        case Ink::Text:
        case Ink::Axis:
        case Ink::Busy:
        case Ink::Cursor:
        case Ink::Focus: return GetSysColor(COLOR_WINDOWTEXT);
        case Ink::Grid: return GetSysColor(COLOR_GRAYTEXT);
        case Ink::Series: return GetSysColor(COLOR_HIGHLIGHT);
        case Ink::Threshold:
        case Ink::Failure: return kAlarmRed;
        case Ink::Heat: break;
    }
    return GetSysColor(COLOR_WINDOWTEXT);
}

// The series and the busy hours' frames stand out by width, the cursor by
// more, the focus by its dots: none of them needs colour to be told apart.
HPEN MakePen(Ink ink, int dpi) {
    const int thick = std::max(2, MulDiv(2, dpi, 96));
    switch (ink) {
        case Ink::Series:
        case Ink::Busy: return CreatePen(PS_SOLID, thick, InkColour(ink));
        case Ink::Cursor: return CreatePen(PS_SOLID, thick + 1, InkColour(ink));
        case Ink::Focus: return CreatePen(PS_DOT, 1, InkColour(ink));
        default: return CreatePen(PS_SOLID, 1, InkColour(ink));
    }
}

bool HighContrast() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void SetText(HWND control, const std::string& utf8) {
    if (!control) return;
    const std::wstring text = Wide(utf8, CP_UTF8);
    SetWindowTextW(control, text.c_str());
}

void Place(HWND window, const Box& box) {
    MoveWindow(window, box.left, box.top, std::max(0, box.Width()), std::max(0, box.Height()), TRUE);
}

std::optional<CursorKey> CursorKeyOf(WPARAM key) {
    switch (key) {
        case VK_LEFT: return CursorKey::Left;
        case VK_RIGHT: return CursorKey::Right;
        case VK_UP: return CursorKey::Up;
        case VK_DOWN: return CursorKey::Down;
        case VK_HOME: return CursorKey::Home;
        case VK_END: return CursorKey::End;
        default: return std::nullopt;
    }
}

}  // namespace

void DrawShapes(HDC dc, const std::vector<Shape>& shapes, int dpi) {
    std::array<UniquePen, kInks> pens;  // by ink, made on first use
    const UniquePen dashed(CreatePen(PS_DASH, 1, kAlarmRed));
    const UniqueSelection pen = Select(dc, GetStockObject(DC_PEN));
    SetBkMode(dc, TRANSPARENT);
    for (const Shape& s : shapes) {
        const auto penFor = [&](Ink ink) {
            UniquePen& slot = pens[static_cast<std::size_t>(ink)];
            if (!slot) slot.reset(MakePen(ink, dpi));
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
        Register(kClassName, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_WENDREL)));
        WNDCLASSEXW picture{};
        picture.cbSize = sizeof picture;
        picture.lpfnWndProc = PictureProc;
        picture.hInstance = GetModuleHandleW(nullptr);
        picture.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        picture.lpszClassName = kPictureClassName;
        RegisterClassExW(&picture);
        // The caption and the pictures' names come with the figures (Recompute).
        if (!CreateWindowExW(0, kClassName, L"", (WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX) | WS_CLIPCHILDREN,
                             CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner_, nullptr, GetModuleHandleW(nullptr), this))
            return;
        MakeChildren();
        // Plain DPI scaling, and never larger than the work area.
        dpi_ = WindowDpi(hwnd_);
        const TwipScale scale(dpi_);
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        SizeClientCentred(hwnd_, std::min<int>(scale.Y(kClientWidth), (work.right - work.left) * 9 / 10),
                          std::min<int>(scale.Y(kClientHeight), (work.bottom - work.top) * 8 / 10));
    }
    Recompute();
    Layout();
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void HistoryWindow::MakeChildren() {
    const auto make = [this](const wchar_t* cls, int id, DWORD style) {
        return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    };
    // In reading order: a reader goes through the pictures, then the lines.
    day_ = make(kPictureClassName, IDC_HISTORY_DAY, WS_TABSTOP);
    week_ = make(kPictureClassName, IDC_HISTORY_WEEK, WS_TABSTOP);
    summary_ = make(L"STATIC", IDC_HISTORY_SUMMARY, SS_LEFT | SS_NOPREFIX);
    busy_ = make(L"STATIC", IDC_HISTORY_BUSY, SS_LEFT | SS_NOPREFIX);
    readout_ = make(L"STATIC", IDC_HISTORY_READOUT, SS_LEFT | SS_NOPREFIX);
}

void HistoryWindow::Update() {
    if (!hwnd_ || !IsWindowVisible(hwnd_)) return;
    Recompute();
    Layout();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void HistoryWindow::Recompute() {
    pictures_ = WorkOutPictures(
        history_.Records(), clock_.UtcNow(), [this](std::int64_t utc) { return clock_.UtcOffsetMinutes(utc); },
        clock_.FirstDayOfWeek(), threshold_ ? threshold_() : 0, texts_);
    pictures_.solidHeat = HighContrast();
    // The language may have changed since the window was last drawn.
    SetText(hwnd_, texts_(Msg::HistoryWindowCaption));
    SetText(day_, texts_(PictureName(Picture::Day)));
    SetText(week_, texts_(PictureName(Picture::Week)));
    // The records have moved on: the pointer's item is found again when it
    // next moves; the day's cursor stays on a record.
    hover_ = {};
    if (const std::size_t count = pictures_.day.records.size(); dayCursor_.record >= count)
        dayCursor_.record = count ? count - 1 : 0;
    SetText(summary_, pictures_.labels.summary);
    SetText(busy_, pictures_.labels.usuallyBusy);
    readoutText_.clear();
    MarkChanged();
}

TextMetrics HistoryWindow::Metrics() {
    const UniqueScreenDc dc(GetDC(nullptr));
    const UniqueSelection font = Select(dc.get(), DialogFont(Dpi()));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    return {std::max<int>(1, metrics.tmAveCharWidth), std::max<int>(1, metrics.tmHeight)};
}

void HistoryWindow::Layout() {
    if (!hwnd_) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    plan_ = PlanHistory(pictures_, client.right, client.bottom, Metrics());
    Place(day_, plan_.day);
    Place(week_, plan_.week);
    Place(summary_, plan_.summary);
    Place(busy_, plan_.usuallyBusy);
    Place(readout_, plan_.readout);
    for (HWND line : {summary_, busy_, readout_})
        SendMessageW(line, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(Dpi())), TRUE);
}

HistoryItem HistoryWindow::Marked() const {
    if (hover_.picture != Picture::None) return hover_;
    if (!keyed_) return {};
    return focused_ == Picture::Day ? dayCursor_ : focused_ == Picture::Week ? weekCursor_ : HistoryItem{};
}

void HistoryWindow::MarkChanged() {
    const HistoryItem marked = Marked();
    const std::string text = texts_(Readout(pictures_, marked));
    if (text == readoutText_) return;
    readoutText_ = text;
    SetText(readout_, text);
    if (!hwnd_) return;
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    if (marked.picture != Picture::None) AnnounceValueChange(PictureWindow(marked.picture));
}

bool HistoryWindow::Key(Picture which, WPARAM key) {
    HistoryItem& cursor = which == Picture::Day ? dayCursor_ : weekCursor_;
    if (key == VK_TAB) {
        // Two pictures: Tab and Shift+Tab both go to the other one, its cursor shown.
        const Picture other = which == Picture::Day ? Picture::Week : Picture::Day;
        HistoryItem& next = other == Picture::Day ? dayCursor_ : weekCursor_;
        if (next.picture != other) next = FirstCursor(other, pictures_);
        keyed_ = true;
        SetFocus(PictureWindow(other));
        return true;
    }
    const std::optional<CursorKey> move = CursorKeyOf(key);
    if (!move) return false;
    if (GetFocus() != PictureWindow(which)) SetFocus(PictureWindow(which));
    if (cursor.picture != which) cursor = FirstCursor(which, pictures_);
    keyed_ = true;
    cursor = MoveCursor(cursor, *move, pictures_);
    hover_ = {};  // the keys take over the readout from the pointer
    MarkChanged();
    return true;
}

void HistoryWindow::Render(HDC dc, int width, int height) {
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    const UniqueSelection font = Select(dc, DialogFont(Dpi()));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    pictures_.calmRgb = GetSysColor(COLOR_WINDOW);
    pictures_.busyRgb = GetSysColor(COLOR_HIGHLIGHT);
    const TextMetrics text{std::max<int>(1, metrics.tmAveCharWidth), std::max<int>(1, metrics.tmHeight)};
    DrawShapes(dc, LayOutHistory(pictures_, width, height, text, Marked(), focused_), Dpi());
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

// A picture's window shows its part of the whole window's drawing.
void HistoryWindow::PaintPicture(HWND picture) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(picture, &paint);
    const UniquePaint painting({picture, &paint});
    RECT client, own;
    GetClientRect(hwnd_, &client);
    GetClientRect(picture, &own);
    POINT at{0, 0};
    MapWindowPoints(picture, hwnd_, &at, 1);
    const UniqueMemoryDc memory(CreateCompatibleDC(dc));
    const UniqueBitmap bitmap(CreateCompatibleBitmap(dc, std::max<LONG>(1, own.right), std::max<LONG>(1, own.bottom)));
    {
        const UniqueSelection target = Select(memory.get(), bitmap.get());
        SetViewportOrgEx(memory.get(), -at.x, -at.y, nullptr);
        Render(memory.get(), client.right, client.bottom);
        SetViewportOrgEx(memory.get(), 0, 0, nullptr);
        BitBlt(dc, 0, 0, own.right, own.bottom, memory.get(), 0, 0, SRCCOPY);
    }
}

LRESULT CALLBACK HistoryWindow::PictureProc(HWND picture, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<HistoryWindow*>(GetWindowLongPtrW(GetParent(picture), GWLP_USERDATA));
    if (!self) return DefWindowProcW(picture, message, wParam, lParam);
    const Picture which = GetDlgCtrlID(picture) == IDC_HISTORY_DAY ? Picture::Day : Picture::Week;
    return CatchAtBoundary<LRESULT>(
        0, [&] { return self->OnPictureMessage(picture, which, message, wParam, lParam); });
}

LRESULT HistoryWindow::OnPictureMessage(HWND picture, Picture which, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: PaintPicture(picture); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTTAB;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            focused_ = message == WM_SETFOCUS ? which : Picture::None;
            if (message == WM_SETFOCUS) lastFocus_ = picture;
            readoutText_.clear();  // the readout follows the focused cursor
            MarkChanged();
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                ::ShowWindow(hwnd_, SW_HIDE);
                return 0;
            }
            if (Key(which, wParam)) return 0;
            break;
        case WM_LBUTTONDOWN: {
            // A click puts the keys' cursor where the pointer is.
            SetFocus(picture);
            if (hover_.picture == which) {
                (which == Picture::Day ? dayCursor_ : weekCursor_) = hover_;
                keyed_ = true;
            }
            return 0;
        }
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof track;
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = picture;
            TrackMouseEvent(&track);
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            MapWindowPoints(picture, hwnd_, &at, 1);
            const HistoryItem item = ItemAt(plan_, pictures_, at.x, at.y);
            if (!(item == hover_)) {
                hover_ = item;
                MarkChanged();
            }
            return 0;
        }
        case WM_MOUSELEAVE:
            hover_ = {};
            MarkChanged();
            return 0;
        case WM_GETOBJECT:
            if (const LRESULT answer = AnswerGetObject(picture, wParam, lParam)) return answer;
            break;
        case kPictureTextMessage: {
            auto& text = *reinterpret_cast<std::wstring*>(lParam);
            switch (static_cast<PictureText>(wParam)) {
                case PictureText::Name: text = Wide(texts_(PictureName(which)), CP_UTF8); break;
                case PictureText::Description: text = Wide(texts_(Describe(which, pictures_)), CP_UTF8); break;
                case PictureText::Value: {
                    HistoryItem item = Marked();
                    if (item.picture != which) item = which == Picture::Day ? dayCursor_ : weekCursor_;
                    if (item.picture != which) item = FirstCursor(which, pictures_);
                    text = Wide(texts_(Readout(pictures_, item)), CP_UTF8);
                    break;
                }
            }
            return 1;
        }
        default: break;
    }
    return DefWindowProcW(picture, message, wParam, lParam);
}

LRESULT HistoryWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: Paint(); return 0;
        case WM_ERASEBKGND: return 1;  // the paint covers every pixel
        case WM_SIZE:
            Layout();
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            return 0;
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
            Layout();
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            return 0;
        }
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
        case WM_SETTINGCHANGE:
            // The paint takes the system's colours and fonts as they are now,
            // and high contrast its solid cells.
            pictures_.solidHeat = HighContrast();
            Layout();
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            return 0;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        case WM_ACTIVATE:
            // The keys go to the picture they were in.
            if (LOWORD(wParam) != WA_INACTIVE) SetFocus(lastFocus_ ? lastFocus_ : day_);
            return 0;
        case WM_SETFOCUS: SetFocus(lastFocus_ ? lastFocus_ : day_); return 0;
        case WM_CLOSE:
            ::ShowWindow(hwnd_, SW_HIDE);  // kept for the next Show
            keyed_ = false;
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) ::ShowWindow(hwnd_, SW_HIDE);
            return 0;
        default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}
