#include <gtest/gtest.h>
#include <windows.h>

#include "common/Names.h"
#include "settings/mdRegistry.h"
#include "win32/Win32Registry.h"

namespace {

// A key of its own, removed before and after each test.
constexpr const char* kTestKey = WENDREL_SETTINGS_KEY "Test";  // beside the program's own

struct RealRegistry : ::testing::Test {
    Win32Registry api;
    mdRegistry store{api};

    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

    // Type and size as the registry itself reports them.
    std::pair<DWORD, DWORD> Stored(const char* name) {
        DWORD type = 0, size = 0;
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &key) != 0) return {0, 0};
        RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
        RegCloseKey(key);
        return {type, size};
    }
    void PutRaw(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  0);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), 0);
        RegCloseKey(key);
    }
};

TEST_F(RealRegistry, MissingKeyReadsAbsentAndStoreCreatesNothing) {
    EXPECT_EQ(store.FetchSetting(kTestKey, "Players"), SettingValue{});
    store.StoreSetting(kTestKey, "Players", std::int32_t{3}, kRegDword);
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RealRegistry, RoundTripsEveryTypeWithTheExactStoredSizes) {
    store.EnsureKey(kTestKey, kHKeyCurrentUser);
    store.StoreSetting(kTestKey, "AlarmSound", std::string("C:\\Sounds\\Fly over.wav"), kRegSz);
    store.StoreSetting(kTestKey, "Empty", std::string(), kRegSz);
    store.StoreSetting(kTestKey, "CheckInterval", std::int32_t{-7}, kRegDword);
    store.StoreSetting(kTestKey, "Multi", std::string("x"), 7);

    EXPECT_EQ(Stored("AlarmSound"), (std::pair<DWORD, DWORD>{REG_SZ, 23}));
    EXPECT_EQ(Stored("Empty"), (std::pair<DWORD, DWORD>{REG_SZ, 1}));
    EXPECT_EQ(Stored("CheckInterval"), (std::pair<DWORD, DWORD>{REG_DWORD, 4}));
    EXPECT_EQ(Stored("Multi").first, 0u);

    EXPECT_EQ(store.FetchSetting(kTestKey, "AlarmSound"), SettingValue(std::string("C:\\Sounds\\Fly over.wav")));
    EXPECT_EQ(store.FetchSetting(kTestKey, "Empty"), SettingValue(std::string()));
    EXPECT_EQ(store.FetchSetting(kTestKey, "CheckInterval"), SettingValue(std::int32_t{-7}));
    EXPECT_EQ(store.FetchSetting(kTestKey, "Missing"), SettingValue{});
}

TEST_F(RealRegistry, ValuesOfOtherProgramsReadAsTheStoreAllows) {
    PutRaw("Unterminated", REG_SZ, "abc", 3);
    PutRaw("ZeroSize", REG_SZ, "", 0);
    PutRaw("Expand", REG_EXPAND_SZ, "%TEMP%", 7);
    PutRaw("Binary", REG_BINARY, "\x01\x02", 2);
    const unsigned char eight[8] = {5};
    PutRaw("Dword8", REG_DWORD, eight, 8);
    PutRaw("Dword2", REG_DWORD, eight, 2);
    const std::string big(1 << 20, 'x');
    PutRaw("Big", REG_SZ, big.c_str(), static_cast<DWORD>(big.size() + 1));

    // Read wide, a text without its terminating zero loses no letter.
    EXPECT_EQ(store.FetchSetting(kTestKey, "Unterminated"), SettingValue(std::string("abc")));
    EXPECT_EQ(store.FetchSetting(kTestKey, "ZeroSize"), SettingValue{});
    EXPECT_EQ(store.FetchSetting(kTestKey, "Expand"), SettingValue{});
    EXPECT_EQ(store.FetchSetting(kTestKey, "Binary"), SettingValue{});
    EXPECT_EQ(store.FetchSetting(kTestKey, "Dword8"), SettingValue{});
    EXPECT_EQ(store.FetchSetting(kTestKey, "Dword2"), SettingValue{});
    EXPECT_EQ(store.FetchSetting(kTestKey, "Big"), SettingValue(big));
}

TEST_F(RealRegistry, OpenOfAMissingKeyLeavesTheHandleAtZero) {
    RegKey key = 0;
    EXPECT_EQ(api.OpenKeyEx(kHKeyCurrentUser, kTestKey, 0, kKeyAccess, key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, 0u);
    std::uint32_t type = 0, size = 0;
    EXPECT_NE(api.QueryValueEx(0, "x", &type, nullptr, &size), 0);
}

}  // namespace
