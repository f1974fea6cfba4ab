# With nothing armed, the close button ends the program at once, without a question.
source "$(dirname "$0")/lib.sh"
dida_start
# 超级按钮1 sits at the right end of the bar.
read -r _ _ w h <<<"$(driver rect)"
check "the close button is there" driver text $((w - 14)) $((h / 2))
check_eq "its caption" "×" "$(driver text $((w - 14)) $((h / 2)))"
driver click $((w - 14)) $((h / 2))
if box=$(driver msgbox-wait 1500); then
    fail "a question was asked: $box / $(driver msgbox-text)"
    shot question
    driver msgbox-answer 6
else
    pass "no question asked"
fi
check "the bar is gone" driver wait-gone 5000
check "the program ended" dida_wait_exit 10
check_eq "exit code" 0 "$dida_exit"
e2e_finish
