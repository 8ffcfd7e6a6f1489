#include "win32/Boundary.h"

#include <windows.h>

#include "win32/TextConversion.h"

namespace {
const Texts* language = nullptr;
// Made beforehand: when memory has run out, there may be none to make it.
std::wstring outOfMemory = Wide(EnglishTexts()(Msg::ProgramOutOfMemory), CP_UTF8);
// A failure while the message is open (a timer's, say) is not shown again.
bool showing = false;

// Shows the message; what() gives what failed, made inside, where a failure
// to make it is caught.
template <typename What>
void Report(What what) noexcept {
    if (showing) return;
    showing = true;
    try {
        const Texts& say = language ? *language : EnglishTexts();
        MessageBoxW(nullptr, Wide(say(Message(Msg::ProgramUnexpected, what())), CP_UTF8).c_str(), L"Wendrel",
                    MB_ICONERROR | MB_SETFOREGROUND);
    } catch (...) {
        MessageBoxW(nullptr, outOfMemory.c_str(), L"Wendrel", MB_ICONERROR);
    }
    showing = false;
}
}  // namespace

void SpeakAtBoundary(const Texts* texts) {
    language = texts;
    outOfMemory = Wide((texts ? *texts : EnglishTexts())(Msg::ProgramOutOfMemory), CP_UTF8);
}

void ReportUnexpected(Msg what) noexcept {
    Report([what] { return Arg(Message(what)); });
}

void ReportUnexpected(const char* words) noexcept {
    Report([words] { return Arg(std::string(words)); });
}
