// One Windows service by name: its state, start and stop.
#include "foundation/os_win32_svc_win.h"

#include "foundation/lib_unicode_win.h"

namespace {
constexpr DWORD kPauseAfterControlMs = 100;
}  // namespace

SC_HANDLE OpenServiceStepwise(const std::function<SC_HANDLE(DWORD access)>& open) {
  for (const DWORD access : kServiceAccessSteps) {
    if (SC_HANDLE h = open(access)) return h;
    if (GetLastError() != ERROR_ACCESS_DENIED) break;
  }
  return nullptr;
}

TNTServiceControlManager::TNTServiceControlManager(const std::u16string& serviceName)
    : ServiceName(serviceName), onNT_(UseWideApi()) {
  if (!onNT_) return;
  // Connecting is all OpenService needs from the manager; asking the manager for more only shuts out
  // standard users, who may still query the state.
  ManagerHandle.Reset(OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, SC_MANAGER_CONNECT));
  if (!ManagerHandle) return;
  ServiceHandle.Reset(OpenServiceStepwise(
      [&](DWORD access) { return OpenServiceW(ManagerHandle.Get(), WStr(ServiceName), access); }));
}

// The service handle goes before its manager's (members in reverse order).
TNTServiceControlManager::~TNTServiceControlManager() = default;

bool TNTServiceControlManager::IsOpen() const { return ManagerHandle && ServiceHandle; }

DWORD TNTServiceControlManager::State() const {
  if (!onNT_ || !IsOpen()) return 0;
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(ServiceHandle.Get(), &status)) return 0;
  return status.dwCurrentState;
}

bool TNTServiceControlManager::IsRunning() const {
  const DWORD s = State();
  return s == 0 || s == SERVICE_RUNNING;
}

bool TNTServiceControlManager::IsStopped() const {
  const DWORD s = State();
  return s == 0 || s == SERVICE_STOPPED;
}

bool TNTServiceControlManager::IsStartPending() const { return State() == SERVICE_START_PENDING; }
bool TNTServiceControlManager::IsStopPending() const { return State() == SERVICE_STOP_PENDING; }

bool TNTServiceControlManager::Start() {
  if (!onNT_ || !IsOpen()) return true;
  const bool ok = StartServiceA(ServiceHandle.Get(), 0, nullptr) != 0;
  Sleep(kPauseAfterControlMs);
  return ok;
}

bool TNTServiceControlManager::Stop() {
  if (!onNT_ || !IsOpen()) return true;
  SERVICE_STATUS status{};
  const bool ok = ControlService(ServiceHandle.Get(), SERVICE_CONTROL_STOP, &status) != 0;
  Sleep(kPauseAfterControlMs);
  return ok && status.dwWin32ExitCode == 0;
}

void ServiceStateText(const TNTServiceControlManager& service, std::string& text) {
  if (!UseWideApi() || !service.IsOpen()) return;
  switch (service.State()) {
    case SERVICE_STOPPED: text = "Stopped"; break;
    case SERVICE_START_PENDING: text = "Start  pending"; break;
    case SERVICE_STOP_PENDING: text = "Stop pending"; break;
    case SERVICE_RUNNING: text = "Running"; break;
    case SERVICE_CONTINUE_PENDING: text = "Continue pending"; break;
    case SERVICE_PAUSE_PENDING: text = "Pause pending"; break;
    case SERVICE_PAUSED: text = "Paused"; break;
    default: break;
  }
}

namespace {
const wchar_t* OrNull(const std::u16string& text) { return text.empty() ? nullptr : WStr(text); }
}  // namespace

DWORD RegisterService(const TServiceRegistration& service) {
  const TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  if (!manager) return GetLastError();
  const TServiceHandle created(CreateServiceW(
      manager.Get(), WStr(service.Name), WStr(service.DisplayName), SERVICE_ALL_ACCESS, service.ServiceType,
      service.StartType, service.ErrorControl, WStr(service.ImagePath), OrNull(service.Group), nullptr,
      OrNull(service.Dependencies), OrNull(service.Account), nullptr));
  return created ? 0 : GetLastError();
}

DWORD UnregisterService(const std::u16string& name) {
  const TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return GetLastError();
  const TServiceHandle service(OpenServiceW(manager.Get(), WStr(name), DELETE));
  if (!service) return GetLastError();
  return DeleteService(service.Get()) ? 0 : GetLastError();
}
