#include "win32/Controls.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "win32/Handles.h"
#include "win32/SystemLibrary.h"
#include "win32/TextConversion.h"

namespace {
int ScreenDpi() {
    const UniqueScreenDc screen(GetDC(nullptr));
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    return dpi > 0 ? dpi : 96;
}

HMODULE User32() { return GetModuleHandleW(L"user32.dll"); }

// Average width of the letters in the dialog font at a DPI, in pixels at 96 dpi.
double AverageLetterWidth(int dpi) {
    static std::map<int, double> widths;
    auto [width, added] = widths.try_emplace(dpi);
    if (added) {
        const UniqueScreenDc screen(GetDC(nullptr));
        const UniqueSelection font = Select(screen.get(), DialogFont(dpi));
        SIZE size{};
        const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        GetTextExtentPoint32W(screen.get(), letters, 52, &size);
        width->second = size.cx / 52.0 * 96.0 / dpi;
    }
    return width->second;
}

// The layouts' font: 8-point MS Sans Serif averages about 5.5 pixels a letter.
constexpr double kDesignLetterWidth = 5.5;
}  // namespace

int WindowDpi(HWND window) {
    using GetDpi = UINT(WINAPI*)(HWND);
    static const auto getDpi = SystemFunction<GetDpi>(User32(), "GetDpiForWindow");
    const int dpi = getDpi && window ? static_cast<int>(getDpi(window)) : 0;
    return dpi > 0 ? dpi : ScreenDpi();
}

int SystemMetric(int index, int dpi) {
    using GetMetric = int(WINAPI*)(int, UINT);
    static const auto getMetric = SystemFunction<GetMetric>(User32(), "GetSystemMetricsForDpi");
    if (getMetric) return getMetric(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, ScreenDpi());
}

TwipScale::TwipScale(int dpi) : dpi_(dpi > 0 ? dpi : 96) {
    widthFactor_ = std::max(1.0, AverageLetterWidth(dpi_) / kDesignLetterWidth);
}

HFONT KeptFont(const char* face, int hundredthsOfPoint, int weight, int dpi) {
    static std::map<std::tuple<std::string, int, int, int>, UniqueFont> fonts;
    UniqueFont& font = fonts[{face, hundredthsOfPoint, weight, dpi}];
    if (!font) {
        LOGFONTW wanted{};
        wanted.lfHeight = -MulDiv(hundredthsOfPoint, dpi, 7200);
        wanted.lfWeight = weight;
        wanted.lfCharSet = DEFAULT_CHARSET;
        wanted.lfQuality = CLEARTYPE_QUALITY;
        CopyCut(face, wanted.lfFaceName);
        font.reset(CreateFontIndirectW(&wanted));
    }
    return font.get();
}

HFONT DialogFont(int dpi) {
    // The windows' twip layouts were made for the classic 8-point dialog
    // font; larger message fonts would wrap their labels.
    return KeptFont("MS Shell Dlg", 800, FW_NORMAL, dpi);
}

void MakeControls(HWND parent, std::span<const ControlPiece> pieces) {
    for (const ControlPiece& piece : pieces)
        CreateWindowExW(piece.exStyle, Wide(piece.className, CP_UTF8).c_str(), Wide(piece.text, CP_UTF8).c_str(),
                        WS_CHILD | WS_VISIBLE | piece.style, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(piece.id)), GetModuleHandleW(nullptr), nullptr);
}

void PlaceControls(HWND parent, std::span<const ControlPiece> pieces, const TwipScale& scale) {
    for (const ControlPiece& piece : pieces) {
        HWND control = GetDlgItem(parent, piece.id);
        if (!control) continue;
        const Twips& box = piece.box;
        const int left = scale.X(box.left), top = scale.Y(box.top);
        int width = scale.X(box.width), height = scale.Y(box.height);
        // Rounded to pixels, a box may reach a pixel into one it only meets in
        // twips: it ends where that one begins (boxes of one size stay so
        // where they have room between them).
        for (const ControlPiece& other : pieces) {
            const Twips& o = other.box;
            if (o.left >= box.left + box.width && o.top < box.top + box.height && o.top + o.height > box.top)
                width = std::min(width, scale.X(o.left) - left);
            if (o.top >= box.top + box.height && o.left < box.left + box.width && o.left + o.width > box.left)
                height = std::min(height, scale.Y(o.top) - top);
        }
        SetWindowPos(control, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(piece.font(scale.Dpi())), TRUE);
    }
}

std::string WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Narrow(text, CP_UTF8);
}

void SetWindowTextUtf8(HWND window, const std::string& text) { SetWindowTextW(window, Wide(text, CP_UTF8).c_str()); }

int TextWidth(HFONT font, const std::string& text, bool accessKeys) {
    const std::wstring wide = Wide(text, CP_UTF8);
    const UniqueScreenDc screen(GetDC(nullptr));
    const UniqueSelection selected = Select(screen.get(), font);
    RECT box{};
    DrawTextW(screen.get(), wide.c_str(), static_cast<int>(wide.size()), &box,
              DT_CALCRECT | DT_SINGLELINE | (accessKeys ? 0 : DT_NOPREFIX));
    return box.right;
}

int CaptionWidth(CaptionKind kind, HFONT font, const std::string& text, int dpi) {
    // Room beside the text, in pixels at 96 dpi: a button's edges and focus
    // frame; a check box's box and the gap after it; a group box's frame and
    // the gaps either side of its title.
    const int room = kind == CaptionKind::Button     ? 10
                     : kind == CaptionKind::CheckBox ? 18
                     : kind == CaptionKind::GroupBox ? 24
                                                     : 2;
    return TextWidth(font, text) + MulDiv(room, dpi, 96);
}

SIZE WrappedSize(HFONT font, const std::string& text, int width, bool accessKeys, bool breakAnywhere) {
    const std::wstring wide = Wide(text, CP_UTF8);
    const UniqueScreenDc screen(GetDC(nullptr));
    const UniqueSelection selected = Select(screen.get(), font);
    RECT box{0, 0, width, 0};
    DrawTextW(screen.get(), wide.c_str(), static_cast<int>(wide.size()), &box,
              DT_CALCRECT | DT_WORDBREAK | (accessKeys ? 0 : DT_NOPREFIX) | (breakAnywhere ? DT_EDITCONTROL : 0));
    return {box.right, box.bottom};
}

SIZE FrameSize(HWND window) {
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    return {outer.right - outer.left - client.right, outer.bottom - outer.top - client.bottom};
}

void SizeClientCentred(HWND window, int width, int height) {
    const SIZE frame = FrameSize(window);
    const int w = width + frame.cx, h = height + frame.cy;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveForDpiChange(HWND window, const RECT& suggested, int width, int height) {
    // The suggested rectangle first: in it the window has its frame at the
    // new DPI, which then sets the size that gives the client area it needs.
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    const SIZE frame = FrameSize(window);
    SetWindowPos(window, nullptr, 0, 0, width + frame.cx, height + frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RedrawAll(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}
