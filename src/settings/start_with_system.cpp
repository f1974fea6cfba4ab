// Start with the system. The machine's Run entry serves every user but only an elevated run may write it; a
// standard user (UAC on, no registry virtualisation for this program) is refused, and the user's own Run entry
// starts the program for that user alone, as Windows itself offers a tray tool. The startup list of Task
// Manager and Settings keeps, per hive, whether the user lets the entry run.
#include <cstdint>
#include <optional>
#include <vector>

#include "app/program.h"
#include "settings/settings.h"

namespace dida {
namespace {

// The machine first: where it is writable, the entry stays where earlier versions put it.
const RootKey kHives[] = {kLocalMachine, kCurrentUser};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The entry is written quoted; one written unquoted by an earlier version counts as well.
bool NamesThisProgram(Program& p, const std::string& entry) {
    const std::string path = ProgramPath(p);
    return entry == path || entry == Quoted(path);
}

// The program file an entry starts: a quoted path up to its closing quote, or the whole text.
std::string ProgramNamedBy(const std::string& entry) {
    if (entry.empty() || entry.front() != '"') return entry;
    const std::size_t close = entry.find('"', 1);
    return close == std::string::npos ? std::string() : entry.substr(1, close - 1);
}

std::optional<std::string> RunEntryOf(Program& p, RootKey hive) {
    const std::string entry = p.desk.RegReadText(hive, reg::kRunEntry, reg::kAbsent);
    if (entry == reg::kAbsent) return std::nullopt;
    return entry;
}

// Task Manager writes 02 followed by zeros for an entry it lets run and 03 followed by the moment it was
// switched off for one it does not. An entry it never saw has no block and runs.
bool SwitchedOffInStartupList(Program& p, RootKey hive) {
    const auto block = p.desk.RegReadBytes(hive, reg::kRunApproval);
    return block && !block->empty() && ((*block)[0] & 1) != 0;
}

bool LetRunInStartupList(Program& p, RootKey hive) {
    if (!SwitchedOffInStartupList(p, hive)) return true;
    std::vector<std::uint8_t> enabled(12, 0);
    enabled[0] = 0x02;
    return p.desk.RegWrite(hive, reg::kRunApproval, enabled);
}

}  // namespace

bool StartsWithSystem(Program& p) {
    for (RootKey hive : kHives) {
        const auto entry = RunEntryOf(p, hive);
        if (entry && NamesThisProgram(p, *entry) && !SwitchedOffInStartupList(p, hive)) return true;
    }
    return false;
}

// Only a file known to be gone: a path to another copy that is still there stays that copy's.
void FollowMovedProgram(Program& p) {
    for (RootKey hive : kHives) {
        const auto entry = RunEntryOf(p, hive);
        if (!entry || NamesThisProgram(p, *entry)) continue;
        const std::string named = ProgramNamedBy(*entry);
        if (named.empty() || p.desk.FileExists(named)) continue;
        // A refused write (the machine's entry, for a standard user) leaves the entry as it was.
        p.desk.RegWrite(hive, reg::kRunEntry, Quoted(ProgramPath(p)));
    }
}

// Quoted: an unquoted path with a space in a Run entry lets the system try its first word as a program.
bool TurnStartWithSystemOn(Program& p) {
    for (RootKey hive : kHives)
        if (p.desk.RegWrite(hive, reg::kRunEntry, Quoted(ProgramPath(p))) && LetRunInStartupList(p, hive)) return true;
    return false;
}

bool TurnStartWithSystemOff(Program& p) {
    bool deleted = true;
    for (RootKey hive : kHives) deleted = StoreOff(p, hive, reg::kRunEntry) && deleted;
    return deleted || !StartsWithSystem(p);
}

}  // namespace dida
