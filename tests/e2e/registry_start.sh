# A first start with no settings writes the reminder type "0" (countdown) and nothing else it reads.
source "$(dirname "$0")/lib.sh"
check "no settings before the first start" test -z "$(driver reg-read HKCU 'Software\TORV' '默认功能' 2>/dev/null)"
dida_start
value=""
for _ in $(seq 20); do
    value=$(driver reg-read HKCU 'Software\TORV' '默认功能' 2>/dev/null) && break
    sleep 0.1
done
check_eq "默认功能 after the first start" 0 "$value"
for name in 气球提示 三十秒提醒 长鸣 全屏ESC 软件静音 闹铃时长; do
    if got=$(driver reg-read HKCU 'Software\TORV' "$name" 2>/dev/null); then
        fail "$name was written: $got"
    else
        pass "$name not written"
    fi
done
# The countdown type is on the bar: the type list shows it.
check_eq "type list" "倒计" "$(driver text 20 10)"
shot first_start
e2e_finish
