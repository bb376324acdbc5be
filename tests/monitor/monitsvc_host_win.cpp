// The monitor service's test host: "/INSTALL" and "/UNINSTALL" run RunMonitService's registration
// (boxes recorded, never shown); started by the service manager it runs the service over a context of
// its own: two fake workers that honour the stop event and the run gate and record their rounds, the
// event-log entries in a file, and a request thread through which the test sends the service's window
// its messages from inside this process (the service's windows are out of the test's reach).
// The test's directory and event names reach the service process as arguments of its registered
// command line: CLIENT_MONITSVC_TEST=<directory> CLIENT_MONITSVC_EVENTS=<prefix>.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

#include "foundation/cl_tools_app_win.h"
#include "foundation/cl_tools_broadcast_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_log_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_win.h"
#include "monitor/cl_monitor_win.h"
#include "monitor/monitsvc_win.h"
#include "support/win_fixtures.h"

namespace {

std::u16string gDir;
std::mutex gFileLock;

// The test reads these files while they grow.
void AppendLine(const std::u16string& name, const std::string& line) {
  std::lock_guard<std::mutex> guard(gFileLock);
  const TFileHandle file(CreateFileW(WStr(gDir + u"\\" + name), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  const std::string text = line + "\n";
  DWORD written = 0;
  if (file) WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

class TFileSink : public TEventSink {
 public:
  void Report(const TMessageEvent& e) override {
    AppendLine(u"events.txt", std::to_string(e.Type) + " " + std::to_string(e.Category) + " " +
                                  std::to_string(e.EventId) + " " + WideToUtf8(e.Text));
  }
};

struct TFakeWorker {
  TMonitorContext* Context;
  std::u16string File;
};

// A worker as the real ones behave at their safe points: the gate before each round, the stop event
// in the wait between rounds, the stop set again for the others at the end.
DWORD WINAPI FakeWorkerThread(LPVOID argument) {
  auto* worker = static_cast<TFakeWorker*>(argument);
  TStopLatch stop = ContextStopLatch(*worker->Context);
  while (!stop.Gate()) {
    AppendLine(worker->File, "round");
    if (stop.Wait(20)) break;
  }
  AppendLine(worker->File, "end");
  SetEvent(worker->Context->StopEvent.Get());
  return 0;
}

// One request: "26A <section>", "26W <section>", "26 bad", "1131", "close". The answer: the message's
// result and whether the update event was set (which is then cleared).
std::string Answer(TMonitorContext& context, const std::string& request) {
  const HWND wnd = MonitService() ? MonitService()->Window() : nullptr;
  if (wnd == nullptr) return "no window";
  if (request == "close") {
    CloseMonitorWindow();
    return "closed";
  }
  LRESULT result = -1;
  if (request == "1131") {
    result = SendMessageA(wnd, WM_ACTIVATEDIALOG, reinterpret_cast<WPARAM>(wnd), 0);
  } else if (request.rfind("26A ", 0) == 0) {
    result = SendMessageA(wnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(request.c_str() + 4));
  } else if (request.rfind("26W ", 0) == 0) {
    const std::wstring section(request.begin() + 4, request.end());
    result = SendMessageW(wnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(section.c_str()));
  } else if (request == "26 bad") {
    result = SendMessageA(wnd, WM_SETTINGCHANGE, 0, 16);
  }
  const HANDLE update = context.App->UpdateEvent.Get();
  const bool set = IsHandleSignaled(update);
  ResetEvent(update);
  return std::to_string(result) + (set ? " set" : " clear");
}

struct TRequests {
  TMonitorContext* Context;
  HANDLE Request;
  HANDLE Answered;
};

DWORD WINAPI RequestThread(LPVOID argument) {
  auto* r = static_cast<TRequests*>(argument);
  while (WaitForSingleObject(r->Request, INFINITE) == WAIT_OBJECT_0) {
    WriteFixture(gDir + u"\\answer.txt", Answer(*r->Context, ReadFixture(gDir + u"\\request.txt")));
    SetEvent(r->Answered);
  }
  return 0;
}

int RunRegistration() {
  SetMessageBoxHook([](const TMessageBoxRequest& box) {
    AppendLine(u"boxes.txt", WideToUtf8(box.Text));
    return IDOK;
  });
  int32_t result = -1;
  RunMonitService(nullptr, result);
  return result;
}

int RunService() {
  const std::u16string events = TestSwitchValue(u"CLIENT_MONITSVC_EVENTS");
  SetEventSinkFactoryForTesting([](const std::u16string&) { return std::make_unique<TFileSink>(); });
  TClientApplication app;
  // After the application, which gives the event source its name.
  TLogFile log(WindowsLogHost(), gDir + u"\\host.log", false);
  // Its own update event: the named one is shared with every other program of the prefix.
  app.UpdateEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  TMonitorContext& context = app.Context;
  context.App = &app;
  context.Log = &log;
  context.StopEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  context.RunGate.Reset(CreateEventW(nullptr, TRUE, TRUE, nullptr));
  TFakeWorker printer{&context, u"printer.txt"};
  TFakeWorker capture{&context, u"capture.txt"};
  // The printer worker waits suspended for the service to resume it, as the monitor run leaves it.
  StartThread(FakeWorkerThread, &printer, context.PrinterThreadId, true, context.PrinterThread);
  StartThread(FakeWorkerThread, &capture, context.CaptureThreadId, false, context.CaptureThread);
  TRequests requests{&context, CreateEventW(nullptr, FALSE, FALSE, WStr(events + u"Request")),
                     CreateEventW(nullptr, FALSE, FALSE, WStr(events + u"Answered"))};
  DWORD requestId = 0;
  TKernelHandle requestThread;
  StartThread(RequestThread, &requests, requestId, false, requestThread);

  int32_t result = -1;
  RunMonitService(&context, result);
  AppendLine(u"status.txt", "run returned " + std::to_string(result));
  const bool ended = StopThread(context.StopEvent.Get(), context.PrinterThreadId, context.PrinterThread, 100) &&
                     StopThread(context.StopEvent.Get(), context.CaptureThreadId, context.CaptureThread, 100);
  AppendLine(u"status.txt", ended ? "threads ended" : "threads still running");
  return result;
}

}  // namespace

int main() {
  gDir = TestSwitchValue(u"CLIENT_MONITSVC_TEST");
  if (gDir.empty()) return 2;
  if (HasCmdLineSwitch("INSTALL") || HasCmdLineSwitch("UNINSTALL")) return RunRegistration();
  return RunService();
}
