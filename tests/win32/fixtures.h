#pragma once
// What Windows tests share around a test: GDI+ ended once the suite's pictures are gone, and the program's
// settings as a first start finds them.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_peers.h"

namespace dida::win32 {

// A suite whose windows show pictures: GDI+ starts with the first one and is ended after the suite.
class GdiplusTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { gdiplus_ = new GdiplusSession(); }
    static void TearDownTestSuite() {
        delete gdiplus_;
        gdiplus_ = nullptr;
    }

private:
    static inline GdiplusSession* gdiplus_ = nullptr;
};

// While it lives, the registry holds none of the program's settings: taken away when it is made, and again when
// it goes. A test that starts the program holds one, so that no earlier run decides what its program starts with
// and it leaves nothing for the next one.
class CleanSettings {
public:
    CleanSettings() { Clean(); }
    ~CleanSettings() { Clean(); }
    CleanSettings(const CleanSettings&) = delete;
    CleanSettings& operator=(const CleanSettings&) = delete;

private:
    static void Clean() {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TORV");
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TORV");
        for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            RegDeleteKeyValueW(hive, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"TORV");
    }
};

}  // namespace dida::win32
