#pragma once

#include <windows.h>

#include <cmath>
#include <span>
#include <string>

// A control's box in twips: left, top, width, height.
struct Twips {
    int left, top, width, height;
};

// The DPI a window is drawn at: that of its monitor where Windows keeps one
// per monitor (Windows 10 1607 and later), otherwise the screen's.
int WindowDpi(HWND window);
// A system metric (SM_CXSMICON...) at a DPI.
int SystemMetric(int index, int dpi);

// Converts twips to pixels at a DPI (15 twips per pixel at 96 dpi). The
// layouts were drawn for the narrow classic 8-point dialog font; where the
// dialog font is wider, horizontal distances grow with it, as dialog units
// would, so no caption is cut off.
class TwipScale {
public:
    explicit TwipScale(int dpi);
    int X(int twips) const { return static_cast<int>(MulDiv(twips, dpi_, 1440) * widthFactor_ + 0.5); }
    int Y(int twips) const { return MulDiv(twips, dpi_, 1440); }
    // The fewest twips that Y makes at least pixels high.
    int TwipsY(int pixels) const {
        int twips = MulDiv(pixels, 1440, dpi_);
        while (Y(twips) < pixels) ++twips;
        while (twips > 0 && Y(twips - 1) >= pixels) --twips;
        return twips;
    }
    // The fewest twips that X makes at least pixels wide. The division alone
    // misses either way: X rounds to whole pixels twice, before and after the
    // width factor.
    int TwipsX(int pixels) const {
        int twips = static_cast<int>(std::ceil(pixels * 1440.0 / dpi_ / widthFactor_));
        while (X(twips) < pixels) ++twips;
        while (twips > 0 && X(twips - 1) >= pixels) --twips;
        return twips;
    }
    int Dpi() const { return dpi_; }

private:
    int dpi_;
    double widthFactor_ = 1.0;
};

// A font at a DPI, made at the first call and kept while the program runs (a
// window moved back to a monitor needs it again).
HFONT KeptFont(const char* face, int hundredthsOfPoint, int weight, int dpi);
// The 8-point dialog font at a DPI, shared by every window of the program.
HFONT DialogFont(int dpi);

// One control of a window laid out in twips: what it is and where it goes.
// Its class and text are UTF-8.
struct ControlPiece {
    int id;
    const char* className;
    const char* text;
    DWORD style, exStyle;
    Twips box;
    HFONT (*font)(int dpi) = DialogFont;
};

// Makes the pieces' controls in order (the tab order); PlaceControls puts them.
void MakeControls(HWND parent, std::span<const ControlPiece> pieces);
// Puts each piece's control at its box, with its font, at scale's DPI: at
// the start, and again when the window moves to a monitor at another DPI.
void PlaceControls(HWND parent, std::span<const ControlPiece> pieces, const TwipScale& scale);

// A window's text, and a new one, in UTF-8.
std::string WindowText(HWND window);
void SetWindowTextUtf8(HWND window, const std::string& text);
// How wide text is in pixels, on one line in font ("&" marking an access key
// takes no room; with accessKeys false it is a letter like any other).
int TextWidth(HFONT font, const std::string& text, bool accessKeys = true);

// What shows a caption, for the room around its text.
enum class CaptionKind { Label, Button, CheckBox, GroupBox };
// The width in pixels a control of kind needs to show text on one line in
// font at dpi: the text, and a button's edges, a check box's box and the gap
// after it, or a group box's frame and the gaps beside its title.
int CaptionWidth(CaptionKind kind, HFONT font, const std::string& text, int dpi);
// The size in pixels text takes wrapped within width pixels in font, as a
// label of several lines shows it. A word longer than a line runs past it
// (wider than width), unless breakAnywhere, as in a label that breaks it
// (SS_EDITCONTROL: a path or an address has no spaces).
SIZE WrappedSize(HFONT font, const std::string& text, int width, bool accessKeys, bool breakAnywhere = false);

// Sizes a top-level window so that its client area is width x height pixels,
// centred on its monitor's work area.
void SizeClientCentred(HWND window, int width, int height);
// A fixed-size window's answer to WM_DPICHANGED: it goes where Windows
// suggests, with a client area of width x height pixels in the new frame.
void MoveForDpiChange(HWND window, const RECT& suggested, int width, int height);
// The frame's size around the client area, as the window has it now.
SIZE FrameSize(HWND window);
// Draws a window and its controls again, in the system's colours as they are now.
void RedrawAll(HWND window);
