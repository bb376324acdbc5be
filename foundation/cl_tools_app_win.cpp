// The application object, its timed lock and the process's reference to it.
#include "foundation/cl_tools_app_win.h"

#include <atomic>

#include "foundation/cl_tools_app.h"
#include "foundation/cl_tools_cfgcheck.h"
#include "foundation/cl_tools_config_win.h"
#include "foundation/lib_api.h"
#include "foundation/lib_apiext_win.h"
#include "foundation/lib_log_win.h"
#include "foundation/lib_prn_printers_host_win.h"
#include "foundation/lib_prn_standin_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_str_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_win.h"

TSyncObject::TSyncObject(int32_t maxAttempts) : MaxAttempts(maxAttempts) { InitializeCriticalSection(&section_); }

TSyncObject::~TSyncObject() { DeleteCriticalSection(&section_); }

bool TSyncObject::Enter() {
  for (int32_t attempt = 0; attempt < MaxAttempts; ++attempt) {
    if (CallTryEnterCriticalSection(section_)) return true;
    Sleep(1000);
  }
  return false;
}

bool TSyncObject::TryEnter() { return CallTryEnterCriticalSection(section_); }

void TSyncObject::Leave() { LeaveCriticalSection(&section_); }

TClientApplication::TClientApplication() {
  TSettingsStore& store = MachineSettingsStore();
  InitPrinterEnvironment(store.ReadText(kConfigKey, u"PrinterEnvironment", u""));
  GetSystemReport();  // fills the terminal-server and server-edition flags read below
  TerminalMode = GetTServer(store, IsTerminalServer());
  AsService = IsRunAsService(store, IsServerEdition(), IsWinNT());
  std::u16string user, system;
  GetCurrentUserName(user);
  GetLocalSystemAccountName(system);
  ServiceMode = IsServiceModeFrom(SameTextW(user, system), HasCmdLineSwitch("Service"), IsMonitServiceInstalled(),
                                  AsService);
  if (ServiceMode && IsTerminalServer()) TerminalMode = true;
  Sync = std::make_unique<TSyncObject>(10);

  const TProgramModes modes = GetProgramModes(store, IsConfigVersionValid);
  SetProgramTitle(modes.Title);
  ComponentMask = static_cast<uint8_t>(modes.Mask);
  const TModeFlags flags = DeriveModeFlags(modes.Mask);
  WinOrDosFlag = flags.WinOrDosFlag;
  FileSourceFlag = flags.FileSourceFlag;
  DosFlag = flags.DosFlag;
  WinFlag = flags.WinFlag;

  Printers = std::make_unique<TPrinters>(CreateWindowsPrintersHost(), MachineSettingsStore(), UserSettingsStore());
  Printers->UserName = user;
  UpdateEvent.Reset(OpenOrCreateUpdateEvent());

  JournalEnabled = IsJournalEnabled(GetPrnMonServEnable(store), GetDocOrder(store, kConfigKey),
                                    GetDocOrder(store, kConfigDosKey));
  if (JournalEnabled) PrintJournal = std::make_unique<TPrintServerMonitor>();

  Context.App = this;
  log_ = CreateApplicationLog(kConfigKey, false);
  Context.Log = log_.get();
}

TClientApplication::~TClientApplication() {
  Printer.Done();
  Printers.reset();
  PrintJournal.reset();
  UpdateEvent.Reset();
  Sync.reset();
  Context.Log = nullptr;
  log_.reset();
}

bool TClientApplication::Start() {
  if (Context.Log) {
    std::u16string user;
    GetCurrentUserName(user);
    const std::u16string commandLine =
        UseWideApi() ? FromWStr(GetCommandLineW()) : AnsiToWide(GetCommandLineA());
    Context.Log->AddWide(u"Start: " + commandLine + u"; User:" + user);
    // Never silent: a run on the stand-in spooler says so in its log.
    const std::u16string standIn = StandInSpoolerDirectory();
    if (!standIn.empty()) Context.Log->AddWide(u"Stand-in spooler: " + standIn);
  }
  const bool listed = Printers->Refresh();
  if (PrintJournal) PrintJournal->Open(std::u16string(kConfigKey));
  return listed;
}

namespace {
std::atomic<TClientApplication*> gApplication{nullptr};
}

TClientApplication* ClientApplication() { return gApplication.load(); }
void SetClientApplication(TClientApplication* app) { gApplication.store(app); }

TAppInUse::TAppInUse() : app_(ClientApplication()) {
  if (!app_) {
    own_ = std::make_unique<TClientApplication>();
    own_->Start();
    app_ = own_.get();
  }
}
