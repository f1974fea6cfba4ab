#include "platform/headless/headless_desktop.h"

#include <algorithm>
#include <cmath>

#include "platform/dialog_rules.h"
#include "platform/fatal.h"
#include "platform/local_time.h"
#include "platform/registry_path.h"
#include "platform/sound_format.h"
#include "platform/text.h"

namespace dida {

namespace {
constexpr double kUnixEpochDays = 25569.0;  // 1970-01-01 as a DateTime
constexpr std::int64_t kMsPerDay = 86400000;

// '*' and '?' as the system's file search matches them, on code points. A mismatch after a star goes
// back to that star and lets it take one character more; a later star replaces the earlier one, since
// whatever the earlier one could still take the later one can take too. So a failed try never starts a
// search of every split: at worst the time is the product of the two lengths, never exponential.
bool GlobMatch(std::u32string_view pat, std::u32string_view s) {
    auto lower = [](char32_t c) { return c < 128 ? static_cast<char32_t>(std::tolower(static_cast<int>(c))) : c; };
    constexpr std::size_t kNoStar = std::u32string_view::npos;
    std::size_t p = 0, i = 0, star = kNoStar, starAt = 0;
    while (i < s.size()) {
        if (p < pat.size() && pat[p] == U'*') {
            star = p++;
            starAt = i;
        } else if (p < pat.size() && (pat[p] == U'?' || lower(pat[p]) == lower(s[i]))) {
            ++p;
            ++i;
        } else if (star != kNoStar) {
            p = star + 1;
            i = ++starAt;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == U'*') ++p;
    return p == pat.size();
}
}  // namespace

// Each component of a loaded window gets one; only timers need the desktop to act on a change.
class HeadlessDesktop::Peer : public ComponentPeer {
public:
    Peer(HeadlessDesktop& desk, Component& c) : desk_(desk), c_(c) {}
    void Changed(Prop prop) override {
        if (c_.kind() == Kind::Timer && prop == Prop::Interval) desk_.TimerChanged(static_cast<Timer&>(c_));
    }

private:
    HeadlessDesktop& desk_;
    Component& c_;
};

HeadlessDesktop::HeadlessDesktop() {
    utcOffset_ = [](std::int64_t) { return 0; };
    SetNow(42000.0);  // 2014-12-28 00:00, any fixed start keeps runs repeatable
}

HeadlessDesktop::~HeadlessDesktop() { windows_.ForgetAll(); }

// ---------------------------------------------------------------- clocks

void HeadlessDesktop::SetUtcOffsetRule(std::function<int(std::int64_t)> offsetMinutes) {
    utcOffset_ = offsetMinutes ? std::move(offsetMinutes) : [](std::int64_t) { return 0; };
}

void HeadlessDesktop::SetNow(DateTime localStart) {
    const auto localMs = static_cast<std::int64_t>(std::llround((localStart - kUnixEpochDays) * kMsPerDay));
    std::int64_t utc = localMs - std::int64_t{utcOffset_(localMs)} * 60000;
    utc = localMs - std::int64_t{utcOffset_(utc)} * 60000;
    startUtcMs_ = utc - mono_ - wallOffsetMs_;
}

// A count given on 32 bits is one within the first 49.7 days.
void HeadlessDesktop::SetTickStart(std::int32_t tick) { SetUptime(static_cast<std::uint32_t>(tick)); }

void HeadlessDesktop::SetUptime(std::int64_t ms) { tickStart_ = ms - mono_; }

std::int64_t HeadlessDesktop::TickCount64() { return tickStart_ + mono_; }

DateTime HeadlessDesktop::Now() {
    const std::int64_t utc = UtcMs();
    const std::int64_t local = utc + std::int64_t{utcOffset_(utc)} * 60000;
    const std::int64_t seconds = local >= 0 ? local / 1000 : -((-local + 999) / 1000);
    return DateTimeFromUnixSeconds(seconds);
}

std::int32_t HeadlessDesktop::TickCount() {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(TickCount64())));
}

void HeadlessDesktop::Delay(int ms) {
    ms = std::max(ms, 0);
    systemCalls_.push_back(SystemCall{SystemCall::What::Delay, mono_, 0, false, ms});
    mono_ += ms;
}

void HeadlessDesktop::JumpWallClock(std::int64_t ms) {
    wallOffsetMs_ += ms;
    for (auto& [timer, e] : timers_)
        if (e.clock) e.nextDue = mono_ + Scaled(e.clock->ClockSet(UtcMs()));
}

void HeadlessDesktop::Suspend(std::int64_t ms) {
    std::int64_t end = mono_ + std::max<std::int64_t>(ms, 0);
    // A wake timer due while the machine sleeps ends the sleep at its moment; one already due has signalled.
    if (const auto due = WakeDue(); due && wakeAllowed_ && *due > mono_) end = std::min(end, *due);
    mono_ = end;
}

void HeadlessDesktop::SetTimerLateness(std::function<int(std::int64_t)> late) { lateness_ = std::move(late); }
void HeadlessDesktop::SetTimerDrop(std::function<bool(std::int64_t)> drop) { drop_ = std::move(drop); }
void HeadlessDesktop::SetTimerSlowdown(double factor) { slowdown_ = factor > 0 ? factor : 1.0; }

std::int64_t HeadlessDesktop::PeriodOf(int interval) const {
    return std::max<std::int64_t>(1, std::llround(interval * slowdown_));
}

std::int64_t HeadlessDesktop::Scaled(std::int64_t waitMs) const {
    return std::llround(static_cast<double>(waitMs) * slowdown_);
}

// The simulated clock has no jitter: an aligned timer comes exactly at the second, when Now() already
// shows it.
constexpr int kClockTimerSlackMs = 0;

void HeadlessDesktop::TimerChanged(Timer& t) {
    const int interval = t.RawInterval();
    if (interval <= 0) {
        timers_.erase(&t);
        return;
    }
    TimerEntry e{&t, mono_ + PeriodOf(interval), interval, std::nullopt};
    if (t.clockAligned()) {
        e.clock.emplace(interval, kClockTimerSlackMs);
        e.nextDue = mono_ + Scaled(e.clock->Start(UtcMs()));
    }
    timers_[&t] = e;
}

std::vector<const Timer*> HeadlessDesktop::ScheduledTimers() const {
    std::vector<const Timer*> out;
    for (const auto& [component, e] : timers_) out.push_back(e.timer);
    return out;
}

void HeadlessDesktop::PostMessage(std::function<void()> fn) { posted_.push_back(Posted{++seq_, std::move(fn)}); }

std::int64_t HeadlessDesktop::DeliveryTime(const TimerEntry& e) const {
    return e.nextDue + (lateness_ ? std::max(0, lateness_(e.nextDue)) : 0);
}

std::optional<std::int64_t> HeadlessDesktop::NextEventTime() {
    if (!posted_.empty()) return mono_;
    std::optional<std::int64_t> best;
    for (auto& [timer, e] : timers_) {
        const std::int64_t at = DeliveryTime(e);
        if (!best || at < *best) best = at;
    }
    return best;
}

bool HeadlessDesktop::RunOne(std::int64_t upTo) {
    // Posted messages come before timer expiries, as in a real queue where WM_TIMER is synthesised last.
    if (!posted_.empty()) {
        auto fn = std::move(posted_.front().fn);
        posted_.pop_front();
        fn();
        return true;
    }
    TimerEntry* next = nullptr;
    std::int64_t nextAt = 0;
    for (auto& [timer, e] : timers_) {
        const std::int64_t at = DeliveryTime(e);
        if (!next || at < nextAt || (at == nextAt && e.nextDue < next->nextDue)) {
            next = &e;
            nextAt = at;
        }
    }
    if (!next || nextAt > upTo) return false;
    mono_ = std::max(mono_, nextAt);
    const std::int64_t due = next->nextDue;
    if (next->clock) {
        // Re-aimed at the clock from the moment it came: lateness does not carry over.
        const ClockTimerSchedule::Step step = next->clock->Arrived(UtcMs());
        next->nextDue = mono_ + Scaled(step.waitMs);
        if (!step.due) return true;
    } else {
        const std::int64_t period = PeriodOf(next->period);
        // The next period counts from the due moment; expiries missed meanwhile collapse into this one.
        next->nextDue = due + period;
        while (next->nextDue <= mono_) next->nextDue += period;
    }
    Timer* timer = next->timer;
    if (drop_ && drop_(due)) return true;
    timer->Expired();
    return true;
}

void HeadlessDesktop::Advance(std::int64_t ms) {
    const std::int64_t target = mono_ + std::max<std::int64_t>(ms, 0);
    while (!Quit() && RunOne(target)) {
    }
    mono_ = std::max(mono_, target);
}

bool HeadlessDesktop::RunUntil(const std::function<bool()>& pred, std::int64_t limitMs) {
    const std::int64_t limit = mono_ + limitMs;
    while (!pred()) {
        if (Quit() || !RunOne(limit)) {
            if (pred()) return true;
            mono_ = std::max(mono_, limit);
            return pred();
        }
    }
    return true;
}

void HeadlessDesktop::RunPending() {
    while (!Quit() && RunOne(mono_)) {
    }
}

void HeadlessDesktop::ProcessEvents() { RunPending(); }

// ---------------------------------------------------------------- dialogs

void HeadlessDesktop::AnswerMessage(MessageScript s) { messageScripts_.push_back(std::move(s)); }
void HeadlessDesktop::AnswerMessage(int result) {
    AnswerMessage([result](const MessageCall&) { return MessageAnswer{result}; });
}
void HeadlessDesktop::AnswerInput(InputScript s) { inputScripts_.push_back(std::move(s)); }
void HeadlessDesktop::AnswerInput(bool confirm, const std::string& text) {
    AnswerInput([confirm, text](const InputCall&) { return InputAnswer{confirm, text}; });
}
void HeadlessDesktop::AnswerFile(FileScript s) { fileScripts_.push_back(std::move(s)); }
void HeadlessDesktop::AnswerFile(bool confirm, const std::string& path) {
    AnswerFile([confirm, path](const DialogCall&) { return FileAnswer{confirm, path}; });
}
void HeadlessDesktop::OnModalLoop(std::function<void(Window&)> hook) { modalHook_ = std::move(hook); }

int HeadlessDesktop::ShowMessage(const std::string& text, int style, const std::string& title) {
    MessageCall call{mono_, text, MessageBoxTitle(title), style, -1};
    if (messageScripts_.empty()) throw UnexpectedDialog("message box without a scripted answer: " + text);
    auto script = std::move(messageScripts_.front());
    messageScripts_.pop_front();
    // Entering the box's own loop dispatches what is already queued.
    RunPending();
    call.result = script(call).result;
    messages_.push_back(call);
    return call.result;
}

bool HeadlessDesktop::InputBox(const std::string& prompt, const std::string& title, const std::string& initial,
                               InputTarget target, int mode) {
    InputCall call{mono_, prompt, InputBoxCaption(title), initial, InputBoxMode(mode), false, {}};
    if (inputScripts_.empty()) throw UnexpectedDialog("input box without a scripted answer: " + prompt);
    auto script = std::move(inputScripts_.front());
    inputScripts_.pop_front();
    RunPending();
    const InputAnswer answer = script(call);
    // The scripted text is typed over the selected initial text, through the field's filter.
    std::u32string typed;
    for (char32_t ch : Utf8ToUtf32(answer.text))
        if (InputBoxAccepts(call.mode, ch)) typed.push_back(ch);
    call.entry = Utf32ToUtf8(typed);
    call.confirmed = answer.confirm;
    inputs_.push_back(call);
    if (!answer.confirm) return false;
    StoreInputEntry(call.entry, target);
    return true;
}

bool HeadlessDesktop::OpenDialog(CommonDlg& dialog) {
    const CommonDlgDef& form = dialog.design();
    DialogCall call{mono_, DialogFilterString(form.filter), DialogFilterIndex(form.filter, form.filterIndex),
                    dialog.FileName(), false};
    if (dialog.DialogType() > 1) return false;
    if (fileScripts_.empty()) throw UnexpectedDialog("file dialog without a scripted answer");
    auto script = std::move(fileScripts_.front());
    fileScripts_.pop_front();
    RunPending();
    const FileAnswer answer = script(call);
    call.confirmed = answer.confirm;
    fileDialogs_.push_back(call);
    if (!answer.confirm) return false;
    dialog.FileName(answer.path);
    return true;
}

// ---------------------------------------------------------------- windows

bool HeadlessDesktop::CreateNative(Window& w) {
    auto& list = peersOf_[&w];
    auto attach = [&](Component& c) {
        peers_.push_back(std::make_unique<Peer>(*this, c));
        c.AttachPeer(peers_.back().get());
        list.push_back(peers_.back().get());
    };
    attach(w);
    for (Component* c : w.components()) attach(*c);
    // Timers defined running start with the window.
    for (Component* c : w.components())
        if (c->kind() == Kind::Timer && static_cast<Timer*>(c)->RawInterval() > 0)
            TimerChanged(*static_cast<Timer*>(c));
    return true;
}

void HeadlessDesktop::DestroyNative(Window& w) {
    for (Component* c : w.components())
        if (c->kind() == Kind::Timer) timers_.erase(c);
    auto it = peersOf_.find(&w);
    if (it == peersOf_.end()) return;
    for (ComponentPeer* p : it->second)
        std::erase_if(peers_, [p](const std::unique_ptr<ComponentPeer>& q) { return q.get() == p; });
    peersOf_.erase(it);
}

void HeadlessDesktop::ActivateNative(Window&) {}

void HeadlessDesktop::PostClose(Window&, std::uint64_t serial) {
    PostMessage([this, serial] { windows_.CloseArrived(serial); });
}

void HeadlessDesktop::RunNestedLoop(Window& modal, const std::function<bool()>& done) {
    while (!done()) {
        if (modalHook_) modalHook_(modal);
        if (done()) break;
        const auto next = NextEventTime();
        if (!next)
            throw UnexpectedDialog("modal window " + modal.design().name + " waits with nothing that could close it");
        RunOne(*next);
    }
}

bool HeadlessDesktop::LoadWindow(Window& w, bool modal) { return windows_.Load(w, modal); }

void HeadlessDesktop::UnloadWindow(Window& w) { windows_.Unload(w); }

// ---------------------------------------------------------------- the simulated user

void HeadlessDesktop::RequestClose(Window& w) {
    if (!w.loaded()) return;
    windows_.RequestClose(w);
    RunPending();
}

void HeadlessDesktop::PressEsc(Window& w) {
    if (windows_.EscPressed(w)) RunPending();
}

void HeadlessDesktop::TypeInto(EditBox& e, const std::string& text) {
    if (!e.RawVisible() || e.RawDisabled() || e.design().readOnly) return;
    for (char32_t ch : Utf8ToUtf32(text)) {
        std::u32string now = Utf8ToUtf32(e.RawContent());
        if (ch == U'\b') {
            if (now.empty()) continue;
            now.pop_back();
        } else if (EditBox::AcceptsTyped(e.design(), ch)) {
            now.push_back(ch);
        } else {
            continue;
        }
        e.UserEdited(Utf32ToUtf8(now));
        RunPending();
    }
}

void HeadlessDesktop::Select(ComboBox& c, int index) {
    c.UserSelected(index);
    RunPending();
}
void HeadlessDesktop::Click(SuperBtn& b) {
    b.UserClicked();
    RunPending();
}
void HeadlessDesktop::Click(Button& b) {
    b.UserClicked();
    RunPending();
}
void HeadlessDesktop::Choose(MenuItem& item) {
    item.UserChose();
    RunPending();
}
void HeadlessDesktop::TrayEvent(TrayIcon& icon, int event) {
    icon.UserEvent(event);
    RunPending();
}

// ---------------------------------------------------------------- registry

std::string HeadlessDesktop::RegReadText(RootKey root, const std::string& fullPath, const std::string& def) {
    const RegPath p = SplitFullPath(fullPath);
    const auto v = registry_.GetValue(root, p.key, p.value);
    if (!v) return def;
    // The system hands over the stored characters, zero included; what is read is a text, and a text
    // ends at its first zero ("1\0junk" is the flag "1"), as the Windows backend reads it.
    const std::string text = v->text.substr(0, v->text.find('\0'));
    if (v->type == RegType::Sz) return text;
    if (v->type == RegType::ExpandSz) return registry_.Expand(text);
    return def;
}

bool HeadlessDesktop::RegWrite(RootKey root, const std::string& fullPath, const std::string& text) {
    if (registry_.WriteProtected(root)) return false;
    const RegPath p = SplitFullPath(fullPath);
    registry_.SetValue(root, p.key, p.value, RegValue{RegType::Sz, text, 0, {}});
    return true;
}

bool HeadlessDesktop::RegWrite(RootKey root, const std::string& fullPath, std::int32_t number) {
    if (registry_.WriteProtected(root)) return false;
    const RegPath p = SplitFullPath(fullPath);
    registry_.SetValue(root, p.key, p.value, RegValue{RegType::Dword, {}, static_cast<std::uint32_t>(number), {}});
    return true;
}

bool HeadlessDesktop::RegWrite(RootKey root, const std::string& fullPath, const std::vector<std::uint8_t>& bytes) {
    if (registry_.WriteProtected(root)) return false;
    const RegPath p = SplitFullPath(fullPath);
    registry_.SetValue(root, p.key, p.value, RegValue{RegType::Binary, {}, 0, bytes});
    return true;
}

bool HeadlessDesktop::RegDelete(RootKey root, const std::string& fullPath) {
    if (registry_.WriteProtected(root)) return false;
    const RegPath p = SplitFullPath(fullPath);
    if (registry_.KeyExists(root, p.key) && registry_.DeleteValue(root, p.key, p.value)) return true;
    return registry_.DeleteKey(root, fullPath);
}

std::optional<std::vector<std::uint8_t>> HeadlessDesktop::RegReadBytes(RootKey root, const std::string& fullPath) {
    const RegPath p = SplitFullPath(fullPath);
    const auto v = registry_.GetValue(root, p.key, p.value);
    if (!v || v->type != RegType::Binary) return std::nullopt;
    return v->bytes;
}

// ---------------------------------------------------------------- sound

bool HeadlessDesktop::PlayAudio(Blob bytes, bool loop) {
    SoundCall call{SoundCall::What::PlayAudio, mono_, bytes, {}, {}, 0, loop, false};
    if (ended_) {
        // The process is on its way out: whatever starts now is gone with it at once.
    } else if (LooksLikeWav(bytes) && !audioOutput_) {
        // Nothing to open a stream on.
    } else if (LooksLikeWav(bytes)) {
        if (const auto wav = ParseWav(bytes)) {
            const std::uint32_t rate = wav->avgBytesPerSec ? wav->avgBytesPerSec : 1;
            const std::int64_t lengthMs = static_cast<std::int64_t>(wav->samples.size()) * 1000 / rate;
            streams_.push_back(WavStream{bytes, loop, mono_, loop ? -1 : mono_ + lengthMs});
            call.result = true;
        }
    } else if (LooksLikeMidi(bytes)) {
        midi_ = Playing{bytes, {}, loop, mono_};
        call.result = true;
    }
    sounds_.push_back(call);
    return call.result;
}

bool HeadlessDesktop::PlayAudioFile(const std::string& fileName, bool loop) {
    auto it = fileName.empty() ? files_.end() : files_.find(fileName);
    bool result = false;
    if (it != files_.end()) {
        result = PlayAudio(Blob(it->second), loop);
        sounds_.pop_back();  // recorded once, as the file call
    }
    sounds_.push_back(SoundCall{SoundCall::What::PlayAudioFile, mono_, {}, fileName, {}, 0, loop, result});
    return result;
}

bool HeadlessDesktop::PlayMp3(int times, const std::vector<std::string>& files, Blob fallback) {
    sounds_.push_back(SoundCall{SoundCall::What::PlayMp3, mono_, fallback, {}, files, times, times < 0, false});
    mp3_.reset();
    if (times == 0 || ended_) return false;
    std::vector<std::string> named;
    for (const auto& f : files)
        if (!f.empty()) named.push_back(f);
    const std::int64_t passMs = Mp3PassMs(named);
    if (passMs == 0 || !audioOutput_) return false;
    mp3_ = Mp3Player{named, times < 0 ? 0 : times, fallback, mono_, mono_ + passMs, false};
    sounds_.back().result = true;
    return true;
}

// What one pass over the list sounds for, by the rule the real player decodes by: every file that can
// produce sound plays its frames, the others are skipped at once.
std::int64_t HeadlessDesktop::Mp3PassMs(const std::vector<std::string>& files) const {
    double ms = 0;
    bool heard = false;
    for (const auto& name : files) {
        const auto it = files_.find(name);
        if (it == files_.end() || !Mp3Playable(it->second)) continue;
        heard = true;
        MpegFrameScanner scanner(it->second);
        while (const auto frame = scanner.Next())
            ms += 1000.0 * frame->header.samplesPerFrame / frame->header.sampleRate;
    }
    return heard ? std::max<std::int64_t>(1, std::llround(ms)) : 0;
}

// The real player reads each file when its turn comes. The simulated one is brought up to date before
// anything looks at it or changes a file, so each pass sees the files as they were when it began.
void HeadlessDesktop::CatchUpMp3() const {
    while (mp3_ && !mp3_->onFallback && mp3_->passEnds <= mono_) {
        if (mp3_->passesLeft > 0 && --mp3_->passesLeft == 0) {
            mp3_.reset();
            return;
        }
        const std::int64_t passMs = Mp3PassMs(mp3_->files);
        if (passMs > 0) {
            mp3_->since = mp3_->passEnds;
            mp3_->passEnds += passMs;
        } else if (!mp3_->fallback.empty()) {
            // A whole pass without a sound: the fallback rings from here on, until stopped.
            mp3_->since = mp3_->passEnds;
            mp3_->onFallback = true;
        } else {
            mp3_.reset();
        }
    }
}

void HeadlessDesktop::StopAudio() {
    sounds_.push_back(SoundCall{SoundCall::What::StopAudio, mono_, {}, {}, {}, 0, false, false});
    mp3_.reset();
    midi_.reset();
    streams_.clear();
}

// Not a call of the logic, so nothing is recorded: the sounds end because the process does.
void HeadlessDesktop::EndMessageLoop() {
    ended_ = true;
    mp3_.reset();
    midi_.reset();
    streams_.clear();
}

std::vector<HeadlessDesktop::Playing> HeadlessDesktop::playing() const {
    std::vector<Playing> out;
    for (const auto& s : streams_)
        if (s.endsAt < 0 || s.endsAt > mono_) out.push_back(Playing{s.bytes, {}, s.loop, s.since});
    if (midi_) out.push_back(*midi_);
    CatchUpMp3();
    if (mp3_ && mp3_->onFallback) out.push_back(Playing{mp3_->fallback, {}, true, mp3_->since});
    if (mp3_ && !mp3_->onFallback) out.push_back(Playing{{}, mp3_->files, mp3_->passesLeft == 0, mp3_->since});
    return out;
}

// ---------------------------------------------------------------- tray, menus, system

bool HeadlessDesktop::ShowBalloon(TrayIcon& icon, const std::string& title, const std::string& text, int iconKind,
                                  int timeoutMs) {
    if (!icon.CanShowBalloon()) return false;
    balloons_.push_back(BalloonCall{mono_, icon.name(), title, text, TrayIcon::BalloonIconKind(iconKind), timeoutMs});
    return true;
}

void HeadlessDesktop::Announce(Label& liveRegion, const std::string& text) {
    liveRegion.Caption();  // a control of a window that is not loaded is the fatal error
    announcements_.push_back(AnnouncementCall{mono_, liveRegion.name(), text});
}

void HeadlessDesktop::PopupMenu(Window& owner, MenuItem& menu, std::optional<int> x, std::optional<int> y) {
    std::vector<PopupEntry> entries = PopupOf(owner, menu);
    // The menu's own loop: what is already queued runs while it is open.
    popups_.push_back(PopupCall{mono_, owner.design().name, menu.name(), std::move(entries), x, y});
    RunPending();
}

void HeadlessDesktop::SetScreen(int width, int height) {
    screenW_ = width;
    screenH_ = height;
    workArea_.reset();
    RaiseDisplayChanged();
}

void HeadlessDesktop::SetWorkArea(Rect r) {
    workArea_ = r;
    RaiseDisplayChanged();
}

Rect HeadlessDesktop::WorkArea() { return workArea_ ? *workArea_ : Rect{0, 0, screenW_, screenH_ - 40}; }

// Every top-level window hears of it, as of WM_DISPLAYCHANGE and WM_SETTINGCHANGE.
void HeadlessDesktop::RaiseDisplayChanged() {
    const std::vector<Window*> open = windows_.open();
    for (Window* w : open)
        if (w->loaded()) w->DisplayChanged();
    RunPending();
}

void HeadlessDesktop::SetProgramPath(const std::string& directory, const std::string& fileName) {
    programDir_ = directory;
    programFile_ = fileName;
}

void HeadlessDesktop::AddFile(const std::string& path, std::vector<std::uint8_t> content) {
    CatchUpMp3();
    files_[path] = std::move(content);
}

void HeadlessDesktop::RemoveFile(const std::string& path) {
    CatchUpMp3();
    files_.erase(path);
}

bool HeadlessDesktop::FileExists(const std::string& path) {
    if (path.empty()) return false;
    const std::u32string pat = Utf8ToUtf32(path);
    for (const auto& [name, content] : files_) {
        if (GlobMatch(pat, Utf8ToUtf32(name))) return true;
        // A directory exists when something lies below it.
        const std::string dirPrefix = path + "\\";
        if (name.compare(0, dirPrefix.size(), dirPrefix) == 0) return true;
    }
    return false;
}

bool HeadlessDesktop::ShutdownSystem(int mode, bool force) {
    systemCalls_.push_back(SystemCall{SystemCall::What::Shutdown, mono_, mode, force, 0});
    return mode >= 1 && mode <= 5;
}

void HeadlessDesktop::TurnOffMonitor() {
    systemCalls_.push_back(SystemCall{SystemCall::What::TurnOffMonitor, mono_, 0, false, 0});
}

// ---------------------------------------------------------------- waking

std::optional<std::int64_t> HeadlessDesktop::WakeDue() const {
    if (!wake_) return std::nullopt;
    return wake_->onTheClock ? wake_->at - startUtcMs_ - wallOffsetMs_ : wake_->at;
}

bool HeadlessDesktop::SetWakeTimer(DateTime localMoment, int leadMs) {
    const std::int64_t localMs = UnixSecondsOf(localMoment) * 1000;
    const std::int64_t utc =
        FirstInstantShowing(localMs, [this](std::int64_t u) { return u + std::int64_t{utcOffset_(u)} * 60000; });
    const std::int64_t early = utc - std::max(leadMs, 0);
    wake_ = Wake{true, early > UtcMs() ? early : utc};
    wakeCalls_.push_back(WakeCall{mono_, WakeDue()});
    return true;
}

bool HeadlessDesktop::SetWakeTimerAtTick(std::int32_t tick, int leadMs) {
    const std::int64_t moment =
        mono_ + static_cast<std::int32_t>(static_cast<std::uint32_t>(tick) - static_cast<std::uint32_t>(TickCount()));
    const std::int64_t early = moment - std::max(leadMs, 0);
    wake_ = Wake{false, early > mono_ ? early : moment};
    wakeCalls_.push_back(WakeCall{mono_, WakeDue()});
    return true;
}

void HeadlessDesktop::CancelWakeTimer() {
    wake_.reset();
    wakeCalls_.push_back(WakeCall{mono_, std::nullopt});
}

void HeadlessDesktop::KeepDisplayOn(bool on) { displayCalls_.push_back(DisplayCall{mono_, on}); }

}  // namespace dida
