// Where the logic's behaviour depends on what the machine does, the simulated desktop must fail the way
// the real one does: music that cannot sound, a text cut at a stored zero, a search pattern of stars.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/headless/headless_desktop.h"
#include "platform/sound_format.h"
#include "ui/media/media.h"

namespace dida {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// Frames of one MPEG-1 stream, 44.1 kHz: 1152 samples, about 26 ms each.
Bytes Mp3(int frames) {
    constexpr std::uint32_t kHeader = 0xFFFB9044;
    const int length = ParseMpegHeader(kHeader)->frameLength;
    Bytes b;
    for (int i = 0; i < frames; ++i) {
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back(std::uint8_t(kHeader >> shift));
        b.insert(b.end(), std::size_t(length - 4), std::uint8_t(i));
    }
    return b;
}

TEST(HeadlessRegistry, ATextWithAStoredZeroReadsUpToTheZeroAsWindowsReadsIt) {
    HeadlessDesktop desk;
    desk.registry().SetEnvironment("SystemRoot", "C:\\windows");
    struct Row {
        const char* name;
        RegType type;
        std::string stored, read;
    };
    const std::vector<Row> rows = {
        {"长鸣", RegType::Sz, std::string("1\0garbage", 9), "1"},
        {"闹铃时长", RegType::Sz, std::string("180\0\0", 5), "180"},
        {"软件静音", RegType::Sz, std::string(1, '\0') + "1", ""},
        {"MP3路径", RegType::ExpandSz, std::string("%SystemRoot%\\a.mp3\0%SystemRoot%", 31), "C:\\windows\\a.mp3"},
        {"默认功能", RegType::Sz, "2", "2"},
    };
    for (const Row& r : rows) {
        desk.registry().SetValue(kCurrentUser, "Software\\TORV", r.name, RegValue{r.type, r.stored, 0, {}});
        EXPECT_EQ(desk.RegReadText(kCurrentUser, std::string("Software\\TORV\\") + r.name, "空"), r.read) << r.name;
    }
}

TEST(HeadlessFiles, WildcardsMatchAsBefore) {
    HeadlessDesktop desk;
    desk.AddFile("C:\\music\\a.mp3");
    desk.AddFile("C:\\music\\闹钟 铃声.MP3");
    struct Row {
        std::string path;
        bool exists;
    };
    const std::vector<Row> rows = {
        {"C:\\music\\a.mp3", true},
        {"c:\\MUSIC\\A.Mp3", true},
        {"C:\\music", true},
        {"C:\\music\\*.mp3", true},
        {"C:\\music\\?.mp3", true},
        {"C:\\music\\??.mp3", false},
        {"C:\\music\\闹钟?铃声.*", true},
        {"C:\\music\\*铃*", true},
        {"C:\\*\\*.mp3", true},
        {"*", true},
        {"C:\\music\\*.wav", false},
        {"C:\\musi", false},
        {"C:\\music\\a.mp3\\*", false},
        {"C:\\music\\a.mp3*?", false},
        {"", false},
    };
    for (const Row& r : rows) EXPECT_EQ(desk.FileExists(r.path), r.exists) << r.path;
}

TEST(HeadlessFiles, APatternFullOfStarsIsAnsweredAtOnce) {
    HeadlessDesktop desk;
    desk.AddFile("C:\\" + std::string(70, 'a'));
    std::string stars = "C:\\";
    for (int i = 0; i < 40; ++i) stars += "*a";
    struct Row {
        std::string pattern;
        bool exists;
    };
    const std::vector<Row> rows = {
        {"C:\\*a*a*a*a*a*b", false},  // five stars once took more than half a second
        {stars + "b", false},
        {"C:\\" + std::string(60, '*') + "a", true},
        {stars.substr(0, 3 + 2 * 35), true},
    };
    for (const Row& r : rows) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(desk.FileExists(r.pattern), r.exists) << r.pattern;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms) << r.pattern;
    }
}

struct HeadlessMp3 : ::testing::Test {
    HeadlessDesktop desk;
    static constexpr const char* kGood = "C:\\music\\good.mp3";
    void SetUp() override { desk.AddFile(kGood, Mp3(40)); }  // a pass of 1045 ms
    std::vector<std::string> PlayingMp3() const {
        for (const auto& p : desk.playing())
            if (!p.mp3.empty()) return p.mp3;
        return {};
    }
    bool PlayingFallback() const {
        for (const auto& p : desk.playing())
            if (p.loop && SameBytes(p.bytes, media::kBuiltinSound1)) return true;
        return false;
    }
};

TEST_F(HeadlessMp3, OnlyAFileThatCanSoundStartsThePlayer) {
    desk.AddFile("C:\\music\\album\\track.mp3", Mp3(5));
    desk.AddFile("C:\\music\\empty.mp3");
    Bytes wav(media::kBuiltinSound1.begin(), media::kBuiltinSound1.end());
    desk.AddFile("C:\\music\\wave.mp3", wav);
    Bytes noise(64 * 1024);
    std::uint32_t state = 9;
    for (auto& b : noise) b = std::uint8_t((state = state * 1664525u + 1013904223u) >> 24);
    desk.AddFile("C:\\music\\noise.mp3", noise);
    struct Row {
        std::string path;
        bool plays;
    };
    const std::vector<Row> rows = {
        {"C:\\music\\album", false},
        {"C:\\music\\*.mp3", false},
        {"C:\\music\\empty.mp3", false},
        {"C:\\music\\wave.mp3", false},
        {"C:\\music\\noise.mp3", false},
        {"C:\\music\\missing.mp3", false},
        {"", false},
        {kGood, true},
    };
    for (const Row& r : rows) {
        ASSERT_EQ(desk.FileExists(r.path), r.path != "" && r.path != "C:\\music\\missing.mp3") << r.path;
        EXPECT_EQ(desk.PlayMp3(-1, {r.path}), r.plays) << r.path;
        EXPECT_EQ(desk.sounds().back().result, r.plays) << r.path;
        EXPECT_EQ(PlayingMp3().empty(), !r.plays) << r.path;
    }
    EXPECT_TRUE(desk.PlayMp3(1, {"C:\\music\\empty.mp3", kGood})) << "one file of the list that sounds is enough";
    EXPECT_FALSE(desk.PlayMp3(0, {kGood})) << "times 0 plays nothing";
    EXPECT_TRUE(PlayingMp3().empty()) << "and removes the player that was playing";
}

TEST_F(HeadlessMp3, PassesLastAsLongAsTheirFrames) {
    ASSERT_TRUE(desk.PlayMp3(2, {kGood}));
    desk.Advance(2089);
    EXPECT_EQ(PlayingMp3(), std::vector<std::string>{kGood});
    desk.Advance(2);
    EXPECT_TRUE(PlayingMp3().empty()) << "two passes of 1045 ms, then the player ends";
}

TEST_F(HeadlessMp3, APassWithoutSoundRingsTheFallbackUntilStopped) {
    ASSERT_TRUE(desk.PlayMp3(-1, {kGood}, media::kBuiltinSound1));
    desk.Advance(1500);
    desk.AddFile(kGood, {});  // emptied while its second pass plays: the third finds nothing to sound
    desk.Advance(589);
    EXPECT_EQ(PlayingMp3(), std::vector<std::string>{kGood});
    EXPECT_FALSE(PlayingFallback());
    desk.Advance(2);
    EXPECT_TRUE(PlayingMp3().empty());
    EXPECT_TRUE(PlayingFallback());
    desk.AddFile(kGood, Mp3(40));
    desk.Advance(60000);
    EXPECT_TRUE(PlayingFallback()) << "once fallen back, the fallback rings on";
    desk.StopAudio();
    EXPECT_TRUE(desk.playing().empty());

    ASSERT_TRUE(desk.PlayMp3(-1, {kGood}));
    desk.RemoveFile(kGood);
    desk.Advance(1045);
    EXPECT_TRUE(desk.playing().empty()) << "without a fallback the player just ends";
}

}  // namespace
}  // namespace dida
