#pragma once

#include <windows.h>
#include <wininet.h>

// The WinINet functions the fetch calls, one row each: the member's name and
// the function's.
// clang-format off
#define WENDREL_INTERNET_FUNCTIONS(row)     \
    row(Open, InternetOpenA)                \
    row(Connect, InternetConnectA)          \
    row(OpenRequest, HttpOpenRequestA)      \
    row(SetOption, InternetSetOptionA)      \
    row(SendRequest, HttpSendRequestA)      \
    row(QueryInfo, HttpQueryInfoA)          \
    row(QueryDataAvailable, InternetQueryDataAvailable) \
    row(ReadFile, InternetReadFile)         \
    row(CloseHandle, InternetCloseHandle)   \
    row(QueryOption, InternetQueryOptionA)
// clang-format on

// The fetch calls WinINet through these pointers: wendrel.exe does not
// import wininet.dll (see SystemLibrary.h), and a test can hand the fetch
// functions of its own.
struct InternetApi {
#define WENDREL_INTERNET_MEMBER(member, function) decltype(&function) member = nullptr;
    WENDREL_INTERNET_FUNCTIONS(WENDREL_INTERNET_MEMBER)
#undef WENDREL_INTERNET_MEMBER

    // wininet.dll's functions, loaded from the system folder at first use;
    // null when it or one of them cannot be loaded.
    static const InternetApi* System();
};
