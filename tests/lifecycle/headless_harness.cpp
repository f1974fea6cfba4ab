// The life-cycle tests on the simulated desktop.
#include "platform/headless/headless_desktop.h"
#include "harness.h"

namespace dida::lifecycle {
namespace {

class HeadlessHarness : public Harness {
public:
    Desktop& desk() override { return desk_; }
    bool RunUntil(const std::function<bool()>& pred, int limitMs) override { return desk_.RunUntil(pred, limitMs); }
    void Run(int ms) override { desk_.Advance(ms); }
    void RequestClose(Window& w) override { desk_.RequestClose(w); }
    void PressEsc(Window& w) override { desk_.PressEsc(w); }
    void SetStartWindow(Window* w) override { desk_.SetStartWindow(w); }
    bool Quit() override { return desk_.Quit(); }

private:
    HeadlessDesktop desk_;
};

}  // namespace

std::unique_ptr<Harness> MakeHarness() { return std::make_unique<HeadlessHarness>(); }

}  // namespace dida::lifecycle
