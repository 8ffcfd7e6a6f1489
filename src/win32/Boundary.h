#pragma once

#include <new>
#include <stdexcept>

#include "text/Texts.h"

// The language of the messages below; English when none is given (before
// the program has chosen one, and after it has gone).
void SpeakAtBoundary(const Texts* texts);

// Tells the user that something the program was doing failed unexpectedly,
// and that it goes on running: what failed, as a message of the catalogue
// or in the library's own words. At most one such message is open at a time.
void ReportUnexpected(Msg what) noexcept;
void ReportUnexpected(const char* words) noexcept;

// Runs a call that Windows made into the program (a window or dialog
// procedure). An exception must not unwind through Windows: it ends here,
// reported, and Windows gets fallback.
template <typename Result, typename Call>
Result CatchAtBoundary(Result fallback, Call&& call) noexcept {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        ReportUnexpected(Msg::ProgramNoMemory);
    } catch (const std::exception& e) {
        ReportUnexpected(e.what());
    } catch (...) {
        ReportUnexpected(Msg::ProgramUnknownError);
    }
    return fallback;
}
