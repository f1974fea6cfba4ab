#pragma once
namespace dida {
class Program;

// The bar's life: show and hide through the tray, and the ways of closing.
void 托盘图标1_DoubleClick(Program& p);
void 托盘图标1_RightButtonUp(Program& p);
void 显示界面_Chosen(Program& p);
void 托盘图标1_AnotherStart(Program& p);
void 超级按钮最小化_Click(Program& p);
void 超级按钮1_Click(Program& p);
void 退出软件_Chosen(Program& p);
bool 主窗口_CloseQuery(Program& p);

// The bar docked at the top edge of the work area, its right end 140 pixels in from the work area's: a
// taskbar at the top or on the right stays uncovered, and with the taskbar at the bottom that is the
// screen's top edge.
void DockBar(Program& p);
// A new screen or work area docks the bar again, unless the user has dragged it away.
void 主窗口_DisplayChanged(Program& p);

}  // namespace dida
