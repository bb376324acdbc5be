// The service controller against Wine's real service manager: this test program registers itself as a
// service (started with --service), starts and stops it, and reads its states.
#include "foundation/os_win32_svc_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/lib_unicode_win.h"

namespace {
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SERVICE_STATUS g_status{};
DWORD g_exitCodeOnStop = 0;
HANDLE g_stopEvent = nullptr;

void Report(DWORD state, DWORD exitCode = 0) {
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  g_status.dwWin32ExitCode = exitCode;
  SetServiceStatus(g_statusHandle, &g_status);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
  if (control == SERVICE_CONTROL_STOP) {
    Report(SERVICE_STOPPED, g_exitCodeOnStop);
    SetEvent(g_stopEvent);
  }
  return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
  g_statusHandle = RegisterServiceCtrlHandlerExW(L"", Handler, nullptr);
  g_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Report(SERVICE_RUNNING);
  WaitForSingleObject(g_stopEvent, 30000);
}

int RunAsService() {
  SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(L""), ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}

std::u16string SelfPath() {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  return FromWStr(buf, n);
}

// Registers this program as a service for the test's duration.
class TestService {
 public:
  TestService(const std::u16string& name, const std::u16string& mode) : name_(name) {
    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    const std::u16string command = u"\"" + SelfPath() + u"\" " + mode;
    Remove(scm);
    SC_HANDLE svc = CreateServiceW(scm, WStr(name_), WStr(name_), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                   SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, WStr(command), nullptr, nullptr,
                                   nullptr, nullptr, nullptr);
    created_ = svc != nullptr;
    if (svc) CloseServiceHandle(svc);
    CloseServiceHandle(scm);
  }
  ~TestService() {
    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    Remove(scm);
    CloseServiceHandle(scm);
  }
  bool Created() const { return created_; }

 private:
  void Remove(SC_HANDLE scm) {
    SC_HANDLE svc = OpenServiceW(scm, WStr(name_), SERVICE_ALL_ACCESS);
    if (!svc) return;
    SERVICE_STATUS st;
    ControlService(svc, SERVICE_CONTROL_STOP, &st);
    DeleteService(svc);
    CloseServiceHandle(svc);
  }
  std::u16string name_;
  bool created_ = false;
};

// Names of this run only: test runs side by side on one Wine server must not share a service.
std::u16string UniqueName(const std::u16string& base) {
  const std::string pid = std::to_string(GetCurrentProcessId());
  return base + std::u16string(pid.begin(), pid.end());
}

bool WaitFor(TNTServiceControlManager& svc, bool (TNTServiceControlManager::*state)() const) {
  for (int i = 0; i < 100; ++i) {
    if ((svc.*state)()) return true;
    Sleep(50);
  }
  return false;
}
}  // namespace

TEST(ServiceController, StartsQueriesAndStopsARealService) {
  const std::u16string name = UniqueName(u"ClientTestSvc");
  TestService registered(name, u"--service");
  ASSERT_TRUE(registered.Created());
  TNTServiceControlManager svc(name);
  ASSERT_TRUE(svc.IsOpen());
  EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_TRUE(svc.IsStopped());
  EXPECT_FALSE(svc.IsRunning());
  std::string text = "unchanged";
  ServiceStateText(svc, text);
  EXPECT_EQ(text, "Stopped");

  ASSERT_TRUE(svc.Start());
  ASSERT_TRUE(WaitFor(svc, &TNTServiceControlManager::IsRunning));
  ServiceStateText(svc, text);
  EXPECT_EQ(text, "Running");
  EXPECT_FALSE(svc.IsStopped());

  EXPECT_TRUE(svc.Stop());
  EXPECT_TRUE(WaitFor(svc, &TNTServiceControlManager::IsStopped));
}

TEST(ServiceController, StopAnswersFalseWhenTheServiceEndsWithAnError) {
  const std::u16string name = UniqueName(u"ClientTestSvcFail");
  TestService registered(name, u"--service-failing");
  ASSERT_TRUE(registered.Created());
  TNTServiceControlManager svc(name);
  ASSERT_TRUE(svc.Start());
  ASSERT_TRUE(WaitFor(svc, &TNTServiceControlManager::IsRunning));
  EXPECT_FALSE(svc.Stop());  // the control was delivered, but the service reported an exit code
  EXPECT_TRUE(WaitFor(svc, &TNTServiceControlManager::IsStopped));
}

TEST(ServiceController, MissingServiceAnswersAsIfNothingNeededDoing) {
  TNTServiceControlManager svc(u"NoSuchServiceAnywhere");
  EXPECT_FALSE(svc.IsOpen());
  EXPECT_EQ(svc.State(), 0u);
  EXPECT_TRUE(svc.IsRunning());
  EXPECT_TRUE(svc.IsStopped());
  EXPECT_FALSE(svc.IsStartPending());
  EXPECT_FALSE(svc.IsStopPending());
  EXPECT_TRUE(svc.Start());
  EXPECT_TRUE(svc.Stop());
  std::string text = "kept";
  ServiceStateText(svc, text);
  EXPECT_EQ(text, "kept");
}

TEST(ServiceController, OffNtNothingIsOpened) {
  SetPlatformIdForTesting(VER_PLATFORM_WIN32_WINDOWS);
  {
    TNTServiceControlManager svc(u"Spooler");
    EXPECT_FALSE(svc.IsOpen());
    EXPECT_TRUE(svc.IsRunning());
    EXPECT_TRUE(svc.IsStopped());
    EXPECT_FALSE(svc.IsStartPending());
    const DWORD before = GetTickCount();
    EXPECT_TRUE(svc.Start());
    EXPECT_LT(GetTickCount() - before, 50u);  // no pause
  }
  SetPlatformIdForTesting(0);
}

// Wine grants every process every right, so a refusal is played by the open call: it grants only the
// rights of a mask and fails with its error otherwise.
TEST(ServiceController, ReducedRightsAreTriedInTurnOnlyAfterARefusal) {
  struct Case {
    DWORD granted;
    DWORD error;
    std::vector<DWORD> asked;
    DWORD opened;  // 0: no handle
    const char* why;
  };
  const DWORD all = kServiceAccessFull | kServiceAccessQueryOnly;
  const Case cases[] = {
      {all, ERROR_ACCESS_DENIED, {kServiceAccessFull}, kServiceAccessFull, "an administrator: everything at once"},
      {kServiceAccessNoStatus, ERROR_ACCESS_DENIED,
       {kServiceAccessFull, kServiceAccessNoStatus}, kServiceAccessNoStatus, "refused the status: start and stop stay"},
      {kServiceAccessQueryOnly, ERROR_ACCESS_DENIED,
       {kServiceAccessFull, kServiceAccessNoStatus, kServiceAccessQueryOnly}, kServiceAccessQueryOnly,
       "a standard user may still read the state"},
      {READ_CONTROL, ERROR_ACCESS_DENIED,
       {kServiceAccessFull, kServiceAccessNoStatus, kServiceAccessQueryOnly}, 0, "refused everything"},
      {0, ERROR_SERVICE_DOES_NOT_EXIST, {kServiceAccessFull}, 0, "no such service: fewer rights will not help"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<DWORD> asked;
    const SC_HANDLE h = OpenServiceStepwise([&](DWORD access) -> SC_HANDLE {
      asked.push_back(access);
      if ((access & ~c.granted) == 0) return reinterpret_cast<SC_HANDLE>(uintptr_t(access));
      SetLastError(c.error);
      return nullptr;
    });
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(h), uintptr_t(c.opened));
    if (!h) {
      EXPECT_EQ(GetLastError(), c.error) << "the last refusal stays the last error";
    }
  }
}

TEST(ServiceController, SpoolerIsVisible) {
  TNTServiceControlManager svc(u"Spooler");
  EXPECT_TRUE(svc.IsOpen());
  EXPECT_NE(svc.State(), 0u);
}

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--service") == 0) return RunAsService();
    if (std::strcmp(argv[i], "--service-failing") == 0) {
      g_exitCodeOnStop = ERROR_SERVICE_SPECIFIC_ERROR;
      return RunAsService();
    }
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
