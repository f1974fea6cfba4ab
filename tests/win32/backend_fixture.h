#pragma once
// What the Windows tests of the backend's own windows share: ICO file images to load, where a window sits
// and what class it is, two small windows (a timer's, a tray icon's), and the suite every such test runs in.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "fixtures.h"

namespace dida::win32 {

inline void Put16(std::vector<std::uint8_t>& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
inline void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

struct IcoImage {
    int size;
    int bits;  // 32 or 8 (the palette then is all black)
};

// An ICO file image with one DIB entry per row, each image filled with its size as colour.
inline std::vector<std::uint8_t> MakeIco(const std::vector<IcoImage>& images) {
    std::vector<std::vector<std::uint8_t>> dibs;
    for (const IcoImage& im : images) {
        std::vector<std::uint8_t> d;
        Put32(d, 40);
        Put32(d, im.size);
        Put32(d, im.size * 2);
        Put16(d, 1);
        Put16(d, im.bits);
        for (int i = 0; i < 6; ++i) Put32(d, 0);
        if (im.bits == 8)
            for (int i = 0; i < 256; ++i) Put32(d, 0);
        const int stride = ((im.size * im.bits + 31) / 32) * 4;
        d.insert(d.end(), static_cast<std::size_t>(stride) * im.size, static_cast<std::uint8_t>(im.size));
        const int maskStride = ((im.size + 31) / 32) * 4;
        d.insert(d.end(), static_cast<std::size_t>(maskStride) * im.size, 0);
        dibs.push_back(d);
    }
    std::vector<std::uint8_t> ico;
    Put16(ico, 0);
    Put16(ico, 1);
    Put16(ico, static_cast<unsigned>(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        ico.push_back(images[i].size >= 256 ? 0 : images[i].size);
        ico.push_back(images[i].size >= 256 ? 0 : images[i].size);
        ico.push_back(0);
        ico.push_back(0);
        Put16(ico, 1);
        Put16(ico, images[i].bits);
        Put32(ico, static_cast<std::uint32_t>(dibs[i].size()));
        Put32(ico, static_cast<std::uint32_t>(offset));
        offset += dibs[i].size();
    }
    for (const auto& d : dibs) ico.insert(ico.end(), d.begin(), d.end());
    return ico;
}

inline Blob AsBlob(const std::vector<std::uint8_t>& v) { return Blob(v.data(), v.size()); }

inline std::wstring ClassOf(HWND h) {
    wchar_t buf[64] = {};
    GetClassNameW(h, buf, 64);
    return buf;
}
inline RECT ClientRectIn(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct TimerForm : Window {
    TimerForm()
        : Window(WindowDef{
              .name = "计时测试", .caption = "计时测试", .rect = {0, 0, 60, 40}, .visible = false, .icon = {}}),
          t(this, "t"), running(this, "running", 150) {}
    Timer t;
    Timer running;
};

struct TrayForm : Window {
    explicit TrayForm(Blob icon)
        : Window(WindowDef{
              .name = "托盘测试", .caption = "托盘测试", .rect = {0, 0, 60, 40}, .visible = false, .icon = {}}),
          tray(this, "tray", TrayIconDef{.icon = icon, .tipText = "嘀嗒\r\n测试", .inTray = true}) {}
    TrayIcon tray;
};

// One class for every file's tests of the suite: googletest holds a suite to a single fixture type.
class Backend : public GdiplusTest {
protected:
    Win32Desktop desk;
};

}  // namespace dida::win32
