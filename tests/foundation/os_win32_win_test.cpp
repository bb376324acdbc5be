// Named kernel objects between processes, the instance-lock rule, the window search and worker threads.
// The program starts copies of itself in child modes to stand for the program's other processes.
#include "foundation/os_win32_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/lib_file_win.h"
#include "foundation/lib_unicode_win.h"

namespace {
constexpr int kWon = 10;
constexpr int kLost = 20;

std::string Unique(const char* stem) {
  static int n = 0;
  return std::string("ClientTest ") + stem + " " + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++n);
}

// Window titles the child can show, in the system code page.
std::string ChildTitle(int index) {
  return index == 0 ? WideToAnsi(u"Настройка виртуального принтера") : "ClientTest plain title";
}

struct Child {
  PROCESS_INFORMATION pi{};
  bool Started() const { return pi.hProcess != nullptr; }
  DWORD Wait(DWORD ms = 10000) {
    DWORD code = 0xFFFF;
    if (pi.hProcess && WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
  ~Child() {
    if (!pi.hProcess) return;
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
};

// Arguments are quoted one by one; names here contain blanks.
void StartChild(Child& child, const std::vector<std::string>& args) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string cmd = std::string("\"") + self + "\"";
  for (const std::string& a : args) cmd += " \"" + a + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &child.pi);
}

void SetNamedEvent(const std::string& name) {
  TFileHandle ev(OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str()));
  if (ev.Valid()) SetEvent(ev.Get());
}

// --lock name global count startEvent holdMs: waits for the start, tries the lock, holds it.
int ChildLock(char** a) {
  TFileHandle start(OpenEventA(SYNCHRONIZE, FALSE, a[5]));
  if (start.Valid()) WaitForSingleObject(start.Get(), 10000);
  TInstanceLock lock(a[2], std::atoi(a[3]) != 0, std::atoi(a[4]));
  Sleep(static_cast<DWORD>(std::atoi(a[6])));
  return lock.Held() ? kWon : kLost;
}

// --window titleIndex readyEvent lifeMs: a top-level window with the title, for a while.
int ChildWindow(char** a) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ClientTestTitled";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowA(wc.lpszClassName, ChildTitle(std::atoi(a[2])).c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100,
                           100, nullptr, nullptr, wc.hInstance, nullptr);
  if (!wnd) return 2;
  SetNamedEvent(a[3]);
  const DWORD life = static_cast<DWORD>(std::atoi(a[4]));
  const DWORD start = GetTickCount();
  MSG msg;
  while (GetTickCount() - start < life) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(20);
  }
  DestroyWindow(wnd);
  return 0;
}

int RunChildMode(int argc, char** argv) {
  const std::string mode = argv[1];
  if (mode == "--lock" && argc == 7) return ChildLock(argv);
  if (mode == "--exists" && argc == 5)
    return InstanceLockExists(argv[2], std::atoi(argv[3]) != 0, std::atoi(argv[4])) ? kWon : kLost;
  if (mode == "--signal" && argc == 4) {
    SignalNamedEvent(argv[2], std::atoi(argv[3]) != 0);
    return 0;
  }
  if (mode == "--window" && argc == 5) return ChildWindow(argv);
  if (mode == "--switch" && argc >= 3) return HasCmdLineSwitch(argv[2]) ? kWon : kLost;
  if (mode == "--value" && argc >= 3) return TestSwitchValue(AnsiToWide(argv[2])) == u"C:\\a b" ? kWon : kLost;
  return -1;
}

bool g_nt5Up = true;
bool Nt5UpForTest() { return g_nt5Up; }
}  // namespace

TEST(InstanceLock, MutexIsHeldUntilItsHandleCloses) {
  const std::string name = Unique("mutex");
  HANDLE first = CreateInstanceLock(name, false, 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CreateInstanceLock(name, false, 1), nullptr) << "second lock in the same process";
  EXPECT_TRUE(InstanceLockExists(name, false, 1));
  ReleaseInstanceLock(first);
  EXPECT_FALSE(InstanceLockExists(name, false, 1));
  HANDLE again = CreateInstanceLock(name, false, 1);
  EXPECT_NE(again, nullptr) << "free again after the first handle closed";
  ReleaseInstanceLock(again);
}

TEST(InstanceLock, GlobalAndLocalNamesFromWindows2000On) {
  const std::string name = Unique("global");
  TInstanceLock lock(name, true, 1);
  ASSERT_TRUE(lock.Held());
  TFileHandle global(OpenMutexA(SYNCHRONIZE, FALSE, ("Global\\" + name).c_str()));
  EXPECT_TRUE(global.Valid()) << "the lock lives under Global\\";
  TFileHandle local(OpenMutexA(SYNCHRONIZE, FALSE, ("Local\\" + name).c_str()));
  EXPECT_FALSE(local.Valid()) << "and not under Local\\";
  EXPECT_FALSE(InstanceLockExists(name, false, 1)) << "the local name is another object";
  EXPECT_EQ(MakeKernelObjectName(name, true), "Global\\" + name);

  // Another process finds the global lock and cannot take it.
  Child exists, taker;
  StartChild(exists, {"--exists", name, "1", "1"});
  EXPECT_EQ(exists.Wait(), static_cast<DWORD>(kWon));
  StartChild(taker, {"--lock", name, "1", "1", "", "0"});
  EXPECT_EQ(taker.Wait(), static_cast<DWORD>(kLost));
}

TEST(InstanceLock, OldSystemsUseTheBareName) {
  g_nt5Up = false;
  const std::string name = Unique("bare");
  HANDLE lock = CreateInstanceLock(name, true, 3);
  g_nt5Up = true;
  ASSERT_NE(lock, nullptr);
  TFileHandle bare(OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()));
  EXPECT_TRUE(bare.Valid()) << "a mutex under the bare name, whatever the count";
  ReleaseInstanceLock(lock);
}

TEST(InstanceLock, SemaphoreGivesItsSlotsThenNothing) {
  const std::string name = Unique("semaphore");
  HANDLE a = CreateInstanceLock(name, false, 2);
  HANDLE b = CreateInstanceLock(name, false, 2);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(CreateInstanceLock(name, false, 2), nullptr) << "both slots taken";
  EXPECT_TRUE(InstanceLockExists(name, false, 2));
  EXPECT_FALSE(InstanceLockExists(name, false, 1)) << "a mutex of that name does not exist";
  ReleaseInstanceLock(a);
  HANDLE c = CreateInstanceLock(name, false, 2);
  EXPECT_NE(c, nullptr) << "a released slot can be taken while the other holder lives";
  ReleaseInstanceLock(b);
  ReleaseInstanceLock(c);
}

TEST(InstanceLock, ProcessesStartingTogetherHaveOneWinner) {
  const std::string name = Unique("race");
  const std::string startName = Unique("start");
  TFileHandle start(CreateEventA(nullptr, TRUE, FALSE, startName.c_str()));
  constexpr int kProcesses = 6;
  Child children[kProcesses];
  for (Child& c : children) StartChild(c, {"--lock", name, "1", "1", startName, "1500"});
  Sleep(500);  // let every child reach its wait
  SetEvent(start.Get());
  int won = 0, lost = 0;
  for (Child& c : children) {
    const DWORD code = c.Wait();
    won += code == static_cast<DWORD>(kWon);
    lost += code == static_cast<DWORD>(kLost);
  }
  EXPECT_EQ(won, 1);
  EXPECT_EQ(lost, kProcesses - 1);
}

TEST(NamedEvent, AnotherProcessSignalsIt) {
  const std::string name = Unique("event");
  TFileHandle ev(CreateEventA(nullptr, TRUE, FALSE, MakeKernelObjectName(name, true).c_str()));
  ASSERT_TRUE(ev.Valid());
  EXPECT_FALSE(IsHandleSignaled(ev.Get()));
  Child signaller;
  StartChild(signaller, {"--signal", name, "1"});
  EXPECT_EQ(signaller.Wait(), 0u);
  EXPECT_TRUE(IsHandleSignaled(ev.Get()));
  EXPECT_FALSE(IsHandleSignaled(nullptr));
  SignalNamedEvent(Unique("missing"), true);  // nothing to set, nothing happens
}

namespace {
// A child showing a window with one of the titles for lifeMs; true once the window is there.
bool StartWindowChild(Child& child, int titleIndex, int lifeMs) {
  const std::string ready = Unique("ready");
  TFileHandle readyEvent(CreateEventA(nullptr, TRUE, FALSE, ready.c_str()));
  StartChild(child, {"--window", std::to_string(titleIndex), ready, std::to_string(lifeMs)});
  return WaitForSingleObject(readyEvent.Get(), 10000) == WAIT_OBJECT_0;
}
}  // namespace

TEST(ActivateWindowByTitle, FindsExactTitleAndWaitsForItToGo) {
  Child window;
  ASSERT_TRUE(StartWindowChild(window, 0, 1500));
  const std::string title = ChildTitle(0);
  EXPECT_FALSE(ActivateWindowByTitle(title.substr(0, title.size() - 1), false)) << "a prefix is not the title";
  EXPECT_FALSE(ActivateWindowByTitle(WideToAnsi(u"настройка виртуального принтера"), false)) << "case counts";
  EXPECT_TRUE(ActivateWindowByTitle(title, false));
  const DWORD before = GetTickCount();
  EXPECT_TRUE(ActivateWindowByTitle(title, true));
  EXPECT_FALSE(ActivateWindowByTitle(title, false)) << "the wait returned only after the window went";
  EXPECT_LT(GetTickCount() - before, 8000u);
}

TEST(ActivateWindowByTitle, WaitIsBounded) {
  Child window;
  ASSERT_TRUE(StartWindowChild(window, 1, 6000));
  const DWORD before = GetTickCount();
  EXPECT_TRUE(ActivateWindowByTitle(ChildTitle(1), true, 600));
  const DWORD took = GetTickCount() - before;
  EXPECT_GE(took, 500u);
  EXPECT_LT(took, 3000u);
}

TEST(ActivateWindowByTitle, NoSuchWindowReturnsAtOnce) {
  const DWORD before = GetTickCount();
  EXPECT_FALSE(ActivateWindowByTitle("ClientTest no window has this title", true));
  EXPECT_LT(GetTickCount() - before, 1000u);
}

namespace {
struct WorkerState {
  HANDLE stop = nullptr;
  std::atomic<int> loops{0};
};

DWORD WINAPI StoppableWorker(void* p) {
  auto* s = static_cast<WorkerState*>(p);
  while (WaitForSingleObject(s->stop, 10) == WAIT_TIMEOUT) ++s->loops;
  return 0;
}

DWORD WINAPI DeafWorker(void* p) {
  auto* quit = static_cast<std::atomic<bool>*>(p);
  while (!*quit) Sleep(5);
  return 0;
}

DWORD WINAPI QuickWorker(void*) { return 7; }
}  // namespace

TEST(WorkerThread, StartsSuspendedResumesAndStopsOnTheEvent) {
  TFileHandle stop(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  WorkerState state;
  state.stop = stop.Get();
  DWORD id = 0;
  TKernelHandle thread;
  ASSERT_TRUE(StartThread(StoppableWorker, &state, id, true, thread));
  EXPECT_NE(id, 0u);
  EXPECT_TRUE(IsThreadRunning(thread.Get()));
  Sleep(100);
  EXPECT_EQ(state.loops, 0) << "suspended: has not run";
  EXPECT_TRUE(ResumeWorkerThread(thread.Get()));
  Sleep(100);
  EXPECT_GT(state.loops, 0);
  EXPECT_TRUE(PauseWorkerThread(thread.Get()));
  EXPECT_TRUE(ResumeWorkerThread(thread.Get()));
  EXPECT_TRUE(StopThread(stop.Get(), id, thread, 50));
  EXPECT_FALSE(thread.Valid()) << "the handle was closed";
}

TEST(WorkerThread, EndedThreadStopsAtOnce) {
  DWORD id = 0;
  TKernelHandle thread;
  ASSERT_TRUE(StartThread(QuickWorker, nullptr, id, false, thread));
  WaitForSingleObject(thread.Get(), 5000);
  EXPECT_FALSE(IsThreadRunning(thread.Get()));
  const DWORD before = GetTickCount();
  EXPECT_TRUE(StopThread(nullptr, id, thread, 1000));
  EXPECT_LT(GetTickCount() - before, 500u);
  EXPECT_FALSE(thread.Valid());
  EXPECT_FALSE(IsThreadRunning(nullptr));
}

TEST(WorkerThread, ThreadIgnoringTheEventIsLeftRunning) {
  TFileHandle stop(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  std::atomic<bool> quit{false};
  DWORD id = 0;
  TKernelHandle thread;
  ASSERT_TRUE(StartThread(DeafWorker, &quit, id, false, thread));
  const DWORD before = GetTickCount();
  EXPECT_FALSE(StopThread(stop.Get(), id, thread, 10));
  EXPECT_GE(GetTickCount() - before, 150u) << "17 pauses of 10 ms";
  ASSERT_TRUE(thread.Valid()) << "handle stays open";
  EXPECT_TRUE(IsThreadRunning(thread.Get())) << "never ended by force";
  quit = true;
  WaitForSingleObject(thread.Get(), 5000);
}

TEST(CommandLine, SwitchOfTheProcess) {
  struct Case {
    std::vector<std::string> args;
    const char* name;
    int expected;
    const char* why;
  } cases[] = {
      {{"--switch", "Silent", "-silent"}, "Silent", kWon, "dash, case ignored"},
      {{"--switch", "SILENT", "/Silent"}, "SILENT", kWon, "slash"},
      {{"--switch", "Silent", "Silent"}, "Silent", kLost, "the word without - or / is no switch"},
      {{"--switch", "Silent", "-Silently"}, "Silent", kLost, "a longer word is another switch"},
  };
  for (const Case& c : cases) {
    Child child;
    StartChild(child, c.args);
    EXPECT_EQ(child.Wait(), static_cast<DWORD>(c.expected)) << c.why;
  }
}

TEST(CommandLine, TestSwitchFromTheEnvironmentOrAnArgument) {
  struct Case {
    std::vector<std::string> args;
    const char* environment;  // nullptr: not set
    int expected;
    const char* why;
  } cases[] = {
      {{"--value", "CLIENT_TEST_VALUE", "CLIENT_TEST_VALUE=C:\\a b"}, nullptr, kWon,
       "the argument, as a service gets it"},
      {{"--value", "CLIENT_TEST_VALUE", "client_test_value=C:\\a b"}, nullptr, kWon, "the name in any case"},
      {{"--value", "CLIENT_TEST_VALUE", "CLIENT_TEST_VALUE=C:\\other"}, "C:\\a b", kWon, "the environment first"},
      {{"--value", "CLIENT_TEST_VALUE", "/CLIENT_TEST_VALUE"}, nullptr, kLost, "neither"},
  };
  for (const Case& c : cases) {
    SetEnvironmentVariableA("CLIENT_TEST_VALUE", c.environment);
    Child child;
    StartChild(child, c.args);
    EXPECT_EQ(child.Wait(), static_cast<DWORD>(c.expected)) << c.why;
  }
  SetEnvironmentVariableA("CLIENT_TEST_VALUE", nullptr);
}

namespace {
char gText[] = "devices";

DWORD WINAPI StopAfterAWhile(void* stopEvent) {
  Sleep(50);
  SetEvent(static_cast<HANDLE>(stopEvent));
  return 0;
}
}  // namespace

TEST(SafeRead, TextAtAnyAddress) {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  const size_t page = info.dwPageSize;
  // A readable page followed by an unreadable one: text running to the boundary cannot be read.
  auto* base = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(base, nullptr);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(base + page, page, PAGE_NOACCESS, &old));
  char* edge = base + page - 3;
  std::memcpy(edge, "Win", 3);
  std::string text = "x";
  EXPECT_TRUE(ReadAnsiTextAt(gText, 256, text));
  EXPECT_EQ(text, "devices");
  EXPECT_FALSE(ReadAnsiTextAt(edge, 256, text)) << "no NUL before the unreadable page";
  EXPECT_TRUE(text.empty());
  edge[2] = '\0';
  EXPECT_TRUE(ReadAnsiTextAt(edge, 256, text)) << "the NUL is the page's last byte";
  EXPECT_EQ(text, "Wi");
  EXPECT_FALSE(ReadAnsiTextAt(base + page, 256, text)) << "unreadable";
  EXPECT_FALSE(ReadAnsiTextAt(nullptr, 256, text));
  EXPECT_FALSE(ReadAnsiTextAt(reinterpret_cast<const void*>(16), 256, text));
  EXPECT_TRUE(ReadAnsiTextAt(gText, 7, text)) << "seven letters fit seven";
  EXPECT_FALSE(ReadAnsiTextAt(gText, 6, text)) << "one more does not";
  VirtualFree(base, 0, MEM_RELEASE);
}

TEST(WorkerThread, RunGateHoldsUntilOpenedOrStopped) {
  TKernelHandle stop(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  TKernelHandle gate(CreateEventA(nullptr, TRUE, TRUE, nullptr));
  EXPECT_FALSE(WaitRunGate(stop.Get(), nullptr)) << "no gate: never paused";
  EXPECT_FALSE(WaitRunGate(stop.Get(), gate.Get())) << "open";
  ResetEvent(gate.Get());
  DWORD id = 0;
  TKernelHandle stopper;
  ASSERT_TRUE(StartThread(StopAfterAWhile, stop.Get(), id, false, stopper));
  EXPECT_TRUE(WaitRunGate(stop.Get(), gate.Get())) << "a stop ends the pause";
  EXPECT_FALSE(IsHandleSignaled(stop.Get())) << "the signal was taken";
  SetEvent(gate.Get());
  SetEvent(stop.Get());
  EXPECT_TRUE(WaitRunGate(stop.Get(), gate.Get())) << "open, but the stop comes first";
  WaitForSingleObject(stopper.Get(), 5000);
}

int main(int argc, char** argv) {
  SetNT5UpQuery(Nt5UpForTest);
  if (argc >= 2 && std::strncmp(argv[1], "--", 2) == 0 && std::strncmp(argv[1], "--gtest", 7) != 0)
    return RunChildMode(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
