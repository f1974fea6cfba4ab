// Which handler runs for which event, for every window of the program. The handlers live with their
// behaviour (shell/, reminder/, settings/, tools/); only here do they meet the events.
#include "app/program.h"
#include "reminder/reminder.h"
#include "settings/settings.h"
#include "shell/shell.h"
#include "tools/info.h"
#include "tools/stopwatch.h"

namespace dida {

// The bar's life. Its created handler is the start-up load of the stored options.
void Program::BindShell() {
    main.onCreated = [this] { StartupLoad(*this); };
    main.onCloseQuery = [this] { return 主窗口_CloseQuery(*this); };
    main.onDisplayChanged = [this] { 主窗口_DisplayChanged(*this); };
    main.托盘图标1.onDblClick = [this] { 托盘图标1_DoubleClick(*this); };
    main.托盘图标1.onRightUp = [this] { 托盘图标1_RightButtonUp(*this); };
    main.托盘图标1.onAnotherStart = [this] { 托盘图标1_AnotherStart(*this); };
    main.显示界面.onChosen = [this] { 显示界面_Chosen(*this); };
    main.超级按钮最小化.onClick = [this] { 超级按钮最小化_Click(*this); };
    main.超级按钮1.onClick = [this] { 超级按钮1_Click(*this); };
    main.退出软件.onChosen = [this] { 退出软件_Chosen(*this); };
}

// The kind list's handler is the reminder's: the kind is what gets armed.
void Program::BindReminder() {
    main.组合框类型.onSelChange = [this] { 组合框类型_SelChange(*this); };
    for (EditBox* field : {&main.时1, &main.分1, &main.秒1}) {
        field->onChange = [this, field] { 时间框_Change(*this, *field); };
        field->onDblClick = [this, field] { 时间框_DblClick(*this, *field); };
    }
    main.组合框声音.onSelChange = [this] { 组合框声音_SelChange(*this); };
    main.组合框声音.onRightUp = [this] { 组合框声音_RightButtonUp(*this); };
    main.停止.onChosen = [this] { 停止_Chosen(*this); };

    main.时钟倒计.onTick = [this] { 时钟倒计_Tick(*this); };
    main.时钟指定.onTick = [this] { 时钟指定_Tick(*this); };
    main.时钟整点.onTick = [this] { 时钟整点_Tick(*this); };
    main.时钟闪烁.onTick = [this] { 时钟闪烁_Tick(*this); };
    main.时钟监视变量.onTick = [this] { 时钟监视变量_Tick(*this); };
    main.超级按钮开始.onClick = [this] { 超级按钮开始_Click(*this); };

    main.时钟全屏.onTick = [this] { 时钟全屏_Tick(*this); };
    fullScreen.onCreated = [this] { 全屏窗口_Created(*this); };
    fullScreen.onSizeChanged = [this] { 全屏窗口_SizeChanged(*this); };
    fullScreen.onDestroying = [this] { 全屏窗口_Destroying(*this); };
    fullScreen.时钟更新文本.onTick = [this] { 时钟更新文本_Tick(*this); };

    main.onDestroying = [this] { 主窗口_Destroying(*this); };

    warning.时钟三十秒.onTick = [this] { 时钟三十秒_Tick(*this); };
    warning.按钮1.onClick = [this] { 提醒窗口按钮1_Click(*this); };
}

void Program::BindSettings() {
    main.随系统启动.onChosen = [this] { 随系统启动_Chosen(*this); };
    main.气泡提醒.onChosen = [this] { 气泡提醒_Chosen(*this); };
    main.无操作时长鸣.onChosen = [this] { 无操作时长鸣_Chosen(*this); };
    main.设置闹铃时长.onChosen = [this] { 设置闹铃时长_Chosen(*this); };
    main.自定义闹铃音乐.onChosen = [this] { 自定义闹铃音乐_Chosen(*this); };
    main.软件静音运行.onChosen = [this] { 软件静音运行_Chosen(*this); };
    main.全屏时屏蔽ESC.onChosen = [this] { 全屏时屏蔽ESC_Chosen(*this); };
    main.关机前30秒提醒.onChosen = [this] { 关机前30秒提醒_Chosen(*this); };
}

void Program::BindTools() {
    main.开机时长.onChosen = [this] { 开机时长_Chosen(*this); };
    main.关于.onChosen = [this] { 关于_Chosen(*this); };
    main.计时秒表.onChosen = [this] { 计时秒表_Chosen(*this); };
    stopwatch.onCreated = [this] { 秒表窗口_Created(*this); };
    stopwatch.时钟秒表.onTick = [this] { 时钟秒表_Tick(*this); };
    stopwatch.按钮1.onClick = [this] { 秒表按钮1_Click(*this); };
}

}  // namespace dida
