#pragma once
// The program: its four windows, its program-wide state and the binding of every event to its handler.
// The same object runs in the .exe and on the simulated desktop of the tests.
#include "gui/desktop.h"
#include "reminder/state.h"
#include "ui/forms.h"

namespace dida {

class Program {
public:
    explicit Program(Desktop& desktop);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Program entry after the platform is up: loads the main window (its created handler runs inside).
    void Start();

    Desktop& desk;
    MainForm main;
    StopwatchForm stopwatch;
    FullScreenForm fullScreen;
    WarningForm warning;
    ReminderState vars;
    // Where the bar was last docked; found anywhere else, it was dragged away by the user.
    struct DockedPlace {
        int left = 0, top = 0;
    } docked;

private:
    void BindShell();
    void BindReminder();
    void BindSettings();
    void BindTools();
};

}  // namespace dida
