# 退出软件 from the tray while the rest screen is up: the program ends with exit code 0, and no "运行时出错!"
# box comes up on the way out (it would hold the process until answered, then end it with -1).
source "$(dirname "$0")/lib.sh"
dida_start

# 倒计 0 / 0 / 1 with 全屏: the rest screen opens a second after the countdown ends, and holds the bar.
check "minutes set" driver settext 108 10 0
check "seconds set" driver settext 144 10 1
check "全屏 chosen" driver select 213 10 5
if ! driver -w 全屏窗口 wait-visible 1 10000; then
    fail "the rest screen came up"
    e2e_finish
fi
pass "the rest screen is up"
check_eq "the bar takes no input while it is up" 0 "$(driver window-enabled)"
shot resting 全屏窗口

# The tray menu's items that can be chosen: 显示界面, 软件设置, 辅助功能, 停止, 关于, 退出软件.
check "the tray menu opened" driver tray rup
check "the tray menu is up" driver menu-wait 5000
check "退出软件 chosen" driver menu-choose 6
if dida_wait_exit 15; then
    pass "the program ended"
    check_eq "exit code" 0 "$dida_exit"
elif box=$(driver msgbox-wait 0); then
    fail "a box came up on the way out: $box / $(driver msgbox-text)"
    shot box
    driver msgbox-answer 1
else
    fail "the program ended"
    shot still_running
fi
check "the bar is gone" driver wait-gone 5000
check "the rest screen is gone" driver -w 全屏窗口 wait-gone 5000
e2e_finish
