// One Windows service by name: its state, start and stop. Off the NT family there are no services and
// every operation answers as if nothing needed doing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "foundation/lib_handle_win.h"

inline constexpr DWORD kServiceAccessFull = 0x20035;     // READ_CONTROL, query config/status, start, stop
inline constexpr DWORD kServiceAccessNoStatus = 0x20031;  // the same without query status
inline constexpr DWORD kServiceAccessQueryOnly = READ_CONTROL | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS;

// A standard user may be refused start and stop but still read the state: the service is opened with
// the first of these the system grants, each refusal (ERROR_ACCESS_DENIED) trying the next.
inline constexpr DWORD kServiceAccessSteps[] = {kServiceAccessFull, kServiceAccessNoStatus, kServiceAccessQueryOnly};
// open(access) is OpenService with that access; nullptr when every step is refused or a step fails
// for another reason (that failure is the last error).
SC_HANDLE OpenServiceStepwise(const std::function<SC_HANDLE(DWORD access)>& open);

class TNTServiceControlManager {
 public:
  explicit TNTServiceControlManager(const std::u16string& serviceName);
  ~TNTServiceControlManager();
  TNTServiceControlManager(const TNTServiceControlManager&) = delete;
  TNTServiceControlManager& operator=(const TNTServiceControlManager&) = delete;

  bool IsOpen() const;
  // 1 stopped .. 7 paused; 0 off NT, when not open or when the query fails.
  DWORD State() const;
  bool IsRunning() const;
  bool IsStopped() const;
  bool IsStartPending() const;
  bool IsStopPending() const;
  bool Start();
  bool Stop();

  TServiceHandle ManagerHandle;
  TServiceHandle ServiceHandle;
  std::u16string ServiceName;

 private:
  bool onNT_;
};

// The 8-bit text of the service's state; the text stays unchanged for state 0 or an unknown state.
void ServiceStateText(const TNTServiceControlManager& service, std::string& text);

// A service as the service manager registers it. Dependencies: names each ended by NUL, the list by a
// second NUL; an empty Account is the local system account.
struct TServiceRegistration {
  std::u16string Name;
  std::u16string DisplayName;
  std::u16string ImagePath;
  std::u16string Dependencies;
  std::u16string Group;
  std::u16string Account;
  DWORD ServiceType = SERVICE_WIN32_OWN_PROCESS;
  DWORD StartType = SERVICE_DEMAND_START;
  DWORD ErrorControl = SERVICE_ERROR_NORMAL;
};
// 0, or the system's error code of the failure.
DWORD RegisterService(const TServiceRegistration& service);
// Removes the registration (a running service goes once it stops); 0, or the system's error code.
DWORD UnregisterService(const std::u16string& name);
