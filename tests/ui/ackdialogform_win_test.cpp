// The copies dialog's window driven by window messages under Wine: what it shows, typing and presets,
// the countdown's ticks, the focus that stops it, the close box, errors with the question box, the
// 1131 it posts to the application window, and ShowAckDialog's modal loop on another thread.
#include "ui/ackdialogform_win.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <thread>

#include "foundation/cl_tools_broadcast_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_unicode_win.h"
#include "support/win_fixtures.h"
#include "ui/ack_rig.h"
#include "ui/ackdialogform_res.h"
#include "ui/frmlib_win.h"

namespace {

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::u16string ClassName(HWND wnd) {
  wchar_t name[64] = {};
  const int n = GetClassNameW(wnd, name, 64);
  return FromWStr(name, n > 0 ? static_cast<size_t>(n) : 0);
}

std::u16string StatusText(HWND status, int panel) {
  wchar_t buf[256] = {};
  SendMessageW(status, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(buf));
  return FromWStr(buf);
}

void Type(HWND control, std::u16string_view text) {
  HWND edit = FindWindowExW(control, nullptr, L"Edit", nullptr);
  for (const char16_t c : text) SendMessageW(edit ? edit : control, WM_CHAR, c, 1);
}

// One form over a rig, shown modelessly on this thread; its timer is the test's to tick.
struct TShownForm {
  TAckRig rig;
  TContext context{rig.host, u"P1"};
  std::unique_ptr<TAckPresenter> presenter;
  std::unique_ptr<TAckDialogForm> form;

  explicit TShownForm(std::string_view initial = "CCN", bool errors = false, bool job = true) {
    rig.errors.Add(u"Поле \"ИНН\" не заполнено");
    rig.job.Document = u"Счёт №5";
    rig.job.PrinterName = u"Tevoran";
    presenter = std::make_unique<TAckPresenter>(rig.store, rig.Request(context, initial, errors, job));
    presenter->LogBegin();
    form = std::make_unique<TAckDialogForm>(*presenter);
    EXPECT_TRUE(form->ShowModeless());
    KillTimer(Wnd(), TAckDialogForm::kTimer1);
    Pump();
  }
  HWND Wnd() const { return form->Handle(); }
  HWND Item(int id) const { return GetDlgItem(Wnd(), id); }
  std::u16string Text(int id) const { return WindowTextOf(Item(id)); }
  int Tick() {
    SendMessageW(Wnd(), WM_TIMER, TAckDialogForm::kTimer1, 0);
    Pump();
    return form->Closed() ? 1 : 0;
  }
  void MoveFocus(int id) {
    SetFocus(Item(id));
    Pump();
  }
};

}  // namespace

TEST(AckDialogWin, ShowsTheJobAndStartsOnOk) {
  TShownForm f("CCN");
  const HWND wnd = f.Wnd();
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(ClassName(wnd), u"TAckDialogForm") << "other processes find the dialog by its class";
  EXPECT_EQ(WindowTextOf(wnd), u"Копии... Tevoran-Клиент");
  EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetWindow(wnd, GW_OWNER), nullptr);
  EXPECT_EQ(f.Text(IDC_ACK_EDITTYPEDOC), u"Счёт-фактура");
  EXPECT_EQ(f.Text(IDC_ACK_EDITCOPIES), u"3");
  EXPECT_EQ(f.Text(IDC_ACK_CPAGES), u"Первая и вторая");
  EXPECT_EQ(SendMessageW(f.Item(IDC_ACK_CPAGES), CB_GETCOUNT, 0, 0), 6);
  EXPECT_EQ(SendMessageW(f.Item(IDC_ACK_EDITCOPIES), CB_GETCOUNT, 0, 0), 6);
  EXPECT_EQ(GetFocus(), f.Item(IDOK));
  EXPECT_TRUE(IsWindowVisible(f.Item(IDC_ACK_MINFO)));
  EXPECT_EQ(f.Text(IDC_ACK_MINFO).rfind(u"Документ: \"Счёт №5\"\r\nПринтер: \"Tevoran\"", 0), 0u);
  EXPECT_EQ(StatusText(f.Item(IDC_ACK_STATBAR), 1), u"Разрешен ");
  EXPECT_FALSE(StatusText(f.Item(IDC_ACK_STATBAR), 0).empty());
  EXPECT_NE(SendMessageW(f.Item(IDC_ACK_IMAGELOGO), STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "the logo";
  // The status bar sits at the bottom of the laid-out form, under the memo.
  RECT memo{}, status{}, client{};
  GetWindowRect(f.Item(IDC_ACK_MINFO), &memo);
  GetWindowRect(f.Item(IDC_ACK_STATBAR), &status);
  GetClientRect(wnd, &client);
  MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  EXPECT_GT(status.top, memo.bottom);
  EXPECT_EQ(status.bottom, client.bottom);
}

TEST(AckDialogWin, WithoutJobTheMemoIsHiddenAndTheFormShorter) {
  TShownForm withJob("C", false, true);
  TShownForm without("C", false, false);
  EXPECT_FALSE(IsWindowVisible(without.Item(IDC_ACK_MINFO)));
  RECT a{}, b{};
  GetWindowRect(withJob.Wnd(), &a);
  GetWindowRect(without.Wnd(), &b);
  EXPECT_LT(b.bottom - b.top, a.bottom - a.top);
}

struct TTooltipSearch {
  HWND form;
  HWND tooltip;
};

static BOOL CALLBACK TakeFormTooltip(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<TTooltipSearch*>(lp);
  if (GetWindow(w, GW_OWNER) == s->form && ClassName(w) == u"tooltips_class32") s->tooltip = w;
  return TRUE;
}

TEST(AckDialogWin, HintsAreTooltips) {
  TShownForm f;
  // The form's tooltip window is owned by it.
  TTooltipSearch search{f.Wnd(), nullptr};
  EnumThreadWindows(GetCurrentThreadId(), TakeFormTooltip, reinterpret_cast<LPARAM>(&search));
  const HWND tooltip = search.tooltip;
  ASSERT_NE(tooltip, nullptr);
  // Copies and pages with their edits, and the memo.
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 5);
  wchar_t text[256] = {};
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = f.Wnd();
  info.uId = reinterpret_cast<UINT_PTR>(f.Item(IDC_ACK_CPAGES));
  info.lpszText = text;
  SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(FromWStr(text), u"Указанные копии документа будут содержать штрих-код");
}

TEST(AckDialogWin, CountdownPressesOkOnThe101stTick) {
  TShownForm f("CNC");
  f.Tick();
  EXPECT_EQ(f.Text(IDOK), u"OK (100)");
  int ticks = 1;
  for (; !f.form->Closed() && ticks < 200; ++ticks) f.Tick();
  EXPECT_EQ(ticks, 101);
  EXPECT_EQ(f.form->Result(), kAckResultOk);
  const TAckOutcome outcome = f.presenter->Finish();
  EXPECT_EQ(outcome.Answer, "CNC");
  EXPECT_EQ(f.rig.log.Lines,
            (std::vector<std::u16string>{u"--> Dialog: Begin, data: \"CNC\"", u"--> Dialog: \"Ok\", data: \"CNC\""}));
  EXPECT_EQ(f.rig.ContextValue(u"Option"), u"CNC");
}

TEST(AckDialogWin, TypingPresetsAndFocusThatStopsTheCountdown) {
  TShownForm f("C");
  f.Tick();
  EXPECT_EQ(f.Text(IDOK), u"OK (100)");
  // Focus leaves OK: the countdown stops for good and OK says so.
  f.MoveFocus(IDC_ACK_EDITCOPIES);
  EXPECT_EQ(f.Text(IDOK), u"OK");
  SetWindowTextW(f.Item(IDC_ACK_EDITCOPIES), L"");
  Type(f.Item(IDC_ACK_EDITCOPIES), u"3x");
  EXPECT_EQ(f.Text(IDC_ACK_EDITCOPIES), u"3") << "only digits stay in the count";
  f.MoveFocus(IDC_ACK_CPAGES);
  SetWindowTextW(f.Item(IDC_ACK_CPAGES), L"");
  Type(f.Item(IDC_ACK_CPAGES), u"1, 2");
  f.MoveFocus(IDOK);
  EXPECT_EQ(f.Text(IDC_ACK_CPAGES), u"Первая и вторая") << "a typed preset becomes the preset on leaving";
  EXPECT_EQ(SendMessageW(f.Item(IDC_ACK_CPAGES), CB_GETCURSEL, 0, 0), 1);
  for (int i = 0; i < 150; ++i) f.Tick();
  EXPECT_FALSE(f.form->Closed()) << "no tick presses OK once the countdown stopped";
  EXPECT_EQ(f.Text(IDOK), u"OK");
  // A preset chosen from the list: no code on any copy.
  SendMessageW(f.Item(IDC_ACK_CPAGES), CB_SETCURSEL, 5, 0);
  SendMessageW(f.Item(IDOK), BM_CLICK, 0, 0);
  Pump();
  ASSERT_TRUE(f.form->Closed());
  const TAckOutcome outcome = f.presenter->Finish();
  EXPECT_EQ(outcome.Answer, "NNN");
  EXPECT_EQ(outcome.CodeMode, kCodeModeNoPrint);
}

TEST(AckDialogWin, CloseBoxAndEscapeAreCancel) {
  for (const bool closeBox : {true, false}) {
    TShownForm f("CC");
    if (closeBox) {
      SendMessageW(f.Wnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      SendMessageW(f.Wnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(f.Item(IDCANCEL)));
    }
    Pump();
    ASSERT_TRUE(f.form->Closed());
    EXPECT_EQ(f.form->Result(), closeBox ? kAckResultNone : kAckResultCancel);
    EXPECT_EQ(f.presenter->Finish().Answer, "");
    EXPECT_EQ(f.rig.log.Lines.back(), u"--> Dialog: \"Cancel\"");
    EXPECT_EQ(f.rig.ContextValue(u"Option"), u"");
  }
}

TEST(AckDialogWin, ErrorsAskBeforeOkAndYesIsIgnore) {
  TShownForm f("CN", true);
  EXPECT_EQ(GetFocus(), f.Item(IDCANCEL));
  EXPECT_EQ(f.Text(IDC_ACK_MINFO).rfind(u"Обнаружены ошибки в заполнении документа:\r\nПоле \"ИНН\" не заполнено\r\n", 0), 0u);
  f.Tick();
  EXPECT_EQ(f.Text(IDOK), u"OK") << "no countdown with errors";
  std::vector<TMessageBoxRequest> asked;
  SetMessageBoxHook([&](const TMessageBoxRequest& r) {
    asked.push_back(r);
    return IDYES;
  });
  const HWND wnd = f.Wnd();
  SendMessageW(f.Item(IDOK), BM_CLICK, 0, 0);
  Pump();
  SetMessageBoxHook({});
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].Text, u"Вы уверены, что хотите продолжить печать?");
  EXPECT_NE(asked[0].Caption.find(u"Обнаружены ошибки"), std::u16string::npos);
  EXPECT_EQ(asked[0].Flags & (MB_YESNO | MB_ICONSTOP), static_cast<UINT>(MB_YESNO | MB_ICONSTOP));
  EXPECT_EQ(asked[0].Owner, wnd);
  ASSERT_TRUE(f.form->Closed());
  EXPECT_EQ(f.form->Result(), kAckResultIgnore);
  EXPECT_EQ(f.presenter->Finish().Answer, "CN");
  EXPECT_EQ(f.rig.log.Lines.back(), u"--> Dialog: \"Ignore\", data: \"CN\"");
}

namespace {
std::vector<std::pair<UINT, WPARAM>> g_appMessages;
LRESULT CALLBACK AppWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ACTIVATEDIALOG) g_appMessages.emplace_back(msg, wp);
  return DefWindowProcW(wnd, msg, wp, lp);
}
}  // namespace

TEST(AckDialogWin, PostsActivateToTheApplicationWindowWhenNotInFront) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = AppWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"AckTestApplicationWindow";
  RegisterClassW(&wc);
  HWND app = CreateWindowW(wc.lpszClassName, L"app", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(app, nullptr);
  SetApplicationWindow(app);
  TShownForm f("C");
  HWND other = CreateWindowW(L"Static", L"in front", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  Pump();
  ASSERT_NE(GetForegroundWindow(), f.Wnd());
  g_appMessages.clear();
  SendMessageW(f.Wnd(), WM_TIMER, TAckDialogForm::kTimer1, 0);
  // Posted: it waits in the queue instead of having run inside the tick.
  EXPECT_TRUE(g_appMessages.empty());
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, app, WM_ACTIVATEDIALOG, WM_ACTIVATEDIALOG, PM_REMOVE));
  EXPECT_EQ(reinterpret_cast<HWND>(msg.wParam), f.Wnd());
  EXPECT_EQ(msg.lParam, 0);
  // In front now, the next tick posts nothing.
  Pump();
  SetForegroundWindow(f.Wnd());
  Pump();
  if (GetForegroundWindow() == f.Wnd()) {
    SendMessageW(f.Wnd(), WM_TIMER, TAckDialogForm::kTimer1, 0);
    EXPECT_FALSE(PeekMessageW(&msg, app, WM_ACTIVATEDIALOG, WM_ACTIVATEDIALOG, PM_REMOVE));
  }
  SetApplicationWindow(nullptr);
  DestroyWindow(other);
  DestroyWindow(app);
}

namespace {
// A key of its own under HKEY_LOCAL_MACHINE, where ShowAckDialog reads "SavePgDlg"; removed at both ends.
struct TMachineKey {
  std::u16string path = u"Software\\Kavrel\\ClientTests\\Ack_" + FromWStr(std::to_wstring(GetCurrentProcessId()).c_str());
  TMachineKey() { Remove(); }
  ~TMachineKey() { Remove(); }
  void Remove() const { RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(path)); }
};

HWND WaitForForm() {
  for (int i = 0; i < 500; ++i) {
    if (HWND wnd = FindWindowW(L"TAckDialogForm", L"Копии... Tevoran-Клиент")) return wnd;
    Sleep(10);
  }
  return nullptr;
}
}  // namespace

TEST(AckDialogWin, ShowAckDialogRunsItsLoopOnTheCallingThread) {
  TMachineKey key;
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, WStr(key.path + u"\\SF01"), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  const DWORD one = 1;
  RegSetValueExW(k, L"SavePgDlg", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  RegCloseKey(k);

  TMemoryContextHost host;
  TMemoryLog log;
  struct Run {
    std::string answer = "unset";
    uint8_t codeMode = kCodeModePrint;
    std::atomic<DWORD> thread{0};
  };
  auto show = [&](Run& run, std::string_view initial) {
    TContext context(host, u"P1");
    run.thread = GetCurrentThreadId();
    ShowAckDialog(key.path, TDocIdClass::CreateFromText("SF01"), u"Акт", u"Tevoran-Клиент", std::string(initial), log,
                  run.codeMode, context, nullptr, nullptr, run.answer);
  };

  // First job: the countdown runs out; the form belongs to the thread that called.
  Run first;
  std::thread t1([&] { show(first, "CN"); });
  HWND wnd = WaitForForm();
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(GetWindowThreadProcessId(wnd, nullptr), first.thread);
  for (int i = 0; i < 200 && IsWindow(wnd); ++i) SendMessageW(wnd, WM_TIMER, TAckDialogForm::kTimer1, 0);
  t1.join();
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(first.answer, "CN");
  EXPECT_EQ(first.codeMode, kCodeModePrint);

  // Second job of the type starts with the first job's answer (SavePgDlg 1), whatever the caller gives;
  // the close box cancels it.
  Run second;
  std::thread t2([&] { show(second, "NNNN"); });
  wnd = WaitForForm();
  ASSERT_NE(wnd, nullptr);
  wchar_t copies[16] = {};
  GetWindowTextW(GetDlgItem(wnd, IDC_ACK_EDITCOPIES), copies, 16);
  EXPECT_EQ(FromWStr(copies), u"2");
  PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  t2.join();
  EXPECT_EQ(second.answer, "");
  EXPECT_EQ((host.Values[{u"P1", u"Option"}]), u"");
  EXPECT_EQ((host.Values[{u"P1", u"SF01"}]), u"CN");
  EXPECT_EQ(log.Lines, (std::vector<std::u16string>{u"--> Dialog: Begin, data: \"CN\"", u"--> Dialog: \"Ok\", data: \"CN\"",
                                                    u"--> Dialog: Begin, data: \"NNNN\"", u"--> Dialog: \"Cancel\""}));

  // The thread's own loop is told to end: the dialog ends as cancelled and hands WM_QUIT back.
  Run ended;
  bool quitHandedBack = false;
  std::thread t3([&] {
    show(ended, "C");
    MSG msg;
    quitHandedBack = PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  });
  wnd = WaitForForm();
  ASSERT_NE(wnd, nullptr);
  while (!ended.thread) Sleep(1);
  PostThreadMessageW(ended.thread, WM_QUIT, 0, 0);
  t3.join();
  EXPECT_EQ(ended.answer, "");
  EXPECT_TRUE(quitHandedBack);
  EXPECT_FALSE(IsWindow(wnd));

  // Where boxes are not shown, nothing is shown and the answer comes at once.
  SetDisableGUI(true);
  Run quiet;
  show(quiet, "CN");
  SetDisableGUI(false);
  EXPECT_EQ(quiet.answer, "CN");
  EXPECT_EQ(FindWindowW(L"TAckDialogForm", nullptr), nullptr);
}

TEST(AckDialogWin, JobPaperFormatInTheLayoutOfTheSpoolerCalls) {
  // On the 9x family the job came through the 8-bit calls: its device settings are a DEVMODEA.
  TPlatformGuard nineX(VER_PLATFORM_WIN32_WINDOWS);
  _JOBINFO job;
  job.DevMode.assign(sizeof(DEVMODEA), 0);
  reinterpret_cast<DEVMODEA*>(job.DevMode.data())->dmPaperLength = 2970;
  reinterpret_cast<DEVMODEA*>(job.DevMode.data())->dmPaperWidth = 2100;
  TMemoryContextHost host;
  std::u16string memo;
  std::string answer = "unset";
  std::thread t([&] {
    TContext context(host, u"P1");
    uint8_t codeMode = kCodeModePrint;
    ShowAckDialog(u"Software\\Kavrel\\ClientTests\\None", TDocIdClass::CreateFromText("SF01"), u"Акт",
                  u"Tevoran-Клиент", "C", nullptr, codeMode, context, nullptr, &job, answer);
  });
  const HWND wnd = WaitForForm();
  if (wnd) {
    wchar_t text[1024] = {};
    GetWindowTextW(GetDlgItem(wnd, IDC_ACK_MINFO), text, 1024);
    memo = FromWStr(text);
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
  t.join();
  ASSERT_NE(wnd, nullptr);
  EXPECT_NE(memo.find(u"Формат: 210.00x297.00\r\n"), std::u16string::npos) << WideToUtf8(memo);
  EXPECT_EQ(answer, "");
}
