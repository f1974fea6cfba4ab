# The bar after start: 22 pixels high at the top edge, 140 pixels in from the right, always on top,
# and no taskbar button of its own.
source "$(dirname "$0")/lib.sh"
dida_start
shot started

width=$(xdpyinfo -display "$DISPLAY" | awk '/dimensions:/ { split($2, d, "x"); print d[1] }')
read -r left top w h <<<"$(driver rect)"
check_eq "bar width" 316 "$w"
check_eq "bar height" 22 "$h"
check_eq "bar left edge" $((width - w - 140)) "$left"
check_eq "bar top edge" 0 "$top"
check_eq "visible" 1 "$(driver visible)"
check_eq "topmost" 1 "$(driver topmost)"
check_eq "taskbar button" 0 "$(driver taskbar-button)"

# What X shows agrees with what Windows reports: the window really is there on the screen.
geometry=$(xdotool search --onlyvisible --name '^嘀嗒闹钟$' getwindowgeometry --shell 2>/dev/null | tr '\n' ' ')
check_eq "X window geometry" "X=$left Y=0 WIDTH=316 HEIGHT=22" "$(echo "$geometry" |
    grep -o 'X=[0-9-]* Y=[0-9-]* WIDTH=[0-9]* HEIGHT=[0-9]*')"

# The row below the bar is the desktop's black, the bar itself is painted.
file=$DIDA_SCREENSHOTS/${e2e_name}_started.png
below=$(convert "$file" -crop "1x1+$((left + 150))+30" -format '%[pixel:p{0,0}]' info: 2>/dev/null)
check_eq "nothing drawn below the bar" "srgb(0,0,0)" "$below"
colours=$(convert "$file" -crop "316x22+$left+0" +repage -unique-colors -format '%w' info: 2>/dev/null)
check "the bar is painted in more than one colour ($colours)" test "${colours:-0}" -gt 1
e2e_finish
