#include "win32/Win32LocaleFormat.h"

#include <windows.h>

#include <cstdio>

#include "text/Texts.h"
#include "win32/TextConversion.h"

namespace {

std::wstring LocaleText(const wchar_t* locale, LCTYPE type) {
    wchar_t text[100] = {};
    return GetLocaleInfoEx(locale, type, text, 100) > 0 ? text : L"";
}

UINT LocaleNumber(LCTYPE type, UINT fallback) {
    DWORD value = 0;
    return GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value),
                           sizeof value / sizeof(wchar_t)) > 0
               ? value
               : fallback;
}

// "1234567.5" (the C locale's way) written in the user's way with digits decimals.
std::string Number(const std::string& plain, int digits) {
    const std::wstring decimal = LocaleText(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL);
    const std::wstring thousand = LocaleText(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND);
    // "3;0" is groups of three, "3;2;0" three then twos (India): the form NUMBERFMT wants is 3 or 32.
    UINT grouping = 0;
    for (wchar_t c : LocaleText(LOCALE_NAME_USER_DEFAULT, LOCALE_SGROUPING))
        if (c >= L'1' && c <= L'9') grouping = grouping * 10 + (c - L'0');
    NUMBERFMTW format{};
    format.NumDigits = static_cast<UINT>(digits);
    format.LeadingZero = LocaleNumber(LOCALE_ILZERO, 1);
    format.Grouping = grouping;
    format.lpDecimalSep = const_cast<wchar_t*>(decimal.empty() ? L"." : decimal.c_str());
    format.lpThousandSep = const_cast<wchar_t*>(thousand.c_str());
    format.NegativeOrder = LocaleNumber(LOCALE_INEGNUMBER, 1);
    const std::wstring value = Wide(plain, CP_UTF8);
    wchar_t text[100] = {};
    if (GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, value.c_str(), &format, text, 100) <= 0) return plain;
    return Narrow(text, CP_UTF8);
}

class Win32LocaleFormat : public LocaleFormat {
public:
    std::string Integer(std::int64_t value) const override { return Number(std::to_string(value), 0); }

    std::string Decimal(double value, int digits) const override {
        const std::string plain = InvariantFormat().Decimal(value, digits);
        return Number(plain,
                      plain.find('.') == std::string::npos ? 0 : static_cast<int>(plain.size() - plain.find('.') - 1));
    }

    std::string Time(int hour, int minute, int second) const override {
        SYSTEMTIME at{};
        at.wYear = 2000;
        at.wMonth = 1;
        at.wDay = 1;
        at.wHour = static_cast<WORD>(hour);
        at.wMinute = static_cast<WORD>(minute < 0 ? 0 : minute);
        at.wSecond = static_cast<WORD>(second < 0 ? 0 : second);
        const DWORD flags = minute < 0 ? TIME_NOMINUTESORSECONDS : second < 0 ? TIME_NOSECONDS : 0;
        wchar_t text[64] = {};
        if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, flags, &at, nullptr, text, 64) <= 0)
            return InvariantFormat().Time(hour, minute, second);
        return Narrow(text, CP_UTF8);
    }

    std::string DayName(int weekday, bool abbreviated, std::string_view language) const override {
        const int day = ((weekday % 7) + 7) % 7;
        const LCTYPE type = (abbreviated ? LOCALE_SABBREVDAYNAME1 : LOCALE_SDAYNAME1) + static_cast<LCTYPE>(day);
        // The user's own locale keeps any names they set; another language's are its own.
        const std::wstring userLanguage = LocaleText(LOCALE_NAME_USER_DEFAULT, LOCALE_SISO639LANGNAME);
        const std::wstring wanted = Wide(std::string(language), CP_UTF8);
        const std::wstring base = wanted.substr(0, wanted.find(L'-'));
        std::wstring name = LocaleText(base == userLanguage ? LOCALE_NAME_USER_DEFAULT : wanted.c_str(), type);
        if (name.empty()) return InvariantFormat().DayName(weekday, abbreviated, language);
        return Narrow(name, CP_UTF8);
    }
};

}  // namespace

const LocaleFormat& WindowsLocaleFormat() {
    static const Win32LocaleFormat format;
    return format;
}

std::vector<std::string> WindowsLanguages() {
    ULONG count = 0, size = 0;
    std::vector<std::string> languages;
    if (GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) && size > 0) {
        std::wstring buffer(size, L'\0');
        if (GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, buffer.data(), &size))
            for (const wchar_t* name = buffer.c_str(); *name; name += wcslen(name) + 1)
                languages.push_back(Narrow(name, CP_UTF8));
    }
    // Where the list is empty: the language of the user's Windows.
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) > 0)
        languages.push_back(Narrow(name, CP_UTF8));
    return languages;
}
