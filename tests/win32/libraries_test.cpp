// The libraries a feature loads at its first use, and what the feature does when its library cannot be
// loaded: the system is asked for a file that does not exist, as on a machine without it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_libraries.h"
#include "pixels.h"
#include "pump.h"
#include "ui/media/media.h"

namespace dida::win32 {
namespace {

// While it lives, loading that library fails.
struct Missing {
    explicit Missing(const wchar_t* file) : file_(file) { SimulateMissingLibrary(file_, true); }
    ~Missing() { SimulateMissingLibrary(file_, false); }
    Missing(const Missing&) = delete;
    Missing& operator=(const Missing&) = delete;

private:
    const wchar_t* file_;
};

TEST(Libraries, EachTableIsFoundAndAMissingLibraryGivesNoneUntilItIsBack) {
    const struct {
        const wchar_t* file;
        const void* (*table)();
    } rows[] = {
        {L"comdlg32.dll", [] { return static_cast<const void*>(FileDialogLibrary()); }},
        {L"gdiplus.dll", [] { return static_cast<const void*>(GdiplusLibrary()); }},
        {L"ole32.dll", [] { return static_cast<const void*>(GdiplusLibrary()); }},
        {L"msacm32.dll", [] { return static_cast<const void*>(AcmLibrary()); }},
        {L"winmm.dll", [] { return static_cast<const void*>(WinmmLibrary()); }},
        {L"powrprof.dll", [] { return static_cast<const void*>(PowerLibrary()); }},
    };
    for (const auto& r : rows) {
        const void* found = r.table();
        ASSERT_NE(found, nullptr) << "the system has " << r.file;
        {
            Missing missing(r.file);
            EXPECT_EQ(r.table(), nullptr) << r.file;
        }
        EXPECT_EQ(r.table(), found) << r.file << " is back, the same table";
    }
    GdiplusSession end;  // GDI+ was started above
}

// ---------------------------------------------------------------- the file dialog

struct DialogForm : Window {
    DialogForm()
        : Window(WindowDef{.name = "对话框测试", .caption = "对话框测试", .rect = {0, 0, 60, 40}, .visible = false}),
          open(this, "open", CommonDlgDef{.dialogType = 0, .filter = "MP3文件（*.mp3）|*.mp3"}),
          save(this, "save", CommonDlgDef{.dialogType = 1, .filter = "MP3文件（*.mp3）|*.mp3"}) {}
    CommonDlg open, save;
};

TEST(Libraries, WithoutTheDialogLibraryTheDialogIsCancelledAtOnce) {
    Win32Desktop desk;
    DialogForm f;
    ASSERT_TRUE(desk.LoadWindow(f));
    Missing missing(L"comdlg32.dll");
    for (CommonDlg* d : {&f.open, &f.save}) {
        d->FileName("C:\\music\\before.mp3");
        const DWORD start = GetTickCount();
        EXPECT_FALSE(desk.OpenDialog(*d)) << d->name();
        EXPECT_LT(GetTickCount() - start, 1000u) << d->name() << ": nothing waits for a user";
        EXPECT_EQ(d->FileName(), "C:\\music\\before.mp3") << d->name() << ": the name stays as after a cancel";
    }
    desk.UnloadWindow(f);
    Pump(desk, 30);
}

// ---------------------------------------------------------------- pictures

struct PictureForm : Window {
    PictureForm()
        : Window(WindowDef{
              .name = "图片测试", .caption = "图片测试", .rect = {0, 0, 160, 160}, .topMost = true, .visible = true}),
          box(this, CommonDef{"box", {10, 10, 130, 130}}, PicBoxDef{.backColor = 0xFFFFFF, .centerShrink = true}) {}
    PicBox box;
};

// How many pixels of the box differ from its white background once it has painted itself.
int PaintedPixels(Win32Desktop& desk, PictureForm& f) {
    const ClientPixels shown(desk.HostOf(f)->HandleOf(f.box));
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if ((shown.At(x, y) & 0xFFFFFF) != 0xFFFFFF) ++differing;
    return differing;
}

TEST(Libraries, WithoutGdiplusAPictureBoxShowsItsBackgroundOnly) {
    Win32Desktop desk;
    PictureForm f;
    ASSERT_TRUE(desk.LoadWindow(f));
    {
        Missing missing(L"gdiplus.dll");
        f.box.Picture(media::kGifIdle);
        Pump(desk, 150);  // a few animation periods: nothing may tick without a picture
        EXPECT_EQ(PaintedPixels(desk, f), 0);
    }
    f.box.Picture(media::kGifRunning);
    Pump(desk, 50);
    EXPECT_GT(PaintedPixels(desk, f), 100) << "with GDI+ back the next picture shows";
    desk.UnloadWindow(f);
    Pump(desk, 30);
    GdiplusSession end;
}

}  // namespace
}  // namespace dida::win32
