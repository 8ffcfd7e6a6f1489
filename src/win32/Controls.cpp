#include "win32/Controls.h"

#include <algorithm>

#include "win32/Handles.h"

namespace {
int ScreenDpi() {
    const UniqueScreenDc screen(GetDC(nullptr));
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    return dpi > 0 ? dpi : 96;
}

// Average width of the letters in the dialog font, in pixels at 96 dpi.
double AverageLetterWidth(int dpi) {
    static const double width = [dpi] {
        const UniqueScreenDc screen(GetDC(nullptr));
        const UniqueSelection font = Select(screen.get(), DialogFont());
        SIZE size{};
        const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        GetTextExtentPoint32A(screen.get(), letters, 52, &size);
        return size.cx / 52.0 * 96.0 / dpi;
    }();
    return width;
}

// The layouts' font: 8-point MS Sans Serif averages about 5.5 pixels a letter.
constexpr double kDesignLetterWidth = 5.5;
}  // namespace

TwipScale::TwipScale() : dpi_(ScreenDpi()) {
    widthFactor_ = std::max(1.0, AverageLetterWidth(dpi_) / kDesignLetterWidth);
}

HFONT DialogFont() {
    // The windows' twip layouts were made for the classic 8-point dialog
    // font; larger message fonts would wrap their labels.
    static UniqueFont font = [] {
        LOGFONTA face{};
        face.lfHeight = -MulDiv(8, ScreenDpi(), 72);
        face.lfWeight = FW_NORMAL;
        face.lfCharSet = DEFAULT_CHARSET;
        face.lfQuality = CLEARTYPE_QUALITY;
        lstrcpyA(face.lfFaceName, "MS Shell Dlg");
        return UniqueFont(CreateFontIndirectA(&face));
    }();
    return font.get();
}

HWND MakeControl(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle, int id,
                 const Twips& box, const TwipScale& scale, HFONT font) {
    HWND control =
        CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, scale.X(box.left), scale.Y(box.top),
                        scale.X(box.width), scale.Y(box.height), parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

std::string WindowText(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SizeClientCentred(HWND window, int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}
