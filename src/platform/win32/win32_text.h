#pragma once
// The two conversions at the edge: UTF-8 inside the program, UTF-16 for the W entry points. The whole
// backend uses these and no others.
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/text.h"

namespace dida::win32 {

inline std::wstring Wide(std::string_view s) {
    const std::u16string u = Utf8ToUtf16(s);
    return std::wstring(u.begin(), u.end());
}

inline std::string Narrow(std::wstring_view s) { return Utf16ToUtf8(std::u16string(s.begin(), s.end())); }

// Copies s into a fixed system field of `units` code units (the end mark included), cut at a
// character boundary.
template <std::size_t N>
void CopyField(wchar_t (&field)[N], std::string_view s) {
    const std::u16string u = TruncateUtf16(Utf8ToUtf16(s), N - 1);
    std::size_t i = 0;
    for (; i < u.size(); ++i) field[i] = static_cast<wchar_t>(u[i]);
    field[i] = L'\0';
}

// The text of a window of this process, whatever its length.
inline std::wstring TextOf(HWND h) {
    std::wstring s(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    s.resize(static_cast<std::size_t>(GetWindowTextW(h, s.data(), static_cast<int>(s.size()))));
    return s;
}

}  // namespace dida::win32
