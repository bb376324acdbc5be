// The monitor service on the service manager: registration, the dispatcher, the control handler and
// the service's thread with its hidden window.
#include "monitor/monitsvc_win.h"

#include <string>

#include "foundation/cl_tools_broadcast_win.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_log.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_svc_win.h"
#include "foundation/os_win32_win.h"
#include "ui/forms_win.h"

static_assert(kServiceWin32OwnProcess == SERVICE_WIN32_OWN_PROCESS && kServiceAutoStart == SERVICE_AUTO_START &&
              kServiceErrorNormal == SERVICE_ERROR_NORMAL);
static_assert(kServiceAcceptStop == SERVICE_ACCEPT_STOP &&
              kServiceAcceptPauseContinue == SERVICE_ACCEPT_PAUSE_CONTINUE &&
              kServiceAcceptShutdown == SERVICE_ACCEPT_SHUTDOWN);
static_assert(kServiceStopped == SERVICE_STOPPED && kServiceStartPending == SERVICE_START_PENDING &&
              kServiceStopPending == SERVICE_STOP_PENDING && kServiceRunning == SERVICE_RUNNING &&
              kServiceContinuePending == SERVICE_CONTINUE_PENDING && kServicePausePending == SERVICE_PAUSE_PENDING &&
              kServicePaused == SERVICE_PAUSED);
static_assert(kServiceControlStop == SERVICE_CONTROL_STOP && kServiceControlPause == SERVICE_CONTROL_PAUSE &&
              kServiceControlContinue == SERVICE_CONTROL_CONTINUE &&
              kServiceControlShutdown == SERVICE_CONTROL_SHUTDOWN);

namespace {

// A control handed from the manager's thread to the service's: wParam is the TServiceControl.
constexpr UINT WM_SERVICECONTROL = WM_APP + 1;
// Section names are short; a longer text is no section this service answers.
constexpr size_t kMaxSectionLength = 256;

// Process-wide: the dispatcher's ServiceMain has no parameter to carry the object.
std::atomic<TMonitService*> gService{nullptr};

class TServiceSlot {
 public:
  explicit TServiceSlot(TMonitService* service) : previous_(gService.exchange(service)) {}
  ~TServiceSlot() { gService.store(previous_); }
  TServiceSlot(const TServiceSlot&) = delete;
  TServiceSlot& operator=(const TServiceSlot&) = delete;

 private:
  TMonitService* previous_;
};

TMonitService* ServiceOfWindow(HWND wnd) {
  return reinterpret_cast<TMonitService*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
}

LRESULT CALLBACK MonitServiceWindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    TMonitService* service = ServiceOfWindow(wnd);
    if (service != nullptr) {
      switch (message) {
        case WM_SETTINGCHANGE:
          if (service->WMSettingChange(lParam)) return 1;
          break;
        case WM_ACTIVATEDIALOG: return service->WMActivateDialog(wParam);
        case WM_SERVICECONTROL: service->HandleControl(static_cast<TServiceControl>(wParam)); return 0;
        case WM_CLOSE: service->HandleControl(TServiceControl::Stop); return 0;
        default: break;
      }
    }
  } catch (...) {
    return 0;
  }
  return DefWindowProcA(wnd, message, wParam, lParam);
}

// The class is ANSI, so the section name of message 26 arrives as 8-bit text from either kind of sender.
HWND CreateServiceWindow(TMonitService* service) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  if (!GetClassInfoA(instance, kMonitServiceWindowClass, &wc)) {
    wc.lpfnWndProc = MonitServiceWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kMonitServiceWindowClass;
    if (!RegisterClassA(&wc)) return nullptr;
  }
  // Top-level (not message-only), so that CloseMonitorWindow finds it by its class.
  const std::string caption = WideToAnsi(kMonitServiceProperties.DisplayName);
  return CreateWindowExA(0, kMonitServiceWindowClass, caption.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         instance, service);
}

DWORD WINAPI MonitServiceHandler(DWORD code, DWORD, LPVOID, LPVOID context) {
  try {
    return static_cast<TMonitService*>(context)->Control(code);
  } catch (...) {
    return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI MonitServiceMain(DWORD, LPWSTR*) {
  TMonitService* service = gService.load();
  if (service == nullptr) return;
  try {
    service->ServiceThread();
  } catch (...) {
  }
}

void ReportServiceEvent(TMonitorContext* context, TServiceControl control) {
  if (context == nullptr || context->Log == nullptr) return;
  context->Log->ReportEventText(kEventTypeInformation, kCategorySystemInformation, MonitServiceEventText(control),
                                kEventInfoText);
}

DWORD RegisterMonitService() {
  const TServiceProperties& p = kMonitServiceProperties;
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return GetLastError() ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
  TServiceRegistration r;
  r.Name = p.Name;
  r.DisplayName = p.DisplayName;
  r.ImagePath = ServiceImagePath(FromWStr(path, n));
  r.Dependencies = p.Dependencies;
  r.Group = p.Group;
  r.Account = p.Account;
  r.ServiceType = p.ServiceType;
  r.StartType = p.StartType;
  r.ErrorControl = p.ErrorControl;
  return RegisterService(r);
}

void RunRegistration(TServiceRunKind kind) {
  const DWORD error = kind == TServiceRunKind::Install
                          ? RegisterMonitService()
                          : UnregisterService(std::u16string(kMonitServiceProperties.Name));
  if (HasCmdLineSwitch(kSilentSwitch)) return;
  const std::u16string text = ServiceRegistrationText(kind, error == 0, error ? FormatErrorCode(error) : u"");
  if (error == 0) {
    MsgBox(text, kProgramTitle, MB_OK | MB_ICONINFORMATION);
  } else {
    ShowErrorMsg(text);
  }
}

}  // namespace

TMonitService* MonitService() { return gService.load(); }

void TMonitService::Act(TServiceControl control) {
  const TServiceAction& action = MonitServiceAction(control);
  if (Context != nullptr) {
    // The stop event before the gate: a worker released from a pause then sees the stop first.
    if (action.SetStopEvent && Context->StopEvent) SetEvent(Context->StopEvent.Get());
    if (Context->RunGate && action.Gate == TGateAction::Close) ResetEvent(Context->RunGate.Get());
    if (Context->RunGate && action.Gate == TGateAction::Open) SetEvent(Context->RunGate.Get());
  }
  ReportServiceEvent(Context, control);
}

void TMonitService::ServiceStart(bool& started) {
  Act(TServiceControl::Start);
  started = true;
}

void TMonitService::ServiceStop(bool& stopped) {
  Act(TServiceControl::Stop);
  stopped = true;
}

void TMonitService::ServicePause(bool& paused) {
  Act(TServiceControl::Pause);
  paused = true;
}

void TMonitService::ServiceContinue(bool& continued) {
  Act(TServiceControl::Continue);
  continued = true;
}

void TMonitService::ServiceShutdown() { Act(TServiceControl::Shutdown); }

bool TMonitService::WMSettingChange(LPARAM lParam) {
  std::string section;
  if (!ReadAnsiTextAt(reinterpret_cast<const void*>(lParam), kMaxSectionLength, section)) return false;
  if (!IsPrinterSettingsSection(section)) return false;
  // The printer monitor reloads between its rounds; a reload here would race the round.
  if (Context != nullptr && Context->App != nullptr && Context->App->UpdateEvent)
    SetEvent(Context->App->UpdateEvent.Get());
  return true;
}

LRESULT TMonitService::WMActivateDialog(WPARAM wParam) {
  SetForegroundWindow(reinterpret_cast<HWND>(wParam));
  return 1;
}

void TMonitService::Report(uint32_t state, DWORD exitCode) {
  std::lock_guard<std::mutex> guard(statusLock_);
  if (status_ == nullptr) return;
  const bool pending = state != kServiceRunning && state != kServicePaused && state != kServiceStopped;
  checkPoint_ = pending ? checkPoint_ + 1 : 0;
  state_ = state;
  SERVICE_STATUS status{};
  status.dwServiceType = kMonitServiceProperties.ServiceType;
  status.dwCurrentState = state;
  const bool settled = state == kServiceRunning || state == kServicePaused;
  status.dwControlsAccepted = settled ? kMonitServiceProperties.AcceptedControls : 0;
  status.dwWin32ExitCode = exitCode;
  status.dwCheckPoint = checkPoint_;
  status.dwWaitHint = pending ? kMonitServiceProperties.WaitHintMs : 0;
  SetServiceStatus(status_, &status);
}

DWORD TMonitService::Control(DWORD code) {
  // The manager keeps the last state reported.
  if (code == SERVICE_CONTROL_INTERROGATE) return NO_ERROR;
  const std::optional<TServiceControl> control = ServiceControlOf(code);
  if (!control) return ERROR_CALL_NOT_IMPLEMENTED;
  // The handlers run on the service's thread; the manager's thread only hands the control over.
  const HWND wnd = window_.load();
  if (wnd == nullptr || !PostMessageA(wnd, WM_SERVICECONTROL, static_cast<WPARAM>(*control), 0))
    return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  return NO_ERROR;
}

void TMonitService::HandleControl(TServiceControl control) {
  const TServiceAction& action = MonitServiceAction(control);
  uint32_t before = 0;
  {
    std::lock_guard<std::mutex> guard(statusLock_);
    before = state_;
  }
  // A stop that came while another was handled (a WM_CLOSE after the manager's stop) is not repeated.
  if (before == kServiceStopPending || before == kServiceStopped) return;
  Report(action.PendingState);
  bool done = true;
  switch (control) {
    case TServiceControl::Start: ServiceStart(done); break;
    case TServiceControl::Stop: ServiceStop(done); break;
    case TServiceControl::Pause: ServicePause(done); break;
    case TServiceControl::Continue: ServiceContinue(done); break;
    case TServiceControl::Shutdown: ServiceShutdown(); break;
  }
  if (!done) {
    Report(before);
  } else if (action.FinalState == kServiceStopped) {
    // The stopped state is reported once the window is gone, at the end of the service's thread.
    PostQuitMessage(0);
  } else {
    Report(action.FinalState);
  }
}

void TMonitService::ServiceThread() {
  const std::u16string name(kMonitServiceProperties.Name);
  {
    std::lock_guard<std::mutex> guard(statusLock_);
    status_ = RegisterServiceCtrlHandlerExW(WStr(name), MonitServiceHandler, this);
    checkPoint_ = 0;
  }
  if (status_ == nullptr) return;
  Report(kServiceStartPending);
  DWORD exitCode = 0;
  try {
    exitCode = RunWindow();
  } catch (...) {
    exitCode = ERROR_EXCEPTION_IN_SERVICE;
  }
  // Reported last, once the window is gone: the manager may end the process after it.
  Report(kServiceStopped, exitCode);
}

DWORD TMonitService::RunWindow() {
  const HWND wnd = CreateServiceWindow(this);
  if (wnd == nullptr) return GetLastError();
  // The window stays the application's (the target of the dialogs' WM_ACTIVATEDIALOG) while it lives.
  struct TWindowScope {
    TMonitService& service;
    HWND wnd;
    HWND previous = GetApplicationWindow();
    TWindowScope(TMonitService& s, HWND w) : service(s), wnd(w) {
      service.window_.store(wnd);
      SetApplicationWindow(wnd);
    }
    ~TWindowScope() {
      service.window_.store(nullptr);
      SetApplicationWindow(previous);
      DestroyWindow(wnd);
    }
  } scope(*this, wnd);
  bool started = true;
  ServiceStart(started);
  if (!started) return 0;
  Report(kServiceRunning);
  // Created suspended by the monitor run. Only now: its first act may be to start the print spooler,
  // and a service start asked for while this one is still pending waits for it in the manager.
  if (Context != nullptr && Context->PrinterThread) ResumeThread(Context->PrinterThread.Get());
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

DWORD TMonitService::Run() {
  std::wstring name(WStr(std::u16string(kMonitServiceProperties.Name)));
  SERVICE_TABLE_ENTRYW table[] = {{name.data(), MonitServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : GetLastError();
}

void RunMonitService(TMonitorContext* context, int32_t& result) {
  result = 0;
  try {
    SetProgramTitle(kProgramTitle);
    TMonitService service(context);
    const TServiceSlot slot(&service);
    if (context != nullptr) context->OwnerWindow = nullptr;
    const TServiceRunKind kind = ServiceRunKindOf(HasCmdLineSwitch(kInstallSwitch), HasCmdLineSwitch(kUninstallSwitch));
    if (kind != TServiceRunKind::Run) {
      RunRegistration(kind);
    } else if (const DWORD error = service.Run(); error != 0 && context != nullptr && context->Log != nullptr) {
      context->Log->AddWide(u"MonitService: the service manager could not be reached, " + FormatErrorCode(error));
    }
    SetProgramTitle(kProgramTitle);
  } catch (...) {
    result = 1;
  }
}
