#include "app/program.h"

#include "gui/renditions.h"
#include "ui/renditions.h"

namespace dida {

Program::Program(Desktop& desktop) : desk(desktop) {
    // A desktop at a display scale above 100 % shows the embedded pictures drawn for that scale.
    SetRenditionSource(&DrawnForScale);
    BindShell();
    BindReminder();
    BindSettings();
    BindTools();
}

void Program::Start() { desk.LoadWindow(main); }

}  // namespace dida
