# With nothing armed, the close button ends the program at once, without a question.
source "$(dirname "$0")/lib.sh"
dida_start
# 超级按钮1 sits at the right end of the bar.
read -r _ _ w h <<<"$(driver rect)"
check "the close button is there" driver text $((w - 14)) $((h / 2))
check_eq "its name (the drawn caption is ×)" "关闭软件" "$(driver text $((w - 14)) $((h / 2)))"
driver click $((w - 14)) $((h / 2))
# A question would hold the bar until answered: gone without an answer means none was asked.
if driver wait-gone 5000; then
    pass "the bar is gone without a question"
elif box=$(driver msgbox-wait 0); then
    fail "a question was asked: $box / $(driver msgbox-text)"
    shot question
    driver msgbox-answer 6
else
    fail "the bar is gone"
fi
check "the program ended" dida_wait_exit 10
check_eq "exit code" 0 "$dida_exit"
e2e_finish
