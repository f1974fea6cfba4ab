// The registry and system services against the real registry and file system (run under Wine).
#include "platform/win32/win32_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dida::win32 {
namespace {

constexpr RootKey kUser = kCurrentUser;
constexpr RootKey kMachine = kLocalMachine;

std::wstring W(const std::string& s) {
    std::wstring out(MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), static_cast<int>(out.size()));
    return out;
}

std::string U8(const std::wstring& s) {
    std::string out(WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), static_cast<int>(out.size()),
                        nullptr, nullptr);
    return out;
}

bool KeyExists(HKEY hive, const std::string& key) {
    HKEY k;
    if (RegOpenKeyExW(hive, W(key).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

RawValue ReadRaw(HKEY hive, const std::string& key, const std::string& name) {
    RawValue v;
    BYTE buf[512];
    DWORD size = sizeof buf;
    v.found = RegGetValueW(hive, W(key).c_str(), W(name).c_str(), RRF_RT_ANY | RRF_NOEXPAND, &v.type, buf, &size) ==
              ERROR_SUCCESS;
    if (v.found) v.data.assign(buf, buf + size);
    return v;
}

void SetRaw(HKEY hive, const std::string& key, const std::string& name, DWORD type, const std::wstring& text) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExW(hive, W(key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExW(k, W(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
}

// Every test works below a key of its own, removed with everything in it afterwards.
class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        base = std::string("Software\\嘀嗒服务测试\\") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
               std::to_string(GetCurrentProcessId());
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, W(base).c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, W(base).c_str());
    }
    std::string base;
};

TEST_F(Registry, TextsRoundTripWithChineseNamesAndTheirTerminatingZero) {
    struct Row {
        std::string name, text;
    };
    const std::vector<Row> rows = {
        {"长鸣", "1"},  {"MP3路径", "C:\\音乐\\嘀嗒 铃声.mp3"}, {"闹铃时长", "180"},
        {"空文本", ""}, {"表情", "闹钟⏰\xF0\x9F\x94\x94"},  // a character outside the BMP: a surrogate pair in the
                                                            // registry
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE(RegWrite(kUser, base + "\\" + r.name, r.text));
        EXPECT_EQ(RegReadText(kUser, base + "\\" + r.name, "默认"), r.text);
        const RawValue raw = ReadRaw(HKEY_CURRENT_USER, base, r.name);
        ASSERT_TRUE(raw.found);
        EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
        const std::wstring stored = W(r.text);
        ASSERT_EQ(raw.data.size(), (stored.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(raw.data[raw.data.size() - 1], 0);
        EXPECT_EQ(raw.data[raw.data.size() - 2], 0);
    }
}

TEST_F(Registry, ReadsGiveTheDefaultForAnythingButText) {
    ASSERT_TRUE(RegWrite(kUser, base + "\\数字", std::int32_t{-5}));
    ASSERT_TRUE(RegWrite(kUser, base + "\\字节", std::vector<std::uint8_t>{'1', 0, 0, 0}));
    struct Row {
        const char* what;
        std::string path;
    };
    const std::vector<Row> rows = {
        {"REG_DWORD", base + "\\数字"},
        {"REG_BINARY", base + "\\字节"},
        {"value missing under an existing key", base + "\\长鸣"},
        {"key missing", base + "\\没有\\长鸣"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(RegReadText(kUser, r.path, "空"), "空");
        EXPECT_EQ(RegReadText(kUser, r.path), "");
    }
    // The number and the bytes were really stored, with their own types.
    const RawValue number = ReadRaw(HKEY_CURRENT_USER, base, "数字");
    ASSERT_TRUE(number.found);
    EXPECT_EQ(number.type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(number.data.size(), 4u);
    EXPECT_EQ(number.data[0], 0xFB);
    EXPECT_EQ(number.data[3], 0xFF);
    const RawValue bytes = ReadRaw(HKEY_CURRENT_USER, base, "字节");
    EXPECT_EQ(bytes.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(bytes.data, (std::vector<BYTE>{'1', 0, 0, 0}));
}

TEST_F(Registry, ExpandableTextsAreExpandedPlainTextsAreNot) {
    wchar_t root[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH);
    ASSERT_GT(n, 0u);
    SetRaw(HKEY_CURRENT_USER, base, "展开", REG_EXPAND_SZ, L"%SystemRoot%\\x");
    SetRaw(HKEY_CURRENT_USER, base, "原样", REG_SZ, L"%SystemRoot%\\x");
    SetRaw(HKEY_CURRENT_USER, base, "未知变量", REG_EXPAND_SZ, L"%嘀嗒没有这个变量%\\y");
    EXPECT_EQ(RegReadText(kUser, base + "\\展开"), U8(std::wstring(root, n)) + "\\x");
    EXPECT_EQ(RegReadText(kUser, base + "\\原样"), "%SystemRoot%\\x");
    EXPECT_EQ(RegReadText(kUser, base + "\\未知变量"), "%嘀嗒没有这个变量%\\y");
}

TEST_F(Registry, TextsWrittenByOthersWithoutAZeroOrWithAnOddSizeReadSafely) {
    struct Row {
        const char* name;
        std::wstring stored;
        DWORD bytes;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"无结尾零", L"闹钟180", 5 * sizeof(wchar_t), "闹钟180"},
        {"奇数字节", L"ab", 3, "a"},
        {"中间有零", std::wstring(L"前\0后", 3), 4 * sizeof(wchar_t), "前"},
        // An on/off flag written with junk after its zero is on: the text is what comes before the zero.
        {"长鸣", std::wstring(L"1\0garbage", 9), 10 * sizeof(wchar_t), "1"},
    };
    HKEY k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, W(base).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    for (const Row& r : rows)
        RegSetValueExW(k, W(r.name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(r.stored.c_str()), r.bytes);
    RegCloseKey(k);
    for (const Row& r : rows) EXPECT_EQ(RegReadText(kUser, base + "\\" + r.name, "默认"), r.expected) << r.name;
}

TEST_F(Registry, WritingCreatesEveryMissingKey) {
    const std::string deep = base + "\\一\\二\\三";
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, base));
    for (RootKey root : {kUser, kMachine}) {
        SCOPED_TRACE(root);
        EXPECT_TRUE(RegWrite(root, deep + "\\默认功能", "2"));
        EXPECT_TRUE(KeyExists(HiveOf(root), deep));
        EXPECT_EQ(RegReadText(root, deep + "\\默认功能"), "2");
    }
    // The two hives are really two places.
    ASSERT_TRUE(RegWrite(kMachine, deep + "\\默认功能", "1"));
    EXPECT_EQ(RegReadText(kUser, deep + "\\默认功能"), "2");
}

TEST_F(Registry, DeleteTakesTheValueThenTheKeyWithoutSubKeys) {
    ASSERT_TRUE(RegWrite(kMachine, base + "\\Run\\TORV", "C:\\闹钟\\DidaMiniClock.exe"));
    EXPECT_TRUE(RegDelete(kMachine, base + "\\Run\\TORV"));
    EXPECT_EQ(RegReadText(kMachine, base + "\\Run\\TORV", "无"), "无");
    // Neither a value nor a key of that name is left.
    EXPECT_FALSE(RegDelete(kMachine, base + "\\Run\\TORV"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, base + "\\Run"));

    // "Run" is no value of base: the key of that full path goes, as it has no sub-keys.
    EXPECT_TRUE(RegDelete(kMachine, base + "\\Run"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, base + "\\Run"));

    // A key with sub-keys stays.
    ASSERT_TRUE(RegWrite(kUser, base + "\\父\\子\\值", "x"));
    EXPECT_FALSE(RegDelete(kUser, base + "\\父"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, base + "\\父\\子"));
    EXPECT_FALSE(RegDelete(kUser, base + "\\从未有过"));
}

TEST_F(Registry, AValueAndAKeyOfOneNameDeleteTheValueFirst) {
    ASSERT_TRUE(RegWrite(kUser, base + "\\同名", "值"));
    ASSERT_TRUE(RegWrite(kUser, base + "\\同名\\里面", "x"));
    ASSERT_TRUE(RegDelete(kUser, base + "\\同名\\里面"));
    EXPECT_TRUE(RegDelete(kUser, base + "\\同名"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, base + "\\同名"));
    EXPECT_EQ(RegReadText(kUser, base + "\\同名", "无"), "无");
    EXPECT_TRUE(RegDelete(kUser, base + "\\同名"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, base + "\\同名"));
}

TEST_F(Registry, APathWithoutBackslashNamesAValueOfTheHiveRoot) {
    const std::string name = "嘀嗒根值" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(RegWrite(kUser, name, "根"));
    EXPECT_TRUE(ReadRaw(HKEY_CURRENT_USER, "", name).found);
    EXPECT_EQ(RegReadText(kUser, name), "根");
    EXPECT_TRUE(RegDelete(kUser, name));
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, "", name).found);
}

TEST(Hives, CodesChooseTheHiveAndEverythingElseIsTheCurrentUser) {
    struct Row {
        int root;
        HKEY hive;
    };
    const std::vector<Row> rows = {
        {1, HKEY_CLASSES_ROOT}, {2, HKEY_CURRENT_CONFIG}, {3, HKEY_CURRENT_USER}, {4, HKEY_LOCAL_MACHINE},
        {5, HKEY_USERS},        {0, HKEY_CURRENT_USER},   {6, HKEY_CURRENT_USER}, {-1, HKEY_CURRENT_USER},
    };
    for (const Row& r : rows) EXPECT_EQ(HiveOf(static_cast<RootKey>(r.root)), r.hive) << r.root;
}

class Files : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        dir = U8(tmp) + "嘀嗒文件测试" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(W(dir).c_str(), nullptr));
        const HANDLE h = CreateFileW(W(dir + "\\闹钟 铃声.mp3").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    void TearDown() override {
        DeleteFileW(W(dir + "\\闹钟 铃声.mp3").c_str());
        RemoveDirectoryW(W(dir).c_str());
    }
    std::string dir;
};

TEST_F(Files, ExistsForFilesDirectoriesAndWildcardMatches) {
    struct Row {
        std::string path;
        bool exists;
    };
    const std::vector<Row> rows = {
        {dir + "\\闹钟 铃声.mp3", true},
        {dir, true},
        {dir + "\\*.mp3", true},
        {dir + "\\闹钟?铃声.*", true},
        {dir + "\\*.wav", false},
        {dir + "\\没有.mp3", false},
        {dir + "\\没有\\闹钟 铃声.mp3", false},
        {"", false},
    };
    for (const Row& r : rows) EXPECT_EQ(FileExists(r.path), r.exists) << r.path;
}

TEST(ProgramLocation, SplitsTheExecutablePathAndBecomesTheCurrentDirectory) {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_GT(n, 0u);
    const ProgramLocation& where = GetProgramLocation();
    EXPECT_EQ(where.directory + "\\" + where.fileName, U8(std::wstring(self, n)));
    EXPECT_EQ(where.fileName, "dida_win32_tests.exe");
    ASSERT_FALSE(where.directory.empty());
    EXPECT_NE(where.directory.back(), '\\');

    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\windows"));
    InitProgramLocation();
    wchar_t now[MAX_PATH];
    const DWORD m = GetCurrentDirectoryW(MAX_PATH, now);
    EXPECT_EQ(U8(std::wstring(now, m)), where.directory);
    SetCurrentDirectoryW(before);
}

TEST(Shutdown, ModesOutsideOneToFiveDoNothing) {
    // Only modes that must fail: a real one would end the Wine session of every test running in it.
    for (int mode : {0, 6, -1, 100}) {
        EXPECT_FALSE(ShutdownSystem(mode, true)) << mode;
        EXPECT_FALSE(ShutdownSystem(mode, false)) << mode;
    }
}

}  // namespace
}  // namespace dida::win32
