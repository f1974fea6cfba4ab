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

}  // namespace dida
