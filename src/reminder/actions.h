#pragma once
// The kinds of reminder and the actions, as the logic knows them. The action is recognised by the text of
// the item selected in the action list, looked up here; the kind by the index selected in the kind list.
// The lists themselves are part of the window definition.
#include <optional>
#include <string_view>

#include "gui/component.h"

namespace dida {
class Program;

// In the order of the kind list: the value is the item's index, which is also what 默认功能 stores.
enum class ReminderKind { Countdown = 0, SetTime = 1, Hourly = 2 };

// What the system is asked to do at the moment of an action.
enum class SystemCall { None, PowerOff, Suspend, MonitorOff };

struct Action {
    const char* item = nullptr;            // its text in the action list
    const Blob* sound = nullptr;           // the chime it previews and rings; none for the others
    const char* code = nullptr;            // what 默认事件 stores when it is chosen
    SystemCall system = SystemCall::None;  // what it asks of the system at its moment
    bool needsFile = false;                // it plays the user's music file, which has to be chosen first
    bool restScreen = false;               // it opens the rest screen
    bool madeUpLate = false;               // a moment slept through fires however late, else only within a grace
    bool wakesTheMachine = false;          // worth waking a sleeping machine for
    bool rings = false;                    // something sounds until the ring ends
};

// The action of a list text; none for an empty text or a separator.
const Action* FindAction(std::string_view item);
// The action selected in the bar's action list, if any.
const Action* SelectedAction(Program& p);
// The kind selected in the bar's kind list, if any.
std::optional<ReminderKind> SelectedKind(Program& p);

}  // namespace dida
