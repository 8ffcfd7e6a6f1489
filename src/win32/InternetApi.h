#pragma once

#include <windows.h>
#include <wininet.h>

// The WinINet functions the fetch calls, through pointers: wendrel.exe does
// not import wininet.dll (see SystemLibrary.h), and a test can hand the
// fetch functions of its own.
struct InternetApi {
    decltype(&InternetCrackUrlA) CrackUrl = nullptr;
    decltype(&InternetOpenA) Open = nullptr;
    decltype(&InternetConnectA) Connect = nullptr;
    decltype(&HttpOpenRequestA) OpenRequest = nullptr;
    decltype(&InternetSetOptionA) SetOption = nullptr;
    decltype(&HttpSendRequestA) SendRequest = nullptr;
    decltype(&HttpQueryInfoA) QueryInfo = nullptr;
    decltype(&InternetReadFile) ReadFile = nullptr;
    decltype(&InternetCloseHandle) CloseHandle = nullptr;
    decltype(&InternetQueryOptionA) QueryOption = nullptr;
    decltype(&InternetCombineUrlA) CombineUrl = nullptr;
    decltype(&InternetTimeToSystemTimeA) TimeToSystemTime = nullptr;

    // wininet.dll's functions, loaded from the system folder at first use;
    // null when it cannot be loaded.
    static const InternetApi* System();
};
