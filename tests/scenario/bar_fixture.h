#pragma once
// The program on the simulated desktop, driven as a user drives the bar: a registry prepared before
// the start, then lists picked, fields typed, menu items chosen, and virtual time let run.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/datetime.h"
#include "platform/headless/headless_desktop.h"
#include "platform/sound_format.h"
#include "ui/media/media.h"
#include "../unit/mp3_image.h"

namespace dida::scenario {

inline DateTime At(int y, int mo, int d, int h, int mi, int s) { return MakeDateTime({y, mo, d, h, mi, s}); }

using test::Mp3Image;

struct Bar : ::testing::Test {
    HeadlessDesktop desk;
    std::unique_ptr<Program> program;

    static constexpr const char* kOptionsKey = "Software\\TORV";
    static constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

    // ---- before the start
    void Store(const std::string& name, const std::string& text) {
        desk.registry().SetValue(kCurrentUser, kOptionsKey, name, RegValue{RegType::Sz, text, 0, {}});
    }
    void Start(DateTime now = At(2015, 11, 5, 14, 8, 42)) {
        desk.SetNow(now);
        program = std::make_unique<Program>(desk);
        desk.SetStartWindow(&program->main);
        program->Start();
    }
    MainForm& bar() { return program->main; }
    // Once its loop has ended the program's entry destroys what is still open: every road that ended the
    // program meets that clean-up too.
    void TearDown() override {
        if (program && desk.Quit()) {
            EXPECT_NO_THROW(desk.DestroyAll());
        }
    }

    // ---- what the registry holds now
    std::optional<std::string> Stored(const std::string& name) {
        return desk.registry().Text(kCurrentUser, std::string(kOptionsKey) + "\\" + name);
    }
    std::optional<std::string> RunEntry() {
        return desk.registry().Text(kLocalMachine, std::string(kRunKey) + "\\TORV");
    }

    // ---- the user
    void PickKind(const std::string& kind) { desk.Select(bar().组合框类型, IndexOf(bar().组合框类型, kind)); }
    void PickAction(const std::string& action) { desk.Select(bar().组合框声音, IndexOf(bar().组合框声音, action)); }
    // Clears the field with backspaces and types the text, one character at a time.
    void Type(EditBox& field, const std::string& text) { desk.TypeInto(field, std::string(8, '\b') + text); }
    void SetTime(const std::string& h, const std::string& m, const std::string& s) {
        Type(bar().时1, h);
        Type(bar().分1, m);
        Type(bar().秒1, s);
    }
    // A kind, a time and an action: the road to an armed reminder.
    void Arm(const std::string& kind, const std::string& h, const std::string& m, const std::string& s,
             const std::string& action) {
        PickKind(kind);
        SetTime(h, m, s);
        PickAction(action);
    }
    static int IndexOf(ComboBox& list, const std::string& item) {
        const auto& items = list.Items();
        const auto it = std::find(items.begin(), items.end(), item);
        EXPECT_NE(it, items.end()) << item;
        return static_cast<int>(it - items.begin());
    }

    // ---- what was heard and done
    std::vector<std::int64_t> LoopStarts(Blob sound) const {
        std::vector<std::int64_t> at;
        for (const SoundCall& c : desk.sounds())
            if (c.what == SoundCall::What::PlayAudio && c.loop && SameBytes(c.bytes, sound)) at.push_back(c.atMs);
        return at;
    }
    std::vector<std::int64_t> Previews(Blob sound) const {
        std::vector<std::int64_t> at;
        for (const SoundCall& c : desk.sounds())
            if (c.what == SoundCall::What::PlayAudio && !c.loop && SameBytes(c.bytes, sound)) at.push_back(c.atMs);
        return at;
    }
    std::vector<std::int64_t> Shutdowns(int mode) const {
        std::vector<std::int64_t> at;
        for (const SystemCall& c : desk.systemCalls())
            if (c.what == SystemCall::What::Shutdown && c.mode == mode && c.force) at.push_back(c.atMs);
        return at;
    }
    // The moments the live-region label announced `text`.
    static std::vector<std::int64_t> Announced(const HeadlessDesktop& d, const std::string& text) {
        std::vector<std::int64_t> at;
        for (const AnnouncementCall& c : d.announcements())
            if (c.label == "标签2" && c.text == text) at.push_back(c.atMs);
        return at;
    }
    static constexpr const char* kDue = "注意，到时间了！！！";
    bool Sounding() const { return !desk.playing().empty(); }
    // Whether the bar's status text changes colour within the next second (the flashing).
    bool Flashing() {
        const Color first = bar().标签2.TextColor();
        for (int i = 0; i < 4; ++i) {
            desk.Advance(250);
            if (bar().标签2.TextColor() != first) return true;
        }
        return false;
    }
    // Runs until the warning window opens; the virtual moment it opened, or nullopt.
    std::optional<std::int64_t> RunUntilWarning(std::int64_t limitMs) {
        if (desk.RunUntil([&] { return program->warning.loaded(); }, limitMs)) return desk.Monotonic();
        return std::nullopt;
    }
    std::int64_t Now() const { return desk.Monotonic(); }
};

}  // namespace dida::scenario

namespace dida::scenario {
// Virtual milliseconds from one local date-time to another, on a run without clock jumps.
inline std::int64_t MsBetween(DateTime from, DateTime to) {
    const double ms = (to - from) * 86400000.0;
    return static_cast<std::int64_t>(ms < 0 ? ms - 0.5 : ms + 0.5);
}
}  // namespace dida::scenario
