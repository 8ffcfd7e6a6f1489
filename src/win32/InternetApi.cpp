#include "win32/InternetApi.h"

#include "win32/SystemLibrary.h"

const InternetApi* InternetApi::System() {
    static const InternetApi* api = []() -> const InternetApi* {
        const HMODULE wininet = LoadSystemLibrary("wininet.dll");
        if (!wininet) return nullptr;
        static InternetApi loaded;
        loaded.CrackUrl = SystemFunction<decltype(CrackUrl)>(wininet, "InternetCrackUrlA");
        loaded.Open = SystemFunction<decltype(Open)>(wininet, "InternetOpenA");
        loaded.Connect = SystemFunction<decltype(Connect)>(wininet, "InternetConnectA");
        loaded.OpenRequest = SystemFunction<decltype(OpenRequest)>(wininet, "HttpOpenRequestA");
        loaded.SetOption = SystemFunction<decltype(SetOption)>(wininet, "InternetSetOptionA");
        loaded.SendRequest = SystemFunction<decltype(SendRequest)>(wininet, "HttpSendRequestA");
        loaded.QueryInfo = SystemFunction<decltype(QueryInfo)>(wininet, "HttpQueryInfoA");
        loaded.ReadFile = SystemFunction<decltype(ReadFile)>(wininet, "InternetReadFile");
        loaded.CloseHandle = SystemFunction<decltype(CloseHandle)>(wininet, "InternetCloseHandle");
        loaded.QueryOption = SystemFunction<decltype(QueryOption)>(wininet, "InternetQueryOptionA");
        loaded.CombineUrl = SystemFunction<decltype(CombineUrl)>(wininet, "InternetCombineUrlA");
        loaded.TimeToSystemTime = SystemFunction<decltype(TimeToSystemTime)>(wininet, "InternetTimeToSystemTimeA");
        const bool complete = loaded.CrackUrl && loaded.Open && loaded.Connect && loaded.OpenRequest &&
                              loaded.SetOption && loaded.SendRequest && loaded.QueryInfo && loaded.ReadFile &&
                              loaded.CloseHandle && loaded.QueryOption && loaded.CombineUrl && loaded.TimeToSystemTime;
        return complete ? &loaded : nullptr;
    }();
    return api;
}
