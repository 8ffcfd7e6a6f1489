#include <gtest/gtest.h>

#include "MemoryRegistry.h"
#include "settings/Settings.h"
#include "settings/mdRegistry.h"

namespace {

constexpr const char* kKey = Settings::kKeyPath;

struct StoreFixture : ::testing::Test {
    MemoryRegistry registry;
    mdRegistry store{registry};

    std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
};

TEST_F(StoreFixture, FirstRunReadsAbsentAndCreatesNothing) {
    for (const char* name : {"CheckInterval", "Players", "AlarmSound", "ZalmoPath", "InWindow"})
        EXPECT_TRUE(std::holds_alternative<std::monostate>(store.FetchSetting(kKey, name))) << name;
    EXPECT_FALSE(registry.HasKey(kKey));
    EXPECT_EQ(registry.openHandles, 0);
    EXPECT_EQ(registry.callsWithoutKey, 0) << "a key that did not open was used";
}

TEST_F(StoreFixture, StoreWithoutEnsureKeyWritesNothing) {
    store.StoreSetting(kKey, "Players", std::int32_t{3}, kRegDword);
    EXPECT_FALSE(registry.HasKey(kKey));
    EXPECT_EQ(registry.ValueCount(), 0u);
    EXPECT_EQ(registry.callsWithoutKey, 0) << "a key that did not open was used";
}

TEST_F(StoreFixture, RoundTripsWithTheStoredLayout) {
    store.EnsureKey(kKey, kHKeyCurrentUser);
    EXPECT_TRUE(registry.HasKey(std::string(kKey).substr(0, std::string(kKey).rfind('\\'))));  // the key above it
    store.StoreSetting(kKey, "AlarmSound", std::string("C:\\a b\\x.wav"), kRegSz);
    store.StoreSetting(kKey, "Empty", std::string(), kRegSz);
    store.StoreSetting(kKey, "Players", std::int32_t{-2}, kRegDword);

    const auto* text = registry.Get(kKey, "AlarmSound");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->type, kRegSz);
    EXPECT_EQ(text->bytes, Bytes(std::string("C:\\a b\\x.wav") + '\0'));
    EXPECT_EQ(registry.Get(kKey, "Empty")->bytes, std::vector<std::uint8_t>{0});
    EXPECT_EQ(registry.Get(kKey, "Players")->bytes, (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(registry.Get(kKey, "Players")->type, kRegDword);

    EXPECT_EQ(std::get<std::string>(store.FetchSetting(kKey, "AlarmSound")), "C:\\a b\\x.wav");
    EXPECT_EQ(std::get<std::string>(store.FetchSetting(kKey, "Empty")), "");
    EXPECT_EQ(std::get<std::int32_t>(store.FetchSetting(kKey, "Players")), -2);
    EXPECT_EQ(registry.openHandles, 0);
}

struct ReadCase {
    const char* what;
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
    SettingValue expected;
};

TEST_F(StoreFixture, ReadsWhatOtherProgramsStoredAsFarAsItIsUsable) {
    const ReadCase cases[] = {
        {"unterminated text loses its last character", kRegSz, Bytes("abc"), std::string("ab")},
        {"any last byte is dropped", kRegSz, Bytes("abcX"), std::string("abc")},
        {"zero-size text is absent", kRegSz, {}, std::monostate{}},
        {"expandable string is absent", 2, Bytes("%TEMP%"), std::monostate{}},
        {"binary is absent", 3, {1, 2, 3, 4}, std::monostate{}},
        {"multi-string is absent", 7, Bytes(std::string("a\0\0", 3)), std::monostate{}},
        {"DWORD of 2 bytes is absent", kRegDword, {1, 0}, std::monostate{}},
        {"DWORD of 8 bytes is absent", kRegDword, {1, 0, 0, 0, 0, 0, 0, 0}, std::monostate{}},
        {"DWORD of 4 bytes is little-endian", kRegDword, {0x9F, 0x86, 0x01, 0x00}, std::int32_t{99999}},
        {"text under a number's name reads as text", kRegSz, Bytes(std::string("7\0", 2)), std::string("7")},
    };
    for (const auto& c : cases) {
        registry.Put(kKey, "V", c.type, c.bytes);
        EXPECT_EQ(store.FetchSetting(kKey, "V"), c.expected) << c.what;
    }
}

TEST_F(StoreFixture, ReadKeyValueStatusesAndUntouchedOutput) {
    store.EnsureKey(kKey, kHKeyCurrentUser);
    RegKey key = 0;
    ASSERT_EQ(registry.OpenKeyEx(kHKeyCurrentUser, kKey, 0, kKeyAccess, key), 0);
    SettingValue out = std::string("kept");
    EXPECT_EQ(store.ReadKeyValue(key, "missing", out), MemoryRegistry::kFileNotFound);
    EXPECT_EQ(out, SettingValue(std::string("kept")));
    EXPECT_EQ(store.ReadKeyValue(0, "missing", out), MemoryRegistry::kInvalidHandle);
    registry.Put(kKey, "bin", 3, {1});
    EXPECT_EQ(store.ReadKeyValue(key, "bin", out), mdRegistry::kUnusableValue);
    EXPECT_EQ(out, SettingValue(std::string("kept")));
    registry.Put(kKey, "empty", kRegSz, {});
    EXPECT_EQ(store.ReadKeyValue(key, "empty", out), 0);
    EXPECT_EQ(out, SettingValue(std::string("kept")));
    registry.CloseKey(key);
}

TEST_F(StoreFixture, TextThatGrowsBetweenTheTwoQueriesReadsAbsent) {
    registry.PutText(kKey, "AlarmSound", "short");
    registry.beforeDataQuery = [&] { registry.PutText(kKey, "AlarmSound", "a much longer text"); };
    RegKey key = 0;
    registry.OpenKeyEx(kHKeyCurrentUser, kKey, 0, kKeyAccess, key);
    SettingValue out = std::string("kept");
    EXPECT_EQ(store.ReadKeyValue(key, "AlarmSound", out), MemoryRegistry::kMoreData);
    EXPECT_EQ(out, SettingValue{});
}

TEST_F(StoreFixture, WriteKeyValueTypes) {
    store.EnsureKey(kKey, kHKeyCurrentUser);
    RegKey key = 0;
    registry.OpenKeyEx(kHKeyCurrentUser, kKey, 0, kKeyAccess, key);
    EXPECT_EQ(store.WriteKeyValue(key, "multi", 7, std::string("x")), 0);
    EXPECT_EQ(registry.Get(kKey, "multi"), nullptr);
    EXPECT_EQ(store.WriteKeyValue(key, "n", kRegDword, std::string(" 12 ")), 0);
    EXPECT_EQ(store.FetchSetting(kKey, "n"), SettingValue(std::int32_t{12}));
    EXPECT_NE(store.WriteKeyValue(key, "bad", kRegDword, std::string("abc")), 0);
    EXPECT_EQ(registry.Get(kKey, "bad"), nullptr);
    EXPECT_EQ(store.WriteKeyValue(key, "t", kRegSz, std::int32_t{42}), 0);
    EXPECT_EQ(store.FetchSetting(kKey, "t"), SettingValue(std::string("42")));
    EXPECT_EQ(store.WriteKeyValue(0, "t", kRegSz, std::string("x")), MemoryRegistry::kInvalidHandle);
    registry.CloseKey(key);
}

TEST_F(StoreFixture, KeyWithoutAccessReadsAbsent) {
    registry.PutText(kKey, "AlarmSound", "x.wav");
    registry.deniedKeys.insert("software\\orvane\\wendrel");
    EXPECT_EQ(store.FetchSetting(kKey, "AlarmSound"), SettingValue{});
    store.StoreSetting(kKey, "AlarmSound", std::string("y.wav"), kRegSz);
    EXPECT_EQ(registry.callsWithoutKey, 0) << "a key that did not open was used";
    registry.deniedKeys.clear();
    EXPECT_EQ(store.FetchSetting(kKey, "AlarmSound"), SettingValue(std::string("x.wav")));
}

}  // namespace
