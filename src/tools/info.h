#pragma once
#include <cstdint>
#include <string>

namespace dida {
class Program;

// Hours are not folded into days; the tick count is read as unsigned so that it stays positive past
// 24.8 days of uptime.
std::string UptimeText(std::uint32_t tickCount);
std::string AboutText();

void 开机时长_Chosen(Program& p);
void 关于_Chosen(Program& p);

}  // namespace dida
