#include "tools/info.h"

#include "app/program.h"

namespace dida {

std::string UptimeText(std::uint64_t tickCount) {
    const std::uint64_t s = tickCount / 1000;
    const std::uint64_t hours = s / 3600;
    const std::uint64_t rest = s % 3600;
    return "您的电脑目前已开机：" + std::to_string(hours) + "小时" + std::to_string(rest / 60) + "分" +
           std::to_string(rest % 60) + "秒";
}

std::string AboutText() {
    const std::string rule(34, '-');
    return rule + "\r\n" + std::string(8, ' ') + "嘀嗒迷你闹钟 V1.31\r\n" + rule + "\r\n\r\n" +
           "如使用中有任何问题，请反馈到：dida.clock@example.com";
}

void 开机时长_Chosen(Program& p) {
    // With fast start-up, the default, a shutdown does not start the count again: 49.7 days are within reach.
    p.desk.ShowMessage(UptimeText(static_cast<std::uint64_t>(p.desk.TickCount64())), kOkPlain, "开机时长查看");
}

void 关于_Chosen(Program& p) { p.desk.ShowMessage(AboutText(), kOkInformation, "关于嘀嗒"); }

}  // namespace dida
