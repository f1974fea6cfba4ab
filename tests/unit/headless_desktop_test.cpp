// Where the logic's behaviour depends on what the machine does, the simulated desktop must fail the way
// the real one does: music that cannot sound, a text cut at a stored zero, a search pattern of stars.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/headless/headless_desktop.h"
#include "mp3_image.h"

namespace dida {
namespace {

using namespace std::chrono_literals;

using test::Mp3Image;

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

// Which files can sound and what a fallback does are the scenario tests' business; here, the player's
// own rules: its passes, its count, and a list that needs only one file that sounds.
TEST(HeadlessMp3, ThePlayerKeepsToItsCountAndNeedsOneFileThatSounds) {
    HeadlessDesktop desk;
    const std::string good = "C:\\music\\good.mp3", empty = "C:\\music\\empty.mp3";
    desk.AddFile(good, Mp3Image(40));  // a pass of 1045 ms
    desk.AddFile(empty);
    EXPECT_FALSE(desk.PlayMp3(-1, {empty, ""}));
    EXPECT_FALSE(desk.sounds().back().result);
    EXPECT_TRUE(desk.playing().empty());

    ASSERT_TRUE(desk.PlayMp3(2, {empty, good}));
    desk.Advance(2089);
    ASSERT_EQ(desk.playing().size(), 1u);
    EXPECT_EQ(desk.playing()[0].mp3, (std::vector<std::string>{empty, good}));
    desk.Advance(2);
    EXPECT_TRUE(desk.playing().empty()) << "two passes of 1045 ms, then the player ends";

    ASSERT_TRUE(desk.PlayMp3(-1, {good}));
    desk.Advance(3600000);
    EXPECT_EQ(desk.playing().size(), 1u) << "without end";
    EXPECT_FALSE(desk.PlayMp3(0, {good}));
    EXPECT_TRUE(desk.playing().empty()) << "times 0 plays nothing and removes the player that played";
}

}  // namespace
}  // namespace dida
