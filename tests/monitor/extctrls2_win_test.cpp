// The notification-area icon through the real shell calls, recorded on their way: the record as the
// build lays it out, mouse events in order, the menu at the cursor, the taskbar's return, animation,
// hints and balloons, failures, and the 8-bit branch of the 9x family.
#include "monitor/extctrls2_win.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <thread>
#include <vector>

#include "foundation/lib_api.h"
#include "foundation/lib_unicode_win.h"
#include "support/win_fixtures.h"

namespace {

// What one call passed, read from either record.
struct TCall {
  DWORD Message = 0;
  bool Wide = true;
  DWORD Size = 0;
  HWND Wnd = nullptr;
  UINT Id = 0;
  UINT Flags = 0;
  UINT CallbackMessage = 0;
  HICON Icon = nullptr;
  std::u16string Tip, Info, Title;
  UINT Timeout = 0;
  DWORD InfoFlags = 0;
  bool Result = false;
};

template <class Char, size_t N>
std::u16string FieldText(const Char (&field)[N], bool& terminated) {
  size_t n = 0;
  while (n < N && field[n]) ++n;
  terminated = n < N;
  if constexpr (sizeof(Char) == 1) {
    return AnsiToWide(std::string_view(field, n));
  } else {
    return FromWStr(field, n);
  }
}

// Passes every call on to the shell and keeps what it passed; an add or a removal can be made to fail
// as when no taskbar is there.
class TRecordingShell : public TTrayShell {
 public:
  std::vector<TCall> Calls;
  bool FailAdd = false, FailDelete = false;
  bool AllTerminated = true;

  bool NotifyW(DWORD message, NOTIFYICONDATAW& r) override {
    TCall c = Read(message, r);
    c.Result = Fails(message) ? false : TTrayShell::NotifyW(message, r);
    Calls.push_back(c);
    return c.Result;
  }
  bool NotifyA(DWORD message, NOTIFYICONDATAA& r) override {
    TCall c = Read(message, r);
    c.Wide = false;
    c.Result = Fails(message) ? false : TTrayShell::NotifyA(message, r);
    Calls.push_back(c);
    return c.Result;
  }
  size_t Count(DWORD message) const {
    size_t n = 0;
    for (const TCall& c : Calls) n += c.Message == message;
    return n;
  }

 private:
  bool Fails(DWORD message) const { return (FailAdd && message == NIM_ADD) || (FailDelete && message == NIM_DELETE); }
  template <class Record>
  TCall Read(DWORD message, const Record& r) {
    TCall c;
    c.Message = message;
    c.Size = r.cbSize;
    c.Wnd = r.hWnd;
    c.Id = r.uID;
    c.Flags = r.uFlags;
    c.CallbackMessage = r.uCallbackMessage;
    c.Icon = r.hIcon;
    bool t1 = false, t2 = false, t3 = false;
    c.Tip = FieldText(r.szTip, t1);
    c.Info = FieldText(r.szInfo, t2);
    c.Title = FieldText(r.szInfoTitle, t3);
    AllTerminated = AllTerminated && t1 && t2 && t3;
    c.Timeout = r.uTimeout;
    c.InfoFlags = r.dwInfoFlags;
    return c;
  }
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    Pump();
    Sleep(5);
  }
}

// The shell's mouse report for the icon, posted to its window as the taskbar does.
void Report(const TTrayIcon& icon, UINT mouseMessage) {
  PostMessageW(icon.WindowHandle(), kTrayCallbackMessage, 0, mouseMessage);
  Pump();
}

// An owner window for the menu, which records the commands and WM_NULL it gets.
std::vector<UINT> g_ownerMessages;
LRESULT CALLBACK OwnerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) g_ownerMessages.push_back(LOWORD(wp));
  if (msg == WM_NULL) g_ownerMessages.push_back(0);
  return DefWindowProcW(wnd, msg, wp, lp);
}

HWND MakeOwner() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = OwnerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TrayTestOwner";
  RegisterClassExW(&wc);
  return CreateWindowExW(0, L"TrayTestOwner", L"owner", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

class TrayIconTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetProgramTitle(u"Tevoran-Клиент");
    // The taskbar of the virtual desktop comes with the first window of the session.
    HWND first = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < 500 && !FindWindowW(L"Shell_TrayWnd", nullptr); ++i) Sleep(10);
    DestroyWindow(first);
  }
  TRecordingShell shell;
};

}  // namespace

TEST_F(TrayIconTest, RecordAsTheBuildLaysItOut) {
  // The shell-version-5 record without the GUID: its size is where the GUID would begin.
  EXPECT_EQ(NOTIFYICONDATAW_V2_SIZE, offsetof(NOTIFYICONDATAW, guidItem));
  EXPECT_EQ(NOTIFYICONDATAA_V2_SIZE, offsetof(NOTIFYICONDATAA, guidItem));
  {
    TTrayIcon icon(nullptr, &shell);
    ASSERT_NE(icon.WindowHandle(), nullptr);
    EXPECT_TRUE(shell.Calls.empty()) << "a hidden icon tells the shell nothing";
    EXPECT_EQ(icon.CurrentIcon(), nullptr);
    icon.SetVisible(true);
    ASSERT_EQ(shell.Calls.size(), 1u);
    const TCall& add = shell.Calls[0];
    EXPECT_EQ(add.Message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(add.Result) << "the real Shell_NotifyIconW adds the icon";
    EXPECT_TRUE(add.Wide);
    EXPECT_EQ(add.Size, NOTIFYICONDATAW_V2_SIZE);
    EXPECT_EQ(add.Wnd, icon.WindowHandle());
    EXPECT_EQ(add.Id, static_cast<UINT>(reinterpret_cast<UINT_PTR>(icon.WindowHandle())));
    EXPECT_EQ(add.Flags, kNifMessage | kNifIcon | kNifTip);
    EXPECT_EQ(add.CallbackMessage, kTrayCallbackMessage);
    EXPECT_EQ(add.Tip, u"Tevoran-Клиент") << "the tip starts as the program's title";
    EXPECT_EQ(add.Timeout, TTrayIcon::kDefaultBalloonTimeout);
    EXPECT_NE(add.Icon, nullptr) << "no icon set: the application's icon";
    EXPECT_EQ(add.Icon, icon.CurrentIcon());
    icon.SetVisible(false);
    ASSERT_EQ(shell.Calls.size(), 2u);
    EXPECT_EQ(shell.Calls[1].Message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(shell.Calls[1].Result);
  }
  EXPECT_EQ(shell.Calls.back().Message, static_cast<DWORD>(NIM_DELETE)) << "the destructor removes the icon";
  EXPECT_TRUE(shell.AllTerminated);
}

TEST_F(TrayIconTest, MouseEventsInOrder) {
  TTrayIcon icon(nullptr, &shell);
  std::vector<std::string> log;
  icon.OnMouseDown = [&](TTrayIcon&, TMouseButton b, TShiftState s, int, int) {
    log.push_back("down" + std::to_string(static_cast<int>(b)) + ":" +
                  std::to_string(s & (ssLeft | ssRight | ssMiddle)));
  };
  icon.OnMouseUp = [&](TTrayIcon&, TMouseButton b, TShiftState s, int, int) {
    log.push_back("up" + std::to_string(static_cast<int>(b)) + ":" + std::to_string(s & (ssLeft | ssRight | ssMiddle)));
  };
  icon.OnClick = [&](TTrayIcon&) { log.push_back("click"); };
  icon.OnDblClick = [&](TTrayIcon&) { log.push_back("dbl"); };
  icon.OnMouseMove = [&](TTrayIcon&, TShiftState, int, int) { log.push_back("move"); };
  icon.SetVisible(true);

  struct Case {
    std::vector<UINT> messages;
    std::vector<std::string> events;
    const char* why;
  } cases[] = {
      {{WM_LBUTTONDOWN, WM_LBUTTONUP}, {"down0:8", "click", "up0:8"}, "press and release: down, click, up"},
      {{WM_LBUTTONUP}, {"up0:8"}, "a release without a press: no click"},
      {{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONUP}, {"down0:8", "click", "up0:8", "up0:8"}, "one click per press"},
      {{WM_MBUTTONDOWN, WM_MBUTTONUP}, {"down2:32", "up2:32"}, "middle button: no click"},
      {{WM_RBUTTONDOWN, WM_RBUTTONUP}, {"down1:16", "up1:16"}, "right button without a menu"},
      {{WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK}, {"dbl", "dbl", "dbl"}, "double clicks"},
      {{WM_MOUSEMOVE, 1026, 1029}, {"move"}, "balloon shown and clicked do nothing"},
  };
  for (const Case& c : cases) {
    log.clear();
    for (const UINT m : c.messages) Report(icon, m);
    EXPECT_EQ(log, c.events) << c.why;
  }

  // A failing handler ends inside the window procedure.
  icon.OnClick = [](TTrayIcon&) { throw std::runtime_error("handler"); };
  Report(icon, WM_LBUTTONDOWN);
  EXPECT_EQ(SendMessageW(icon.WindowHandle(), kTrayCallbackMessage, 0, WM_LBUTTONUP), 0);
}

namespace {
struct TMenuSeen {
  RECT Rect{};
  bool Found = false;
};
// Waits for the popup menu, notes where it is and chooses its first item with the keys.
void WatchMenu(TMenuSeen* seen) {
  for (int i = 0; i < 300; ++i) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu && IsWindowVisible(menu)) {
      GetWindowRect(menu, &seen->Rect);
      seen->Found = true;
      PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
      return;
    }
    Sleep(10);
  }
}
}  // namespace

TEST_F(TrayIconTest, RightReleasePopsTheMenuUpAtTheCursor) {
  const HWND owner = MakeOwner();
  ASSERT_NE(owner, nullptr);
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 501, L"Настройки");
  AppendMenuW(menu, MF_STRING, 502, L"Выход");
  TTrayIcon icon(owner, &shell);
  icon.SetPopupMenu(menu);
  icon.SetVisible(true);
  POINT at{-1, -1};
  icon.OnMouseUp = [&](TTrayIcon&, TMouseButton, TShiftState, int x, int y) { at = {x, y}; };
  SetCursorPos(300, 250);
  Pump();
  g_ownerMessages.clear();
  TMenuSeen seen;
  std::thread watcher(WatchMenu, &seen);
  SendMessageW(icon.WindowHandle(), kTrayCallbackMessage, 0, WM_RBUTTONUP);
  watcher.join();
  Pump();
  ASSERT_TRUE(seen.Found) << "the menu opened";
  // The desktop is shared with other programs that may move the cursor later: the menu is compared
  // with where the icon saw the cursor at the release.
  EXPECT_EQ(seen.Rect.left, at.x) << "the menu's corner at the cursor";
  EXPECT_EQ(seen.Rect.top, at.y);
  // The chosen item's command reaches the owner, and WM_NULL follows the menu.
  ASSERT_EQ(g_ownerMessages.size(), 2u);
  EXPECT_EQ(g_ownerMessages[0], 501u);
  EXPECT_EQ(g_ownerMessages[1], 0u);
  DestroyMenu(menu);
  DestroyWindow(owner);
}

TEST_F(TrayIconTest, TaskbarCreatedAddsOnlyAVisibleIcon) {
  TTrayIcon icon(nullptr, &shell);
  SendMessageW(icon.WindowHandle(), TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(shell.Calls.empty()) << "a hidden icon stays away";
  icon.SetVisible(true);
  shell.Calls.clear();
  SendMessageW(icon.WindowHandle(), TaskbarCreatedMessage(), 0, 0);
  ASSERT_EQ(shell.Calls.size(), 1u);
  EXPECT_EQ(shell.Calls[0].Message, static_cast<DWORD>(NIM_ADD));
}

TEST_F(TrayIconTest, FailedCallsRaiseAndKeepTheValue) {
  TTrayIcon icon(nullptr, &shell);
  shell.FailAdd = true;
  try {
    icon.SetVisible(true);
    ADD_FAILURE() << "no error raised";
  } catch (const EOutOfResources& e) {
    EXPECT_STREQ(e.what(), "Cannot create shell notification icon");
  }
  EXPECT_TRUE(icon.Visible()) << "the value stays, so the taskbar's return adds it";
  shell.FailAdd = false;
  shell.Calls.clear();
  SendMessageW(icon.WindowHandle(), TaskbarCreatedMessage(), 0, 0);
  ASSERT_EQ(shell.Calls.size(), 1u);
  EXPECT_TRUE(shell.Calls[0].Result);

  shell.FailDelete = true;
  EXPECT_THROW(icon.SetVisible(false), EOutOfResources);
  EXPECT_FALSE(icon.Visible());
  shell.FailDelete = false;
}

TEST_F(TrayIconTest, AnimationStepsThroughTheFrames) {
  HIMAGELIST frames = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 0);
  ASSERT_NE(frames, nullptr);
  for (const auto id : {IDI_APPLICATION, IDI_WARNING, IDI_ERROR}) {
    ImageList_AddIcon(frames, LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(id)));
  }
  ASSERT_EQ(ImageList_GetImageCount(frames), 3);
  TTrayIcon icon(nullptr, &shell);
  std::vector<int> seenByOnAnimate;
  icon.OnAnimate = [&](TTrayIcon& i) { seenByOnAnimate.push_back(i.IconIndex()); };
  icon.SetIcons(frames);
  icon.SetAnimate(true);
  icon.SetVisible(true);
  std::vector<int> shown;
  std::vector<HICON> sent;
  for (int tick = 0; tick < 4; ++tick) {
    shell.Calls.clear();
    SendMessageW(icon.WindowHandle(), WM_TIMER, 1, 0);
    shown.push_back(icon.IconIndex());
    ASSERT_FALSE(shell.Calls.empty());
    sent.push_back(shell.Calls.back().Icon);
    EXPECT_EQ(shell.Calls.back().Message, static_cast<DWORD>(NIM_MODIFY));
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 0, 1}));
  EXPECT_EQ(seenByOnAnimate, (std::vector<int>{0, 1, 2, 0})) << "OnAnimate runs before the step";
  EXPECT_NE(sent[0], nullptr);

  // The timer of the component drives it by itself.
  icon.SetAnimateInterval(20);
  seenByOnAnimate.clear();
  PumpFor(300);
  EXPECT_FALSE(seenByOnAnimate.empty());

  icon.SetAnimate(false);
  EXPECT_NE(icon.Icon(), nullptr) << "the frame on show stays as Icon";
  seenByOnAnimate.clear();
  PumpFor(100);
  EXPECT_TRUE(seenByOnAnimate.empty()) << "the timer stopped";
  icon.SetVisible(false);
  ImageList_Destroy(frames);
}

TEST_F(TrayIconTest, HintsAndTheirTexts) {
  TTrayIcon icon(nullptr, &shell);
  icon.SetHint(u"Монитор");
  EXPECT_TRUE(shell.Calls.empty()) << "a hidden icon is not modified";
  icon.SetVisible(true);
  struct Case {
    std::u16string hint;
    size_t calls;
    UINT tipFlag;
    std::u16string tip;
    const char* why;
  } cases[] = {
      {u"Монитор", 0, kNifTip, u"", "the same text sends nothing"},
      {u"Монитор \u2713", 1, kNifTip, u"Монитор \u2713", "a change"},
      {u"Монитор \u2714", 1, kNifTip, u"Монитор \u2714", "a letter outside the code page still counts"},
      {std::u16string(200, u'ж'), 1, kNifTip, std::u16string(127, u'ж'), "cut at 127"},
      {u"", 1, 0, u"", "an empty hint removes the tip flag"},
  };
  for (const Case& c : cases) {
    shell.Calls.clear();
    icon.SetHint(c.hint);
    ASSERT_EQ(shell.Calls.size(), c.calls) << c.why;
    if (c.calls == 0) continue;
    EXPECT_EQ(shell.Calls[0].Message, static_cast<DWORD>(NIM_MODIFY)) << c.why;
    EXPECT_EQ(shell.Calls[0].Flags & kNifTip, c.tipFlag) << c.why;
    if (c.tipFlag) {
      EXPECT_EQ(shell.Calls[0].Tip, c.tip) << c.why;
    }
  }
  EXPECT_TRUE(shell.AllTerminated);
}

TEST_F(TrayIconTest, BalloonsComeAndGo) {
  TTrayIcon icon(nullptr, &shell);
  icon.SetBalloonTitle(std::u16string(100, u'T'));
  ASSERT_EQ(shell.Calls.size(), 1u) << "balloon texts go to the shell even while hidden";
  EXPECT_EQ(shell.Calls[0].Title, std::u16string(63, u'T'));
  icon.SetBalloonHint(std::u16string(300, u'б'));
  ASSERT_EQ(shell.Calls.size(), 2u);
  EXPECT_EQ(shell.Calls[1].Info, std::u16string(255, u'б'));
  icon.SetBalloonHint(std::u16string(300, u'б'));
  EXPECT_EQ(shell.Calls.size(), 2u) << "the same text sends nothing";

  icon.SetVisible(true);
  icon.SetBalloonFlags(TBalloonFlags::bfWarning);
  icon.SetBalloonTimeout(5000);
  shell.Calls.clear();
  EXPECT_TRUE(icon.ShowBalloon());
  ASSERT_EQ(shell.Calls.size(), 1u);
  EXPECT_EQ(shell.Calls[0].Flags & kNifInfo, kNifInfo);
  EXPECT_EQ(shell.Calls[0].InfoFlags, static_cast<DWORD>(NIIF_WARNING));
  EXPECT_EQ(shell.Calls[0].Timeout, 5000u);

  for (const UINT gone : {1027u, 1028u}) {
    icon.ShowBalloon();
    Report(icon, gone);
    EXPECT_EQ(icon.Flags() & kNifInfo, 0u) << gone;
    shell.Calls.clear();
    icon.SetHint(u"другая подсказка " + FromWStr(std::to_wstring(gone).c_str()));
    ASSERT_EQ(shell.Calls.size(), 1u);
    EXPECT_EQ(shell.Calls[0].Flags & kNifInfo, 0u) << "a later modification does not show it again";
  }
}

TEST_F(TrayIconTest, SessionEndAndOtherMessages) {
  TTrayIcon icon(nullptr, &shell);
  icon.SetVisible(true);
  EXPECT_EQ(SendMessageW(icon.WindowHandle(), WM_QUERYENDSESSION, 0, 0), 1);
  shell.Calls.clear();
  SendMessageW(icon.WindowHandle(), WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(shell.Calls.empty()) << "a session that goes on keeps the icon";
  SendMessageW(icon.WindowHandle(), WM_ENDSESSION, TRUE, 0);
  ASSERT_EQ(shell.Calls.size(), 1u);
  EXPECT_EQ(shell.Calls[0].Message, static_cast<DWORD>(NIM_DELETE));
  // Messages the icon does not handle get the default answers.
  EXPECT_TRUE(SendMessageW(icon.WindowHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"tray")));
  EXPECT_EQ(GetWindowTextLengthW(icon.WindowHandle()), 4);
}

TEST_F(TrayIconTest, NinetyFiveFamilyTakesThe8BitRecord) {
  TPlatformGuard platform(VER_PLATFORM_WIN32_WINDOWS);
  TTrayIcon icon(nullptr, &shell);
  icon.SetHint(u"Монитор печати");
  icon.SetVisible(true);
  ASSERT_EQ(shell.Calls.size(), 1u);
  const TCall& add = shell.Calls[0];
  EXPECT_FALSE(add.Wide);
  EXPECT_EQ(add.Size, NOTIFYICONDATAA_V2_SIZE);
  EXPECT_TRUE(add.Result) << "Shell_NotifyIconA adds the icon";
  EXPECT_EQ(add.Tip, u"Монитор печати") << "through the code page";
  icon.SetHint(std::u16string(200, u'ж'));
  EXPECT_EQ(shell.Calls.back().Tip, std::u16string(127, u'ж'));
  EXPECT_TRUE(shell.AllTerminated);
}

TEST_F(TrayIconTest, IconSetterShowsACopy) {
  TTrayIcon icon(nullptr, &shell);
  HICON warning = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_WARNING));
  icon.SetIcon(warning);
  ASSERT_NE(icon.Icon(), nullptr);
  EXPECT_NE(icon.Icon(), warning) << "a copy of its own";
  icon.SetVisible(true);
  EXPECT_EQ(shell.Calls.back().Icon, icon.CurrentIcon());
  EXPECT_NE(icon.CurrentIcon(), nullptr);
}
