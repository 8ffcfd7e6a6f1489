#pragma once

#include <windows.h>

#include <string>

// A control's box in twips: left, top, width, height.
struct Twips {
    int left, top, width, height;
};

// Converts twips to pixels at the screen's DPI (15 twips per pixel at 96 dpi).
class TwipScale {
public:
    TwipScale();
    int Px(int twips) const { return MulDiv(twips, dpi_, 1440); }
    int Dpi() const { return dpi_; }

private:
    int dpi_;
};

// The system's message font, shared by every window of the program.
HFONT MessageFont();

HWND MakeControl(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle, int id,
                 const Twips& box, const TwipScale& scale, HFONT font = MessageFont());

std::string WindowText(HWND window);

// Sizes a top-level window so that its client area is width x height pixels,
// centred on the primary monitor's work area.
void SizeClientCentred(HWND window, int width, int height);
