#include "win32/WinError.h"

#include "status/InternetErrors.h"
#include "text/Texts.h"
#include "win32/Handles.h"
#include "win32/TextConversion.h"

namespace {

// Windows' text for code in the language languageId (0: Windows' choice),
// without its trailing line break and full stop; empty when it has none.
std::string FormatSystemMessage(DWORD code, DWORD languageId) {
    wchar_t* text = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    HMODULE source = nullptr;
    if (IsInternetError(code)) {
        source = GetModuleHandleW(L"wininet.dll");
        if (source) flags |= FORMAT_MESSAGE_FROM_HMODULE;
    }
    const DWORD length = FormatMessageW(flags, source, code, languageId, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const UniqueLocal buffer(text);
    std::string message = length ? Narrow(std::wstring(text, length), CP_UTF8) : std::string();
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

// The language id Windows has for a catalogue's code; 0 for none.
DWORD LanguageId(std::string_view language) {
    if (language.empty()) return 0;
    const LCID locale = LocaleNameToLCID(Wide(std::string(language), CP_UTF8).c_str(), 0);
    return locale ? LANGIDFROMLCID(locale) : 0;
}

}  // namespace

Arg ErrorWords(DWORD code, std::string_view language) {
    if (const auto words = InternetErrorMessage(code)) return Message(*words);
    const DWORD languageId = LanguageId(language);
    std::string text = FormatSystemMessage(code, languageId);
    if (text.empty() && languageId) text = FormatSystemMessage(code, 0);
    if (!text.empty()) return text;
    return Message(IsInternetError(code) ? Msg::NetOtherInternetError : Msg::NetOtherError, std::to_string(code));
}

std::string SystemErrorText(DWORD code) { return EnglishTexts().Value(ErrorWords(code)); }

bool FailWithLastError(std::string& error) {
    error = SystemErrorText(GetLastError());
    return false;
}
