#pragma once

#include <windows.h>

#include <string>

// A control's box in twips: left, top, width, height.
struct Twips {
    int left, top, width, height;
};

// Converts twips to pixels at the screen's DPI (15 twips per pixel at
// 96 dpi). The layouts were drawn for the narrow classic 8-point dialog font;
// where the dialog font is wider, horizontal distances grow with it, as
// dialog units would, so no caption is cut off.
class TwipScale {
public:
    TwipScale();
    int X(int twips) const { return static_cast<int>(MulDiv(twips, dpi_, 1440) * widthFactor_ + 0.5); }
    int Y(int twips) const { return MulDiv(twips, dpi_, 1440); }
    int Dpi() const { return dpi_; }

private:
    int dpi_;
    double widthFactor_ = 1.0;
};

// The 8-point dialog font, shared by every window of the program.
HFONT DialogFont();

HWND MakeControl(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle, int id,
                 const Twips& box, const TwipScale& scale, HFONT font = DialogFont());

std::string WindowText(HWND window);

// Sizes a top-level window so that its client area is width x height pixels,
// centred on the primary monitor's work area.
void SizeClientCentred(HWND window, int width, int height);
