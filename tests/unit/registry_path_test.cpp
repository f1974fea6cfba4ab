#include "platform/registry_path.h"

#include <gtest/gtest.h>

namespace dida {
namespace {

TEST(SplitFullPath, CutsAtTheLastBackslash) {
    struct Row {
        const char* full;
        const char* key;
        const char* value;
    } rows[] = {
        {"Software\\TORV\\长鸣", "Software\\TORV", "长鸣"},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Run\\TORV", "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
         "TORV"},
        {"长鸣", "", "长鸣"},  // no backslash: a value under the hive root
        {"Software\\TORV\\", "Software\\TORV", ""},
        {"\\x", "", "x"},
        {"", "", ""},
        {"a\\\\b", "a\\", "b"},
        // Each of these characters ends in byte 0x5C in the double-byte code page; none may cut the path.
        {"Software\\TORV\\乗俓", "Software\\TORV", "乗俓"},
        {"Software\\圽\\塡", "Software\\圽", "塡"},
        {"C:\\Program Files\\嘀嗒\\闹钟.exe", "C:\\Program Files\\嘀嗒", "闹钟.exe"},
    };
    for (const auto& r : rows) {
        const RegPath p = SplitFullPath(r.full);
        EXPECT_EQ(p.key, r.key) << r.full;
        EXPECT_EQ(p.value, r.value) << r.full;
    }
}

TEST(JoinProgramPath, UndoesTheSplitOfAnExecutablePath) {
    for (const char* full : {"C:\\Program Files\\嘀嗒\\闹钟.exe", "D:\\a.exe", "C:\\乗\\俓.exe"}) {
        const RegPath p = SplitFullPath(full);
        EXPECT_EQ(JoinProgramPath(p.key, p.value), full);
    }
}

}  // namespace
}  // namespace dida
