#include "ui/forms.h"

#include "ui/media/media.h"

namespace dida {
namespace {

CommonDef At(const char* name, Rect r, bool visible = true, bool tabStop = false, bool disabled = false) {
    return CommonDef{name, r, visible, disabled, tabStop};
}

Font kYaHei(int height) { return Font{"微软雅黑", height, 400}; }

// The name a screen reader gives a control whose own text does not say what it is.
CommonDef Spoken(CommonDef d, const char* name) {
    d.accessibleName = name;
    return d;
}

// Never seen by the user (a stored value below the bar's strip, a plain background band).
CommonDef Unspoken(CommonDef d) {
    d.accessibleHidden = true;
    return d;
}

}  // namespace

MainForm::MainForm()
    : Window(WindowDef{.name = "主窗口",
                       .caption = "嘀嗒闹钟",
                       .rect = {50, 50, 316, 105},
                       .frame = Frame::None,
                       .centered = false,
                       .topMost = true,
                       .inTaskbar = false,
                       .dragAnywhere = true,
                       .movable = true,
                       .escCloses = true,
                       .visible = true,
                       .icon = media::kAppIcon}),
      组合框类型(this, Spoken(At("组合框类型", {1, 1, 47, 20}, true, true), "类型"),
                 ComboDef{.items = {"倒计", "指定", "整点"}, .index = 0, .extraRowHeight = 3}),
      标签设定(this, At("标签设定", {52, 1, 128, 20}),
               LabelDef{.caption = "     时    分    秒", .align = Align::Left, .border = true}),
      标签2(this, At("标签2", {52, 1, 128, 20}, false),
            LabelDef{.caption = "", .align = Align::Center, .border = true, .liveRegion = true}),
      时1(this, Spoken(At("时1", {62, 2, 20, 18}, true, true), "时"),
          EditDef{.content = "0", .align = Align::Center, .border = false, .integerOnly = true}),
      分1(this, Spoken(At("分1", {98, 2, 20, 18}, true, true), "分"),
          EditDef{.content = "30", .align = Align::Center, .border = false, .integerOnly = true}),
      秒1(this, Spoken(At("秒1", {134, 2, 20, 18}, true, true), "秒"),
          EditDef{.content = "0", .align = Align::Center, .border = false, .integerOnly = true}),
      组合框声音(
          this, Spoken(At("组合框声音", {184, 1, 59, 20}, true, true), "动作"),
          ComboDef{.items = {"嘀嗒叫", "布谷鸟", "风铃响", "音乐…", "------", "全屏", "------", "关机", "休眠", "关屏"},
                   .index = 0,
                   .extraRowHeight = 1}),
      超级按钮开始(this, At("超级按钮开始", {251, 1, 20, 20}, true, true),
                   SuperBtnDef{.caption = "",
                               .toolTip = "点击关闭声音",
                               .colorOut = kRgbOrange,
                               .colorOver = kRgbBlack,
                               .colorFocus = kRgbOrange}),
      超级按钮最小化(this, At("超级按钮最小化", {274, 2, 20, 20}, true, true),
                     SuperBtnDef{.caption = "-",
                                 .toolTip = "隐藏到托盘",
                                 .font = Font{"", 19, 700},
                                 .colorOut = kRgbBlack,
                                 .colorOver = kRgbOrange,
                                 .colorFocus = kRgbBlack}),
      超级按钮1(this, At("超级按钮1", {292, 2, 20, 20}, true, true),
                SuperBtnDef{.caption = "×",
                            .toolTip = "关闭软件",
                            .font = Font{"", 17, 700},
                            .colorOut = kRgbBlack,
                            .colorOver = kRgbOrange,
                            .colorFocus = kRgbBlack}),
      标签闹铃时长(this, Unspoken(At("标签闹铃时长", {234, 48, 24, 24})), LabelDef{.caption = "180"}),
      标签全屏时间(this, Unspoken(At("标签全屏时间", {261, 48, 24, 24})), LabelDef{.caption = "300"}),
      标签1(this, Unspoken(At("标签1", {8, 128, 240, 24})), LabelDef{.caption = ""}), 时钟倒计(this, "时钟倒计"),
      // The clock-watching kinds tick just after each second of the clock, so they fire on the second and
      // the live clock keeps pace with the system's; the countdown counts from its arming.
      时钟指定(this, "时钟指定", TimerDef{.clockAligned = true}),
      时钟整点(this, "时钟整点", TimerDef{.clockAligned = true}), 时钟闪烁(this, "时钟闪烁"),
      时钟监视变量(this, "时钟监视变量"), 时钟全屏(this, "时钟全屏"),
      通用对话框1(this, "通用对话框1",
                  CommonDlgDef{.dialogType = 0,
                               .filter = "MP3文件（*.mp3）|*.mp3",
                               .filterIndex = 0,
                               .fileMustExist = true,
                               .overwritePrompt = true,
                               .pathMustExist = true,
                               .noChangeDir = false}),
      托盘图标1(this, "托盘图标1",
                TrayIconDef{.icon = media::kAppIcon, .tipText = "嘀嗒闹钟 V1.31\r\n双击 显示/隐藏", .inTray = true}),
      右键(this, "右键", MenuDef{.caption = "右键", .level = 0, .hidden = true}),
      显示界面(this, "显示界面", MenuDef{.caption = "显示界面", .level = 1}),
      软件设置(this, "软件设置", MenuDef{.caption = "软件设置", .level = 1}),
      随系统启动(this, "随系统启动", MenuDef{.caption = "随系统启动", .level = 2}),
      气泡提醒(this, "气泡提醒", MenuDef{.caption = "气泡提醒", .level = 2}),
      分隔线1(this, "分隔线1", MenuDef{.caption = "-", .level = 2}),
      无操作时长鸣(this, "无操作时长鸣", MenuDef{.caption = "无操作时长鸣", .level = 2}),
      设置闹铃时长(this, "设置闹铃时长", MenuDef{.caption = "设置闹铃时长", .level = 2}),
      自定义闹铃音乐(this, "自定义闹铃音乐", MenuDef{.caption = "自定义闹铃音乐", .level = 2}),
      软件静音运行(this, "软件静音运行", MenuDef{.caption = "软件静音运行", .level = 2}),
      分隔线2(this, "分隔线2", MenuDef{.caption = "-", .level = 2}),
      全屏时屏蔽ESC(this, "全屏时屏蔽ESC", MenuDef{.caption = "全屏时屏蔽ESC", .level = 2}),
      关机前30秒提醒(this, "关机前30秒提醒", MenuDef{.caption = "关机前30秒提醒", .level = 2, .checked = true}),
      辅助功能(this, "辅助功能", MenuDef{.caption = "辅助功能", .level = 1}),
      计时秒表(this, "计时秒表", MenuDef{.caption = "计时秒表", .level = 2}),
      开机时长(this, "开机时长", MenuDef{.caption = "开机时长", .level = 2}),
      分隔线3(this, "分隔线3", MenuDef{.caption = "-", .level = 1}),
      停止(this, "停止", MenuDef{.caption = "停止", .level = 1}),
      分隔线4(this, "分隔线4", MenuDef{.caption = "-", .level = 1}),
      关于(this, "关于", MenuDef{.caption = "关于", .level = 1}),
      退出软件(this, "退出软件", MenuDef{.caption = "退出软件", .level = 1}) {}

StopwatchForm::StopwatchForm()
    : Window(WindowDef{.name = "秒表窗口",
                       .caption = "嘀嗒秒表",
                       .rect = {0, 0, 410, 308},
                       .frame = Frame::ToolFixed,
                       .centered = true,
                       .topMost = false,
                       .inTaskbar = true,
                       .dragAnywhere = false,
                       .movable = true,
                       .escCloses = true}),
      图片框3(this, Unspoken(At("图片框3", {0, 0, 480, 150})), PicBoxDef{.backColor = kRgbWhite}),
      标签秒时间(this, At("标签秒时间", {10, 15, 230, 130}),
                 LabelDef{.caption = "0",
                          .textColor = kRgbRed,
                          .backColor = kRgbWhite,
                          .font = kYaHei(120),
                          .align = Align::Center}),
      图片框1(this, Spoken(At("图片框1", {248, 15, 130, 130}), "心情动画"),
              PicBoxDef{.backColor = kRgbWhite, .centerShrink = true, .animate = true}),
      标签提示(this, At("标签提示", {0, 151, 410, 32}),
               LabelDef{.caption = "按“空格”或“回车”键 开始/停止",
                        .textColor = kRgbRed,
                        .font = kYaHei(20),
                        .align = Align::Center}),
      标签2(this, At("标签2", {24, 195, 200, 28}),
            LabelDef{.caption = "上次时间：         秒", .font = kYaHei(21), .align = Align::Left}),
      标签上次(this, At("标签上次", {123, 195, 56, 28}), LabelDef{.font = kYaHei(24), .align = Align::Center}),
      标签3(this, At("标签3", {24, 229, 200, 28}),
            LabelDef{.caption = "本次时间：         秒", .font = kYaHei(21), .align = Align::Left}),
      标签本次(this, At("标签本次", {123, 229, 56, 28}),
               LabelDef{.textColor = kRgbRed, .font = kYaHei(24), .align = Align::Center}),
      按钮1(this, At("按钮1", {250, 194, 136, 68}, true, true),
            ButtonDef{.caption = "开始", .font = kYaHei(37), .isDefault = true}),
      时钟秒表(this, "时钟秒表") {}

FullScreenForm::FullScreenForm()
    : Window(WindowDef{.name = "全屏窗口",
                       .caption = "",
                       .rect = {0, 0, 785, 457},
                       .frame = Frame::None,
                       .topMost = true,
                       .inTaskbar = true,
                       .dragAnywhere = false,
                       .movable = false,
                       .escCloses = true,
                       .escAnywhere = true}),
      编辑框全屏(this, Spoken(At("编辑框全屏", {0, 0, 768, 424}, true, true, true), "休息提醒"),
                 EditDef{.textColor = kRgbWhite,
                         .backColor = kRgbBlack,
                         .font = kYaHei(24),
                         .align = Align::Center,
                         .border = false,
                         .multiLine = true,
                         .readOnly = true}),
      时钟更新文本(this, "时钟更新文本") {}

WarningForm::WarningForm()
    : Window(WindowDef{.name = "三十秒提醒窗口",
                       .caption = "嘀嗒提醒：",
                       .rect = {0, 0, 251, 141},
                       .frame = Frame::ToolFixed,
                       .centered = true,
                       .topMost = true,
                       .inTaskbar = true,
                       .dragAnywhere = false,
                       .movable = true,
                       .escCloses = false}),
      标签1(this, At("标签1", {48, 24, 136, 40}), LabelDef{.caption = "离关机还有     秒！", .align = Align::Left}),
      标签2(this, At("标签2", {116, 32, 16, 24}), LabelDef{.caption = "30", .align = Align::Center}),
      按钮1(this, At("按钮1", {155, 72, 72, 24}, true, true, true), ButtonDef{.caption = "取消关机"}),
      时钟三十秒(this, "时钟三十秒", 1000) {}

}  // namespace dida
