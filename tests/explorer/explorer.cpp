// The explorer: random walks over every input of the user and of the world, the real program on the
// simulated desktop, with the program's promises checked after every step. A walk is a list of steps,
// drawn with weights from a start value, so any walk can be run again. When a promise breaks, the walk
// is shrunk to the shortest list of steps that still breaks it and printed as a scenario test.
//
//   dida_explorer                 the bounded walk of the test run: fixed start values and one fresh one
//   dida_explorer --start V       the walk of start value V alone
//   dida_explorer --steps N       walks from a fresh start value until N steps, with steps per second
//                                 (DIDA_EXPLORER_STEPS=N does the same)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/convert.h"
#include "platform/datetime.h"
#include "platform/fatal.h"
#include "platform/headless/headless_desktop.h"
#include "reminder/reminder.h"
#include "settings/settings.h"
#include "../unit/mp3_image.h"

namespace dida::explorer {
namespace {

constexpr std::int64_t kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute;
const char* const kGood = "C:\\music\\晨曲.mp3";
const char* const kBroken = "C:\\music\\坏.mp3";
const char* const kGone = "C:\\music\\没了.mp3";
const char* const kOptionsKey = "Software\\TORV";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// ---------------------------------------------------------------- steps

// clang-format off
#define DIDA_OPS(X)                                                                                        \
    /* The machine before the program starts. */                                                          \
    X(Store) X(Protect) X(Uptime) X(Lateness) X(Drop) X(Slowdown) X(Dst) X(NoWakeTimers) X(StartAt)        \
    /* The user. */                                                                                       \
    X(PickKind) X(PickAction) X(Type) X(DblClickField) X(RightClickAction) X(Click) X(EscBar) X(CloseBar)  \
    X(Tray) X(Menu) X(StopwatchButton) X(StopwatchEsc) X(StopwatchClose) X(WarningButton) X(WarningEsc)    \
    X(WarningClose) X(RestEsc) X(RestClose)                                                                \
    /* The answer of the dialog that is up. */                                                            \
    X(AnswerMessage) X(AnswerInput) X(AnswerFile)                                                          \
    /* The world. */                                                                                      \
    X(Advance) X(Sleep) X(SetClock) X(Audio) X(File) X(Screen) X(ProtectNow)
#define DIDA_OP_ENUM(name) name,
#define DIDA_OP_NAME(name) #name,
enum class Op : std::uint8_t { DIDA_OPS(DIDA_OP_ENUM) };
const char* const kOpNames[] = {DIDA_OPS(DIDA_OP_NAME)};
constexpr int kOps = sizeof kOpNames / sizeof kOpNames[0];
// clang-format on

struct Step {
    Op op;
    int a = 0;
    std::int64_t n = 0;
    std::string s, t;
};

// Where a step is taken: before the start, at the top of the message loop, inside a dialog's loop (the
// program's windows disabled: only the tray and the world reach it), inside the rest screen's modal loop.
enum class Where { Setup, Top, Message, Input, File, Modal };

// How often each kind of step was taken at each place, and what the program was seen doing after a step,
// for --stats: what the weights reach.
std::int64_t gApplied[kOps][6];
const char* const kSeen[] = {"armed",        "ringing", "muted", "stopwatch open",
                             "warning open", "hidden",  "ended", "shutdown counting with its warning on"};
std::int64_t gSeen[std::size(kSeen)];

bool IsSetup(Op op) { return op <= Op::StartAt; }
bool IsWorld(Op op) { return op >= Op::Advance; }
// The tray's messages and the system's close request reach the bar also while it is disabled.
bool ReachesEverywhere(Op op) { return IsWorld(op) || op == Op::Tray || op == Op::Menu || op == Op::CloseBar; }

bool Valid(Op op, Where w) {
    switch (w) {
    case Where::Setup: return IsSetup(op);
    case Where::Top:
        return !IsSetup(op) && op != Op::AnswerMessage && op != Op::AnswerInput && op != Op::AnswerFile &&
               op != Op::RestEsc && op != Op::RestClose;
    case Where::Message: return ReachesEverywhere(op) || op == Op::AnswerMessage;
    case Where::Input: return ReachesEverywhere(op) || op == Op::AnswerInput;
    case Where::File: return ReachesEverywhere(op) || op == Op::AnswerFile;
    case Where::Modal: return ReachesEverywhere(op) || op == Op::RestEsc || op == Op::RestClose;
    }
    return false;
}

// A C++ string literal of a UTF-8 text, zeros and control characters escaped.
std::string Literal(const std::string& text) {
    std::string out = "\"";
    bool zero = false;
    for (unsigned char c : text) {
        if (c == '\\' || c == '"')
            out += '\\', out += static_cast<char>(c);
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\b')
            out += "\\b";
        else if (c < 32) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
            zero = zero || c == 0;
        } else
            out += static_cast<char>(c);
    }
    out += "\"";
    return zero ? "std::string(" + out + ", " + std::to_string(text.size()) + ")" : out;
}

const char* const kRegTypes[] = {"RegType::Sz", "RegType::ExpandSz", "RegType::Dword", "RegType::Binary"};
const char* const kFields[] = {"时1", "分1", "秒1"};
const char* const kButtons[] = {"超级按钮开始", "超级按钮最小化", "超级按钮1"};
const char* const kKinds[] = {"倒计", "指定", "整点"};
const char* const kActions[] = {"嘀嗒叫", "布谷鸟", "风铃响", "音乐…", "------",
                                "全屏",   "------", "关机",   "休眠",  "关屏"};
const char* const kMenuItems[] = {"显示界面",       "随系统启动",   "气泡提醒",      "无操作时长鸣",   "设置闹铃时长",
                                  "自定义闹铃音乐", "软件静音运行", "全屏时屏蔽ESC", "关机前30秒提醒", "计时秒表",
                                  "开机时长",       "停止",         "关于",          "退出软件"};

RegValue ValueOf(const Step& s) {
    RegValue v{static_cast<RegType>(s.n), s.t, 0, {}};
    if (v.type == RegType::Dword) v.dword = static_cast<std::uint32_t>(std::strtoul(s.t.c_str(), nullptr, 10));
    if (v.type == RegType::Binary) v.bytes.assign(s.t.begin(), s.t.end());
    return v;
}

std::int64_t UtcOfLocal(std::int64_t localSeconds) { return (localSeconds - 25569LL * 86400) * 1000; }

// The code of a step in a scenario test on the fixture of tests/scenario/bar_fixture.h.
std::string Code(const Step& s) {
    const std::string n = std::to_string(s.n), a = std::to_string(s.a);
    switch (s.op) {
    case Op::Store: {
        const auto cut = s.s.rfind('\\');
        return "desk.registry().SetValue(" + std::string(s.a == kLocalMachine ? "kLocalMachine" : "kCurrentUser") +
               ", " + Literal(s.s.substr(0, cut)) + ", " + Literal(s.s.substr(cut + 1)) + ", RegValue{" +
               kRegTypes[s.n] + ", " + Literal(s.t) + ", " + std::to_string(ValueOf(s).dword) +
               (s.n == 3 ? ", {" +
                               [&] {
                                   std::string b;
                                   for (unsigned char c : s.t) b += (b.empty() ? "" : ", ") + std::to_string(c);
                                   return b;
                               }() +
                               "}}"
                         : ", {}}") +
               ");";
    }
    case Op::Protect:
        return "desk.registry().SetWriteProtected(" +
               std::string(s.a == kLocalMachine ? "kLocalMachine" : "kCurrentUser") + ", true);";
    case Op::Uptime: return "desk.SetUptime(" + n + ");";
    case Op::Lateness:
        return "desk.SetTimerLateness([](std::int64_t due) { return static_cast<int>(due / 7 * 48271 % " + a + "); });";
    case Op::Drop: return "desk.SetTimerDrop([](std::int64_t due) { return due / 1000 % " + a + " == 1; });";
    case Op::Slowdown: return "desk.SetTimerSlowdown(1.015);";
    case Op::NoWakeTimers: return "desk.SetWakeTimersAllowed(false);";
    case Op::Dst:
        return "desk.SetUtcOffsetRule([](std::int64_t utc) { return utc >= " + n + " && utc < " +
               std::to_string(s.n + s.a) + " ? 60 : 0; });";
    case Op::StartAt: return "";  // part of Start(...)
    case Op::PickKind:
        return "desk.Select(bar().组合框类型, " + a + ");  // " + (s.a >= 0 && s.a < 3 ? kKinds[s.a] : "");
    case Op::PickAction: return "desk.Select(bar().组合框声音, " + a + ");  // " + kActions[s.a];
    case Op::Type: return "desk.TypeInto(bar()." + std::string(kFields[s.a]) + ", " + Literal(s.t) + ");";
    case Op::DblClickField: return "bar()." + std::string(kFields[s.a]) + ".UserDoubleClicked();\ndesk.RunPending();";
    case Op::RightClickAction: return "bar().组合框声音.UserRightButtonUp();\ndesk.RunPending();";
    case Op::Click: return "desk.Click(bar()." + std::string(kButtons[s.a]) + ");";
    case Op::EscBar: return "desk.PressEsc(bar());";
    case Op::CloseBar: return "desk.RequestClose(bar());";
    case Op::Tray: return "desk.TrayEvent(bar().托盘图标1, " + a + ");";
    case Op::Menu: return "desk.TrayEvent(bar().托盘图标1, 2);\ndesk.Choose(bar()." + s.s + ");";
    case Op::StopwatchButton: return "desk.Click(program->stopwatch.按钮1);";
    case Op::StopwatchEsc: return "desk.PressEsc(program->stopwatch);";
    case Op::StopwatchClose: return "desk.RequestClose(program->stopwatch);";
    case Op::WarningButton: return "desk.Click(program->warning.按钮1);";
    case Op::WarningEsc: return "desk.PressEsc(program->warning);";
    case Op::WarningClose: return "desk.RequestClose(program->warning);";
    case Op::RestEsc: return "desk.PressEsc(program->fullScreen);";
    case Op::RestClose: return "desk.RequestClose(program->fullScreen);";
    case Op::AnswerMessage:
    case Op::AnswerInput:
    case Op::AnswerFile: return "";  // printed with the dialog
    case Op::Advance: return "desk.Advance(" + n + ");";
    case Op::Sleep: return "desk.Suspend(" + n + ");";
    case Op::SetClock: return "desk.JumpWallClock(" + n + ");";
    case Op::Audio: return std::string("desk.SetAudioOutput(") + (s.a ? "true" : "false") + ");";
    case Op::File:
        return s.a == 0   ? "desk.AddFile(" + Literal(kGood) + ", Mp3Image(40));"
               : s.a == 1 ? "desk.AddFile(" + Literal(kGood) + ", {});"
                          : "desk.RemoveFile(" + Literal(kGood) + ");";
    case Op::Screen:
        return s.a == 0   ? "desk.SetWorkArea({0, 48, 1920, 1032});"
               : s.a == 1 ? "desk.SetScreen(1280, 720);"
                          : "desk.SetScreen(1920, 1080);";
    case Op::ProtectNow:
        return std::string("desk.registry().SetWriteProtected(kCurrentUser, ") + (s.a ? "true" : "false") + ");";
    }
    return "";
}

// ---------------------------------------------------------------- where the steps come from

class Walk;

class Source {
public:
    virtual ~Source() = default;
    // The next step to take at that place; nothing when the walk ends (at the top) or the place goes on
    // without one (a dialog takes its default answer, a modal loop runs on).
    virtual std::optional<Step> Next(Where w, const Walk& walk) = 0;
};

// A list of steps taken again. A step the place cannot take is passed over at the top; inside a nested
// loop it waits for the top, so removing a step while shrinking leaves the others where they belong.
class Replayed : public Source {
public:
    explicit Replayed(const std::vector<Step>& steps) : steps_(steps) {}
    std::optional<Step> Next(Where w, const Walk&) override {
        while (i_ < steps_.size()) {
            if (Valid(steps_[i_].op, w)) return steps_[i_++];
            if (w != Where::Top) return std::nullopt;
            ++i_;
        }
        return std::nullopt;
    }

private:
    const std::vector<Step>& steps_;
    std::size_t i_ = 0;
};

// ---------------------------------------------------------------- the watched desktop

struct Broken {
    std::string invariant, detail;
};

// The simulated desktop, with the calls whose moment matters checked as they are made.
class WatchedDesktop : public HeadlessDesktop {
public:
    std::function<void(RootKey root, const std::string& path)> onRegistryWrite;
    std::function<void(bool loop, bool preview)> onSoundStart;
    std::function<void(const char* action)> onSystemAction;

    bool RegWrite(RootKey root, const std::string& path, const std::string& text) override {
        onRegistryWrite(root, path);
        return HeadlessDesktop::RegWrite(root, path, text);
    }
    bool RegWrite(RootKey root, const std::string& path, std::int32_t number) override {
        onRegistryWrite(root, path);
        return HeadlessDesktop::RegWrite(root, path, number);
    }
    bool RegWrite(RootKey root, const std::string& path, const std::vector<std::uint8_t>& bytes) override {
        onRegistryWrite(root, path);
        return HeadlessDesktop::RegWrite(root, path, bytes);
    }
    bool RegDelete(RootKey root, const std::string& path) override {
        onRegistryWrite(root, path);
        return HeadlessDesktop::RegDelete(root, path);
    }
    bool PlayAudio(Blob bytes, bool loop) override {
        onSoundStart(loop, false);
        return HeadlessDesktop::PlayAudio(bytes, loop);
    }
    bool PlayMp3(int times, const std::vector<std::string>& files, Blob fallback) override {
        onSoundStart(times < 0, times == 1);
        return HeadlessDesktop::PlayMp3(times, files, fallback);
    }
    bool ShutdownSystem(int mode, bool force) override {
        onSystemAction(mode == 1 ? "关机" : mode == 4 ? "休眠" : "?");
        return HeadlessDesktop::ShutdownSystem(mode, force);
    }
    void TurnOffMonitor() override {
        onSystemAction("关屏");
        HeadlessDesktop::TurnOffMonitor();
    }
};

// ---------------------------------------------------------------- one walk: one life of the program

class Walk {
public:
    Walk(Source& source, bool printing) : src_(source), printing_(printing) {}

    // Takes the steps until the source ends or the program has ended; the first promise broken, if any.
    std::optional<Broken> Run(std::int64_t& steps);
    std::string Printed(const std::string& name, const Broken& b) const;

    // For the source that draws the steps.
    const WatchedDesktop& desk() const { return *desk_; }
    const Program* program() const { return p_.get(); }
    std::int64_t StartLocalSeconds() const { return startLocal_; }

private:
    void Setup(const Step& s);
    void StartProgram();
    bool Apply(const Step& s, Where w);
    void Take(const Step& s, Where w);
    MessageAnswer OnMessage(const MessageCall& c);
    InputAnswer OnInput(const InputCall& c);
    FileAnswer OnFile(const DialogCall& c);
    void OnModalTurn();
    void Check();
    void Fail(const char* invariant, const std::string& detail) const { throw Broken{invariant, detail}; }
    bool BarOpen() const { return p_ && p_->main.loaded(); }
    bool Muted() const { return p_->main.超级按钮开始.RawDisabled(); }
    std::string Action() const;
    std::int64_t Now() const { return desk_->Monotonic(); }

    // The promises. Each breaks with a reason the user would give.
    void NoTimerWithoutItsWindow();
    void WindowsFollowTheLifeCycle();
    void ArmedMeansWatching();
    void RingEndsInTime();
    void OneSoundAtATime();
    void ExitItemEndsTheProgram();
    void EndsCleanly();
    void RegistryOnlyItsOwnKeys(RootKey root, const std::string& path);
    void SilentWhileMuted(bool preview);
    void SystemActionOnlyWhenDue(const char* action);

    Source& src_;
    bool printing_;
    std::unique_ptr<WatchedDesktop> desk_;
    std::unique_ptr<Program> p_;
    std::int64_t startLocal_ = 0;
    std::function<int(std::int64_t)> dst_;

    // What the walk knows of the program's road, from its own steps and the calls it saw.
    struct Arming {
        std::string action;
        int kind = -1;
        std::string fields[3];
        std::int64_t from = 0, to = 0;  // the selection's handler ran in between
    };
    std::optional<Arming> armed_;     // the last selection that armed
    bool declinedShortRing_ = false;  // the short-ring question answered No: selected, not armed (by design)
    bool firedSinceArming_ = false;   // the countdown or set-time kind reached its moment and stopped
    std::int64_t ringStart_ = -1, ringSeconds_ = 0, sleptAtRing_ = 0, slept_ = 0;
    std::int64_t longRingOnAt_ = -1;  // the last moment the long ring was seen on
    std::int64_t clockSetAt_ = -1;    // the last jump of the wall clock
    bool exitChosen_ = false;
    bool inRingWatcher_ = false;
    int modalTurn_ = 0;

    // The printed scenario is built as the steps are taken: a block gathers the lines of what happens inside
    // a step, a dialog or a turn of the rest screen's loop and hands them on when it closes, also when a
    // broken promise unwinds through it. A dialog's answer goes before the step that opened it.
    using Lines = std::vector<std::string>;
    class Nest;
    std::vector<Lines> blocks_{1};
    std::map<int, std::vector<std::string>> modalLines_;
    std::vector<std::string> setupLines_;
};

std::string Walk::Action() const {
    const ComboBox& c = p_->main.组合框声音;
    const int i = c.RawIndex();
    return i < 0 || i >= static_cast<int>(c.Items().size()) ? std::string() : c.Items()[i];
}

void Walk::Setup(const Step& s) {
    WatchedDesktop& d = *desk_;
    switch (s.op) {
    case Op::Store: {
        const auto cut = s.s.rfind('\\');
        d.registry().SetValue(static_cast<RootKey>(s.a), s.s.substr(0, cut), s.s.substr(cut + 1), ValueOf(s));
        break;
    }
    case Op::Protect: d.registry().SetWriteProtected(static_cast<RootKey>(s.a), true); break;
    case Op::Uptime: d.SetUptime(s.n); break;
    case Op::Lateness: {
        const int mod = s.a;
        d.SetTimerLateness([mod](std::int64_t due) { return static_cast<int>(due / 7 * 48271 % mod); });
        break;
    }
    case Op::Drop: {
        const int mod = s.a;
        // A busy thread loses a tick now and then, never a run of them: one second in `mod`.
        d.SetTimerDrop([mod](std::int64_t due) { return due / 1000 % mod == 1; });
        break;
    }
    case Op::Slowdown: d.SetTimerSlowdown(1.015); break;
    case Op::NoWakeTimers: d.SetWakeTimersAllowed(false); break;
    case Op::Dst: {
        const std::int64_t from = s.n, to = s.n + s.a;
        dst_ = [from, to](std::int64_t utc) { return utc >= from && utc < to ? 60 : 0; };
        d.SetUtcOffsetRule(dst_);
        break;
    }
    case Op::StartAt: startLocal_ = s.n; return;
    default: return;
    }
    if (printing_) setupLines_.push_back(Code(s));
}

void Walk::StartProgram() {
    WatchedDesktop& d = *desk_;
    d.SetNow(MakeDateTime(SplitDateTime(static_cast<DateTime>(startLocal_) / 86400.0)));
    d.onRegistryWrite = [this](RootKey root, const std::string& path) { RegistryOnlyItsOwnKeys(root, path); };
    d.onSoundStart = [this](bool loop, bool preview) {
        if (!BarOpen()) return;
        SilentWhileMuted(preview);
        // A ring that waited for an output device and now sounds is the ring of its firing: its end stays.
        if (loop && !inRingWatcher_) {
            ringStart_ = Now();
            sleptAtRing_ = slept_;
            ringSeconds_ = std::max<std::int64_t>(0, ToInteger(ToNumber(p_->main.标签闹铃时长.RawCaption())));
        }
    };
    d.onSystemAction = [this](const char* action) { SystemActionOnlyWhenDue(action); };
    // Two answers always wait, so that a dialog opened before the previous one's answer has run finds one.
    for (int i = 0; i < 2; ++i) {
        d.AnswerMessage([this](const MessageCall& c) { return OnMessage(c); });
        d.AnswerInput([this](const InputCall& c) { return OnInput(c); });
        d.AnswerFile([this](const DialogCall& c) { return OnFile(c); });
    }
    d.OnModalLoop([this](Window& w) {
        if (&w == &p_->fullScreen) OnModalTurn();
    });
    p_ = std::make_unique<Program>(d);
    d.SetStartWindow(&p_->main);
    MainForm& m = p_->main;
    // The selection's handler and the two kinds that stop at their moment are watched from outside.
    auto select = std::move(m.组合框声音.onSelChange);
    m.组合框声音.onSelChange = [this, select] {
        MainForm& m = p_->main;
        Arming a{
            Action(), m.组合框类型.RawIndex(), {m.时1.RawContent(), m.分1.RawContent(), m.秒1.RawContent()}, Now(), 0};
        declinedShortRing_ = false;
        select();
        if (!BarOpen()) return;
        a.to = Now();
        Timer* kinds[] = {&m.时钟倒计, &m.时钟指定, &m.时钟整点};
        if (m.组合框声音.RawIndex() != -1 && a.kind >= 0 && a.kind < 3 && kinds[a.kind]->RawInterval() > 0 &&
            !declinedShortRing_) {
            a.action = Action();
            armed_ = a;
            firedSinceArming_ = false;
        }
    };
    auto watch = std::move(m.时钟监视变量.onTick);
    m.时钟监视变量.onTick = [this, watch] {
        inRingWatcher_ = true;
        watch();
        inRingWatcher_ = false;
    };
    for (Timer* t : {&m.时钟倒计, &m.时钟指定}) {
        auto tick = std::move(t->onTick);
        t->onTick = [this, t, tick] {
            tick();
            if (BarOpen() && t->RawInterval() == 0) firedSinceArming_ = true;
        };
    }
    p_->Start();
}

class Walk::Nest {
public:
    using Close = std::function<void(Lines& inner, Lines& outer)>;
    Nest(Walk& walk, Close close) : walk_(walk), close_(std::move(close)) {
        if (walk_.printing_) walk_.blocks_.emplace_back();
    }
    ~Nest() {
        if (!walk_.printing_) return;
        Lines inner = std::move(walk_.blocks_.back());
        walk_.blocks_.pop_back();
        close_(inner, walk_.blocks_.back());
    }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;

private:
    Walk& walk_;
    Close close_;
};

void AppendCode(std::vector<std::string>& out, const std::string& code) {
    std::istringstream lines(code);
    for (std::string l; std::getline(lines, l);) out.push_back(l);
}

// desk.AnswerX(value); or, with steps taken while the dialog was up, a script that takes them first.
void AnswerCode(std::vector<std::string>& out, std::vector<std::string>& inner, const std::string& kind,
                const std::string& call, const std::string& value, const std::string& comment) {
    if (inner.empty()) {
        out.push_back("desk.Answer" + kind + "(" + value + ");" + comment);
        return;
    }
    out.push_back("desk.Answer" + kind + "([&](const " + call + "&) {" + comment);
    for (auto& l : inner) out.push_back("    " + l);
    out.push_back("    return " + kind + "Answer{" + value + "};");
    out.push_back("});");
}

void Walk::Take(const Step& s, Where w) {
    bool applied = true;  // a step that broke a promise is printed, whatever it had done
    const Nest nest(*this, [&](Lines& inner, Lines& outer) {
        if (!applied) return;
        for (auto& l : inner) outer.push_back(std::move(l));
        AppendCode(outer, Code(s));
    });
    applied = Apply(s, w);
    if (applied) ++gApplied[static_cast<int>(s.op)][static_cast<int>(w)];
}

bool Walk::Apply(const Step& s, Where w) {
    WatchedDesktop& d = *desk_;
    if (IsWorld(s.op)) {
        switch (s.op) {
        case Op::Advance: d.Advance(s.n); break;
        case Op::Sleep:
            d.Suspend(s.n);
            slept_ += s.n;
            break;
        case Op::SetClock:
            d.JumpWallClock(s.n);
            clockSetAt_ = Now();
            break;
        case Op::Audio: d.SetAudioOutput(s.a != 0); break;
        case Op::File:
            if (s.a == 0)
                d.AddFile(kGood, test::Mp3Image(40));
            else if (s.a == 1)
                d.AddFile(kGood, {});
            else
                d.RemoveFile(kGood);
            break;
        case Op::Screen:
            if (s.a == 0)
                d.SetWorkArea({0, 48, 1920, 1032});
            else
                d.SetScreen(s.a == 1 ? 1280 : 1920, s.a == 1 ? 720 : 1080);
            break;
        case Op::ProtectNow: d.registry().SetWriteProtected(kCurrentUser, s.a != 0); break;
        default: break;
        }
        return true;
    }
    if (!BarOpen()) return false;
    MainForm& m = p_->main;
    // The bar takes the pointer and the keys only while it shows and no modal window holds them.
    const bool bar = w == Where::Top && m.RawVisible() && !m.RawDisabled();
    auto usable = [&](Window& win) { return win.loaded() && !win.RawDisabled(); };
    EditBox* fields[] = {&m.时1, &m.分1, &m.秒1};
    SuperBtn* buttons[] = {&m.超级按钮开始, &m.超级按钮最小化, &m.超级按钮1};
    switch (s.op) {
    case Op::PickKind:
        if (!bar) return false;
        d.Select(m.组合框类型, s.a);
        return true;
    case Op::PickAction:
        if (!bar) return false;
        d.Select(m.组合框声音, s.a);
        return true;
    case Op::Type:
        if (!bar || !fields[s.a]->RawVisible()) return false;
        d.TypeInto(*fields[s.a], s.t);
        return true;
    case Op::DblClickField:
        if (!bar || !fields[s.a]->RawVisible()) return false;
        fields[s.a]->UserDoubleClicked();
        d.RunPending();
        return true;
    case Op::RightClickAction:
        if (!bar) return false;
        m.组合框声音.UserRightButtonUp();
        d.RunPending();
        return true;
    case Op::Click:
        if (!bar || buttons[s.a]->RawDisabled()) return false;
        d.Click(*buttons[s.a]);
        return true;
    case Op::EscBar:
        if (!bar) return false;
        d.PressEsc(m);
        return true;
    case Op::CloseBar: d.RequestClose(m); return true;
    case Op::Tray: d.TrayEvent(m.托盘图标1, s.a); return true;
    case Op::Menu: {
        auto* item = static_cast<MenuItem*>(m.Find(s.s));
        if (!item || item->RawDisabled()) return false;
        d.TrayEvent(m.托盘图标1, 2);
        if (!BarOpen()) return true;
        if (s.s == "退出软件") exitChosen_ = true;
        // The long ring was on until this moment, or is from now on.
        if (s.s == "无操作时长鸣" && m.无操作时长鸣.RawChecked()) longRingOnAt_ = Now();
        d.Choose(*item);
        if (BarOpen() && s.s == "无操作时长鸣" && m.无操作时长鸣.RawChecked()) longRingOnAt_ = Now();
        return true;
    }
    case Op::StopwatchButton:
    case Op::StopwatchEsc:
    case Op::StopwatchClose: {
        StopwatchForm& sw = p_->stopwatch;
        if (w != Where::Top || !usable(sw)) return false;
        if (s.op == Op::StopwatchButton) d.Click(sw.按钮1);
        if (s.op == Op::StopwatchEsc) d.PressEsc(sw);
        if (s.op == Op::StopwatchClose) d.RequestClose(sw);
        return true;
    }
    case Op::WarningButton:
    case Op::WarningEsc:
    case Op::WarningClose: {
        WarningForm& wf = p_->warning;
        if (w != Where::Top || !usable(wf)) return false;
        if (s.op == Op::WarningButton) d.Click(wf.按钮1);
        if (s.op == Op::WarningEsc) d.PressEsc(wf);
        if (s.op == Op::WarningClose) d.RequestClose(wf);
        return true;
    }
    case Op::RestEsc:
    case Op::RestClose: {
        FullScreenForm& f = p_->fullScreen;
        if (!f.loaded() || f.closing()) return false;
        if (s.op == Op::RestEsc)
            d.PressEsc(f);
        else
            d.RequestClose(f);
        return true;
    }
    default: return false;
    }
}

// A dialog's own loop: the tray and the world act meanwhile, until the answer comes. Once the program has
// ended the loop ends too (its WM_QUIT), as a box closed some other way.
MessageAnswer Walk::OnMessage(const MessageCall& c) {
    desk_->AnswerMessage([this](const MessageCall& next) { return OnMessage(next); });
    static const char* const names[] = {"kOk", "kCancel", "kAbort", "kRetry", "kIgnore", "kYes", "kNo"};
    const int buttons = c.style & 0xF;
    int result = buttons == 0 ? kOk : buttons == 4 ? kNo : kCancel;
    {
        const Nest nest(*this, [&](Lines& inner, Lines& outer) {
            AnswerCode(outer, inner, "Message", "MessageCall", names[result], "  // " + c.title);
        });
        while (!desk_->Quit()) {
            const auto s = src_.Next(Where::Message, *this);
            if (!s) break;
            if (s->op != Op::AnswerMessage) {
                Take(*s, Where::Message);
                continue;
            }
            ++gApplied[static_cast<int>(s->op)][static_cast<int>(Where::Message)];
            if (buttons == 4)
                result = s->a % 2 ? kNo : kYes;
            else if (buttons == 1)
                result = s->a % 2 ? kCancel : kOk;
            else if (buttons == 3)
                result = s->a % 3 == 0 ? kYes : s->a % 3 == 1 ? kNo : kCancel;
            break;
        }
        if (desk_->Quit()) result = kCancel;
    }
    if (c.text.rfind("你的闹钟响铃时间太短", 0) == 0) declinedShortRing_ = result == kNo;
    return MessageAnswer{result};
}

InputAnswer Walk::OnInput(const InputCall&) {
    desk_->AnswerInput([this](const InputCall& next) { return OnInput(next); });
    InputAnswer answer{false, ""};
    const Nest nest(*this, [&](Lines& inner, Lines& outer) {
        AnswerCode(outer, inner, "Input", "InputCall",
                   std::string(answer.confirm ? "true" : "false") + ", " + Literal(answer.text), "");
    });
    while (!desk_->Quit()) {
        const auto s = src_.Next(Where::Input, *this);
        if (!s) break;
        if (s->op != Op::AnswerInput) {
            Take(*s, Where::Input);
            continue;
        }
        ++gApplied[static_cast<int>(s->op)][static_cast<int>(Where::Input)];
        answer = InputAnswer{s->a != 0, s->t};
        break;
    }
    if (desk_->Quit()) answer = InputAnswer{false, ""};
    return answer;
}

FileAnswer Walk::OnFile(const DialogCall&) {
    desk_->AnswerFile([this](const DialogCall& next) { return OnFile(next); });
    FileAnswer answer{false, ""};
    const Nest nest(*this, [&](Lines& inner, Lines& outer) {
        AnswerCode(outer, inner, "File", "DialogCall",
                   std::string(answer.confirm ? "true" : "false") + ", " + Literal(answer.path), "");
    });
    while (!desk_->Quit()) {
        const auto s = src_.Next(Where::File, *this);
        if (!s) break;
        if (s->op != Op::AnswerFile) {
            Take(*s, Where::File);
            continue;
        }
        ++gApplied[static_cast<int>(s->op)][static_cast<int>(Where::File)];
        const char* const paths[] = {kGood, kBroken, kGone, "C:\\music"};
        answer = FileAnswer{s->a < 4, s->a < 4 ? paths[s->a] : ""};
        break;
    }
    if (desk_->Quit()) answer = FileAnswer{false, ""};
    return answer;
}

// Before each event the rest screen's loop dispatches, one step of the user or the world.
void Walk::OnModalTurn() {
    const int turn = modalTurn_++;
    const auto s = src_.Next(Where::Modal, *this);
    if (!s) return;
    const Nest nest(*this, [this, turn](Lines& inner, Lines&) {
        if (!inner.empty()) modalLines_[turn] = std::move(inner);
    });
    Take(*s, Where::Modal);
}

std::optional<Broken> Walk::Run(std::int64_t& steps) {
    desk_ = std::make_unique<WatchedDesktop>();
    desk_->AddFile(kBroken, std::vector<std::uint8_t>(4096, 0x5A));
    startLocal_ = LocalSeconds(MakeDateTime({2015, 11, 5, 14, 8, 42}));
    try {
        while (const auto s = src_.Next(Where::Setup, *this)) Setup(*s);
        StartProgram();
        Check();
        while (!desk_->Quit()) {
            const auto s = src_.Next(Where::Top, *this);
            if (!s) break;
            ++steps;
            exitChosen_ = false;
            Take(*s, Where::Top);
            Check();
        }
        if (desk_->Quit()) EndsCleanly();
    } catch (const Broken& b) {
        return b;
    } catch (const FatalErrorRaised& e) {
        // The one stop the program has of its own: the box "运行时出错!" and exit code -1.
        return Broken{"NoFatalError", std::string("运行时出错! 错误信息：") + e.what()};
    } catch (const std::exception& e) {
        return Broken{"NoFatalError", std::string("exception: ") + e.what()};
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- the promises

void Walk::Check() {
    if (BarOpen()) {
        const MainForm& m = p_->main;
        const bool seen[] = {m.组合框声音.RawIndex() != -1,
                             m.时钟监视变量.RawInterval() > 0,
                             Muted(),
                             p_->stopwatch.loaded(),
                             p_->warning.loaded(),
                             !m.RawVisible(),
                             false,
                             Action() == "关机" && m.关机前30秒提醒.RawChecked() && m.时钟倒计.RawInterval() > 0};
        for (std::size_t i = 0; i < std::size(seen); ++i) gSeen[i] += seen[i];
    } else {
        ++gSeen[6];
    }
    NoTimerWithoutItsWindow();
    WindowsFollowTheLifeCycle();
    ExitItemEndsTheProgram();
    if (!BarOpen()) return;
    if (p_->main.无操作时长鸣.RawChecked()) longRingOnAt_ = Now();
    ArmedMeansWatching();
    RingEndsInTime();
    OneSoundAtATime();
}

// Destroying a window cancels its timers: a tick for a window that is gone is the fatal error waiting.
void Walk::NoTimerWithoutItsWindow() {
    for (const Timer* t : desk_->ScheduledTimers())
        if (!t->window()->loaded())
            Fail("NoTimerWithoutItsWindow", t->name() + " runs on " + t->window()->design().name);
}

// Every window the program loaded is open in the life cycle, or was closed through it.
void Walk::WindowsFollowTheLifeCycle() {
    const auto& open = desk_->OpenWindows();
    if (!p_) return;
    for (Window* w : std::initializer_list<Window*>{&p_->main, &p_->stopwatch, &p_->fullScreen, &p_->warning}) {
        const bool listed = std::find(open.begin(), open.end(), w) != open.end();
        if (listed != w->loaded())
            Fail("WindowsFollowTheLifeCycle",
                 w->design().name + (listed ? " listed but not loaded" : " loaded but not listed"));
    }
}

// 退出软件 closes at once, without asking: whoever chose it must not find the program still running.
void Walk::ExitItemEndsTheProgram() {
    if (exitChosen_ && !desk_->Quit()) Fail("ExitItemEndsTheProgram", "退出软件 was chosen and the program runs on");
}

// The bar claims a reminder (an action selected) only while the watching timer of its kind runs, alone;
// or after the countdown or set-time kind reached its moment; or when the short-ring question was answered
// No, which leaves the action selected and nothing armed by design.
void Walk::ArmedMeansWatching() {
    MainForm& m = p_->main;
    if (m.组合框声音.RawIndex() == -1 || declinedShortRing_) return;
    const int kind = m.组合框类型.RawIndex();
    const Timer* kinds[] = {&m.时钟倒计, &m.时钟指定, &m.时钟整点};
    int running = 0;
    for (const Timer* t : kinds) running += t->RawInterval() > 0;
    if (kind >= 0 && kind < 3 && running == 1 && kinds[kind]->RawInterval() > 0) return;
    if (running == 0 && firedSinceArming_ && (kind == 0 || kind == 1)) return;
    Fail("ArmedMeansWatching", "\"" + Action() + "\" selected with kind " + std::to_string(kind) + " and " +
                                   std::to_string(running) + " watching timer(s) running");
}

// A ring with long ring off stops within its duration plus two seconds of time awake.
void Walk::RingEndsInTime() {
    if (ringStart_ < 0) return;
    bool looping = false;
    for (const auto& s : desk_->playing()) looping = looping || s.loop;
    if (!looping) return;
    const std::int64_t ends =
        std::max(ringStart_ + ringSeconds_ * kSecond, longRingOnAt_) + 2 * kSecond + (slept_ - sleptAtRing_);
    if (Now() > ends)
        Fail("RingEndsInTime", "a ring of " + std::to_string(ringSeconds_) + " s that began at " +
                                   std::to_string(ringStart_) + " ms still sounds at " + std::to_string(Now()) + " ms");
}

// One alarm, one sound: two sounds at once are noise, and the second hides which reminder it is.
void Walk::OneSoundAtATime() {
    const auto playing = desk_->playing();
    if (playing.size() > 1) Fail("OneSoundAtATime", std::to_string(playing.size()) + " sounds at once");
}

// The program's end destroys what is still open without raising anything, and leaves nothing behind:
void Walk::EndsCleanly() {
    try {
        desk_->DestroyAll();
    } catch (const FatalErrorRaised& e) {
        Fail("EndsCleanly", std::string("the clean-up at the end: 运行时出错! ") + e.what());
    }
    for (Window* w : std::initializer_list<Window*>{&p_->main, &p_->stopwatch, &p_->fullScreen, &p_->warning})
        if (w->loaded()) Fail("EndsCleanly", w->design().name + " still loaded at the end");
    if (!desk_->ScheduledTimers().empty()) Fail("EndsCleanly", "a timer runs after the end");
    if (!desk_->playing().empty()) Fail("EndsCleanly", "a sound plays after the end");
    // Nor does a machine wake at night, or keep its display on, for a program that has gone.
    if (desk_->WakeDue()) Fail("EndsCleanly", "a wake timer is set after the end");
    const auto& display = desk_->displayCalls();
    if (!display.empty() && display.back().on) Fail("EndsCleanly", "the display is held on after the end");
}

// The program writes only its own options and its start-with-the-system entry (with its switch in the
// startup list): never anything else of the user's or the machine's.
void Walk::RegistryOnlyItsOwnKeys(RootKey root, const std::string& path) {
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    const std::string p = lower(path);
    const bool run = p == lower(reg::kRunEntry) || p == lower(reg::kRunApproval);
    const bool option =
        root == kCurrentUser && p.rfind("software\\torv\\", 0) == 0 && p.find('\\', 14) == std::string::npos;
    if ((root == kCurrentUser || root == kLocalMachine) && (run || option)) return;
    Fail("RegistryOnlyItsOwnKeys", "wrote " + std::to_string(root) + ":" + path);
}

// Muted, the chosen sounds are not played; only the music just chosen in the options sounds once.
void Walk::SilentWhileMuted(bool preview) {
    if (Muted() && !preview) Fail("SilentWhileMuted", "a sound started while muted");
}

// Shutdown, suspend and monitor-off only for the action the user armed, at its moment, at most 60 s late
// (a machine that slept through the moment is not shut down under a user who has just come back).
void Walk::SystemActionOnlyWhenDue(const char* action) {
    if (!BarOpen()) Fail("SystemActionOnlyWhenDue", std::string(action) + " with the bar gone");
    if (!armed_ || armed_->action != action || Action() != action)
        Fail("SystemActionOnlyWhenDue", std::string(action) + " ran, the last armed action being " +
                                            (armed_ ? "\"" + armed_->action + "\"" : "none") + ", selected \"" +
                                            Action() + "\"");
    const Arming& a = *armed_;
    const std::int64_t t = Now();
    constexpr std::int64_t kGrace = 60 * kSecond + 2 * kSecond;
    if (a.kind == 0) {
        const double ms = std::trunc(std::trunc(ToInteger(a.fields[0]) * 3600000.0 + ToInteger(a.fields[1]) * 60000.0) +
                                     ToInteger(a.fields[2]) * 1000.0);
        const std::int64_t span = std::max<std::int64_t>(0, ToInteger(ms));
        if (t < a.from + span || t > a.to + span + kGrace)
            Fail("SystemActionOnlyWhenDue", std::string(action) + " at " + std::to_string(t) +
                                                " ms for a countdown of " + std::to_string(span) + " ms armed at " +
                                                std::to_string(a.from) + " ms");
        return;
    }
    // The clock kinds: the local clock shows the moment or up to a minute after it, unless the clock was
    // set or changed for daylight saving just now (then a moment passed by the change counts as come).
    const std::int64_t utc = desk_->UtcMs();
    if ((clockSetAt_ >= 0 && t - clockSetAt_ <= kGrace) || (dst_ && dst_(utc) != dst_(utc - kGrace))) return;
    const DateTime now = desk_->Now();
    const std::int64_t nowS = HourOf(now) * 3600 + MinuteOf(now) * 60 + SecondOf(now);
    auto field = [](const std::string& s, int max) -> std::optional<int> {
        if (s.empty() || s.size() > 2 || (s.size() == 2 && s[0] == '0')) return std::nullopt;
        int v = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return std::nullopt;
            v = v * 10 + (c - '0');
        }
        return v <= max ? std::optional<int>(v) : std::nullopt;
    };
    const MainForm& m = p_->main;
    std::optional<std::int64_t> late;
    if (a.kind == 1) {
        const auto h = field(m.时1.RawContent(), 23), mi = field(m.分1.RawContent(), 59),
                   s = field(m.秒1.RawContent(), 59);
        if (h && mi && s) late = ((nowS - (*h * 3600 + *mi * 60 + *s)) % 86400 + 86400) % 86400;
    } else if (a.kind == 2) {
        if (const auto mi = field(m.分1.RawContent(), 59)) late = ((nowS % 3600 - *mi * 60) % 3600 + 3600) % 3600;
    }
    if (!late || *late * kSecond > kGrace)
        Fail("SystemActionOnlyWhenDue", std::string(action) + " at " + DateTimeToText(now) + " for kind " +
                                            std::to_string(a.kind) + " set to " + m.时1.RawContent() + ":" +
                                            m.分1.RawContent() + ":" + m.秒1.RawContent());
}

// ---------------------------------------------------------------- printing

std::string Walk::Printed(const std::string& name, const Broken& b) const {
    std::ostringstream out;
    out << "// Found by the explorer: " << b.invariant << ": " << b.detail << "\n";
    out << "TEST_F(Bar, " << name << ") {\n";
    out << "    desk.AddFile(" << Literal(kBroken) << ", std::vector<std::uint8_t>(4096, 0x5A));\n";
    for (const auto& l : setupLines_) out << "    " << l << "\n";
    const DateFields f = SplitDateTime(static_cast<DateTime>(startLocal_) / 86400.0);
    if (!modalLines_.empty()) {
        out << "    int turn = 0;  // the rest screen's loop, before each event it runs\n";
        out << "    desk.OnModalLoop([&](Window&) {\n        switch (turn++) {\n";
        for (const auto& [t, lines] : modalLines_) {
            out << "        case " << t << ":\n";
            for (const auto& l : lines) out << "            " << l << "\n";
            out << "            break;\n";
        }
        out << "        }\n    });\n";
    }
    out << "    Start(At(" << f.year << ", " << f.month << ", " << f.day << ", " << f.hour << ", " << f.minute << ", "
        << f.second << "));\n";
    for (const auto& l : blocks_.front()) out << "    " << l << "\n";
    out << "    // Broken here: " << b.invariant << "\n}\n";
    return out.str();
}

// ---------------------------------------------------------------- drawing the steps

class Drawn : public Source {
public:
    explicit Drawn(std::uint64_t start, std::int64_t length) : rng_(start), left_(length) {}
    std::optional<Step> Next(Where w, const Walk& walk) override {
        std::optional<Step> s = Draw(w, walk);
        if (s) steps.push_back(*s);
        return s;
    }
    std::vector<Step> steps;

private:
    std::mt19937_64 rng_;
    std::int64_t left_;
    int setup_ = -1;
    int depth_ = 0;
    int quiet_ = 0;

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    std::int64_t Long(std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng_);
    }
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    template <class T>
    const T& OneOf(const std::vector<T>& v) {
        return v[static_cast<std::size_t>(Int(0, static_cast<int>(v.size()) - 1))];
    }
    int Weighted(std::initializer_list<double> weights) {
        double total = 0;
        for (double x : weights) total += x;
        double r = std::uniform_real_distribution<double>(0, total)(rng_);
        int i = 0;
        for (double x : weights) {
            if (r < x) return i;
            r -= x;
            ++i;
        }
        return i - 1;
    }

    std::optional<Step> Draw(Where w, const Walk& walk);
    Step SetupStep(const Walk& walk, bool start);
    Step UserStep(const Walk& walk);
    Step WorldStep(bool nested);
    Step MenuStep(bool nested);
    std::string FieldText(const Walk& walk, int field);
};

std::optional<Step> Drawn::Draw(Where w, const Walk& walk) {
    if (w == Where::Setup) {
        // The start first: the daylight-saving change is placed after it.
        if (setup_ < 0) {
            setup_ = Weighted({3, 3, 2, 1, 1});
            return SetupStep(walk, true);
        }
        if (setup_-- == 0) return std::nullopt;
        return SetupStep(walk, false);
    }
    if (w == Where::Top) {
        if (left_-- <= 0) return std::nullopt;
        depth_ = 0;
        // Now and then the user leaves a reminder alone for a while: a countdown reaches its warning.
        if (quiet_ > 0) {
            --quiet_;
            return WorldStep(false);
        }
        if (Weighted({62, 38}) == 1) return WorldStep(false);
        Step s = UserStep(walk);
        if (s.op == Op::PickAction && Chance(0.3)) quiet_ = Int(3, 20);
        return s;
    }
    if (w == Where::Modal) {
        switch (Weighted({70, 8, 6, 3, 2})) {
        case 0: return Step{Op::Advance, 0, Long(100, 30000)};
        case 1: return MenuStep(true);
        case 2: return Step{Op::Tray, Int(0, 1) ? 1 : 4};
        case 3: return Step{Op::RestEsc};
        default: return Chance(0.3) ? Step{Op::RestClose} : Chance(0.3) ? Step{Op::CloseBar} : WorldStep(true);
        }
    }
    // A dialog: the answer, or something of the tray or the world first (not too deep).
    if (depth_ > 3 || Chance(0.5)) {
        if (w == Where::Message) return Step{Op::AnswerMessage, Int(0, 5)};
        if (w == Where::File) return Step{Op::AnswerFile, Weighted({5, 2, 2, 1, 3})};
        static const std::vector<std::string> texts = {"",    "0",  "3",   "5",           "10",   "30",
                                                       "180", "-1", "abc", "99999999999", "１２", "2147483648"};
        return Step{Op::AnswerInput, Chance(0.8) ? 1 : 0, 0, "", OneOf(texts)};
    }
    if (Chance(0.25)) {
        ++depth_;
        return Chance(0.1) ? Step{Op::CloseBar} : MenuStep(true);
    }
    return Chance(0.15) ? Step{Op::Tray, 1} : WorldStep(true);
}

Step Drawn::SetupStep(const Walk& walk, bool start) {
    switch (start ? 8 : Weighted({6, 1, 1, 1, 1, 1, 1, 1})) {
    case 0: {
        static const std::vector<std::string> names = {"气球提示", "三十秒提醒", "长鸣",     "全屏ESC", "软件静音",
                                                       "闹铃时长", "默认功能",   "默认事件", "MP3路径"};
        static const std::vector<std::string> texts = {"1",           "0",     "",
                                                       "-1",          "3",     "2",
                                                       "99999999999", "1e309", "abc",
                                                       "１８０",      "5",     std::string("1\0junk", 6),
                                                       kGood,         kGone,   "C:\\music\\*.mp3",
                                                       "C:\\music",   "7"};
        if (Chance(0.15)) {
            static const std::vector<std::string> runs = {"\"C:\\Program Files\\嘀嗒\\DidaMiniClock.exe\"",
                                                          "C:\\Program Files\\嘀嗒\\DidaMiniClock.exe",
                                                          "\"C:\\old\\DidaMiniClock.exe\"", "\"C:\\music\\晨曲.mp3\""};
            return Step{Op::Store, Chance(0.5) ? kLocalMachine : kCurrentUser, 0, std::string(kRunKey) + "\\TORV",
                        OneOf(runs)};
        }
        return Step{Op::Store, kCurrentUser, Weighted({12, 1, 1, 1}), std::string(kOptionsKey) + "\\" + OneOf(names),
                    OneOf(texts)};
    }
    case 1: return Step{Op::Protect, Chance(0.5) ? kCurrentUser : kLocalMachine};
    case 2:
        return Step{
            Op::Uptime, 0,
            Chance(0.5) ? Long(4294967296LL - 600000, 4294967296LL - 1000) : Long(2147483648LL - 600000, 2147483648LL)};
    case 3: return Step{Op::Lateness, Int(20, 900)};
    case 4: return Step{Op::Drop, Int(2, 40)};
    case 5: return Step{Op::Slowdown};
    case 6: {
        const std::int64_t from = UtcOfLocal(walk.StartLocalSeconds()) + Long(10 * kSecond, 3 * kHour);
        return Step{Op::Dst, static_cast<int>(Long(kMinute, 4 * kHour)), from};
    }
    case 7: return Step{Op::NoWakeTimers};
    default: {
        // A day of the year, often close to the end of a minute, an hour or a day.
        const DateFields day = SplitDateTime(MakeDateTime({2015, 1, 1, 0, 0, 0}) + Int(0, 364));
        const int h = Chance(0.3) ? 23 : Int(0, 23), mi = Chance(0.4) ? 59 : Int(0, 59),
                  s = Chance(0.4) ? Int(30, 59) : Int(0, 59);
        return Step{Op::StartAt, 0, LocalSeconds(MakeDateTime({day.year, day.month, day.day, h, mi, s}))};
    }
    }
}

std::string Drawn::FieldText(const Walk& walk, int field) {
    const Program& p = *walk.program();
    const int kind = p.main.组合框类型.RawIndex();
    if (Chance(0.15)) {
        static const std::vector<std::string> junk = {"", "-", "-5", "abc", "１２", "007", "99", "0", "00", "75"};
        return OneOf(junk);
    }
    if (kind == 0) {
        const int values[] = {Chance(0.9) ? 0 : Int(1, 2), Chance(0.6) ? 0 : Int(1, 2), Int(0, 45)};
        return std::to_string(values[field]);
    }
    // The clock kinds: a moment soon after the clock's time now.
    const DateFields f = SplitDateTime(const_cast<WatchedDesktop&>(walk.desk()).Now() + Int(2, 120) / 86400.0);
    const int values[] = {f.hour, f.minute, f.second};
    return std::to_string(kind == 2 && field != 1 ? 0 : values[field]);
}

// Leaving is rare on the top, and often inside a nested loop: that is where roads cross.
Step Drawn::MenuStep(bool nested) {
    std::vector<double> weights = {3, 1, 1, 1, 2, 2, 1, 1, 3, 1, 1, 3, 1, nested ? 2.0 : 0.15};
    std::discrete_distribution<int> d(weights.begin(), weights.end());
    return Step{Op::Menu, 0, 0, kMenuItems[d(rng_)]};
}

Step Drawn::UserStep(const Walk& walk) {
    const Program& p = *walk.program();
    const bool stopwatch = p.stopwatch.loaded(), warning = p.warning.loaded();
    switch (Weighted({14, 4, 14, 1, 1, 5, 0.05, 0.05, 3, 12, stopwatch ? 6.0 : 0.0, warning ? 12.0 : 0.0})) {
    case 0: return Step{Op::PickAction, Weighted({4, 4, 4, 3, 1, 3, 1, 3, 2, 2})};
    case 1: return Step{Op::PickKind, Int(0, 2)};
    case 2: {
        const int field = Int(0, 2);
        return Step{Op::Type, field, 0, "", std::string(Chance(0.9) ? 3 : Int(0, 1), '\b') + FieldText(walk, field)};
    }
    case 3: return Step{Op::DblClickField, Int(0, 2)};
    case 4: return Step{Op::RightClickAction};
    case 5: return Step{Op::Click, Weighted({6, 1, 0.1})};
    case 6: return Step{Op::EscBar};
    case 7: return Step{Op::CloseBar};
    case 8: return Step{Op::Tray, Weighted({1, 2, 1, 0, 1})};
    case 9: return MenuStep(false);
    case 10: return Step{static_cast<Op>(static_cast<int>(Op::StopwatchButton) + Weighted({6, 2, 2}))};
    default: return Step{static_cast<Op>(static_cast<int>(Op::WarningButton) + Weighted({4, 1, 1}))};
    }
}

Step Drawn::WorldStep(bool nested) {
    switch (Weighted({40, 1.5, 1.5, 0.5, 0.5, 0.3, 0.3})) {
    case 0: {
        const int scale = nested ? Weighted({6, 3, 1, 0}) : Weighted({5, 3, 1.2, 0.3});
        const std::int64_t limits[] = {1000, 10 * kSecond, 5 * kMinute, 2 * kHour};
        return Step{Op::Advance, 0, Long(1, limits[scale])};
    }
    case 1: return Step{Op::Sleep, 0, Chance(0.5) ? Long(kSecond, 2 * kMinute) : Long(2 * kMinute, 3 * kHour)};
    case 2: {
        const std::int64_t ms = Chance(0.5) ? Long(kSecond, 2 * kMinute) : Long(2 * kMinute, 13 * kHour);
        return Step{Op::SetClock, 0, Chance(0.5) ? ms : -ms};
    }
    case 3: return Step{Op::Audio, Int(0, 1)};
    case 4: return Step{Op::File, Int(0, 2)};
    case 5: return Step{Op::Screen, Int(0, 2)};
    default: return Step{Op::ProtectNow, Int(0, 1)};
    }
}

// ---------------------------------------------------------------- shrinking and the runs

struct Outcome {
    std::optional<Broken> broken;
    std::int64_t steps = 0;
};

Outcome Replay(const std::vector<Step>& steps) {
    Replayed src(steps);
    Walk walk(src, false);
    Outcome o;
    o.broken = walk.Run(o.steps);
    return o;
}

// Removes steps while the same promise still breaks: halves first, then ever smaller pieces.
std::vector<Step> Shrink(std::vector<Step> steps, const std::string& invariant, double budgetSeconds) {
    const auto begin = std::chrono::steady_clock::now();
    auto breaks = [&](const std::vector<Step>& s) {
        const Outcome o = Replay(s);
        return o.broken && o.broken->invariant == invariant;
    };
    for (std::size_t chunk = std::max<std::size_t>(1, steps.size() / 2);; chunk = std::max<std::size_t>(1, chunk / 2)) {
        bool removed = false;
        for (std::size_t at = 0; at < steps.size();) {
            if (std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() > budgetSeconds)
                return steps;
            std::vector<Step> fewer(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(at));
            fewer.insert(fewer.end(), steps.begin() + static_cast<std::ptrdiff_t>(std::min(steps.size(), at + chunk)),
                         steps.end());
            if (breaks(fewer)) {
                steps = std::move(fewer);
                removed = true;
            } else {
                at += chunk;
            }
        }
        if (chunk == 1 && !removed) return steps;
    }
}

// One walk from a start value; on a broken promise, the shrunk walk printed as a scenario test.
bool Explore(std::uint64_t start, std::int64_t length, std::int64_t& steps, bool shrink) {
    Drawn src(start, length);
    Walk walk(src, false);
    const std::optional<Broken> b = walk.Run(steps);
    if (!b) return true;
    std::printf("start value %llu: %s: %s (after %zu drawn steps)\n", static_cast<unsigned long long>(start),
                b->invariant.c_str(), b->detail.c_str(), src.steps.size());
    if (!shrink) return false;
    const std::vector<Step> shortest = Shrink(src.steps, b->invariant, 120);
    Replayed again(shortest);
    Walk printed(again, true);
    std::int64_t n = 0;
    const std::optional<Broken> still = printed.Run(n);
    if (std::getenv("DIDA_EXPLORER_DUMP"))
        for (const Step& s : shortest)
            std::printf("  op %d a %d n %lld s %s t %s\n", static_cast<int>(s.op), s.a, static_cast<long long>(s.n),
                        s.s.c_str(), Literal(s.t).c_str());
    std::printf("shortest road found (%zu steps):\n%s\n", shortest.size(),
                printed.Printed("Explorer" + b->invariant + "_" + std::to_string(start), still ? *still : *b).c_str());
    return false;
}

int Main(int argc, char** argv) {
    std::optional<std::uint64_t> only;
    bool shrink = true, stats = false;
    std::int64_t total = 0, length = 1500;
    if (const char* env = std::getenv("DIDA_EXPLORER_STEPS")) total = std::atoll(env);
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--start") && i + 1 < argc)
            only = std::strtoull(argv[++i], nullptr, 10);
        else if (!std::strcmp(argv[i], "--steps") && i + 1 < argc)
            total = std::atoll(argv[++i]);
        else if (!std::strcmp(argv[i], "--stats"))
            stats = true;
        else if (!std::strcmp(argv[i], "--no-shrink"))
            shrink = false;
        else if (!std::strcmp(argv[i], "--length") && i + 1 < argc)
            length = std::atoll(argv[++i]);
        else {
            std::fprintf(stderr,
                         "usage: %s [--start V] [--steps N] [--length STEPS_PER_WALK] [--no-shrink] [--stats]\n",
                         argv[0]);
            return 2;
        }
    }
    const auto begin = std::chrono::steady_clock::now();
    auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(); };
    std::int64_t steps = 0, walks = 0, findings = 0;
    const std::uint64_t fresh = std::random_device{}() % 1000000000u + 1000;
    if (only) {
        findings += !Explore(*only, length, steps, shrink);
        walks = 1;
    } else if (total > 0) {
        std::printf("long walk from start value %llu: %lld steps\n", static_cast<unsigned long long>(fresh),
                    static_cast<long long>(total));
        double report = 10;
        for (std::uint64_t v = fresh; steps < total; ++v, ++walks) {
            findings += !Explore(v, length, steps, shrink && findings < 3);
            if (seconds() > report) {
                std::printf("  %lld steps, %lld walks, %lld findings, %.0f steps/s\n", static_cast<long long>(steps),
                            static_cast<long long>(walks), static_cast<long long>(findings), steps / seconds());
                std::fflush(stdout);
                report += 60;
            }
        }
    } else {
        // The test run: the fixed start values, then one fresh one (printed, to be run again with --start).
        std::printf("fresh start value %llu\n", static_cast<unsigned long long>(fresh));
        std::vector<std::uint64_t> values;
        for (std::uint64_t v = 1; v <= 500; ++v) values.push_back(v);
        values.push_back(fresh);
        for (std::uint64_t v : values) {
            findings += !Explore(v, length, steps, shrink);
            ++walks;
        }
    }
    std::printf("explorer: %lld walks, %lld steps, %lld findings, %.1f s, %.0f steps/s\n",
                static_cast<long long>(walks), static_cast<long long>(steps), static_cast<long long>(findings),
                seconds(), steps / std::max(seconds(), 1e-9));
    if (stats) {
        std::printf("%-18s %10s %10s %10s %10s %10s\n", "taken", "top", "message", "input", "file", "modal");
        for (int op = 0; op < kOps; ++op)
            std::printf("%-18s %10lld %10lld %10lld %10lld %10lld\n", kOpNames[op],
                        static_cast<long long>(gApplied[op][1]), static_cast<long long>(gApplied[op][2]),
                        static_cast<long long>(gApplied[op][3]), static_cast<long long>(gApplied[op][4]),
                        static_cast<long long>(gApplied[op][5]));
        std::printf("after a step:");
        for (std::size_t i = 0; i < std::size(kSeen); ++i)
            std::printf(" %s %lld,", kSeen[i], static_cast<long long>(gSeen[i]));
        std::printf("\n");
    }
    return findings == 0 ? 0 : 1;
}

}  // namespace
}  // namespace dida::explorer

int main(int argc, char** argv) { return dida::explorer::Main(argc, argv); }
