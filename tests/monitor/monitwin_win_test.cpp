// The monitor window under Wine on the stand-in spooler, run on a thread of its own as the monitor runs
// it: the hidden "TFormVirtPrinter" with its icon, the tray menu of one virtual printer (only the Windows
// destinations, the current one checked; a choice by the keys stored for the user and 1132 sent to the
// settings dialog), the submenus hidden once a second virtual printer is loaded, messages 26 and 1131,
// the About box, Quit answered No and Yes; DOS printing's items; the service's bare window.
#include "monitor/monitwin_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/cl_tools_broadcast_win.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_prn_printers_host_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/coder_fakes.h"
#include "support/monitor_run_win.h"
#include "support/prn_test_support.h"
#include "ui/forms_win.h"

namespace {

const std::u16string kDestination = u"Client Test PS";

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Waits for the condition while this thread's windows get their messages (the window's thread sends
// to them).
template <class Condition>
bool WaitFor(Condition condition, DWORD ms = 10000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    Pump();
  }
  return true;
}

// Top-level windows of other programs' classes that count the messages the monitor window sends them.
int g_reloads = 0;
int g_serviceCloses = 0;
LRESULT CALLBACK CountingProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_RELOADSETTINGS) ++g_reloads;
  if (msg == WM_CLOSE) {
    ++g_serviceCloses;
    return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}
HWND CountingWindow(const wchar_t* className) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  RegisterClassW(&wc);
  return CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

DWORD WINAPI RunWindowThread(LPVOID argument);
DWORD WINAPI SetEventThread(LPVOID event) {
  SetEvent(static_cast<HANDLE>(event));
  return 0;
}

// One monitor window run over a test printer list: virtual printers in the stand-in spooler and in the
// test's registry roots, Wine's PostScript printer as the current Windows destination.
class MonitorWindow : public ::testing::Test {
  friend DWORD WINAPI RunWindowThread(LPVOID argument);

 protected:
  void SetUp() override {
    ASSERT_TRUE(spooler.StandIn->AddStandInPrinter(MonitoredPrinter(virt)));
    // A destination printer besides Wine's: not a virtual printer, since the list does not hold it.
    ASSERT_TRUE(spooler.StandIn->AddStandInPrinter(StandInPrinter(other)));
    app.Printers = std::make_unique<TPrinters>(CreateWindowsPrintersHost(), machine, user);
    GetCurrentUserName(app.Printers->UserName);
    AddVirtual(virt);
    app.Printers->SetPrintToOfUser(virt, u"", kPrintToWin, kDestination);
    app.Printers->SetPrintToOfUser(virt, u"", kPrintToDos, kDestination);
    ASSERT_TRUE(app.Printers->Refresh());
    app.UpdateEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ctx.App = &app;
    ctx.Log = log;
    ctx.StopEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    ctx.PrinterReadyEvent.Reset(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    SetMessageBoxHook([this](const TMessageBoxRequest& box) {
      boxes.push_back(box.Text);
      return answer;
    });
    SetLaunchProcess([this](const std::u16string& commandLine) { launched.push_back(commandLine); });
    g_reloads = g_serviceCloses = 0;
    editor = CountingWindow(L"TEditVirtPrn");
    service = CountingWindow(L"TMonitService");
  }
  void TearDown() override {
    if (thread) {
      if (wnd) PostMessageW(wnd, WM_CLOSE, 0, 0);
      WaitFor([this] { return WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0; });
    }
    SetMessageBoxHook({});
    SetLaunchProcess({});
    DestroyWindow(editor);
    DestroyWindow(service);
  }

  void AddVirtual(const std::u16string& name) {
    const int32_t i = app.Printers->Add(name);
    app.Printers->Items[i].AllUsers = true;
    app.Printers->Items[i].WinSide = app.Printers->Items[i].DosSide = true;
    app.Printers->SaveAll();
  }

  // Runs the window for the mask and waits until its first rebuild has run.
  void Start(uint8_t mask, bool interactive) {
    ctx.Components = mask;
    app.Interactive = interactive;
    thread.Reset(CreateThread(nullptr, 0, RunWindowThread, this, 0, nullptr));
    ASSERT_TRUE(thread);
    ASSERT_TRUE(WaitFor([this] { return (wnd = FindWindowW(L"TFormVirtPrinter", nullptr)) != nullptr; }));
    form = TFormVirtPrinter::FromHandle(wnd);
    ASSERT_NE(form, nullptr);
    if (interactive) {
      ASSERT_TRUE(WaitFor([this] { return form->Rebuilds() >= 1; }));
    }
  }
  bool Ended() {
    return WaitFor([this] { return WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0; });
  }

  TMenuItem* Item(std::u16string_view caption) {
    TMenuItem& root = form->Menu().Items();
    for (size_t i = 0; i < root.Count(); ++i) {
      if (root[i].Caption == caption) return &root[i];
    }
    return nullptr;
  }
  // The item chosen as the tray menu would choose it: its command posted to the window.
  void Click(std::u16string_view caption) {
    HMENU menu = nullptr;
    UINT position = 0;
    ASSERT_TRUE(form->Realised()->PlaceOf(*Item(caption), menu, position)) << "shown";
    PostMessageW(wnd, WM_COMMAND, GetMenuItemID(menu, static_cast<int>(position)), 0);
  }
  std::u16string StoredPrintTo(uint8_t kind) {
    TPrinters stored(CreateWindowsPrintersHost(), machine, user);
    stored.UserName = app.Printers->UserName;
    stored.Load();
    std::u16string printTo;
    stored.GetPrintTo(virt, printTo, kind);
    return printTo;
  }

  TTestRegistryRoots roots{u"monitwin"};
  TStandInScope spooler{u"monitwin"};
  const std::u16string virt = u"Монитор_" + AnsiToWide(std::to_string(GetCurrentProcessId()));
  const std::u16string other = u"Другой_" + AnsiToWide(std::to_string(GetCurrentProcessId()));
  TRegistryStore machine{roots.Machine.Get()}, user{roots.User.Get()};
  TClientApplication app;
  TMemoryLog log;
  TMonitorContext ctx;
  TKernelHandle thread;
  int32_t result = -1;
  HWND wnd = nullptr;
  TFormVirtPrinter* form = nullptr;
  HWND editor = nullptr, service = nullptr;
  std::vector<std::u16string> boxes;
  int answer = IDNO;
  std::vector<std::u16string> launched;
};

DWORD WINAPI RunWindowThread(LPVOID argument) {
  auto* test = static_cast<MonitorWindow*>(argument);
  RunMonitorWindow(test->ctx, test->result);
  return 0;
}

// The open popup menu's items: captions of the model items they show, checked states, submenus.
struct TShownItem {
  std::u16string Caption;
  bool Checked = false;
  HMENU Submenu = nullptr;
};
std::vector<TShownItem> ShownItems(HMENU menu) {
  std::vector<TShownItem> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA | MIIM_STATE | MIIM_SUBMENU;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii);
    const auto* item = reinterpret_cast<const TMenuItem*>(mii.dwItemData);
    items.push_back({item ? item->Caption : u"?", (mii.fState & MFS_CHECKED) != 0, mii.hSubMenu});
  }
  return items;
}

}  // namespace

TEST_F(MonitorWindow, OneVirtualPrinterTrayMenuDestinationsMessagesAboutAndQuit) {
  const HANDLE printerRan = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ctx.PrinterThread.Reset(CreateThread(nullptr, 0, SetEventThread, printerRan, CREATE_SUSPENDED, nullptr));
  Start(1, true);
  EXPECT_EQ(WaitForSingleObject(printerRan, 5000), WAIT_OBJECT_0) << "the printer monitor thread was resumed";
  CloseHandle(printerRan);

  // The window: hidden, the application's, with its caption and icon; the icon in the notification area.
  EXPECT_FALSE(IsWindowVisible(wnd));
  EXPECT_EQ(GetApplicationWindow(), wnd);
  wchar_t caption[80] = {};
  GetWindowTextW(wnd, caption, 80);
  EXPECT_EQ(FromWStr(caption), u"Tevoran-Клиент. Монитор");
  EXPECT_NE(SendMessageW(wnd, WM_GETICON, ICON_BIG, 0), 0);
  ASSERT_NE(form->TrayIcon(), nullptr);
  EXPECT_TRUE(form->TrayIcon()->Visible());
  EXPECT_EQ(form->TrayIcon()->Hint(), u"Tevoran-Клиент. Монитор");
  EXPECT_EQ(form->PrinterName(), virt);

  // A left click on the icon opens the menu: only the Windows destinations, listing the printers that
  // are not virtual with the current one checked. The other one is chosen with the keys.
  const size_t otherIndex = static_cast<size_t>(app.Printers->OtherPrinters.IndexOf(other));
  ASSERT_LT(otherIndex, static_cast<size_t>(app.Printers->OtherPrinters.Count()));
  SetCursorPos(200, 200);
  PostMessageW(form->TrayIcon()->WindowHandle(), kTrayCallbackMessage, 0, WM_LBUTTONDOWN);
  PostMessageW(form->TrayIcon()->WindowHandle(), kTrayCallbackMessage, 0, WM_LBUTTONUP);
  HWND popup = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (popup = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(popup); }));
  const std::vector<TShownItem> shown = ShownItems(reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)));
  std::vector<std::u16string> captions;
  for (const TShownItem& s : shown) captions.push_back(s.Caption);
  EXPECT_EQ(captions, (std::vector<std::u16string>{u"Принтер для печати Windows", u"-", u"Настройка виртуального принтера",
                                                   u"Настройка формирования штрих-кода", u"-", u"-", u"О программе...",
                                                   u"Завершение работы монитора"}));
  ASSERT_FALSE(shown.empty());
  const std::vector<TShownItem> destinations = ShownItems(shown[0].Submenu);
  ASSERT_EQ(destinations.size(), static_cast<size_t>(app.Printers->OtherPrinters.Count()));
  for (size_t i = 0; i < destinations.size(); ++i) {
    const std::u16string name = app.Printers->OtherPrinters.Get(static_cast<int32_t>(i));
    EXPECT_EQ(destinations[i].Caption, name);
    EXPECT_EQ(destinations[i].Checked, name == kDestination) << "the current destination checked";
  }
  PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(popup, WM_KEYDOWN, VK_RIGHT, 0);
  for (size_t i = 0; i < otherIndex; ++i) PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(WaitFor([] { return g_reloads == 1; })) << "the settings dialog was told";
  EXPECT_EQ(StoredPrintTo(kPrintToWin), other) << "stored for the user";
  EXPECT_EQ(StoredPrintTo(kPrintToDos), kDestination) << "the DOS destination stays";
  const int rebuilt = form->Rebuilds();
  ASSERT_TRUE(WaitFor([&] { return form->Rebuilds() > rebuilt; })) << "the menu was rebuilt";
  TMenuItem& prnToW = *Item(u"Принтер для печати Windows");
  EXPECT_TRUE(prnToW[otherIndex].Checked);

  // Message 26: "devices" and "Windows" ask the printer monitor to reload, "windows" does not.
  const struct {
    const wchar_t* section;
    LRESULT answer;
  } sections[] = {{L"windows", 0}, {L"devices", 1}, {L"Windows", 1}};
  for (const auto& s : sections) {
    ResetEvent(app.UpdateEvent.Get());
    EXPECT_EQ(SendMessageW(wnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(s.section)), s.answer);
    EXPECT_EQ(WaitForSingleObject(app.UpdateEvent.Get(), 0) == WAIT_OBJECT_0, s.answer == 1) << s.answer;
  }
  EXPECT_EQ(SendMessageW(wnd, WM_SETTINGCHANGE, 0, 0), 0) << "no section: not handled";
  EXPECT_EQ(SendMessageW(wnd, WM_ACTIVATEDIALOG, reinterpret_cast<WPARAM>(editor), 0), 1);

  // A second virtual printer reloaded by the printer monitor: no submenu can say whose destination it is.
  {
    ASSERT_TRUE(app.Sync->Enter());
    AddVirtual(u"Второй_" + AnsiToWide(std::to_string(GetCurrentProcessId())));
    const int before = form->Rebuilds();
    app.UpdateCallback();
    app.Sync->Leave();
    ASSERT_TRUE(WaitFor([&] { return form->Rebuilds() > before; }));
  }
  for (std::u16string_view submenu : {u"Принтер для печати Windows", u"Принтер для печати DOS", u"Принтер для печати файлов"})
    EXPECT_FALSE(Item(submenu)->Visible);

  // The launchers, through the menu and directly.
  Click(u"Настройка виртуального принтера");
  ASSERT_TRUE(WaitFor([this] { return launched.size() == 1; }));
  LaunchConfigWin();
  LaunchConfigDos();
  LaunchConfigDirDos();
  EXPECT_EQ(launched, (std::vector<std::u16string>{u"Client.exe /c", u"Client.exe /ConfigWin", u"Client.exe /ConfigDos",
                                                   u"Client.exe /ConfigDirDos"}));

  // The About box over the window, which waits disabled meanwhile.
  Click(u"О программе...");
  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (about = FindWindowW(L"tabout", nullptr)) != nullptr; }));
  EXPECT_FALSE(IsWindowEnabled(wnd));
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([] { return FindWindowW(L"tabout", nullptr) == nullptr; }));
  EXPECT_TRUE(WaitFor([this] { return IsWindowEnabled(wnd) != FALSE; }));

  // Quit: No keeps the monitor, Yes ends it; the service's window is told to close.
  Click(u"Завершение работы монитора");
  ASSERT_TRUE(WaitFor([this] { return boxes.size() == 1; }));
  EXPECT_EQ(boxes[0], u"Вы уверены, что хотите завершить работу программы \"Tevoran-Клиент. Монитор\"?");
  DWORD_PTR ignored = 0;
  EXPECT_NE(SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored), 0);
  EXPECT_TRUE(IsWindow(wnd)) << "answered No";
  answer = IDYES;
  Click(u"Завершение работы монитора");
  ASSERT_TRUE(Ended());
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(g_serviceCloses, 1) << "an interactive monitor closes the service's window";
  EXPECT_FALSE(app.UpdateCallback) << "no rebuild can reach the window that is gone";
  EXPECT_EQ(GetApplicationWindow(), nullptr);
}

TEST_F(MonitorWindow, DosPrintingItemsAndAnOutsideClose) {
  Start(2, true);
  EXPECT_TRUE(Item(u"Настройка виртуального принтера")->Visible);
  EXPECT_TRUE(Item(u"Настройка формирования штрих-кода")->Visible);
  EXPECT_TRUE(Item(u"Настройка печати для DOS")->Visible);
  EXPECT_FALSE(Item(u"Настройка обработки каталога...")->Visible);
  EXPECT_TRUE(Item(u"Принтер для печати DOS")->Visible);
  EXPECT_FALSE(Item(u"Принтер для печати Windows")->Visible);
  EXPECT_FALSE(Item(u"Принтер для печати файлов")->Visible);
  PostMessageW(wnd, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended());
  EXPECT_EQ(result, 0);
  EXPECT_EQ(g_serviceCloses, 1);
}

TEST_F(MonitorWindow, ServiceWindowWithoutTrayEndsOnAnOutsideClose) {
  Start(1, false);
  wchar_t caption[80] = {};
  GetWindowTextW(wnd, caption, 80);
  EXPECT_EQ(FromWStr(caption), u"Virtual Printer Monitor Service");
  EXPECT_EQ(form->TrayIcon(), nullptr);
  EXPECT_EQ(form->Menu().Items().Count(), 0u);
  EXPECT_EQ(SendMessageW(wnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_FALSE(app.UpdateCallback);
  EXPECT_EQ(SendMessageW(wnd, WM_ACTIVATEDIALOG, reinterpret_cast<WPARAM>(editor), 0), 1);
  PostMessageW(wnd, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended());
  EXPECT_EQ(result, 0);
  EXPECT_EQ(g_serviceCloses, 0) << "the service's own window is left alone";
}
