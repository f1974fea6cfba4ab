// The two actions with a window of their own: the black rest screen and the shutdown warning.
#include "app/program.h"
#include "platform/convert.h"
#include "reminder/actions.h"
#include "reminder/reminder.h"

namespace dida {
namespace {

const char* const kRestHead = "\r\n\r\n\r\n\r\n\r\n\r\n嘀嗒温馨提醒：\r\n\r\n为了您的健康，请起身休息5分钟！\r\n";
const char* const kRestTailEscBlocked = " 秒后自动取消黑屏\r\n\r\n（按ESC取消失效，已设置屏蔽）";
const char* const kRestTailEscCloses = " 秒后自动取消黑屏\r\n\r\n（ESC取消，可设置屏蔽ESC键）";
const char* const kRestCounterStart = "300";

bool RestScreenOpen(Program& p) { return p.fullScreen.loaded() && !p.fullScreen.closing(); }

}  // namespace

void 时钟全屏_Tick(Program& p) {
    MainForm& m = p.main;
    // Opening is modal: the load runs its own loop until the screen is gone, and the ticks inside it do
    // the counting, so once the load that opened the screen returns there is nothing left to count.
    // On a screen already open the load only brings it to the front.
    const bool wasOpen = RestScreenOpen(p);
    p.desk.LoadWindow(p.fullScreen, true);
    // The bar may have gone meanwhile (退出软件 from the tray, a close answered Yes): its loop ended the
    // screen's, and there is no counter left to count on.
    if (!m.loaded()) return;
    if (!wasOpen && !RestScreenOpen(p)) return;
    StopSound(p);
    m.标签全屏时间.Caption(ToText(ToNumber(m.标签全屏时间.Caption()) - 1));
    if (m.标签全屏时间.Caption() != "0") return;
    p.desk.UnloadWindow(p.fullScreen);
    m.时钟全屏.Interval(0);
    m.标签全屏时间.Caption(kRestCounterStart);
}

void 全屏窗口_Created(Program& p) {
    FullScreenForm& f = p.fullScreen;
    f.width(p.desk.ScreenWidth());
    f.height(p.desk.ScreenHeight());
    f.时钟更新文本.Interval(1000);
    f.EscCloses(!p.main.全屏时屏蔽ESC.Checked());
}

void 全屏窗口_SizeChanged(Program& p) {
    FullScreenForm& f = p.fullScreen;
    f.编辑框全屏.width(f.width());
    f.编辑框全屏.height(f.height());
}

void 时钟更新文本_Tick(Program& p) {
    const char* tail = p.main.全屏时屏蔽ESC.Checked() ? kRestTailEscBlocked : kRestTailEscCloses;
    p.fullScreen.编辑框全屏.Content(kRestHead + p.main.标签全屏时间.Caption() + tail);
}

void 全屏窗口_Destroying(Program& p) {
    MainForm& m = p.main;
    p.fullScreen.时钟更新文本.Interval(0);
    // At the program's end the bar has gone first, with its timers: there is nothing of it to give back.
    if (!m.loaded()) return;
    m.时钟全屏.Interval(0);
    m.时钟闪烁.Interval(0);
    if (SelectedKind(p) == ReminderKind::Hourly) {
        if (const Action* action = SelectedAction(p); action && action->restScreen) {
            m.标签2.TextColor(0);
            m.标签全屏时间.Caption(kRestCounterStart);
        }
    } else {
        m.组合框声音.CurrentIndex(-1);
        ShowInputs(p);
    }
    m.标签设定.TextColor(0);
    m.时1.TextColor(0);
    m.分1.TextColor(0);
    m.秒1.TextColor(0);
    FollowRing(p);
    FollowArmedMoment(p);
}

void 时钟三十秒_Tick(Program& p) {
    WarningForm& w = p.warning;
    w.标签2.Caption(ToText(ToNumber(w.标签2.Caption()) - 1));
    if (w.标签2.Caption() == "1") p.desk.UnloadWindow(w);
    if (w.标签2.Caption() == "27") w.按钮1.disable(false);
}

void 提醒窗口按钮1_Click(Program& p) {
    p.main.组合框声音.CurrentIndex(-1);
    组合框声音_SelChange(p);
    p.desk.UnloadWindow(p.warning);
}

}  // namespace dida
