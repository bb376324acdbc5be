// The virtual printer list's host on Windows.
#include "foundation/lib_prn_printers_host_win.h"

#include <aclapi.h>

#include <functional>
#include <memory>
#include <vector>

#include "foundation/cl_tools_app.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_security_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_win.h"

namespace {

class TWindowsPrintersHost : public TPrintersHost {
 public:
  bool PrinterExists(std::u16string_view name) override { return ::PrinterExists(std::u16string(name)); }
  std::u16string DefaultPrinterName() override {
    std::u16string name;
    GetDefaultPrinterName(name);
    return name;
  }
  bool IsDefaultPrinter(std::u16string_view name) override { return ::IsDefaultPrinter(std::u16string(name)); }
  void SetDefaultPrinterName(std::u16string_view name) override { ::SetDefaultPrinterName(std::u16string(name)); }
  int32_t RemovePrinter(std::u16string_view name) override { return ::RemovePrinter(std::u16string(name)); }

  bool ListPrinterNames(std::vector<std::u16string>& names) override {
    names.clear();
    std::vector<uint8_t> bytes;
    DWORD count = 0;
    if (!IsWinNT()) {
      if (!ListPrinters5A(bytes, count)) return false;
      const auto* info = reinterpret_cast<const PRINTER_INFO_5A*>(bytes.data());
      for (DWORD i = 0; i < count; ++i) names.push_back(AnsiToWide(info[i].pPrinterName ? info[i].pPrinterName : ""));
      return true;
    }
    // NT 4 and Windows 2000 list at level 2, later systems at level 5.
    if (IsWinNT4() || IsWin2000()) {
      if (!ListPrinters2W(bytes, count)) return false;
      const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(bytes.data());
      for (DWORD i = 0; i < count; ++i) names.push_back(info[i].pPrinterName ? FromWStr(info[i].pPrinterName) : u"");
      return true;
    }
    if (!ListPrinters5W(bytes, count)) return false;
    const auto* info = reinterpret_cast<const PRINTER_INFO_5W*>(bytes.data());
    for (DWORD i = 0; i < count; ++i) names.push_back(info[i].pPrinterName ? FromWStr(info[i].pPrinterName) : u"");
    return true;
  }

  bool RunWorker(std::function<void()> work, uint32_t waitMs) override {
    auto* owned = new std::function<void()>(std::move(work));
    DWORD id = 0;
    TKernelHandle thread;
    if (!StartThread(RunWork, owned, id, false, thread)) {
      delete owned;
      return false;
    }
    if (WaitForSingleObject(thread.Get(), waitMs) == WAIT_OBJECT_0) return true;
    late_.push_back({id, std::move(thread)});
    return false;
  }
  ~TWindowsPrintersHost() override {
    // A listing cannot be told to stop; it is given the threads unit's rounds to end.
    for (auto& worker : late_) StopThread(nullptr, worker.Id, worker.Thread, kLateWorkerPauseMs);
  }

  bool IsRemoteSession() override { return ::IsRemoteSession(); }
  bool IsTerminalServer() override { return ::IsTerminalServer(); }
  bool IsAdministrator() override { return ::IsAdministrator(); }
  void SignalUpdateEvent() override { ::SignalUpdateEvent(); }

 private:
  static constexpr DWORD kLateWorkerPauseMs = 250;
  struct TLateWorker {
    DWORD Id;
    TKernelHandle Thread;
  };
  // No exception leaves a thread procedure.
  static DWORD WINAPI RunWork(void* parameter) {
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    try {
      (*work)();
    } catch (...) {
    }
    return 0;
  }

  std::vector<TLateWorker> late_;
};

}  // namespace

std::shared_ptr<TPrintersHost> CreateWindowsPrintersHost() { return std::make_shared<TWindowsPrintersHost>(); }

// Owner and setters use one name, the global one: a bare name on one side and "Global\" on the other
// are different objects outside session 0, and the monitor would never hear the settings.
void SignalUpdateEvent() { SignalNamedEvent(std::string(kUpdateEventName), true); }

HANDLE OpenOrCreateUpdateEvent() {
  const std::string name = MakeKernelObjectName(kUpdateEventName, true);
  HANDLE event = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, TRUE, name.c_str());
  if (event) return event;
  // Created by one user (the service, an administrator), signalled by settings dialogs of others.
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  SECURITY_DESCRIPTOR sd;
  TAclPtr acl;
  TSidPtr world = CreateWorldSid();
  TSidPtr system = CreateLocalSystemSid();
  TSidPtr admins = CreateAdministratorsSid();
  if (world && system && admins) {
    EXPLICIT_ACCESS_W entries[3] = {
        AccessEntry(world.get(), SYNCHRONIZE | EVENT_MODIFY_STATE | READ_CONTROL, TRUSTEE_IS_WELL_KNOWN_GROUP),
        AccessEntry(system.get(), EVENT_ALL_ACCESS, TRUSTEE_IS_USER),
        AccessEntry(admins.get(), EVENT_ALL_ACCESS, TRUSTEE_IS_GROUP)};
    for (auto& e : entries) e.grfInheritance = NO_INHERITANCE;
    if (BuildAcl(entries, acl) == ERROR_SUCCESS && InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorDacl(&sd, TRUE, acl.get(), FALSE)) {
      sa.lpSecurityDescriptor = &sd;
    }
  }
  return CreateEventA(&sa, TRUE, TRUE, name.c_str());
}
