#pragma once

#include <new>
#include <stdexcept>
#include <string>

// Tells the user that something the program was doing failed unexpectedly,
// and that it goes on running. At most one such message is open at a time.
void ReportUnexpected(const std::string& what) noexcept;

// Runs a call that Windows made into the program (a window or dialog
// procedure). An exception must not unwind through Windows: it ends here,
// reported, and Windows gets fallback.
template <typename Result, typename Call>
Result CatchAtBoundary(Result fallback, Call&& call) noexcept {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        ReportUnexpected("there was not enough memory");
    } catch (const std::exception& e) {
        ReportUnexpected(e.what());
    } catch (...) {
        ReportUnexpected("an unexpected error occurred");
    }
    return fallback;
}
