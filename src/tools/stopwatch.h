#pragma once
namespace dida {
class Program;

void 计时秒表_Chosen(Program& p);
void 秒表窗口_Created(Program& p);
void 时钟秒表_Tick(Program& p);
void 秒表按钮1_Click(Program& p);

}  // namespace dida
