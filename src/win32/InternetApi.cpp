#include "win32/InternetApi.h"

#include "win32/SystemLibrary.h"

const InternetApi* InternetApi::System() {
    static const InternetApi* api = []() -> const InternetApi* {
        const HMODULE wininet = LoadSystemLibrary("wininet.dll");
        if (!wininet) return nullptr;
        static InternetApi loaded;
        bool complete = true;
#define WENDREL_INTERNET_LOAD(member, function) \
    complete = (loaded.member = SystemFunction<decltype(loaded.member)>(wininet, #function)) && complete;
        WENDREL_INTERNET_FUNCTIONS(WENDREL_INTERNET_LOAD)
#undef WENDREL_INTERNET_LOAD
        return complete ? &loaded : nullptr;
    }();
    return api;
}
