// The owner of the backend's system objects: each kind given back once, by its own call, when its last owner
// goes, and never while a moved-to owner still holds it.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "platform/win32/win32_handle.h"

namespace dida::win32 {
namespace {

// Whether the object was alive while held, after its owner moved it on, and after the last owner went.
struct Lives {
    bool held = false, moved = false, gone = true;
};

template <class Kind>
Lives LivesOf(typename Kind::Type made, bool (*alive)(typename Kind::Type)) {
    Lives l;
    Owned<Kind> first(made);
    const typename Kind::Type raw = first.get();
    l.held = raw != nullptr && alive(raw);
    {
        Owned<Kind> second(std::move(first));
        Owned<Kind> third;
        third = std::move(second);
        l.moved = !first && !second && third.get() == raw && alive(raw);
    }
    l.gone = alive(raw);
    return l;
}

bool KernelAlive(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}
bool KeyAlive(HKEY k) {
    return RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS;
}
bool BitmapAlive(HBITMAP b) { return GetObjectType(b) == OBJ_BITMAP; }
bool IconAlive(HICON i) {
    ICONINFO info{};
    if (!GetIconInfo(i, &info)) return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

HKEY OpenSoftwareKey() {
    HKEY k = nullptr;
    return RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &k) == ERROR_SUCCESS ? k : nullptr;
}
HICON MakeIcon() {
    const BYTE andMask[32 * 4] = {};
    const BYTE xorMask[32 * 4] = {};
    return CreateIcon(GetModuleHandleW(nullptr), 32, 32, 1, 1, andMask, xorMask);
}

TEST(Owned, EveryKindIsGivenBackByItsOwnCallOnceItsLastOwnerGoes) {
    const struct {
        const char* kind;
        Lives lives;
    } rows[] = {
        {"event", LivesOf<KernelObject>(CreateEventW(nullptr, TRUE, FALSE, nullptr), KernelAlive)},
        {"registry key", LivesOf<RegistryKey>(OpenSoftwareKey(), KeyAlive)},
        {"bitmap", LivesOf<GdiObject<HBITMAP>>(CreateBitmap(4, 4, 1, 1, nullptr), BitmapAlive)},
        {"icon", LivesOf<Icon>(MakeIcon(), IconAlive)},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.kind);
        EXPECT_TRUE(r.lives.held);
        EXPECT_TRUE(r.lives.moved) << "a move hands the object on without giving it back";
        EXPECT_FALSE(r.lives.gone);
    }
}

TEST(Owned, TheSystemsNoHandleValuesAreNoneAndGiveNothingBack) {
    EXPECT_FALSE(UniqueHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(UniqueSearch(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(UniqueHandle(nullptr));
    // A search that found nothing answers INVALID_HANDLE_VALUE; one that found a file is closed by its owner.
    WIN32_FIND_DATAW data;
    EXPECT_FALSE(UniqueSearch(FindFirstFileW(L"C:\\no such folder\\no such file", &data)));
    EXPECT_TRUE(UniqueSearch(FindFirstFileW(L"C:\\windows\\*", &data)));
}

}  // namespace
}  // namespace dida::win32
