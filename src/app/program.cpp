#include "app/program.h"

namespace dida {

Program::Program(Desktop& desktop) : desk(desktop) {
    BindShell();
    BindReminder();
    BindSettings();
    BindTools();
}

void Program::Start() { desk.LoadWindow(main); }

}  // namespace dida
