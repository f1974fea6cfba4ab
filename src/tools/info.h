#pragma once
#include <cstdint>
#include <string>

namespace dida {
class Program;

// Hours are not folded into days. The count is the 64-bit one, which neither turns negative past 24.8 days
// nor starts again from 0 after 49.7.
std::string UptimeText(std::uint64_t tickCount);
std::string AboutText();

void 开机时长_Chosen(Program& p);
void 关于_Chosen(Program& p);

}  // namespace dida
