// The monitor service against Wine's service manager, through its test host (monitsvc_host.exe):
// registration and removal by the host's "/INSTALL /SILENT" and "/UNINSTALL /SILENT" runs, read back with
// QueryServiceConfig; then a run: the suspended worker resumed, pause holding the workers' rounds,
// continue releasing them, the window's messages sent from inside the service process, stop and
// WM_CLOSE ending the run, and the handlers' event-log entries.
#include "monitor/monitsvc_win.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/lib_codepage.h"
#include "foundation/lib_unicode_win.h"
#include "support/service_cleanup_win.h"
#include "support/win_fixtures.h"

namespace {

constexpr wchar_t kName[] = L"MonitService";

std::u16string HostPath() {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::u16string path = FromWStr(buf, n);
  return path.substr(0, path.rfind(u'\\') + 1) + u"monitsvc_host.exe";
}

// A value of the service's key as the manager stored it, the terminating NULs included; "<none>".
std::u16string ServiceKeyValue(const wchar_t* name) {
  wchar_t buf[256] = {};
  DWORD size = sizeof buf - sizeof(wchar_t);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\MonitService", name,
                   RRF_RT_REG_MULTI_SZ | RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return u"<none>";
  return FromWStr(buf, size / sizeof(wchar_t));
}

bool Eventually(const std::function<bool()>& done, DWORD limitMs = 10000) {
  for (DWORD waited = 0; waited < limitMs; waited += 20) {
    if (done()) return true;
    Sleep(20);
  }
  return done();
}

std::vector<std::string> Lines(const std::u16string& file) {
  std::vector<std::string> lines;
  const std::string text = ReadFixture(file);
  if (text == "<missing>") return lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

size_t Count(const std::u16string& file, const std::string& line) {
  size_t n = 0;
  for (const std::string& l : Lines(file)) n += l == line;
  return n;
}

class MonitServiceTest : public ::testing::Test {
 protected:
  MonitServiceTest() : events_(u"ClientMonitSvcTest" + FromWStr(std::to_wstring(GetCurrentProcessId()).c_str())) {
    SetEnvironmentVariableW(L"CLIENT_MONITSVC_TEST", WStr(dir_.Path()));
    request_.Reset(CreateEventW(nullptr, FALSE, FALSE, WStr(events_ + u"Request")));
    answered_.Reset(CreateEventW(nullptr, FALSE, FALSE, WStr(events_ + u"Answered")));
  }

  // The host with the switches; its exit code, or 9999 when it did not end in time.
  DWORD RunHost(const std::wstring& switches) {
    std::wstring cmd = L"\"" + std::wstring(WStr(HostPath())) + L"\" " + switches;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 9998;
    DWORD code = 9999;
    if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
  }

  TServiceHandle OpenMonitService() {
    manager_.Reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    return TServiceHandle(OpenServiceW(manager_.Get(), kName, SERVICE_ALL_ACCESS));
  }

  static DWORD State(SC_HANDLE service) {
    SERVICE_STATUS status{};
    return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
  }
  static bool Reaches(SC_HANDLE service, DWORD state) {
    return Eventually([&] { return State(service) == state; });
  }

  // Sends a request to the host's request thread; its answer.
  std::string Ask(const std::string& request) {
    if (!WriteFixture(dir_.File(u"request.txt"), request)) return "not written";
    SetEvent(request_.Get());
    if (WaitForSingleObject(answered_.Get(), 10000) != WAIT_OBJECT_0) return "no answer";
    return ReadFixture(dir_.File(u"answer.txt"));
  }

  size_t Rounds(const std::u16string& worker) { return Count(dir_.File(worker), "round"); }

  TServiceCleanup cleanup_;
  TScratchDir dir_{u"monitsvc"};
  std::u16string events_;
  TKernelHandle request_;
  TKernelHandle answered_;
  TServiceHandle manager_;
};

TEST_F(MonitServiceTest, InstallRegistersTheDeclaredServiceAndUninstallRemovesIt) {
  ASSERT_EQ(RunHost(L"/INSTALL /SILENT"), 0u);
  TServiceHandle service = OpenMonitService();
  ASSERT_TRUE(service);
  DWORD needed = 0;
  QueryServiceConfigW(service.Get(), nullptr, 0, &needed);
  std::vector<BYTE> bytes(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(bytes.data());
  ASSERT_TRUE(QueryServiceConfigW(service.Get(), config, needed, &needed));
  EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
  EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(config->dwErrorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
  EXPECT_EQ(FromWStr(config->lpBinaryPathName), u"\"" + HostPath() + u"\"") << "quoted, no switches";
  EXPECT_EQ(FromWStr(config->lpDisplayName), u"Virtual Printer Monitor Service");
  EXPECT_EQ(FromWStr(config->lpLoadOrderGroup), u"SpoolerGroup");
  // Wine 8 answers an empty dependency list here; the manager's key holds what it was given.
  if (config->lpDependencies != nullptr && config->lpDependencies[0] != L'\0') {
    EXPECT_EQ(FromWStr(config->lpDependencies), u"Spooler");
  }
  EXPECT_EQ(ServiceKeyValue(L"DependOnService"), std::u16string(u"Spooler\0\0", 9)) << "one service, no group";
  EXPECT_EQ(ServiceKeyValue(L"DependOnGroup"), u"<none>");
  const std::u16string account = config->lpServiceStartName ? FromWStr(config->lpServiceStartName) : u"";
  EXPECT_TRUE(account.empty() || account == u"LocalSystem") << WideToUtf8(account);
  EXPECT_TRUE(Lines(dir_.File(u"boxes.txt")).empty()) << "SILENT: no box";

  ASSERT_EQ(RunHost(L"/INSTALL"), 0u);
  const std::vector<std::string> boxes = Lines(dir_.File(u"boxes.txt"));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("Service failed on install with the following error: ", 0), 0u)
      << "registered already: " << boxes[0];

  service.Reset();
  ASSERT_EQ(RunHost(L"/UNINSTALL /SILENT"), 0u);
  EXPECT_FALSE(OpenMonitService());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_EQ(Lines(dir_.File(u"boxes.txt")).size(), 1u) << "SILENT: no box";
}

TEST_F(MonitServiceTest, RunsPausesContinuesAnswersItsMessagesAndStops) {
  ASSERT_EQ(RunHost(L"/INSTALL /SILENT"), 0u);
  TServiceHandle service = OpenMonitService();
  ASSERT_TRUE(service);
  // The service process gets neither the test's environment nor a path the test did not register.
  const std::u16string command = u"\"" + HostPath() + u"\" \"CLIENT_MONITSVC_TEST=" + dir_.Path() +
                                 u"\" CLIENT_MONITSVC_EVENTS=" + events_;
  ASSERT_TRUE(ChangeServiceConfigW(service.Get(), SERVICE_NO_CHANGE, SERVICE_DEMAND_START, SERVICE_NO_CHANGE,
                                   WStr(command), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(StartServiceW(service.Get(), 0, nullptr));
  ASSERT_TRUE(Reaches(service.Get(), SERVICE_RUNNING));
  EXPECT_TRUE(Eventually([&] { return Rounds(u"printer.txt") >= 2 && Rounds(u"capture.txt") >= 2; }))
      << "the suspended printer worker is resumed";

  SERVICE_STATUS status{};
  ASSERT_TRUE(ControlService(service.Get(), SERVICE_CONTROL_PAUSE, &status));
  ASSERT_TRUE(Reaches(service.Get(), SERVICE_PAUSED));
  // Unpaused, a worker adds a round every 20 ms; paused, at most the one it was in.
  const size_t printerPaused = Rounds(u"printer.txt");
  const size_t capturePaused = Rounds(u"capture.txt");
  Sleep(300);
  EXPECT_LE(Rounds(u"printer.txt"), printerPaused + 1) << "paused: no rounds";
  EXPECT_LE(Rounds(u"capture.txt"), capturePaused + 1);

  ASSERT_TRUE(ControlService(service.Get(), SERVICE_CONTROL_CONTINUE, &status));
  ASSERT_TRUE(Reaches(service.Get(), SERVICE_RUNNING));
  EXPECT_TRUE(Eventually([&] {
    return Rounds(u"printer.txt") > printerPaused + 1 && Rounds(u"capture.txt") > capturePaused + 1;
  })) << "continued: rounds again";

  struct Case {
    std::string request;
    std::string answer;
    const char* why;
  } cases[] = {
      {"26A devices", "1 set", "the printers' section"},
      {"26A Windows", "1 set", "the old printer section"},
      {"26A windows", "0 clear", "case-sensitive"},
      {"26A Devices", "0 clear", "exact"},
      {"26W devices", "1 set", "a wide sender's name arrives as 8-bit text"},
      {"26 bad", "0 clear", "a pointer to nothing leaves the message unhandled"},
      {"1131", "1 clear", "the dialog brought to the front"},
  };
  for (const Case& c : cases) EXPECT_EQ(Ask(c.request), c.answer) << c.why;

  ASSERT_TRUE(ControlService(service.Get(), SERVICE_CONTROL_STOP, &status));
  ASSERT_TRUE(Reaches(service.Get(), SERVICE_STOPPED));
  EXPECT_TRUE(Eventually([&] { return Count(dir_.File(u"status.txt"), "threads ended") == 1; }));
  EXPECT_EQ(Count(dir_.File(u"status.txt"), "run returned 0"), 1u);
  EXPECT_EQ(Count(dir_.File(u"printer.txt"), "end"), 1u);
  EXPECT_EQ(Count(dir_.File(u"capture.txt"), "end"), 1u);
  const std::vector<std::string> expected = {
      "4 2 265 \"Virtual Printer Monitor Service\" service started",
      "4 2 265 \"Virtual Printer Monitor Service\" service paused",
      "4 2 265 \"Virtual Printer Monitor Service\" service resumed",
      "4 2 265 Stoping \"Virtual Printer Monitor Service\" service",
  };
  std::vector<std::string> events = Lines(dir_.File(u"events.txt"));
  EXPECT_EQ(events, expected);

  // WM_CLOSE to the hidden window ends a run as a stop does.
  ASSERT_TRUE(StartServiceW(service.Get(), 0, nullptr));
  ASSERT_TRUE(Reaches(service.Get(), SERVICE_RUNNING));
  const size_t firstRun = Rounds(u"printer.txt");
  ASSERT_TRUE(Eventually([&] { return Rounds(u"printer.txt") > firstRun; }));
  ASSERT_TRUE(ControlService(service.Get(), SERVICE_CONTROL_PAUSE, &status));
  ASSERT_TRUE(Reaches(service.Get(), SERVICE_PAUSED));
  EXPECT_EQ(Ask("close"), "closed");
  ASSERT_TRUE(Reaches(service.Get(), SERVICE_STOPPED));
  EXPECT_TRUE(Eventually([&] { return Count(dir_.File(u"status.txt"), "threads ended") == 2; }))
      << "the paused workers were released to end";
  events = Lines(dir_.File(u"events.txt"));
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(events.back(), expected.back());

  service.Reset();
  ASSERT_EQ(RunHost(L"/UNINSTALL /SILENT"), 0u);
  EXPECT_FALSE(OpenMonitService());
}

}  // namespace
