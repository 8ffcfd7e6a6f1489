// Whether the alarm can be heard and seen: the wave file's header, Options'
// Test, and a notification that Windows holds back.
#include <fstream>
#include <iterator>

#include "MonitorFixture.h"
#include "common/WaveFile.h"
#include "monitor/AlarmChecks.h"
#include "text/Common.h"
#include "text/Languages.h"

namespace {

std::string Le16(std::uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)}; }
std::string Le32(std::uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A chunk with its size, padded to an even length; size overrides the size field.
std::string Chunk(const char* id, const std::string& body, std::int64_t size = -1) {
    return id + Le32(static_cast<std::uint32_t>(size < 0 ? body.size() : size)) + body +
           (body.size() % 2 ? std::string(1, '\0') : "");
}

std::string Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t blockAlign,
                   std::uint16_t bits, const std::string& more = "") {
    return Chunk("fmt ", Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * blockAlign) + Le16(blockAlign) +
                             Le16(bits) + more);
}

// An extensible format whose sub-format GUID begins with subTag; guidTail
// is the rest of the GUID.
std::string Extensible(std::uint16_t subTag, const std::string& guidTail) {
    return Format(0xFFFE, 2, 48000, 4, 16, Le16(22) + Le16(16) + Le32(3) + Le16(subTag) + guidTail);
}

const std::string kGuidTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
const std::string kPcm = Format(1, 2, 44100, 4, 16);
const std::string kData = Chunk("data", std::string(400, '\x10'));

// RIFF, its size (of what follows, unless given), WAVE and the chunks.
std::string Wave(const std::string& chunks, std::int64_t riffSize = -1) {
    return "RIFF" + Le32(static_cast<std::uint32_t>(riffSize < 0 ? chunks.size() + 4 : riffSize)) + "WAVE" + chunks;
}

TEST(WaveFileTest, PlaySoundFindsAFormatItKnowsAndSoundAfterIt) {
    struct Case {
        const char* what;
        std::string file;
        WaveVerdict verdict;
    };
    const Case cases[] = {
        {"PCM, 16 bits, stereo", Wave(kPcm + kData), WaveVerdict::Playable},
        {"8-bit mono, an odd-sized chunk before it", Wave(Chunk("LIST", "abc") + Format(1, 1, 8000, 1, 8) + kData),
         WaveVerdict::Playable},
        {"32-bit float, a fact chunk between", Wave(Format(3, 2, 48000, 8, 32) + Chunk("fact", Le32(100)) + kData),
         WaveVerdict::Playable},
        {"MPEG layer 3", Wave(Format(0x55, 1, 22050, 1, 0) + kData), WaveVerdict::Playable},
        {"extensible PCM", Wave(Extensible(1, kGuidTail) + kData), WaveVerdict::Playable},
        {"RIFF size of a stream", Wave(kPcm + kData, 0xFFFFFFFF), WaveVerdict::Playable},
        {"a text file", "Flyover sound, 4 seconds", WaveVerdict::NotRiffWave},
        {"an AVI", "RIFF" + Le32(100) + "AVI " + kPcm + kData, WaveVerdict::NotRiffWave},
        {"cut in its header", "RIFF" + Le32(100), WaveVerdict::NotRiffWave},
        {"no format", Wave(kData), WaveVerdict::NoFormat},
        {"a format too short", Wave(Chunk("fmt ", std::string(12, '\1')) + kData), WaveVerdict::ShortFormat},
        {"extensible without its GUID", Wave(Format(0xFFFE, 2, 48000, 4, 16) + kData), WaveVerdict::ShortFormat},
        {"AC-3", Wave(Format(0x2000, 2, 48000, 4, 16) + kData), WaveVerdict::UnknownEncoding},
        {"extensible, not a media sub-format", Wave(Extensible(1, std::string(14, 'x')) + kData),
         WaveVerdict::UnknownEncoding},
        {"12 bits", Wave(Format(1, 2, 44100, 3, 12) + kData), WaveVerdict::BadLayout},
        {"a block size that is not the frame's", Wave(Format(1, 2, 44100, 2, 16) + kData), WaveVerdict::BadLayout},
        {"no channels", Wave(Format(1, 0, 44100, 0, 16) + kData), WaveVerdict::BadLayout},
        {"500 Hz", Wave(Format(1, 1, 500, 2, 16) + kData), WaveVerdict::BadLayout},
        {"ADPCM in six channels", Wave(Format(2, 6, 44100, 1024, 4) + kData), WaveVerdict::BadLayout},
        {"empty sound", Wave(kPcm + Chunk("data", "")), WaveVerdict::NoSound},
        {"no sound", Wave(kPcm + Chunk("LIST", "INFO")), WaveVerdict::NoSound},
        {"sound only before the format", Wave(kData + kPcm), WaveVerdict::NoSound},
        {"sound outside the RIFF chunk", Wave(kPcm + kData, 4 + kPcm.size()), WaveVerdict::NoSound},
        {"sound cut off after its header", Wave(kPcm) + "data" + Le32(400), WaveVerdict::NoSound},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckWave(c.file, c.file.size()).verdict, c.verdict) << c.what;

    const WaveFacts mp3 = CheckWave(cases[3].file, cases[3].file.size());
    EXPECT_EQ(mp3.encoding, 0x55);
    EXPECT_EQ(mp3.sampleRate, 22050u);
    EXPECT_EQ(CheckWave(cases[4].file, cases[4].file.size()).encoding, 1) << "an extensible format's sub-format";

    std::ifstream file(WENDREL_ASSETS "Flyover.wav", std::ios::binary);
    const std::string flyover{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(CheckWave(flyover, flyover.size()).verdict, WaveVerdict::Playable) << "the default sound";
}

// Only the file's start is read: what lies beyond it is not held against it.
TEST(WaveFileTest, AFileLongerThanItsHeadIsJudgedByWhatTheHeadShows) {
    const std::string start = Wave(kPcm + Chunk("LIST", std::string(64, 'i')) + kData, 0xFFFFFFFF);
    const std::string head = start.substr(0, 12 + kPcm.size() + 20);  // cut inside the LIST chunk
    EXPECT_EQ(CheckWave(head, 1 << 24).verdict, WaveVerdict::Playable);
    EXPECT_EQ(CheckWave(head.substr(0, 16), 1 << 24).verdict, WaveVerdict::NoFormat);
    EXPECT_EQ(CheckWave(head, head.size()).verdict, WaveVerdict::NoSound) << "a file that really ends there";
}

const std::string kGoodWave = Wave(kPcm + kData);

// What Test says of the alarm's file, named as the alarm finds it.
TEST(AlarmSoundTest, TheFileIsFoundAsTheAlarmFindsItAndNamedWithWhatStopsIt) {
    FakeSound sound;
    sound.files = {{"C:\\Wendrel\\Flyover.wav", kGoodWave}, {"D:\\notes.txt", "not a wave"}};
    sound.unreadable = {"D:\\locked.wav"};
    struct Case {
        const char* path;
        std::optional<Msg> said;
        const char* text;  // in English
    };
    const Case cases[] = {
        {"Flyover.wav", std::nullopt, ""},
        {"", Msg::OptionsTestNoSound, "No alarm sound is set: the alarm is silent."},
        {"alarm.wav", Msg::OptionsTestNoFile, "alarm.wav: no such file"},
        {"D:\\locked.wav", Msg::OptionsTestUnreadable, "D:\\locked.wav: cannot be read: Access is denied"},
        {"D:\\notes.txt", Msg::OptionsTestNotWave, "D:\\notes.txt: not a wave file Windows can play"},
    };
    for (const Case& c : cases) {
        const auto problem = AlarmSoundProblem(c.path, sound);
        EXPECT_EQ(problem ? std::optional(problem->Id()) : std::nullopt, c.said) << c.path;
        EXPECT_EQ(problem ? InEnglish(*problem) : "", c.text) << c.path;
    }
}

// Each state of Windows' notifications, for the alarm (which ignores quiet
// time) and the reminder (which respects it): held back, and why; an alarm
// held back is said in the status line under the scan's line, and in the log.
TEST_F(MonitorFixture, EachStateThatHoldsNotificationsBackIsSaidForTheAlarm) {
    using S = NotificationState;
    const std::pair<S, const char*> states[] = {
        {S::Accepted, nullptr},
        {S::Unknown, nullptr},
        {S::NotPresent, "the computer is locked or the screen saver is running"},
        {S::Busy, "a full-screen program is running"},
        {S::FullScreenD3D, "a full-screen Direct3D program is running"},
        {S::Presentation, "presentation mode is on"},
        {S::QuietTime, nullptr},  // the alarm shows in quiet time
        {S::App, "a full-screen app is running"},
    };
    for (const auto& [state, why] : states) {
        const auto alarm = HeldBackReason(state, false), reminder = HeldBackReason(state, true);
        EXPECT_EQ(alarm ? InEnglish(*alarm) : "", why ? why : "") << static_cast<int>(state);
        EXPECT_EQ(reminder ? InEnglish(*reminder) : "", state == S::QuietTime ? "it is quiet time" : why ? why : "");
        FakeWorld world;
        world.tray.state = state;
        world.inet.ServePage(StatusPage("5"));
        StartedForm f{world.Deps()};
        const std::string said = why ? "\r\nWindows held the notification back: " + std::string(why) +
                                           "; the sound played and the icon flashes"
                                     : "";
        EXPECT_EQ(world.view.statusLine, "Last scan 21:04:05: 5 players" + said);
        EXPECT_EQ(world.log.Count("Windows held the notification back"), why ? 1 : 0);
        ASSERT_EQ(world.tray.notifications.size(), 1u);
        EXPECT_FALSE(world.tray.notifications[0].respectQuietTime) << "the alarm was asked for";
    }
    // A silent alarm claims no sound; the next scan's line stands alone.
    tray.state = NotificationState::Presentation;
    Store("AlarmSound", std::string(), kRegSz);
    Players(14);
    Start();
    EXPECT_EQ(view.statusLine, "Last scan 21:04:05: 14 players\r\nWindows held the notification back: presentation "
                               "mode is on; the icon flashes");
    EXPECT_EQ(TicksToCheck(), 300);
    EXPECT_EQ(view.statusLine, "Last scan 21:04:05: 14 players");
}

// Options' Test: the sound as the alarm plays it, its notification, and the
// icon flashing for a few seconds; what stops any of them is told.
TEST_F(MonitorFixture, TestPlaysNotifiesAndFlashesAndTellsWhatStopsThem) {
    Start();
    tray.Clear();
    sound.files["C:\\Wendrel\\Flyover.wav"] = kGoodWave;
    EXPECT_TRUE(form.TestAlarm("Flyover.wav", 7).empty());
    ASSERT_FALSE(sound.played.empty());
    EXPECT_EQ(sound.played.back(), (std::pair<std::string, std::uint32_t>{"Flyover.wav", kSndFilenameNoDefaultAsync}));
    ASSERT_EQ(tray.notifications.size(), 1u);
    EXPECT_EQ(tray.notifications[0].title, "Drevak Wing: 7 players online");
    EXPECT_EQ(tray.notifications[0].text,
              "Your alarm is set for 7 players or more. Click here to see the lobby's status.");
    Ticks(10);
    EXPECT_EQ(tray.IconSteps(), "HNHNHN") << "a few seconds, ending on the normal icon";
    EXPECT_EQ(log.Count("test: sound \"Flyover.wav\", alarm at 7 players"), 1);
    EXPECT_EQ(log.Count("alarm on"), 0) << "a test is no alarm";

    tray.state = NotificationState::FullScreenD3D;
    const std::vector<Message> found = form.TestAlarm("gone.wav", 2);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(InEnglish(found[0]), "gone.wav: no such file");
    EXPECT_EQ(InEnglish(found[1]),
              "Windows held the notification back: a full-screen Direct3D program is running; the icon flashes");
    EXPECT_EQ(log.Count("test: gone.wav: no such file"), 1);
}

// A new language: the main window captions itself again, the status line is
// said again in it, with its notes, and the History window draws again.
TEST_F(MonitorFixture, RetranslateSaysTheStatusLineAgainInTheNewLanguage) {
    FakeHistoryView history;
    const InvariantFormat format;
    Texts texts(format);
    MonitorDeps deps = Deps();
    deps.texts = &texts;
    deps.historyView = &history;
    tray.state = NotificationState::Busy;
    Players(14);
    StartedForm f{deps};
    texts.Use(*FindLanguage("qps-ploc"));
    f.Retranslate();
    EXPECT_EQ(view.retranslations, 1);
    EXPECT_EQ(history.updates, 1);
    EXPECT_EQ(view.statusLine, texts(Message(Msg::StatusScanned, TimeOfDay{21, 4, 5}, ::Players(14))) + "\r\n" +
                                   texts(Message(Msg::NotifyHeldBack, Message(Msg::NotifyHeldBusy))));
}

}  // namespace
