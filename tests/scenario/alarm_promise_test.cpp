// An alarm's one promise: when the moment comes, the user hears it. Each group is a road on which it
// used to break: music that cannot sound, a ring duration at the edge of the numbers, a machine asleep
// at the moment, an action chosen with no kind to arm.
#include "bar_fixture.h"

namespace dida::scenario {
namespace {

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kMinute = 60 * kSecond;
constexpr std::int64_t kHour = 60 * kMinute;

// ---------------------------------------------------------------- music that cannot sound

struct Music : Bar {
    static constexpr const char* kGood = "C:\\music\\晨曲.mp3";
    void SetUp() override {
        std::vector<std::uint8_t> noise(64 * 1024);
        std::uint32_t state = 2015;
        for (auto& b : noise) b = std::uint8_t((state = state * 1664525u + 1013904223u) >> 24);
        desk.AddFile(kGood, Mp3Image(40));  // passes of 1045 ms
        desk.AddFile("C:\\music\\空.mp3", {});
        desk.AddFile("C:\\music\\wave.mp3", {media::kBuiltinSound2.begin(), media::kBuiltinSound2.end()});
        desk.AddFile("C:\\music\\noise.mp3", noise);
    }
    // 倒计 0 / 0 / 3 with "音乐…" and the stored path; returns the moment of firing. The path exists, so
    // arming asks nothing (a box would throw: none is scripted).
    std::int64_t ArmMusicCountdown(const std::string& storedPath) {
        Store("MP3路径", storedPath);
        Start();
        Arm("倒计", "0", "0", "3", "音乐…");
        return Now() + 3000;
    }
    std::vector<std::int64_t> Chime1Loops() const { return LoopStarts(media::kBuiltinSound1); }
    bool RingsChime1() const {
        for (const auto& s : desk.playing())
            if (s.loop && SameBytes(s.bytes, media::kBuiltinSound1)) return true;
        return false;
    }
    std::vector<std::string> MusicPlaying() const {
        for (const auto& s : desk.playing())
            if (!s.mp3.empty()) return s.mp3;
        return {};
    }
};

struct MusicRow {
    const char* name;
    const char* path;
    bool plays;
};

void PrintTo(const MusicRow& r, std::ostream* os) { *os << r.path; }

struct MusicAtFiring : Music, ::testing::WithParamInterface<MusicRow> {};

TEST_P(MusicAtFiring, RingsItOrTheFirstChime) {
    const MusicRow& r = GetParam();
    ASSERT_TRUE(desk.FileExists(r.path)) << "it exists, and still may not sound";
    const std::int64_t fireAt = ArmMusicCountdown(r.path);
    desk.Advance(3000);
    if (r.plays) {
        EXPECT_EQ(MusicPlaying(), std::vector<std::string>{r.path});
        EXPECT_TRUE(Chime1Loops().empty());
        const SoundCall& play = desk.sounds().back();
        EXPECT_EQ(play.what, SoundCall::What::PlayMp3);
        EXPECT_EQ(play.times, -1);
        EXPECT_TRUE(SameBytes(play.bytes, media::kBuiltinSound1)) << "the player's own fallback";
    } else {
        EXPECT_TRUE(MusicPlaying().empty());
        EXPECT_EQ(Chime1Loops(), std::vector<std::int64_t>{fireAt});
        EXPECT_TRUE(RingsChime1());
    }
    EXPECT_TRUE(desk.messages().empty()) << "no box at firing: the user may be away";
    desk.Advance(179000);
    EXPECT_TRUE(Sounding()) << "rings on for the whole duration";
    EXPECT_TRUE(Flashing());
    desk.Advance(fireAt + 180000 - Now());
    EXPECT_FALSE(Sounding()) << "and ends with it";
}

INSTANTIATE_TEST_SUITE_P(Table, MusicAtFiring,
                         ::testing::Values(MusicRow{"Directory", "C:\\music", false},
                                           MusicRow{"WildcardMatchingAGoodFile", "C:\\music\\*.mp3", false},
                                           MusicRow{"EmptyFile", "C:\\music\\空.mp3", false},
                                           MusicRow{"WavRenamed", "C:\\music\\wave.mp3", false},
                                           MusicRow{"RandomBytes", "C:\\music\\noise.mp3", false},
                                           MusicRow{"GoodMp3", Music::kGood, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Music, MusicThatStopsSoundingWhileItRingsGivesWayToTheFirstChime) {
    const std::int64_t fireAt = ArmMusicCountdown(kGood);
    desk.Advance(3500);
    ASSERT_EQ(MusicPlaying(), std::vector<std::string>{kGood});
    desk.AddFile(kGood, {});  // emptied by another program meanwhile
    desk.Advance(fireAt + 1045 - Now() - 1);
    EXPECT_FALSE(RingsChime1()) << "the pass under way plays on";
    desk.Advance(1);
    EXPECT_TRUE(MusicPlaying().empty());
    EXPECT_TRUE(RingsChime1()) << "the next pass finds nothing to sound";
    EXPECT_TRUE(desk.messages().empty());
    desk.Advance(fireAt + 180000 - Now());
    EXPECT_FALSE(Sounding()) << "the ring still ends on time";
}

// ---------------------------------------------------------------- the ring duration at the edges

TEST_F(Bar, RingDurationOfZeroOrLessEndsTheRingOnTheFirstWatcherTickWhateverItsSize) {
    const struct {
        const char* duration;
        std::int64_t ringsMs;  // from the firing to the end; 0: not within two hours
        bool asks;             // 3 seconds or less: arming asks first
    } rows[] = {
        {"-1", 1000, true},           {"0", 1000, true},      {"-2147483648", 1000, true}, {"-2147483649", 1000, true},
        {"-99999999999", 1000, true}, {"-1e309", 1000, true}, {"3.5", 3000, false},        {"99999999999", 0, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.duration);
        HeadlessDesktop fresh;
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "闹铃时长", RegValue{RegType::Sz, r.duration, 0, {}});
        Program p(fresh);
        p.Start();
        if (r.asks) fresh.AnswerMessage(kYes);
        fresh.TypeInto(p.main.分1, "\b\b0");
        fresh.TypeInto(p.main.秒1, "\b1");
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "嘀嗒叫"));
        EXPECT_EQ(fresh.messages().size(), r.asks ? 1u : 0u);
        fresh.Advance(1000);
        ASSERT_FALSE(fresh.playing().empty());
        if (r.ringsMs == 0) {
            fresh.Advance(2 * kHour);
            EXPECT_FALSE(fresh.playing().empty());
            EXPECT_EQ(p.main.时钟监视变量.Interval(), 1000);
            continue;
        }
        fresh.Advance(r.ringsMs - 1);
        EXPECT_FALSE(fresh.playing().empty());
        EXPECT_EQ(p.main.时钟闪烁.Interval(), 250);
        fresh.Advance(1);
        EXPECT_TRUE(fresh.playing().empty());
        EXPECT_EQ(p.main.时钟闪烁.Interval(), 0);
        EXPECT_EQ(p.main.时钟监视变量.Interval(), 0);
    }
}

TEST_F(Bar, LongRingAtTheFloorOfTheNumbersStillEndsOnTheTickAfterItIsSwitchedOff) {
    Store("闹铃时长", "-2147483648");
    Store("长鸣", "1");
    Start();
    desk.AnswerMessage(kYes);
    Arm("倒计", "0", "0", "1", "布谷鸟");
    desk.Advance(1000 + 10 * kMinute);
    EXPECT_TRUE(Sounding());
    desk.Choose(bar().无操作时长鸣);
    desk.Advance(1000);
    EXPECT_FALSE(Sounding());
    EXPECT_EQ(bar().时钟监视变量.Interval(), 0);
}

}  // namespace
}  // namespace dida::scenario
