#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "history/HistoryFigures.h"
#include "text/Common.h"
#include "text/Inflate.h"
#include "text/Languages.h"
#include "text/Texts.h"

namespace {

const InvariantFormat kFormat;

const Catalogue& Language(const char* code) {
    const Catalogue* c = FindLanguage(code);
    EXPECT_NE(c, nullptr) << code;
    return c ? *c : EnglishCatalogue();
}

// Unicode CLDR's plural category of each count, and the form each language's
// PO file gives that category.
TEST(Plurals, EachLanguageFollowsCldr) {
    const std::vector<std::uint64_t> counts = {0, 1, 2, 4, 5, 11, 12, 14, 21, 22, 25, 101, 111, 1000000};
    const std::map<std::string, std::string> categories = {
        // one (o), few (f), many (m), other (x), in the order of counts
        {"en", "xoxxxxxxxxxxxx"}, {"de", "xoxxxxxxxxxxxx"}, {"hu", "xoxxxxxxxxxxxx"},
        {"fr", "ooxxxxxxxxxxxm"}, {"ru", "moffmmmmofmomm"}, {"pl", "moffmmmmmfmmmm"},
    };
    const std::map<std::string, std::map<char, int>> forms = {
        {"en", {{'o', 0}, {'x', 1}}},           {"de", {{'o', 0}, {'x', 1}}},
        {"hu", {{'o', 0}, {'x', 1}}},           {"fr", {{'o', 0}, {'m', 1}, {'x', 2}}},
        {"ru", {{'o', 0}, {'f', 1}, {'m', 2}}}, {"pl", {{'o', 0}, {'f', 1}, {'m', 2}}},
    };
    for (const auto& [code, expected] : categories) {
        const Catalogue& c = Language(code.c_str());
        for (std::size_t i = 0; i < counts.size(); ++i)
            EXPECT_EQ(c.plural(counts[i]), forms.at(code).at(expected[i])) << code << " " << counts[i];
    }
}

TEST(Plurals, CountChoosesTheWordsForm) {
    struct Case {
        const char* language;
        std::int64_t count;
        const char* text;
    } cases[] = {
        {"en", 1, "1 player"},   {"en", 0, "0 players"},   {"ru", 1, "1 игрок"},
        {"ru", 3, "3 игрока"},   {"ru", 11, "11 игроков"}, {"pl", 22, "22 gracze"},
        {"pl", 25, "25 graczy"}, {"fr", 0, "0 joueur"},    {"fr", 1000000, "1000000 de joueurs"},
        {"en", -1, "-1 player"},  // a negative count takes its size's form
    };
    for (const Case& c : cases)
        EXPECT_EQ(Texts(kFormat, Language(c.language))(Message(Msg::CommonPlayers, Count{c.count})), c.text)
            << c.language << " " << c.count;
}

TEST(Substitute, PutsEachValueWhereItsNumberStands) {
    const std::vector<std::string> values = {"A", "B", "{1}"};
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"{1} of {2}", "A of B"},
        {"{2} von {1}", "B von A"},  // a translation may reorder
        {"{1}{1}", "AA"},
        {"{3}", "{1}"},                        // a value is never read again
        {"{4} {0} {} {x}", "{4} {0} {} {x}"},  // no such value: it shows
        {"{1", "{1"},
        {"{{1}}", "{A}"},
        {"{01}", "{01}"},
        {"{1}{2}{3}{4}", "AB{1}{4}"},
    };
    for (const Case& c : cases) EXPECT_EQ(Substitute(c.text, values), c.expected) << c.text;
}

TEST(Texts, NestedMessagesSpeakTheSameLanguage) {
    const Texts german(kFormat, Language("de"));
    EXPECT_EQ(german(Message(Msg::LanguageName)), "Deutsch");
    EXPECT_EQ(InEnglish(Message(Msg::CommonPlayers, Count{2})), "2 players");
    // A language that lacks a text shows the English one.
    const Catalogue& de = Language("de");
    Catalogue lacking = de;
    lacking.table = []() -> const TextTable& {
        static const TextTable none;
        return none;
    };
    EXPECT_EQ(Texts(kFormat, lacking)(Message(Msg::MenuExit)), "E&xit");
}

TEST(Languages, WindowsLanguageElseTheSameLanguageElseEnglish) {
    struct Case {
        const char* stored;
        std::vector<std::string> windows;
        const char* chosen;
    } cases[] = {
        {"", {"de-DE"}, "de"},
        {"", {"de-AT"}, "de"},
        {"", {"de-CH", "en-US"}, "de"},
        {"", {"fr-CA"}, "fr"},
        {"", {"es-ES", "ru-RU"}, "ru"},
        {"", {"es-ES"}, "en"},
        {"", {}, "en"},
        {"", {"HU-hu"}, "hu"},
        {"", {"pl_PL"}, "pl"},
        {"ru", {"de-DE"}, "ru"},
        {"en", {"fr-FR"}, "en"},
        {"xx", {"pl-PL"}, "pl"},
        {"qps-ploc", {"de-DE"}, "qps-ploc"},
        {"", {"qps-ploc"}, "en"},
        {"de-AT", {"ru-RU"}, "de"},
        {"fr-CA", {}, "fr"},
        {"DE", {"pl-PL"}, "de"},
        {"en-GB", {"de-DE"}, "en"},
        {"pt-BR", {"hu-HU"}, "hu"},
        {"qps-XX", {"ru-RU"}, "ru"},
        {"-AT", {"pl-PL"}, "pl"},
    };
    for (const Case& c : cases) EXPECT_STREQ(ChooseLanguage(c.stored, c.windows).code, c.chosen) << c.stored;
    // Options offers each language once, by its own name, English first; not the test language.
    std::vector<std::string> names;
    for (const Catalogue& c : OfferedLanguages()) names.push_back(std::string(c.Text(Msg::LanguageName)));
    EXPECT_EQ(names, (std::vector<std::string>{"English", "Deutsch", "Русский", "Polski", "Magyar", "Français"}));
}

TEST(Texts, TestLanguageIsLongerBracketedAndKeepsPlaceholdersAndKeys) {
    const Texts pseudo(kFormat, Language("qps-ploc"));
    for (std::size_t i = 0; i < kMessageCount; ++i) {
        const auto id = static_cast<Msg>(i);
        const std::string english(EnglishCatalogue().Text(id)), text(pseudo.Template(id));
        EXPECT_TRUE(text.starts_with("[") && text.ends_with("]")) << text;
        EXPECT_GE(text.size(), english.size() * 13 / 10) << text;
        EXPECT_EQ(text.find('&') == std::string::npos, english.find('&') == std::string::npos) << text;
    }
    EXPECT_EQ(pseudo(Message(Msg::CommonPlayers, Count{7})).find("7 "), 1u);
}

// Each phrase that names a weekday is that day's own message (a translation
// declines the day): the English of each names the day it was asked for.
TEST(Texts, EachWeekdayPhraseNamesItsDay) {
    for (const auto kind : {DayPhraseKind::DayHours, DayPhraseKind::NextDayHours, DayPhraseKind::Evidence,
                            DayPhraseKind::EveryDayHours, DayPhraseKind::FirstDay})
        for (int day = -7; day < 14; ++day)
            EXPECT_NE(EnglishTexts().Template(DayPhrase(kind, day)).find(kFormat.DayName((day + 7) % 7, false, "en")),
                      std::string::npos)
                << static_cast<int>(kind) << " " << day;
}

// Windows cuts a notification's title after 63 UTF-16 units and its text
// after 255. In every language, with the longest values each can get (two
// thousand million players, 13 weeks on record, each weekday, the hour on a
// 12-hour clock), the alarm's and the reminder's stay within them.
TEST(Texts, EveryNotificationFitsWhatWindowsShows) {
    struct Longest : InvariantFormat {
        // Grouped as Russian and French group: "2 147 483 647" with no-break spaces.
        std::string Integer(std::int64_t value) const override {
            std::string digits = std::to_string(value), grouped;
            for (std::size_t i = 0; i < digits.size(); ++i)
                grouped += (i > 0 && (digits.size() - i) % 3 == 0 ? "\u00a0" : "") + digits.substr(i, 1);
            return grouped;
        }
        std::string Time(int, int, int) const override { return "12:00:00 AM"; }
    } format;
    const auto units = [](const std::string& utf8) {  // a lead byte each, two for a 4-byte sequence
        std::size_t n = 0;
        for (const unsigned char c : utf8) n += (c & 0xC0) != 0x80 ? (c >= 0xF0 ? 2 : 1) : 0;
        return n;
    };
    const std::int32_t most = INT32_MAX;
    for (const Catalogue& language : AllCatalogues()) {
        const Texts texts(format, language);
        std::vector<std::string> titles = {texts(Message(Msg::NotifyAlarmTitle, Players(most))),
                                           texts(Msg::NotifyRemindTitle)};
        std::vector<std::string> bodies = {texts(Message(Msg::NotifyAlarmText, Players(most)))};
        for (int weekday = 0; weekday < 7; ++weekday)
            for (const std::int64_t now : {0, -86400})  // the span starts today, or tomorrow
                bodies.push_back(texts(BusySoonReminder({.start = 0, .weekday = weekday, .reached = 13, .weeks = 13},
                                                        most, now, [](std::int64_t) { return 0; })));
        for (const std::string& title : titles) EXPECT_LE(units(title), 63u) << language.code << ": " << title;
        for (const std::string& text : bodies) EXPECT_LE(units(text), 255u) << language.code << ": " << text;
    }
}

// The texts are stored packed: each block kind unpacks, and a damaged stream
// or a wrong size gives nothing rather than a text cut or read past its end.
TEST(Texts, PackedTextsUnpackWholeOrNotAtAll) {
    using Bytes = std::vector<std::uint8_t>;
    const Bytes stored = {0x01, 0x03, 0x00, 0xfc, 0xff, 0x61, 0x62, 0x63};
    const Bytes fixed = {0xcb, 0x48, 0xcd, 0xc9, 0xc9, 0x57, 0xc8, 0x40, 0x90, 0x00};  // with a copy
    const struct {
        Bytes packed;
        std::size_t size;
        std::optional<std::string> text;
    } cases[] = {
        {stored, 3, "abc"},
        {fixed, 17, "hello hello hello"},
        {{0x03, 0x00}, 0, ""},
        {fixed, 16, std::nullopt},
        {fixed, 18, std::nullopt},
        {Bytes(fixed.begin(), fixed.end() - 1), 17, std::nullopt},            // cut short
        {{0x01, 0x03, 0x00, 0xfc, 0xfe, 0x61, 0x62, 0x63}, 3, std::nullopt},  // lengths disagree
        {{0x07}, 0, std::nullopt},                                            // no such block kind
        {{0x03, 0x02, 0x00}, 3, std::nullopt},                                // a copy from before the start
    };
    for (const auto& c : cases) EXPECT_EQ(Inflate(c.packed, c.size), c.text) << c.size;
    // Every language's texts unpack, a text for each form of each message.
    for (const Catalogue& language : AllCatalogues())
        EXPECT_EQ(language.table().starts.size(), language.first[kMessageCount]) << language.code;
}

}  // namespace
