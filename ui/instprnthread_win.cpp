#include "ui/instprnthread_win.h"

#include "foundation/cl_tools_config.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_log.h"
#include "foundation/lib_prn_printer_win.h"
#include "foundation/lib_prn_printers.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_security_win.h"
#include "foundation/lib_str_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_process_win.h"

namespace {

const std::u16string kRunOnceKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr std::u16string_view kDone = u"...Операция завершена успешно";
constexpr std::u16string_view kWait = u"ждите...";

std::atomic<bool> gSettingsChanged{false};

TInstallHooks DefaultHooks() {
  TInstallHooks h;
  h.InstallFromPackage = [](const std::u16string& driver) {
    return uint32_t(InstallDriverFromPackage({}, {}, driver, {}, 0));
  };
  h.InstallInf = [](const std::u16string& infPath, HWND) { return InstallInfFile(infPath); };
  return h;
}

// Set before a worker starts (tests), read by the workers.
TInstallHooks gHooks = DefaultHooks();

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The labels belong to the wizard's thread: a send lets that thread write them. A wizard that has gone
// leaves invalid handles, which the send ignores.
void SetLabel(HWND label, std::u16string_view text) {
  if (!label) return;
  const std::u16string copy(text);
  SendMessageW(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WStr(copy)));
}

class TStages {
 public:
  TStages(const TInstallJob& job, TInstallState& state) : job_(job), state_(state) {}
  void Run();

 private:
  void Log(std::u16string_view text) const {
    if (job_.Log) job_.Log->AddWide(text);
  }
  void Show(std::u16string_view cap, std::u16string_view msg) const {
    SetLabel(job_.CapLabel, cap);
    SetLabel(job_.MsgLabel, msg);
  }
  void Fail(const std::u16string& text, int32_t status) {
    Show({}, {});
    if (job_.Log)
      job_.Log->ErrorBoxW(text);
    else
      ShowErrorMsg(text, job_.Owner);
    status_ = status;
  }
  bool Cancelled() const { return state_.CancelRequested.load(); }
  void CopyFiles();
  void InstallDriver();
  void CreatePrinter();
  void RecordPrinter();

  const TInstallJob& job_;
  TInstallState& state_;
  int32_t status_ = isRunning;
  bool filesCopied_ = false;
  std::u16string driverName_;
  TPrinter printer_;
};

void TStages::CopyFiles() {
  const std::u16string caption = InstallingDriverCaption();
  const std::u16string_view message = u"Копирование файлов";
  Show(caption, message);
  Log(caption);
  Log(message);
  if (!CopyDriverFiles(job_)) return Fail(DriverFilesErrorText(), isDriverFailed);
  Log(kDone);
  filesCopied_ = true;
}

void TStages::InstallDriver() {
  const std::u16string caption = InstallingDriverCaption();
  const std::u16string_view message = u"Установка драйвера принтера";
  Show(caption, message);
  Log(message);
  uint32_t code = 0;
  bool installed = false;
  if (!NeedsDriverFiles(job_.System)) {
    code = gHooks.InstallFromPackage(job_.ModelDriverName);
    installed = code == 0;
  } else {
    SetLastError(0);
    installed = AddEpsonLqDriver();
    code = installed ? 0 : GetLastError();
  }
  if (filesCopied_) DeleteCopiedDriverFiles(job_);
  if (!installed) return Fail(DriverErrorText(code, FormatErrorCode(code)), isDriverFailed);
  Log(kDone);
}

void TStages::CreatePrinter() {
  RegWriteString(HKEY_LOCAL_MACHINE, std::u16string(kConfigKey), u"DefaultPrn", u"");
  const std::u16string caption = CreatingPrinterCaption(job_.PrinterName);
  Show(caption, {});
  Log(caption);
  Log(u"Конечный принтер: " + job_.DestPrinter);
  SetLabel(job_.MsgLabel, kWait);
  const DWORD code = AddVirtualPrinter(printer_, job_.PrinterName, job_.PortName,
                                       std::u16string(kVirtualPrinterComment), driverName_);
  if (code != 0) return Fail(PrinterErrorText(job_.PrinterName, FormatErrorCode(code)), isPrinterFailed);
  Log(kDone);
}

void TStages::RecordPrinter() {
  if (TPrinters* printers = job_.Printers) {
    int32_t index = printers->IndexOf(job_.PrinterName);
    if (index < 0) index = printers->Add(job_.PrinterName);
    if (index >= 0) {
      TPrinterListItem& item = printers->Items[size_t(index)];
      if (job_.Components & 1) item.WinSide = true;
      if (item.WinSide) {
        printers->SetPrintToOfUser(job_.PrinterName, printers->UserName, kPrintToWin, job_.DestPrinter);
        printers->SetPrintToOfUser(job_.PrinterName, job_.OwnerUserName, kPrintToWin, job_.DestPrinter);
      }
      if (job_.Components & 2) {
        // The DOS side is chosen afterwards in the printer settings.
        printers->Items[size_t(index)].DosSide = false;
        printers->SetPrintToOfUser(job_.PrinterName, printers->UserName, kPrintToDos, job_.DestPrinter);
        printers->SetPrintToOfUser(job_.PrinterName, job_.OwnerUserName, kPrintToDos, job_.DestPrinter);
      }
      TPrinterListItem& saved = printers->Items[size_t(index)];
      saved.AllUsers = job_.AllUsers;
      saved.UserName = job_.OwnerUserName;
      printers->SaveItem(index);
    }
  }
  SetPrinterSettingsChanged(true);
  Show(u"Остановка очереди печати принтера", kWait);
  if (!printer_.Handle) printer_.Open(job_.PrinterName);
  HoldPrinterQueue(printer_, 0, job_.PrinterAttrib);
  status_ = isInstalled;
}

void TStages::Run() {
  ClearConfigRunOnce();
  const bool ownDriver = IsOwnDriver(job_.DriverName, job_.ModelDriverName);
  if (ownDriver && NeedsDriverFiles(job_.System)) CopyFiles();
  if (Cancelled()) return;
  if (ownDriver && status_ != isDriverFailed) InstallDriver();
  if (Cancelled()) return;
  driverName_ = job_.DriverName == kOwnDriverName ? job_.ModelDriverName : job_.DriverName;
  if (status_ != isDriverFailed) CreatePrinter();
  if (Cancelled()) return;
  if (status_ == isRunning) RecordPrinter();
  state_.Status = status_;
}

struct TWorkerRun {
  TInstallJob Job;
  std::shared_ptr<TInstallState> State;
};

DWORD WINAPI InstallPrinterThread(LPVOID parameter) {
  const std::unique_ptr<TWorkerRun> run(static_cast<TWorkerRun*>(parameter));
  try {
    RunInstallation(run->Job, *run->State);
  } catch (...) {
    // A wizard waiting for an outcome must get one.
    int32_t running = isRunning;
    run->State->Status.compare_exchange_strong(running, isPrinterFailed);
  }
  return 0;
}

}  // namespace

void ClearConfigRunOnce() {
  RegRemoveValue(HKEY_LOCAL_MACHINE, kRunOnceKey, u"Tevoran_cfgW");
  RegRemoveValue(HKEY_LOCAL_MACHINE, kRunOnceKey, u"Tevoran_cfgD");
}

TInstallSystem CurrentInstallSystem() {
  const TSysFlags flags = SysFlags();
  TInstallSystem sys;
  sys.IsWinNT = flags.IsWinNT;
  sys.Major = flags.MajorVersion;
  sys.Minor = flags.MinorVersion;
  sys.IsWin95 = flags.IsWin95;
  sys.IsWin98 = flags.IsWin98;
  sys.IsWinME = flags.IsWinME;
  sys.Architecture = ProcessorArchitectureText();
  return sys;
}

std::u16string DriverDirectory() {
  std::u16string dir;
  GetDriverDirectoryPath(dir);
  return dir;
}

bool PrinterSettingsChanged() { return gSettingsChanged.load(); }
void SetPrinterSettingsChanged(bool changed) { gSettingsChanged = changed; }

void SetInstallHooks(TInstallHooks hooks) {
  const TInstallHooks d = DefaultHooks();
  if (!hooks.InstallFromPackage) hooks.InstallFromPackage = d.InstallFromPackage;
  if (!hooks.InstallInf) hooks.InstallInf = d.InstallInf;
  gHooks = std::move(hooks);
}

bool CopyDriverFiles(const TInstallJob& job) {
  const std::u16string source = DriverPackFolder(job.ProgramDir, job.System);
  OpenFileAclToEveryone(job.DriverDir);
  bool missing = false;
  for (const std::string& file : job.DriverFiles) {
    const std::u16string from = source + Wide(file), to = job.DriverDir + Wide(file);
    if (!FilePresent(from) || (!CopyFileReplace(from, to) && !FilePresent(to))) missing = true;
  }
  if (!missing) return true;
  const std::u16string temp = GetTempDirectory();
  if (temp.empty()) return false;
  const std::u16string inf = MakeUniqueFileName(temp, u".inf");
  if (inf.empty()) return false;
  DeleteFileIfExists(inf);
  if (!WriteFileFromString(inf, DriverInfBytes(job.System.IsWinNT, job.DriverFiles)) || !FilePresent(inf)) {
    DeleteFileIfExists(inf);
    return false;
  }
  const bool ran = gHooks.InstallInf(inf, job.Owner);
  DeleteFileNowOrOnReboot(inf);
  if (!ran) return false;
  for (const std::string& file : job.DriverFiles)
    if (!FilePresent(job.DriverDir + Wide(file))) return false;
  return true;
}

void DeleteCopiedDriverFiles(const TInstallJob& job) {
  if (!job.System.IsWinNT) return;
  for (const std::string& file : job.DriverFiles) DeleteFileIfExists(job.DriverDir + Wide(file));
}

void RunInstallation(const TInstallJob& job, TInstallState& state) { TStages(job, state).Run(); }

bool TInstallWorker::Running() const {
  return thread_ && WaitForSingleObject(thread_.Get(), 0) == WAIT_TIMEOUT;
}

bool TInstallWorker::Start(const TInstallJob& job) {
  if (Running()) return false;
  thread_.Reset();
  auto state = std::make_shared<TInstallState>();
  auto run = std::make_unique<TWorkerRun>(TWorkerRun{job, state});
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, InstallPrinterThread, run.get(), 0, &id);
  if (!thread) return false;
  run.release();  // the thread owns it now
  state_ = std::move(state);
  thread_.Reset(thread);
  return true;
}

void TInstallWorker::RequestCancel() {
  if (state_) state_->CancelRequested = true;
}
