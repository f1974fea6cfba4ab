#include "shell/shell.h"

#include "app/program.h"
#include "platform/convert.h"

namespace dida {
namespace {

bool Armed(Program& p) { return p.main.组合框声音.CurrentIndex() != -1; }

// While a reminder is armed, leaving asks first; anything but Yes keeps everything as it was.
bool ConfirmLeaveWhileArmed(Program& p) {
    if (!Armed(p)) return true;
    return p.desk.ShowMessage("闹钟提醒正在运行，确定要关闭软件吗？", kYesNoExclamation, "重要提示：") == kYes;
}

}  // namespace

void 托盘图标1_DoubleClick(Program& p) { p.main.visible(!p.main.visible()); }

void 托盘图标1_RightButtonUp(Program& p) { p.desk.PopupMenu(p.main, p.main.右键); }

void 显示界面_Chosen(Program& p) { p.main.visible(true); }

// The user started the program once more (it may already have started with the system): this copy shows
// its bar as 显示界面 does and brings it forward, and nothing else changes, so an armed reminder keeps
// counting and a ring keeps ringing. Loading a loaded window brings it to the front. A bar already on its
// way out is not brought back.
void 托盘图标1_AnotherStart(Program& p) {
    if (p.main.closing()) return;
    p.main.visible(true);
    p.desk.LoadWindow(p.main);
}

void 超级按钮最小化_Click(Program& p) { p.main.visible(false); }

void 超级按钮1_Click(Program& p) {
    if (!ConfirmLeaveWhileArmed(p)) return;
    p.desk.UnloadWindow(p.main);
}

void 退出软件_Chosen(Program& p) { p.desk.UnloadWindow(p.main); }

// Esc on the bar and a close request from the system take the same road as the close button, so an
// armed reminder is never dropped without the question. Answering true lets the request itself destroy the
// bar at once, right after this handler; the close queued by UnloadWindow then finds it gone.
bool 主窗口_CloseQuery(Program& p) {
    if (!ConfirmLeaveWhileArmed(p)) return false;
    p.desk.UnloadWindow(p.main);
    return true;
}

void DockBar(Program& p) {
    MainForm& m = p.main;
    const Rect work = p.desk.WorkArea();
    m.left(ToInteger(static_cast<double>(work.x + work.w) - m.width() - 140));
    m.top(work.y);
    p.docked = {m.left(), m.top()};
}

void 主窗口_DisplayChanged(Program& p) {
    if (p.main.left() == p.docked.left && p.main.top() == p.docked.top) DockBar(p);
}

}  // namespace dida
