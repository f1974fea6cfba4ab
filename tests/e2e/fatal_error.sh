# A platform misuse stops the program: the box with the error text, then the exit code -1.
source "$(dirname "$0")/lib.sh"
: "${DIDA_FATAL_PROBE:?run through ctest}"
wine "$DIDA_FATAL_PROBE" >"$DIDA_SCREENSHOTS/${e2e_name}.log" 2>&1 </dev/null &
dida_pid=$!
if driver msgbox-wait 10000 >/dev/null; then
    shot box
    text=$(driver msgbox-text)
    check_eq "the box's text" "$(printf '运行时出错!\r\n\r\n错误信息：指定窗口或窗口组件不存在或尚未载入\r\n')" "$text"
    check_eq "its only button" "1 确定" "$(driver msgbox-buttons | tr -d '\r')"
    check "answered" driver msgbox-answer 1
else
    fail "the box came up"
fi
if dida_wait_exit 10; then
    # -1 as the process's exit code; the shell sees its low byte.
    check_eq "exit code" 255 "$dida_exit"
else
    fail "the probe ended after the box"
fi
e2e_finish
