#pragma once
// What a window shows, copied for a test to look at pixel by pixel.
#include <windows.h>

#include <vector>

namespace dida::win32 {

// The client area of a window as it is on the screen now, once the window has painted what was pending.
class ClientPixels {
public:
    explicit ClientPixels(HWND h) {
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT rc;
        GetClientRect(h, &rc);
        width_ = rc.right;
        height_ = rc.bottom;
        if (width_ <= 0 || height_ <= 0) return;
        HDC dc = GetDC(h);
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, width_, height_);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, width_, height_, dc, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width_;
        bi.bmiHeader.biHeight = -height_;  // top row first
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bgrx_.resize(static_cast<std::size_t>(width_) * height_);
        GetDIBits(mem, bmp, 0, static_cast<UINT>(height_), bgrx_.data(), &bi, DIB_RGB_COLORS);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(h, dc);
    }
    int width() const { return width_; }
    int height() const { return height_; }
    // As GetPixel gives it.
    COLORREF At(int x, int y) const {
        const DWORD p = bgrx_[static_cast<std::size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<DWORD> bgrx_;
};

}  // namespace dida::win32
