#include <gtest/gtest.h>

#include <set>

#include "common/SoundPath.h"

namespace {

TEST(SoundPathTest, RelativePathsFallBackToTheProgramFolder) {
    const std::set<std::string> files = {"C:\\Wendrel\\Flyover.wav", "here.wav", "C:\\Wendrel\\here.wav",
                                         "C:\\Wendrel\\sub\\x.wav"};
    const auto exists = [&](const std::string& p) { return files.count(p) != 0; };
    const std::pair<const char*, const char*> cases[] = {
        {"Flyover.wav", "C:\\Wendrel\\Flyover.wav"},  // not in the current folder
        {"here.wav", "here.wav"},                     // the current folder wins
        {"sub\\x.wav", "C:\\Wendrel\\sub\\x.wav"},
        {"missing.wav", "missing.wav"},
        {"D:\\Sounds\\a.wav", "D:\\Sounds\\a.wav"},
        {"\\\\server\\s.wav", "\\\\server\\s.wav"},
        {"", ""},
    };
    for (const auto& [path, resolved] : cases)
        EXPECT_EQ(ResolveSoundPath(path, "C:\\Wendrel\\", exists), resolved) << path;
}

}  // namespace
