// Which settings handler runs for which event. The created handler (StartupLoad) is bound by the shell.
#include "app/program.h"
#include "settings/settings.h"

namespace dida {

void Program::BindSettings() {
    main.组合框类型.onSelChange = [this] { 组合框类型_SelChange(*this); };
    main.随系统启动.onChosen = [this] { 随系统启动_Chosen(*this); };
    main.气泡提醒.onChosen = [this] { 气泡提醒_Chosen(*this); };
    main.无操作时长鸣.onChosen = [this] { 无操作时长鸣_Chosen(*this); };
    main.设置闹铃时长.onChosen = [this] { 设置闹铃时长_Chosen(*this); };
    main.自定义闹铃音乐.onChosen = [this] { 自定义闹铃音乐_Chosen(*this); };
    main.软件静音运行.onChosen = [this] { 软件静音运行_Chosen(*this); };
    main.全屏时屏蔽ESC.onChosen = [this] { 全屏时屏蔽ESC_Chosen(*this); };
    main.关机前30秒提醒.onChosen = [this] { 关机前30秒提醒_Chosen(*this); };
}

}  // namespace dida
