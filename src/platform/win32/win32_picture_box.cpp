// The PicBox peer: a picture decoded by GDI+ (a GIF animates with its own frame delays), and the GDI+ session.
#include "platform/win32/win32_peers.h"

#include <objidl.h>

#include <algorithm>
#include <cstdint>
#include <vector>
#include <gdiplus.h>

#include "platform/win32/win32_boundary.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_libraries.h"

namespace dida::win32 {
namespace {

constexpr wchar_t kPicBoxClass[] = L"DidaPicBox";
constexpr UINT_PTR kAnimationTimer = 1;

// A picture (a GIF animates) decoded by GDI+ from the bytes themselves, drawn on the box's background.
class PicBoxPeer : public ControlPeer {
public:
    PicBoxPeer(FormHost& h, PicBox& p, int id) : ControlPeer(h, p, id), box_(p) {}
    ~PicBoxPeer() override { FreeImage(); }
    void Create() override {
        RegisterClassOnce();
        MakeChild(kPicBoxClass, L"", box_.design().border ? WS_BORDER : 0);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        LoadImageBytes();
    }
    void Release() override {
        if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        FreeImage();
    }
    bool TakesFocus() const override { return false; }
    // A window class of our own: the proxy knows it only as a client area.
    Annotation Annotated() const override {
        Annotation a = ControlPeer::Annotated();
        a.role = ROLE_SYSTEM_GRAPHIC;
        return a;
    }
    void DpiChanged() override {
        ControlPeer::DpiChanged();
        LoadImageBytes();
    }
    int frameCount() const { return frames_; }
    int frame() const { return frame_; }

    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        auto* self = reinterpret_cast<PicBoxPeer*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        return AtTheBoundary(
            L"picture box",
            [&]() -> std::optional<LRESULT> {
                if (self && msg == WM_PAINT) {
                    PAINTSTRUCT ps;
                    HDC dc = BeginPaint(h, &ps);
                    self->Paint(dc);
                    EndPaint(h, &ps);
                    return 0;
                }
                if (self && msg == WM_ERASEBKGND) return 1;
                if (self && msg == WM_TIMER && wp == kAnimationTimer) {
                    self->NextFrame();
                    return 0;
                }
                if (msg == WM_NCHITTEST) return HTTRANSPARENT;
                return std::nullopt;
            },
            [&] { return DefWindowProcW(h, msg, wp, lp); });
    }

protected:
    void OwnChanged(Prop p) override {
        if (p == Prop::Picture)
            LoadImageBytes();
        else if (p == Prop::PlayAnimation)
            Animate();
    }

private:
    static void RegisterClassOnce() {
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.hInstance = Instance();
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.lpfnWndProc = &PicBoxPeer::Proc;
            wc.lpszClassName = kPicBoxClass;
            return RegisterClassExW(&wc) != 0;
        }();
        (void)registered;
    }
    void FreeImage() {
        if (hwnd_) KillTimer(hwnd_, kAnimationTimer);
        if (image_) gdip_->GdipDisposeImage(image_);
        image_ = nullptr;
        if (stream_) stream_->Release();
        stream_ = nullptr;
        frames_ = 0;
        frame_ = 0;
        delays_.clear();
    }
    // The picture drawn for the window's scale where there is one; otherwise the design picture, enlarged
    // when it is painted.
    void LoadImageBytes() {
        FreeImage();
        const Blob design = box_.RawPicture();
        const Blob drawn = host_.desktop().RenditionOf(design, static_cast<int>(host_.dpi()));
        enlarge_ = drawn.empty();
        const Blob bytes = enlarge_ ? design : drawn;
        // Without GDI+ the box shows its background only.
        gdip_ = bytes.empty() ? nullptr : GdiplusLibrary();
        if (gdip_) {
            HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
            if (mem) {
                void* p = GlobalLock(mem);
                std::copy(bytes.begin(), bytes.end(), static_cast<std::uint8_t*>(p));
                GlobalUnlock(mem);
                if (gdip_->CreateStreamOnHGlobal(mem, TRUE, &stream_) != S_OK) {
                    GlobalFree(mem);
                    stream_ = nullptr;
                }
            }
            if (stream_ && gdip_->GdipLoadImageFromStream(stream_, &image_) != Gdiplus::Ok) image_ = nullptr;
            if (image_) ReadFrames(*gdip_);
        }
        InvalidateRect(hwnd_, nullptr, FALSE);
        Animate();
    }
    void ReadFrames(const GdiplusApi& gdip) {
        UINT dims = 0;
        gdip.GdipImageGetFrameDimensionsCount(image_, &dims);
        frames_ = 1;
        if (dims > 0) {
            std::vector<GUID> ids(dims);
            gdip.GdipImageGetFrameDimensionsList(image_, ids.data(), dims);
            dimension_ = ids[0];
            UINT count = 0;
            if (gdip.GdipImageGetFrameCount(image_, &dimension_, &count) == Gdiplus::Ok && count > 0)
                frames_ = static_cast<int>(count);
        }
        UINT size = 0;
        if (frames_ > 1 && gdip.GdipGetPropertyItemSize(image_, PropertyTagFrameDelay, &size) == Gdiplus::Ok &&
            size > 0) {
            std::vector<std::uint8_t> buf(size);
            auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buf.data());
            if (gdip.GdipGetPropertyItem(image_, PropertyTagFrameDelay, size, item) == Gdiplus::Ok) {
                const auto* v = static_cast<const std::uint32_t*>(item->value);
                for (ULONG i = 0; i < item->length / 4; ++i) delays_.push_back(static_cast<int>(v[i]));
            }
        }
    }
    // A frame's delay in ms; pictures that ask for (almost) none get the usual tenth of a second.
    UINT DelayOf(int frame) const {
        const int hundredths = frame < static_cast<int>(delays_.size()) ? delays_[frame] : 0;
        return hundredths < 2 ? 100u : static_cast<UINT>(hundredths) * 10u;
    }
    void Animate() {
        KillTimer(hwnd_, kAnimationTimer);
        if (image_ && frames_ > 1 && box_.RawPicture().size() && PlayAnimationOn())
            SetTimer(hwnd_, kAnimationTimer, DelayOf(frame_), nullptr);
    }
    bool PlayAnimationOn() const { return box_.window()->loaded() ? box_.PlayAnimation() : false; }
    void NextFrame() {
        if (!image_ || frames_ <= 1) return;
        frame_ = (frame_ + 1) % frames_;
        gdip_->GdipImageSelectActiveFrame(image_, &dimension_, static_cast<UINT>(frame_));
        InvalidateRect(hwnd_, nullptr, FALSE);
        SetTimer(hwnd_, kAnimationTimer, DelayOf(frame_), nullptr);
    }
    void Paint(HDC dc) {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        const int w = rc.right, h = rc.bottom;
        HDC mem = CreateCompatibleDC(dc);
        const UniqueBitmap canvas(CreateCompatibleBitmap(dc, std::max(w, 1), std::max(h, 1)));
        HGDIOBJ old = SelectObject(mem, canvas.get());
        const Color back = box_.design().backColor;
        if (host_.highContrast())
            FillRect(mem, &rc, host_.SystemBrush(COLOR_WINDOW));
        else
            FillRect(mem, &rc, back == kDefaultColor ? GetSysColorBrush(COLOR_BTNFACE) : host_.BrushOf(back));
        if (image_) {
            const GdiplusApi& gdip = *gdip_;
            UINT iw = 0, ih = 0;
            gdip.GdipGetImageWidth(image_, &iw);
            gdip.GdipGetImageHeight(image_, &ih);
            const int nw = enlarge_ ? Scaled(static_cast<int>(iw)) : static_cast<int>(iw);
            const int nh = enlarge_ ? Scaled(static_cast<int>(ih)) : static_cast<int>(ih);
            int dw = nw, dh = nh, x = 0, y = 0;
            if (box_.design().centerShrink && nw > 0 && nh > 0) {
                const double scale = std::min({1.0, double(w) / nw, double(h) / nh});
                dw = static_cast<int>(nw * scale);
                dh = static_cast<int>(nh * scale);
                x = (w - dw) / 2;
                y = (h - dh) / 2;
            }
            Gdiplus::GpGraphics* g = nullptr;
            if (gdip.GdipCreateFromHDC(mem, &g) == Gdiplus::Ok) {
                gdip.GdipDrawImageRectI(g, image_, x, y, dw, dh);
                gdip.GdipDeleteGraphics(g);
            }
        }
        BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }

    PicBox& box_;
    const GdiplusApi* gdip_ = nullptr;  // set with image_
    IStream* stream_ = nullptr;
    Gdiplus::GpImage* image_ = nullptr;
    GUID dimension_{};
    int frames_ = 0, frame_ = 0;
    std::vector<int> delays_;
    bool enlarge_ = true;  // the design picture shown at a larger scale
};

}  // namespace

std::unique_ptr<ControlPeer> MakePicBoxPeer(FormHost& host, Component& c, int id) {
    return std::make_unique<PicBoxPeer>(host, static_cast<PicBox&>(c), id);
}

GdiplusSession::~GdiplusSession() { ShutdownGdiplus(); }

}  // namespace dida::win32
