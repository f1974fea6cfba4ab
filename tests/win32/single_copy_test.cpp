// One copy a user session: the mark the running copy holds, and a second start asking it to show its bar.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>

#include "app/program.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_single_copy.h"
#include "platform/win32/win32_system_calls.h"
#include "fixtures.h"
#include "pump.h"

namespace dida::win32 {
namespace {

// A name of the test's own, so a program copy running in the same session is never in the way.
std::wstring TestMarkName() { return L"Local\\DidaMiniClock.test." + std::to_wstring(GetCurrentProcessId()); }

TEST(SessionMark, TheFirstTakesItASecondFindsItHeldAndItGoesWithItsHolder) {
    const std::wstring name = TestMarkName();
    {
        const SessionMark first(name.c_str());
        EXPECT_FALSE(first.heldByAnother());
        const SessionMark second(name.c_str());
        EXPECT_TRUE(second.heldByAnother());
    }
    const SessionMark after(name.c_str());
    EXPECT_FALSE(after.heldByAnother()) << "the mark went with the copies that held it";
}

// How CreateMutexW answers when it cannot give this process a handle (Microsoft: a mark made by a process
// of higher integrity, an elevated copy, is refused with ERROR_ACCESS_DENIED; a system out of resources fails
// with another error).
HANDLE WINAPI RefusedAsByAnElevatedCopy(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}
HANDLE WINAPI OutOfResources(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

TEST(SessionMark, WhenTheSystemGivesNoHandle) {
    const struct {
        const char* what;
        decltype(&::CreateMutexW) answer;
        bool heldByAnother;
    } rows[] = {
        {"an elevated copy holds it", &RefusedAsByAnElevatedCopy, true},
        {"no resources: this copy runs rather than none", &OutOfResources, false},
    };
    for (const auto& r : rows) {
        const StandIn standIn(Sys().CreateMutexW, r.answer);
        const SessionMark mark(TestMarkName().c_str());
        EXPECT_EQ(mark.heldByAnother(), r.heldByAnother) << r.what;
    }
}

// The running copy's hold on the mark, on a thread of its own as on the running copy's main thread. It ends
// by giving the mark up (the copy quit) or by leaving it abandoned (the copy was killed).
class Holder {
public:
    explicit Holder(const std::wstring& name) {
        thread_ = std::thread([this, name] {
            mark_ = new SessionMark(name.c_str());
            taken_.Set();
            WaitForSingleObject(end_.get(), INFINITE);
            if (!killed_) delete std::exchange(mark_, nullptr);  // killed: the thread ends without a word
        });
        WaitForSingleObject(taken_.get(), INFINITE);
    }
    ~Holder() { End(false); }
    void End(bool killed) {
        if (!thread_.joinable()) return;
        killed_ = killed;
        end_.Set();
        thread_.join();
        // The system closes a killed process's handles; the abandoned mark is not given up by this.
        delete std::exchange(mark_, nullptr);
    }

private:
    Event taken_{true}, end_{true};
    bool killed_ = false;
    SessionMark* mark_ = nullptr;
    std::thread thread_;
};

// A copy still on its way out when the second one starts holds the mark a moment longer: once it has ended,
// the second copy takes the mark and runs, rather than asking a copy that is no more.
TEST(SecondStart, RunsInsteadWhenTheHolderEndsWhileItWaits) {
    const std::wstring name = TestMarkName();
    for (const bool killed : {false, true}) {
        SCOPED_TRACE(killed ? "the holder killed" : "the holder quit");
        Holder running(name);
        SessionMark second(name.c_str());
        ASSERT_TRUE(second.heldByAnother());
        EXPECT_FALSE(second.TakeOverFromAnEndedHolder()) << "its holder still runs";
        running.End(killed);
        EXPECT_EQ(AskRunningCopyToShow(second, 2000), SecondStart::RunInstead);
        EXPECT_FALSE(second.heldByAnother());
        std::thread([&] {
            EXPECT_TRUE(SessionMark(name.c_str()).heldByAnother()) << "the second copy holds it";
        }).join();
    }
}

// The running copy, hidden to the tray with a countdown armed, and what a second start's message does to it.
TEST(SecondStart, ShowsTheRunningBarAndLeavesTheCountdownCounting) {
    const CleanSettings settings;
    Win32Desktop desk;
    Program p(desk);
    desk.SetStartWindow(&p.main);
    p.Start();
    ASSERT_TRUE(p.main.loaded());
    p.main.组合框类型.UserSelected(0);
    p.main.时1.Content("0");
    p.main.分1.Content("5");
    p.main.秒1.Content("0");
    p.main.组合框声音.UserSelected(5);  // 全屏: arms without a preview sound
    p.main.超级按钮最小化.UserClicked();
    ASSERT_FALSE(IsWindowVisible(desk.HandleOf(p.main)));

    const std::wstring name = TestMarkName();
    const Holder running(name);
    SessionMark second(name.c_str());
    ASSERT_EQ(AskRunningCopyToShow(second, 2000), SecondStart::Shown) << "the tray window was found";
    for (int i = 0; i < 300 && !IsWindowVisible(desk.HandleOf(p.main)); ++i) Pump(desk, 10);
    EXPECT_TRUE(IsWindowVisible(desk.HandleOf(p.main)));
    EXPECT_TRUE(p.main.visible());
    EXPECT_EQ(p.main.组合框声音.CurrentIndex(), 5) << "still armed";
    EXPECT_NE(p.main.时钟倒计.Interval(), 0) << "still counting";

    desk.UnloadWindow(p.main);
    Pump(desk, 30);
    EXPECT_FALSE(p.main.loaded());
}

}  // namespace
}  // namespace dida::win32
