#pragma once

#include <windows.h>

#include <algorithm>
#include <string>

// Text in a code page (CP_ACP, the process's; CP_UTF8) to UTF-16 and back.
// The program's own text is UTF-8 (CP_UTF8); Windows gets it as UTF-16.
std::wstring Wide(const std::string& text, UINT codePage);
std::string Narrow(const std::wstring& text, UINT codePage);

// Where UTF-16 text must be cut to keep at most units code units without
// splitting a character: never between the two halves of a surrogate pair.
inline std::size_t CutPoint(const std::wstring& text, std::size_t units) {
    if (text.size() <= units) return text.size();
    const bool splitsPair = units > 0 && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF;
    return splitsPair ? units - 1 : units;
}

// Copies UTF-8 text into a fixed UTF-16 field of Windows, cut to fit with
// its terminator.
template <std::size_t N>
void CopyCut(const std::string& text, wchar_t (&field)[N]) {
    const std::wstring wide = Wide(text, CP_UTF8);
    const std::size_t n = CutPoint(wide, N - 1);
    std::copy_n(wide.data(), n, field);
    field[n] = L'\0';
}
