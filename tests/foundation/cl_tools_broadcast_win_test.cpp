// Broadcasts by window class across processes: this program starts copies of itself that each open a
// window of the class and report, through a named event, the messages they get.
#include "foundation/cl_tools_broadcast_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/lib_api_win.h"

namespace {
std::string g_eventName;

LRESULT CALLBACK ReceiverProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_RELOADSETTINGS) {
    HANDLE ev = OpenEventA(EVENT_MODIFY_STATE, FALSE, g_eventName.c_str());
    if (ev) {
      SetEvent(ev);
      CloseHandle(ev);
    }
    return 0;
  }
  if (msg == WM_CLOSE) {
    DestroyWindow(wnd);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

// Child mode: a window of the given class until WM_CLOSE (or 20 s), answering WM_RELOADSETTINGS.
int RunReceiver(const char* className, const char* eventName, const char* readyName) {
  g_eventName = eventName;
  WNDCLASSA wc{};
  wc.lpfnWndProc = ReceiverProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className;
  RegisterClassA(&wc);
  HWND wnd = CreateWindowA(className, "receiver", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  if (!wnd) return 2;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName);
  if (ready) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  if (std::strcmp(readyName + std::strlen(readyName) - 5, "_hung") == 0) {
    Sleep(20000);  // a hung process: its window never answers
    return 0;
  }
  SetTimer(wnd, 1, 20000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    DispatchMessageA(&msg);
  }
  return 0;
}

struct Receiver {
  PROCESS_INFORMATION pi{};
  HANDLE got = nullptr;
};

Receiver StartReceiver(const std::string& className, int n, bool hung = false) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string tag = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(n) + (hung ? "_hung" : "");
  const std::string got = "ClientTestGot_" + tag;
  const std::string readyName = "ClientTestReady_" + tag;
  Receiver r;
  r.got = CreateEventA(nullptr, TRUE, FALSE, got.c_str());
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
  std::string cmd = std::string("\"") + self + "\" --receiver " + className + " " + got + " " + readyName;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &r.pi)) {
    WaitForSingleObject(ready, 10000);
  }
  CloseHandle(ready);
  return r;
}

void Finish(Receiver& r) {
  if (r.pi.hProcess) {
    if (WaitForSingleObject(r.pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(r.pi.hProcess, 1);
    CloseHandle(r.pi.hProcess);
    CloseHandle(r.pi.hThread);
  }
  CloseHandle(r.got);
}
}  // namespace

TEST(Broadcast, ReachesEveryWindowOfTheClassInOtherProcesses) {
  // Class names of this run only, so test runs side by side on one Wine server do not count each
  // other's windows. Class atoms are case-insensitive, so a name differing only in case cannot be told
  // apart here; a longer name must not match.
  const std::string cls = "TEditVirtPrn" + std::to_string(GetCurrentProcessId());
  Receiver a = StartReceiver(cls, 1);
  Receiver b = StartReceiver(cls, 2);
  Receiver other = StartReceiver(cls + "X", 3);
  EXPECT_EQ(BroadcastToWindowClass(cls, WM_RELOADSETTINGS), 2);
  EXPECT_EQ(WaitForSingleObject(a.got, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(b.got, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(other.got, 300), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(BroadcastToWindowClass(cls, WM_CLOSE), 2);
  EXPECT_EQ(BroadcastToWindowClass(cls + "X", WM_CLOSE), 1);
  Finish(a);
  Finish(b);
  Finish(other);
}

TEST(Broadcast, NotifyPrinterEditorReachesTheSettingsDialogs) {
  Receiver a = StartReceiver("TEditVirtPrn", 5);
  Receiver b = StartReceiver("TEditVirtPrn", 6);
  NotifyPrinterEditor();
  EXPECT_EQ(WaitForSingleObject(a.got, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(b.got, 5000), WAIT_OBJECT_0);
  TerminateProcess(a.pi.hProcess, 0);
  TerminateProcess(b.pi.hProcess, 0);
  Finish(a);
  Finish(b);
}

TEST(Broadcast, CloseMonitorWindowEndsTheMonitor) {
  Receiver monitor = StartReceiver("TMonitService", 4);
  CloseMonitorWindow();
  EXPECT_EQ(WaitForSingleObject(monitor.pi.hProcess, 5000), WAIT_OBJECT_0);
  Finish(monitor);
}

TEST(Broadcast, AWindowThatDoesNotAnswerIsSkippedAfterTheTimeOut) {
  const std::string cls = "TEditVirtPrnHung" + std::to_string(GetCurrentProcessId());
  Receiver hung = StartReceiver(cls, 7, true);
  Receiver live = StartReceiver(cls, 8);
  const DWORD before = GetTickCount();
  EXPECT_EQ(BroadcastToWindowClass(cls, WM_RELOADSETTINGS), 2);
  const DWORD took = GetTickCount() - before;
  EXPECT_GE(took, 4500u) << "the hung window is given its 5 s";
  EXPECT_LT(took, 9000u) << "and no more: the sender goes on";
  EXPECT_EQ(WaitForSingleObject(live.got, 5000), WAIT_OBJECT_0) << "the window that answers still gets it";
  TerminateProcess(hung.pi.hProcess, 0);
  TerminateProcess(live.pi.hProcess, 0);
  Finish(hung);
  Finish(live);
}

TEST(Broadcast, NoWindowOfTheClassReturnsAtOnce) {
  const DWORD before = GetTickCount();
  EXPECT_EQ(BroadcastToWindowClass("NoSuchClassAnywhere", WM_RELOADSETTINGS), 0);
  EXPECT_LT(GetTickCount() - before, 1000u);
}

TEST(Broadcast, ConfirmQuitAsksAndTakesTheAnswer) {
  TMessageBoxRequest seen;
  int answer = IDYES;
  SetMessageBoxHook([&](const TMessageBoxRequest& r) {
    seen = r;
    return answer;
  });
  EXPECT_TRUE(ConfirmQuit(u"Tevoran-Клиент", nullptr));
  EXPECT_NE(seen.Text.find(u"Вы уверены, что хотите завершить работу программы \"Tevoran-Клиент\"?"),
            std::u16string::npos);
  EXPECT_NE(seen.Caption.find(u"Внимание!"), std::u16string::npos);
  EXPECT_EQ(seen.Flags & (MB_YESNO | MB_ICONQUESTION), static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  answer = IDNO;
  EXPECT_FALSE(ConfirmQuit(u"Tevoran-Клиент", nullptr));
  SetMessageBoxHook(nullptr);
}

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--receiver") == 0) return RunReceiver(argv[2], argv[3], argv[4]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
