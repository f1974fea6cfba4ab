#include "tools/stopwatch.h"

#include "app/program.h"
#include "platform/convert.h"
#include "ui/media/media.h"

namespace dida {

void 计时秒表_Chosen(Program& p) { p.desk.LoadWindow(p.stopwatch, false); }

void 秒表窗口_Created(Program& p) { p.stopwatch.图片框1.Picture(media::kGifIdle); }

// The count is the number of ticks received: late ticks are not made up, the resolution is a second.
void 时钟秒表_Tick(Program& p) {
    auto& count = p.stopwatch.标签秒时间;
    count.Caption(ToText(std::int64_t{ToInteger(count.Caption())} + 1));
}

void 秒表按钮1_Click(Program& p) {
    StopwatchForm& w = p.stopwatch;
    // Compared before anything changes: the previous result against the count just reached.
    const double previous = ToNumber(w.标签上次.Caption());
    const double count = ToNumber(w.标签秒时间.Caption());
    const std::int32_t gain = ToInteger(previous - count);
    const std::int32_t loss = ToInteger(count - previous);

    if (w.按钮1.Caption() == "开始") {
        w.标签秒时间.Caption("0");
        w.标签提示.Caption("速度，疯狂计时中……");
        w.标签上次.Caption(w.标签本次.Caption());
        if (!w.标签本次.Caption().empty()) w.标签本次.Caption("");
        w.时钟秒表.Interval(1000);
        w.图片框1.Picture(media::kGifRunning);
        w.图片框1.PlayAnimation(true);
        w.按钮1.Caption("停止");
        return;
    }

    w.图片框1.Picture(media::kGifIdle);
    w.标签本次.Caption(w.标签秒时间.Caption());
    const bool firstRun = w.标签上次.Caption().empty();
    if (firstRun) w.标签提示.Caption("要不再来一次，看看下次有没进步？");
    w.时钟秒表.Interval(0);
    w.按钮1.Caption("开始");
    if (firstRun) return;
    if (gain > 0) {
        w.标签提示.Caption("哇，真棒，比上次快了" + ToText(gain) + "秒，太牛了！");
        w.图片框1.Picture(media::kGifFaster);
    } else if (gain < 0) {
        w.标签提示.Caption("嗯，比上次慢了" + ToText(loss) + "秒，要加油了！");
        w.图片框1.Picture(media::kGifSlower);
    } else {
        w.标签提示.Caption("呀，真巧，跟上次时间一样，再试试！");
        w.图片框1.Picture(media::kGifSame);
    }
}

}  // namespace dida
