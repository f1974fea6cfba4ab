// Start with the system as a standard user has it: the machine's Run key refuses writes, the user's own
// Run key takes the entry, and the startup list of Task Manager may have switched either entry off.
#include "bar_fixture.h"

namespace dida::scenario {
namespace {

constexpr const char* kApprovalKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const std::string kProgram = "C:\\Program Files\\嘀嗒\\DidaMiniClock.exe";
const std::string kQuoted = "\"" + kProgram + "\"";
const std::string kGone = "\"D:\\旧位置\\DidaMiniClock.exe\"";  // where the program was before it was moved
const std::string kCopy = "D:\\另一份\\DidaMiniClock.exe";      // another copy, still there

// As Task Manager writes it: 02 and zeros lets the entry run, 03 and the moment it was switched off does not.
std::vector<std::uint8_t> Approval(std::uint8_t first) {
    std::vector<std::uint8_t> b(12, 0);
    b[0] = first;
    if (first == 0x03) b[4] = 0x5A;
    return b;
}

// One hive's part of the machine: its Run entry and the startup list's switch for it.
struct Hive {
    std::optional<std::string> entry;
    std::optional<std::uint8_t> approval;
};

// A machine prepared before the start: the program at kProgram, another copy at kCopy, and the two hives.
struct Machine {
    HeadlessDesktop desk;
    std::unique_ptr<Program> program;

    Machine(const Hive& machine, const Hive& user, bool machineWriteProtected) {
        desk.SetProgramPath("C:\\Program Files\\嘀嗒", "DidaMiniClock.exe");
        desk.AddFile(kProgram);
        desk.AddFile(kCopy);
        for (const auto& [root, hive] : {std::pair{kLocalMachine, machine}, std::pair{kCurrentUser, user}}) {
            if (hive.entry)
                desk.registry().SetValue(root, Bar::kRunKey, "TORV", RegValue{RegType::Sz, *hive.entry, 0, {}});
            if (hive.approval)
                desk.registry().SetValue(root, kApprovalKey, "TORV",
                                         RegValue{RegType::Binary, {}, 0, Approval(*hive.approval)});
        }
        desk.registry().SetWriteProtected(kLocalMachine, machineWriteProtected);
    }
    MenuItem& Start() {
        program = std::make_unique<Program>(desk);
        desk.SetStartWindow(&program->main);
        program->Start();
        return program->main.随系统启动;
    }
    std::optional<std::string> Entry(RootKey root) {
        return desk.registry().Text(root, std::string(Bar::kRunKey) + "\\TORV");
    }
    std::optional<std::uint8_t> FirstApprovalByte(RootKey root) {
        const auto v = desk.registry().GetValue(root, kApprovalKey, "TORV");
        if (!v || v->bytes.empty()) return std::nullopt;
        return v->bytes[0];
    }
};

TEST(StartWithSystem, TheMarkShowsWhatTheNextLogonRunsAndAMovedProgramIsFollowed) {
    const struct {
        const char* what;
        Hive machine, user;
        bool machineWriteProtected;
        bool on;
        std::optional<std::string> machineAfter, userAfter;
    } rows[] = {
        {"the user's entry only", {}, {kQuoted, {}}, true, true, {}, kQuoted},
        {"the machine's entry only", {kQuoted, {}}, {}, true, true, kQuoted, {}},
        {"switched off in the startup list", {}, {kQuoted, 0x03}, true, false, {}, kQuoted},
        {"switched on again in the startup list", {}, {kQuoted, 0x02}, true, true, {}, kQuoted},
        {"the machine's switched off, the user's runs", {kQuoted, 0x03}, {kQuoted, {}}, true, true, kQuoted, kQuoted},
        {"the other hive's switch does not count", {{}, 0x03}, {kQuoted, {}}, true, true, {}, kQuoted},
        {"moved: the user's entry follows", {}, {kGone, {}}, true, true, {}, kQuoted},
        {"moved: the machine's entry follows where writable", {kGone, {}}, {}, false, true, kQuoted, {}},
        {"moved: the machine's entry refuses", {kGone, {}}, {}, true, false, kGone, {}},
        {"moved, and switched off: it stays off", {}, {kGone, 0x03}, true, false, {}, kQuoted},
        {"another copy still there keeps its entry", {}, {kCopy, {}}, true, false, {}, kCopy},
    };
    for (const auto& r : rows) {
        Machine m(r.machine, r.user, r.machineWriteProtected);
        EXPECT_EQ(m.Start().Checked(), r.on) << r.what;
        EXPECT_EQ(m.Entry(kLocalMachine), r.machineAfter) << r.what;
        EXPECT_EQ(m.Entry(kCurrentUser), r.userAfter) << r.what;
    }
}

TEST(StartWithSystem, ChoosingTheOptionAsAStandardUser) {
    const struct {
        const char* what;
        Hive machine, user;
        bool onAtStart;
        bool on;  // after choosing it once, and at the next start
        std::optional<std::string> machineAfter, userAfter;
        std::optional<std::uint8_t> userApprovalAfter;
        bool told;  // a message box says what the user can do
    } rows[] = {
        {"on: the user's own entry", {}, {}, false, true, {}, kQuoted, {}, false},
        {"on: let run again in the startup list", {}, {kQuoted, 0x03}, false, true, {}, kQuoted, 0x02, false},
        {"off: the user's entry goes", {}, {kQuoted, {}}, true, false, {}, {}, {}, false},
        {"off: the machine's entry an elevated run made stays",
         {kQuoted, {}},
         {kQuoted, {}},
         true,
         true,
         kQuoted,
         {},
         {},
         true},
        {"off: a machine entry that never runs does not hold it on",
         {kQuoted, 0x03},
         {kQuoted, {}},
         true,
         false,
         kQuoted,
         {},
         {},
         false},
    };
    for (const auto& r : rows) {
        Machine m(r.machine, r.user, true);
        MenuItem& item = m.Start();
        ASSERT_EQ(item.Checked(), r.onAtStart) << r.what;
        if (r.told) m.desk.AnswerMessage(kOk);
        m.desk.Choose(item);
        EXPECT_EQ(item.Checked(), r.on) << r.what;
        EXPECT_EQ(m.Entry(kLocalMachine), r.machineAfter) << r.what;
        EXPECT_EQ(m.Entry(kCurrentUser), r.userAfter) << r.what;
        EXPECT_EQ(m.FirstApprovalByte(kCurrentUser), r.userApprovalAfter) << r.what;
        ASSERT_EQ(m.desk.messages().size(), r.told ? 1u : 0u) << r.what;
        if (r.told) {
            EXPECT_EQ(m.desk.messages()[0].text,
                      "开机启动项是以管理员身份为本机所有用户设置的，请以管理员身份运行本软件后再取消！");
            EXPECT_EQ(m.desk.messages()[0].style, 0x30);
        }
        EXPECT_EQ(m.Start().Checked(), r.on) << r.what << ", at the next start";
    }
}

TEST(StartWithSystem, WhereTheMachineTakesItTheEntryStaysThereAndOffDeletesBoth) {
    Machine m({kQuoted, {}}, {kQuoted, {}}, false);
    MenuItem& item = m.Start();
    m.desk.Choose(item);
    EXPECT_FALSE(item.Checked());
    EXPECT_FALSE(m.Entry(kLocalMachine));
    EXPECT_FALSE(m.Entry(kCurrentUser));
    m.desk.Choose(item);
    EXPECT_TRUE(item.Checked());
    EXPECT_EQ(m.Entry(kLocalMachine), kQuoted);
    EXPECT_FALSE(m.Entry(kCurrentUser));
    EXPECT_TRUE(m.desk.messages().empty());
}

}  // namespace
}  // namespace dida::scenario
