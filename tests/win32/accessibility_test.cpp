// The four windows as a screen reader reads them. Each control is read back through the system's proxy
// (AccessibleObjectFromWindow, get_accName, get_accRole), as Wine has it. Wine's annotation object refuses
// every annotation (E_NOTIMPL), so the test puts in its place one that does what Windows documents: it
// accepts each annotation and the annotated value overrides the proxy's. What the reader gets is then the
// annotation where there is one, else the proxy's answer.
#include <initguid.h>
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/win32/win32_accessibility.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_system_calls.h"
#include "platform/win32/win32_text.h"
#include "pump.h"
#include "ui/forms.h"

namespace dida::win32 {
namespace {

// ---------------------------------------------------------------- the annotation object, as on Windows

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof a) < 0; }
};

// Accepts every annotation of a window's client object and keeps it until it is cleared.
class KeptAnnotations final : public IAccPropServices {
public:
    struct Value {
        std::optional<std::wstring> text;
        std::optional<LONG> number;
    };
    std::map<HWND, std::map<GUID, Value, GuidLess>> props;
    int made = 0;  // how many times the program asked for the object

    std::optional<std::wstring> Text(HWND h, const GUID& prop) const {
        const Value* v = Find(h, prop);
        return v ? v->text : std::nullopt;
    }
    std::optional<LONG> Number(HWND h, const GUID& prop) const {
        const Value* v = Find(h, prop);
        return v ? v->number : std::nullopt;
    }

    HRESULT WINAPI QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IAccPropServices) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return 2; }
    ULONG WINAPI Release() override { return 1; }
    HRESULT WINAPI SetHwndProp(HWND h, DWORD obj, DWORD child, MSAAPROPID prop, VARIANT var) override {
        if (!ClientOf(obj, child) || var.vt != VT_I4) return E_INVALIDARG;
        props[h][prop] = Value{std::nullopt, var.lVal};
        return S_OK;
    }
    HRESULT WINAPI SetHwndPropStr(HWND h, DWORD obj, DWORD child, MSAAPROPID prop, LPCWSTR str) override {
        if (!ClientOf(obj, child) || !str) return E_INVALIDARG;
        props[h][prop] = Value{std::wstring(str), std::nullopt};
        return S_OK;
    }
    HRESULT WINAPI ClearHwndProps(HWND h, DWORD obj, DWORD child, const MSAAPROPID* ids, int n) override {
        if (!ClientOf(obj, child)) return E_INVALIDARG;
        auto it = props.find(h);
        if (it == props.end()) return S_OK;  // clearing what was never set succeeds
        for (int i = 0; i < n; ++i) it->second.erase(ids[i]);
        if (it->second.empty()) props.erase(it);
        return S_OK;
    }
    HRESULT WINAPI SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI SetPropServer(const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHwndPropServer(HWND, DWORD, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE**, DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI DecomposeHwndIdentityString(const BYTE*, DWORD, HWND*, DWORD*, DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override { return E_NOTIMPL; }
    HRESULT WINAPI ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*, DWORD*) override { return E_NOTIMPL; }

private:
    static bool ClientOf(DWORD obj, DWORD child) {
        return obj == static_cast<DWORD>(OBJID_CLIENT) && child == static_cast<DWORD>(CHILDID_SELF);
    }
    const Value* Find(HWND h, const GUID& prop) const {
        const auto it = props.find(h);
        if (it == props.end()) return nullptr;
        const auto v = it->second.find(prop);
        return v == it->second.end() ? nullptr : &v->second;
    }
};

KeptAnnotations g_kept;

HRESULT WINAPI KeptAnnotationsObject(IAccPropServices** out) {
    ++g_kept.made;
    *out = &g_kept;
    return S_OK;
}

// ---------------------------------------------------------------- reading as a screen reader does

std::wstring ClassOf(HWND h) {
    wchar_t buf[64] = {};
    GetClassNameW(h, buf, 64);
    return buf;
}

struct ProxyAnswer {
    bool found = false;
    std::wstring name;
    LONG role = 0;
};

ProxyAnswer AskProxy(HWND h) {
    ProxyAnswer a;
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(h, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&acc))) ||
        !acc)
        return a;
    a.found = true;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (acc->get_accName(self, &name) == S_OK && name) a.name = name;
    SysFreeString(name);
    VARIANT role{};
    if (SUCCEEDED(acc->get_accRole(self, &role)) && role.vt == VT_I4) a.role = role.lVal;
    acc->Release();
    return a;
}

// The role Windows' proxy gives each standard control ("Supported User Interface Elements Reference"); a
// button the program draws and a class of the program's own are only a client area to it.
LONG DocumentedProxyRole(HWND h) {
    const std::wstring cls = ClassOf(h);
    if (cls == L"Button") {
        const LONG type = GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK;
        return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_CLIENT;
    }
    if (cls == L"Static") return ROLE_SYSTEM_STATICTEXT;
    if (cls == L"Edit") return ROLE_SYSTEM_TEXT;
    if (cls == L"ComboBox") return ROLE_SYSTEM_COMBOBOX;
    return ROLE_SYSTEM_CLIENT;
}

struct Heard {
    std::wstring name;
    LONG role = 0;
    bool hidden = false;
};

Heard WhatAReaderGets(HWND h) {
    const ProxyAnswer proxy = AskProxy(h);
    Heard heard;
    heard.name = g_kept.Text(h, PROPID_ACC_NAME).value_or(proxy.name);
    heard.role = g_kept.Number(h, PROPID_ACC_ROLE).value_or(DocumentedProxyRole(h));
    heard.hidden = (g_kept.Number(h, PROPID_ACC_STATE).value_or(0) & STATE_SYSTEM_INVISIBLE) != 0;
    return heard;
}

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override {
        g_kept.props.clear();
        g_kept.made = 0;
    }
    HWND HandleOf(Window& w, Component& c) { return desk.HostOf(w)->HandleOf(c); }

    Win32Desktop desk;
    StandIn<decltype(SystemCalls::CreateAccPropServices)> annotations{Sys().CreateAccPropServices,
                                                                      &KeptAnnotationsObject};
};

struct ControlRow {
    Component* c;
    const wchar_t* name;
    LONG role;
    bool hidden;
};

TEST_F(Accessibility, EveryControlOfTheFourWindowsHasItsNameAndRole) {
    MainForm bar;
    StopwatchForm stopwatch;
    FullScreenForm rest;
    WarningForm warning;
    struct WindowRows {
        Window* w;
        std::vector<ControlRow> rows;
    } windows[] = {
        {&bar,
         {
             {&bar.组合框类型, L"类型", ROLE_SYSTEM_COMBOBOX, false},
             {&bar.标签设定, L"     时    分    秒", ROLE_SYSTEM_STATICTEXT, false},
             {&bar.标签2, L"", ROLE_SYSTEM_STATICTEXT, false},
             // Without their own names the proxy took the hidden ring duration before them: "180".
             {&bar.时1, L"时", ROLE_SYSTEM_TEXT, false},
             {&bar.分1, L"分", ROLE_SYSTEM_TEXT, false},
             {&bar.秒1, L"秒", ROLE_SYSTEM_TEXT, false},
             {&bar.组合框声音, L"动作", ROLE_SYSTEM_COMBOBOX, false},
             {&bar.超级按钮开始, L"点击关闭声音", ROLE_SYSTEM_PUSHBUTTON, false},
             {&bar.超级按钮最小化, L"隐藏到托盘", ROLE_SYSTEM_PUSHBUTTON, false},
             {&bar.超级按钮1, L"关闭软件", ROLE_SYSTEM_PUSHBUTTON, false},
             {&bar.标签闹铃时长, L"180", ROLE_SYSTEM_STATICTEXT, true},
             {&bar.标签全屏时间, L"300", ROLE_SYSTEM_STATICTEXT, true},
             {&bar.标签1, L"", ROLE_SYSTEM_STATICTEXT, true},
         }},
        {&stopwatch,
         {
             {&stopwatch.图片框3, L"", ROLE_SYSTEM_GRAPHIC, true},
             {&stopwatch.标签秒时间, L"0", ROLE_SYSTEM_STATICTEXT, false},
             {&stopwatch.图片框1, L"心情动画", ROLE_SYSTEM_GRAPHIC, false},
             {&stopwatch.标签提示, L"按“空格”或“回车”键 开始/停止", ROLE_SYSTEM_STATICTEXT, false},
             {&stopwatch.标签2, L"上次时间：         秒", ROLE_SYSTEM_STATICTEXT, false},
             {&stopwatch.标签上次, L"", ROLE_SYSTEM_STATICTEXT, false},
             {&stopwatch.标签3, L"本次时间：         秒", ROLE_SYSTEM_STATICTEXT, false},
             {&stopwatch.标签本次, L"", ROLE_SYSTEM_STATICTEXT, false},
             {&stopwatch.按钮1, L"开始", ROLE_SYSTEM_PUSHBUTTON, false},
         }},
        {&rest, {{&rest.编辑框全屏, L"休息提醒", ROLE_SYSTEM_TEXT, false}}},
        {&warning,
         {
             {&warning.标签1, L"离关机还有     秒！", ROLE_SYSTEM_STATICTEXT, false},
             {&warning.标签2, L"30", ROLE_SYSTEM_STATICTEXT, false},
             {&warning.按钮1, L"取消关机", ROLE_SYSTEM_PUSHBUTTON, false},
         }},
    };
    for (WindowRows& wr : windows) {
        const std::string window = wr.w->name();
        ASSERT_TRUE(desk.LoadWindow(*wr.w)) << window;
        const int before = g_kept.made;
        // Nothing is annotated, and COM is not needed, until an assistive program asks.
        EXPECT_TRUE(g_kept.props.empty()) << window;
        for (const ControlRow& r : wr.rows) {
            const std::string what = window + "." + r.c->name();
            HWND h = HandleOf(*wr.w, *r.c);
            ASSERT_NE(h, nullptr) << what;
            const Heard heard = WhatAReaderGets(h);
            EXPECT_EQ(Narrow(heard.name), Narrow(r.name)) << what;
            EXPECT_EQ(heard.role, r.role) << what;
            EXPECT_EQ(heard.hidden, r.hidden) << what;
            // The proxy is found for every control, and where Wine's proxy knows the class, its role agrees.
            const ProxyAnswer proxy = AskProxy(h);
            EXPECT_TRUE(proxy.found) << what;
            if (proxy.role != ROLE_SYSTEM_CLIENT) {
                EXPECT_EQ(proxy.role, DocumentedProxyRole(h)) << what;
            }
        }
        EXPECT_EQ(g_kept.made, before + 1) << window << ": one annotation object for the window";
        std::vector<HWND> handles;
        for (const ControlRow& r : wr.rows) handles.push_back(HandleOf(*wr.w, *r.c));
        desk.UnloadWindow(*wr.w);
        Pump(desk, 30);
        // Each window takes its annotations off its controls before they go.
        for (HWND h : handles) EXPECT_EQ(g_kept.props.count(h), 0u) << window;
    }
}

TEST_F(Accessibility, TheSpeakerIsNamedByItsTipOfTheMoment) {
    MainForm bar;
    ASSERT_TRUE(desk.LoadWindow(bar));
    HWND speaker = HandleOf(bar, bar.超级按钮开始);
    for (const char* tip : {"停止当前音乐", "已设置为静音", "点击关闭声音"}) {
        bar.超级按钮开始.ToolTip(tip);
        EXPECT_EQ(Narrow(WhatAReaderGets(speaker).name), tip);
    }
    desk.UnloadWindow(bar);
    Pump(desk, 30);
}

// ---------------------------------------------------------------- the live region

// What a screen reader listening for live regions gets: the event, and the name it then reads.
struct LiveEvent {
    HWND hwnd;
    LONG object, child;
    std::string spoken;
};
std::vector<LiveEvent> g_live;

void CALLBACK OnLiveRegion(HWINEVENTHOOK, DWORD event, HWND h, LONG object, LONG child, DWORD, DWORD) {
    if (event == kEventLiveRegionChanged) g_live.push_back({h, object, child, Narrow(WhatAReaderGets(h).name)});
}

// Out of context, as a reader in its own process listens: the events come through this thread's queue.
class LiveRegionHook {
public:
    LiveRegionHook()
        : hook_(SetWinEventHook(kEventLiveRegionChanged, kEventLiveRegionChanged, nullptr, &OnLiveRegion,
                                GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT)) {
        g_live.clear();
    }
    ~LiveRegionHook() { UnhookWinEvent(hook_); }
    bool installed() const { return hook_ != nullptr; }

private:
    HWINEVENTHOOK hook_;
};

TEST_F(Accessibility, TheStatusLabelSpeaksAsTheCountdownStartsAndWhenItIsDueButNotEachSecond) {
    const LiveRegionHook hook;
    ASSERT_TRUE(hook.installed());
    Program p(desk);
    desk.SetStartWindow(&p.main);
    p.Start();
    ASSERT_TRUE(p.main.loaded());
    MainForm& m = p.main;
    HWND status = HandleOf(m, m.标签2);
    m.组合框类型.UserSelected(0);
    m.时1.Content("0");
    m.分1.Content("0");
    m.秒1.Content("3");
    m.组合框声音.UserSelected(9);  // 关屏: no sound, no window
    ASSERT_TRUE(PumpUntil(
        desk, [] { return !g_live.empty(); }, 2000))
        << "the arming is told";
    EXPECT_EQ(g_live[0].hwnd, status);
    EXPECT_EQ(g_live[0].object, OBJID_CLIENT);
    EXPECT_EQ(g_live[0].child, CHILDID_SELF);
    EXPECT_EQ(g_live[0].spoken, "剩余：0小时0分3秒");
    EXPECT_EQ(g_kept.Number(status, kLiveSettingProperty), kLiveAssertive);

    ASSERT_TRUE(PumpUntil(
        desk, [&] { return m.标签2.Caption() == "剩余：0小时0分1秒"; }, 4000));
    Pump(desk, 50);
    EXPECT_EQ(g_live.size(), 1u) << "the seconds counted down are not told";
    ASSERT_TRUE(PumpUntil(
        desk, [] { return g_live.size() >= 2; }, 4000))
        << "the moment is told";
    EXPECT_EQ(g_live[1].hwnd, status);
    EXPECT_EQ(g_live[1].spoken, "注意，到时间了！！！");
    EXPECT_EQ(m.标签2.Caption(), "剩余：0小时0分0秒") << "what the label shows is unchanged";
    desk.UnloadWindow(m);
    Pump(desk, 30);
}

TEST_F(Accessibility, AnAnnouncedTextNamesTheLabelUntilItShowsAnother) {
    MainForm bar;
    ASSERT_TRUE(desk.LoadWindow(bar));
    HWND status = HandleOf(bar, bar.标签2);
    bar.标签2.Caption("14时0分0秒");
    const struct {
        const char* announced;  // nullptr: the label shows something new instead
        const char* caption;
        const char* heard;
    } steps[] = {
        {"注意，到时间了！！！", nullptr, "注意，到时间了！！！"},
        {nullptr, "14时0分1秒", "14时0分1秒"},
        {"14时0分1秒", nullptr, "14时0分1秒"},
    };
    for (const auto& s : steps) {
        if (s.announced) desk.Announce(bar.标签2, s.announced);
        if (s.caption) bar.标签2.Caption(s.caption);
        EXPECT_EQ(Narrow(WhatAReaderGets(status).name), s.heard) << (s.announced ? s.announced : s.caption);
    }
    EXPECT_FALSE(g_kept.Text(status, PROPID_ACC_NAME)) << "a text the label shows needs no name of its own";
    desk.UnloadWindow(bar);
    Pump(desk, 30);
}

}  // namespace
}  // namespace dida::win32
