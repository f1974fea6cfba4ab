// Which reminder handler runs for which event.
#include "app/program.h"
#include "reminder/reminder.h"

namespace dida {

void Program::BindReminder() {
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

}  // namespace dida
