#pragma once
// The four windows and the menu tree, declared from their definitions. Controls keep the names the
// logic addresses them by.
#include "gui/window.h"

namespace dida {

struct MainForm : Window {
    MainForm();

    ComboBox 组合框类型;
    Label 标签设定;
    Label 标签2;
    EditBox 时1;
    EditBox 分1;
    EditBox 秒1;
    ComboBox 组合框声音;
    SuperBtn 超级按钮开始;
    SuperBtn 超级按钮最小化;
    SuperBtn 超级按钮1;
    Label 标签闹铃时长;
    Label 标签全屏时间;
    Label 标签1;

    Timer 时钟倒计;
    Timer 时钟指定;
    Timer 时钟整点;
    Timer 时钟闪烁;
    Timer 时钟监视变量;
    Timer 时钟全屏;
    CommonDlg 通用对话框1;
    TrayIcon 托盘图标1;

    // The menu tree in display order; 右键 is the hidden top item whose pop-up is the tray menu.
    MenuItem 右键;
    MenuItem 显示界面;
    MenuItem 软件设置;
    MenuItem 随系统启动;
    MenuItem 气泡提醒;
    MenuItem 分隔线1;
    MenuItem 无操作时长鸣;
    MenuItem 设置闹铃时长;
    MenuItem 自定义闹铃音乐;
    MenuItem 软件静音运行;
    MenuItem 分隔线2;
    MenuItem 全屏时屏蔽ESC;
    MenuItem 关机前30秒提醒;
    MenuItem 辅助功能;
    MenuItem 计时秒表;
    MenuItem 开机时长;
    MenuItem 分隔线3;
    MenuItem 停止;
    MenuItem 分隔线4;
    MenuItem 关于;
    MenuItem 退出软件;
};

struct StopwatchForm : Window {
    StopwatchForm();

    PicBox 图片框3;
    Label 标签秒时间;
    PicBox 图片框1;
    Label 标签提示;
    Label 标签2;
    Label 标签上次;
    Label 标签3;
    Label 标签本次;
    Button 按钮1;
    Timer 时钟秒表;
};

struct FullScreenForm : Window {
    FullScreenForm();

    EditBox 编辑框全屏;
    Timer 时钟更新文本;
};

struct WarningForm : Window {
    WarningForm();

    Label 标签1;
    Label 标签2;
    Button 按钮1;
    Timer 时钟三十秒;
};

inline constexpr Color kRgbBlack = 0x000000;
inline constexpr Color kRgbRed = 0x0000FF;  // 0x00BBGGRR
inline constexpr Color kRgbWhite = 0xFFFFFF;
inline constexpr Color kRgbOrange = 0x0080FF;  // #FF8000

}  // namespace dida
