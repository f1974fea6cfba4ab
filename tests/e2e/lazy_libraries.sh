# Start-up maps none of the libraries that one feature alone needs (the file dialog's, which brings the
# printing stack, GDI+, the MP3 decoder, the sound library, the suspend's and oleacc for what a screen reader is
# told); each one comes with its feature's first use.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
sink_private

loaded() { driver modules | grep -qx "$1"; }
not_loaded() { ! loaded "$1"; }
# wait_loaded MODULE — until the bar's process has it, for up to five seconds
wait_loaded() {
    local i
    for i in $(seq 50); do
        loaded "$1" && return 0
        sleep 0.1
    done
    return 1
}

dida_start
check "the module list is read (user32.dll in it)" loaded user32.dll
for lib in comdlg32.dll winspool.drv gdiplus.dll msacm32.dll winmm.dll powrprof.dll oleacc.dll; do
    check "$lib is not loaded at start" not_loaded "$lib"
done

check "嘀嗒叫 chosen" driver select 213 10 0
check "the preview brings the sound library" wait_loaded winmm.dll
check "the file dialog's library is still not loaded" not_loaded comdlg32.dll

check "音乐… chosen without a stored file" driver select 213 10 3
if driver msgbox-wait 5000 >/dev/null; then
    pass "the file dialog is up"
    check "the file dialog brought its library" loaded comdlg32.dll
    check "the file dialog is cancelled" driver msgbox-answer 2
else
    fail "the file dialog is up"
fi
check "GDI+ is still not loaded" not_loaded gdiplus.dll

# 辅助功能 is the third item of the tray menu; Enter opens it with 计时秒表 highlighted.
check "the tray menu opens" driver tray rup
check "the menu is up" driver menu-wait 3000
check "计时秒表 chosen" driver menu-keys down down down enter enter
check "the stopwatch's animation brings GDI+" wait_loaded gdiplus.dll
shot stopwatch
e2e_finish
