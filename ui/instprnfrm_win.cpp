// The printer installation wizard's window: shows what instprnfrm decides and runs the worker of
// instprnthread_win beside it, polled by a timer.
#include "ui/instprnfrm_win.h"

#include <commctrl.h>
#include <lm.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "foundation/cl_tools_app_win.h"
#include "foundation/cl_tools_cfgkey_win.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_apiext_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_log.h"
#include "foundation/lib_prn_printers.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_security_win.h"
#include "foundation/lib_str_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_process_win.h"
#include "foundation/os_win32_win.h"
#include "ui/frmlib_controls_win.h"
#include "ui/frmlib_win.h"
#include "ui/instprnfrm_res.h"

namespace {

constexpr char kInstallLock[] = "Tevoran Printer Install";
constexpr char kUpdateEvent[] = "VirtualPrinterMonitorUpdateEvent";
constexpr std::u16string_view kEditorClass = u"TEditVirtPrn";
constexpr int kProgressMax = 50;

bool DefaultAddPrinterDialog(HWND owner) { return TAddPrinterDialog(owner).Execute(); }

TInstPrnHooks DefaultHooks() {
  TInstPrnHooks h;
  h.StartChild = [](const std::string& commandLine) { CloseHandle(RunProcessA(commandLine, false)); };
  h.AddPrinterDialog = DefaultAddPrinterDialog;
  return h;
}

TInstPrnHooks gHooks = DefaultHooks();

int PageOfControl(int id) {
  return id >= IDC_IP_PAGE0 && id < IDC_IP_PAGEEND ? (id - IDC_IP_PAGE0) / 20 : -1;
}

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::vector<std::u16string> ItemsOf(const TWideStringArray& list) {
  std::vector<std::u16string> items;
  for (int32_t i = 0; i < list.Count(); ++i) items.push_back(list.Get(i));
  return items;
}

void FillCombo(HWND combo, const std::vector<std::u16string>& items, int32_t selected) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& item : items) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WStr(item)));
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int32_t ComboIndex(HWND combo) { return int32_t(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

// The entry at the combo's selection, from the list beside it.
std::u16string SelectedEntry(HWND combo, const std::vector<std::u16string>& entries) {
  const int32_t index = ComboIndex(combo);
  return index >= 0 && size_t(index) < entries.size() ? entries[size_t(index)] : std::u16string();
}

// The enabled normal accounts of this computer (NetUserEnum level 1).
std::vector<std::u16string> EnumLocalUsers() {
  std::vector<std::u16string> users;
  DWORD resume = 0;
  NET_API_STATUS status = 0;
  do {
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    status = CallNetUserEnum(nullptr, 1, FILTER_NORMAL_ACCOUNT, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume);
    if ((status == NERR_Success || status == ERROR_MORE_DATA) && buffer) {
      const auto* info = reinterpret_cast<const USER_INFO_1*>(buffer);
      for (DWORD i = 0; i < read; ++i)
        if ((info[i].usri1_flags & UF_NORMAL_ACCOUNT) && !(info[i].usri1_flags & UF_ACCOUNTDISABLE) && info[i].usri1_name)
          users.push_back(FromWStr(info[i].usri1_name));
    }
    if (buffer) CallNetApiBufferFree(buffer);
  } while (status == ERROR_MORE_DATA);
  return users;
}

bool AskYesNo(std::u16string_view text, UINT icon, HWND owner) {
  return MsgBox(text, u"Внимание!", MB_YESNO | icon, owner) == IDYES;
}

std::u16string ClassNameOf(HWND wnd) {
  wchar_t name[64] = {};
  const int n = GetClassNameW(wnd, name, 64);
  return FromWStr(name, n > 0 ? size_t(n) : 0);
}

}  // namespace

void SetInstPrnHooks(TInstPrnHooks hooks) {
  const TInstPrnHooks d = DefaultHooks();
  if (!hooks.StartChild) hooks.StartChild = d.StartChild;
  if (!hooks.AddPrinterDialog) hooks.AddPrinterDialog = d.AddPrinterDialog;
  gHooks = std::move(hooks);
}

TInstPrnFrm::TInstPrnFrm() : TForm(std::u16string(kInstPrnClass), IDD_INSTPRNFRM, L"ICON_ACKDIALOGFORM"), ProgramDir(GetProgramDir()) {}

TInstPrnFrm::~TInstPrnFrm() = default;

void TInstPrnFrm::EnableControl(int id, bool enabled) { EnableWindow(Control(id), enabled ? TRUE : FALSE); }
bool TInstPrnFrm::Checked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void TInstPrnFrm::SetChecked(int id, bool checked) {
  SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

TWizardRoute TInstPrnFrm::Route() const { return {skipPortPage_, Checked(IDC_IP_CADV1)}; }

void TInstPrnFrm::OnCreate() {
  SetCaption(kInstPrnCaption);
  logo_.Reset(LoadImageW(GetModuleHandleW(nullptr), L"BITMAP_LOGOBMP", IMAGE_BITMAP, 0, 0, 0));
  for (const int id : {IDC_IP_IMAGE1, IDC_IP_IMAGE2})
    if (logo_) SendMessageW(Control(id), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.Get()));
  SetHint(IDC_IP_BBACK, u"Вернуться на шаг назад");
  SetHint(IDC_IP_BNEXT, u"Следующий шаг");
  SetHint(IDC_IP_BCANCEL, u"Отмена установки");
  WrapControlHints(HintWindow(), Handle());
  FindDefaultLocalPort(RecommendedPort);
  SetText(IDC_IP_LABT1, WelcomeText());
  SetText(IDC_IP_LRECOMPORT, RecommendedText(RecommendedPort));
  SetText(IDC_IP_ST1, PortExplanation(RecommendedPort));
  SetText(IDC_IP_LABEL7, RecommendedText(kOwnDriverName));
  SetText(IDC_IP_LABT3, DriverExplanation());
  SendMessageW(Control(IDC_IP_PROGRESSBAR), PBM_SETRANGE32, 0, kProgressMax);
  SendMessageW(Control(IDC_IP_PROGRESSBAR), PBM_SETSTEP, 1, 0);
  Prepare();
  EnableControl(IDC_IP_CPRNCFG, AllowRunConfig);
  RunConfig = CallerRunConfig;
}

void TInstPrnFrm::Prepare() {
  ListDriverNames(DriverNames);
  ListHardwarePorts(PortNames);
  ModelDriverName = Widen(GetEpsonLqModelName());
  ProgressStep = 1;
  SetText(IDC_IP_LCAP, u"");
  SetText(IDC_IP_LMSG, u"");
  SetCaption(kInstPrnCaption);
  PrinterName = GivenPrinterName;
  OwnerUserName = GivenUserName;
  FillUserList();
  InstallStatus = isRunning;
  const TInstallSystem system = CurrentInstallSystem();
  DriverFiles = DriverFileSet(system);
  DriverDir = DriverDirectory();
  FillPortList();
  FillDestinationList();
  FillDriverList();
  TPrinters& printers = *App->Printers;
  skipPortPage_ = !(Components & 2) && !printers.IsUseDOSSet();
  EnableControl(IDC_IP_CCFGDOS, (Components & 2) != 0);
  EnableControl(IDC_IP_CCFGWIN, (Components & 1) != 0);
  const TAllUsersState allUsers = InitialAllUsers(printers.GetMaxPrinterCount(), App->TerminalMode);
  SetChecked(IDC_IP_CALLUSERS, allUsers.Checked);
  EnableControl(IDC_IP_CALLUSERS, allUsers.Enabled);
  EnableControl(IDC_IP_LALLUSRS, allUsers.Enabled);
  ApplyAllUsersRule();
  SetText(IDC_IP_EPRNNAME, PrinterName);
  RunConfig = false;
  for (const int id : {IDC_IP_CMAKEDEF, IDC_IP_CCFGWIN, IDC_IP_CCFGDOS}) SetChecked(id, false);
  SetChecked(IDC_IP_CPRNCFG, true);
  SetChecked(IDC_IP_CADV1, false);
  ShowPage(wpWelcome);
  EnableControl(IDC_IP_BCANCEL, true);
  EnableControl(IDC_IP_BNEXT, true);
  EnableControl(IDC_IP_BBACK, false);
}

void TInstPrnFrm::FillUserList() {
  // Only an administrator chooses among the accounts; the given owner is always there, also where the
  // accounts cannot be listed.
  std::vector<std::u16string> users;
  if (IsAdministrator()) users = EnumLocalUsers();
  if (!OwnerUserName.empty() && std::find(users.begin(), users.end(), OwnerUserName) == users.end())
    users.push_back(OwnerUserName);
  FillCombo(Control(IDC_IP_CUSRNAME), users, EntryIndexOr0(users, OwnerUserName));
}

void TInstPrnFrm::FillPortList() {
  ports_ = ItemsOf(PortNames);
  FillCombo(Control(IDC_IP_CPORTS), ports_, EntryIndexOr0(ports_, RecommendedPort));
}

void TInstPrnFrm::FillDestinationList() {
  TPrinters& printers = *App->Printers;
  destinations_ = ItemsOf(printers.OtherPrinters);
  std::u16string wanted;
  printers.GetPrintToOfUser(PrinterName, printers.UserName, wanted, kPrintToWin);
  if (printers.OtherPrinters.IndexOf(wanted) < 0) GetDefaultPrinterName(wanted);
  int32_t index = printers.OtherPrinters.IndexOf(wanted);
  if (index < 0 && !destinations_.empty()) index = 0;
  FillCombo(Control(IDC_IP_CPRNTO), destinations_, index);
}

void TInstPrnFrm::FillDriverList() {
  drivers_ = DriverEntries(ItemsOf(DriverNames), ModelDriverName);
  std::u16string destinationDriver;
  if (Checked(IDC_IP_CADV1)) {
    std::u16string printer = SelectedEntry(Control(IDC_IP_CPRNTO), destinations_);
    if (printer.empty()) App->Printers->GetPrintToOfUser(PrinterName, App->Printers->UserName, printer, kPrintToWin);
    if (printer.empty()) GetDefaultPrinterName(printer);
    if (printer.empty() && !destinations_.empty()) printer = destinations_.front();
    if (!printer.empty()) GetPrinterDriverName(printer, destinationDriver);
  }
  const std::u16string proposal = ProposedDriver(Checked(IDC_IP_CADV1), destinationDriver);
  FillCombo(Control(IDC_IP_CDRIVERS), drivers_, EntryIndexOr0(drivers_, proposal));
}

void TInstPrnFrm::RefreshLists() {
  refreshPending_ = false;
  App->Printers->Refresh();
  ListDriverNames(DriverNames);
  FillDestinationList();
  FillDriverList();
  EnableNextByList();
}

void TInstPrnFrm::EnableNextByList() {
  if (page_ == wpDestination) EnableControl(IDC_IP_BNEXT, !destinations_.empty());
  if (page_ == wpDriver) EnableControl(IDC_IP_BNEXT, !drivers_.empty());
}

void TInstPrnFrm::ShowPage(int page) {
  page_ = page;
  for (int id = IDC_IP_PAGE0; id < IDC_IP_PAGEEND; ++id)
    if (const HWND control = Control(id)) ShowWindow(control, PageOfControl(id) == page ? SW_SHOW : SW_HIDE);
  const TStepTexts texts = StepTextsOf(page);
  SetText(IDC_IP_LTITLE, texts.Title);
  SetText(IDC_IP_LSTEP, texts.Step);
  if (page == wpWelcome) SetText(IDC_IP_BNEXT, kNextCaption);
  EnableControl(IDC_IP_BBACK, page != wpWelcome);
  if (page == wpDestination) EnableControl(IDC_IP_BNEXT, !destinations_.empty());
}

void TInstPrnFrm::OnShown() {
  BringToFront();
  FocusControl(IDC_IP_BNEXT);
}

void TInstPrnFrm::ApplyAllUsersRule() {
  const bool enabled = IsWindowEnabled(Control(IDC_IP_CALLUSERS)) != FALSE;
  const bool userChoice = UserChoiceEnabled(IsAdministrator(), {Checked(IDC_IP_CALLUSERS), enabled});
  EnableControl(IDC_IP_CUSRNAME, userChoice);
  EnableControl(IDC_IP_LUSRNM, userChoice);
}

void TInstPrnFrm::AllUsersClick() {
  if (IsAdministrator() && Checked(IDC_IP_CALLUSERS) &&
      AllUsersNeedsWarning(true, IsTerminalServer(), App->Printers->GetMaxPrinterCount(), App->TerminalMode) &&
      !AskYesNo(u"Использование данного режима на терминальном сервере вызовет появление сообщений об ошибках. "
                u"Прочтите руководство пользователя. Вы уверены, что хотить включить данный режим?",
                MB_ICONWARNING, Handle()))
    SetChecked(IDC_IP_CALLUSERS, false);
  ApplyAllUsersRule();
}

void TInstPrnFrm::NextClick() {
  switch (page_) {
    case wpName: {
      const std::u16string name = Text(IDC_IP_EPRNNAME);
      if (PrinterExists(name)) {
        ShowErrorMsg(u"Принтер " + name + u" уже существует", Handle());
        return;
      }
      PrinterName = name;
      OwnerUserName = Text(IDC_IP_CUSRNAME);
      return ShowPage(NextPage(page_, Route()));
    }
    case wpDestination:
      if (Checked(IDC_IP_CADV1)) {
        FillDriverList();
        ShowPage(wpDriver);
        return EnableNextByList();
      }
      ShowPage(wpProgress);
      if (!StartInstallThread()) ShowPage(wpDestination);
      return;
    case wpDriver:
      if (IsForbiddenDriver(Text(IDC_IP_CDRIVERS))) {
        ShowWarningMsg(u"Выбран недопустимый драйвер принтера", Handle());
        return FocusControl(IDC_IP_CDRIVERS);
      }
      ShowPage(wpProgress);
      if (!StartInstallThread()) ShowPage(wpDriver);
      return;
    case wpFinished:
      return FinishClick();
    default:
      return ShowPage(NextPage(page_, Route()));
  }
}

void TInstPrnFrm::BackClick() {
  ShowPage(BackPage(page_, Route()));
  SetText(IDC_IP_BNEXT, kNextCaption);
  EnableControl(IDC_IP_BNEXT, page_ != wpFinished);
  EnableNextByList();
}

bool TInstPrnFrm::StartInstallThread() {
  InstallStatus = isRunning;
  EnableControl(IDC_IP_BNEXT, false);
  PortName = Text(IDC_IP_CPORTS);
  DriverName = Text(IDC_IP_CDRIVERS);
  DestPrinter = SelectedEntry(Control(IDC_IP_CPRNTO), destinations_);
  const std::u16string_view missing = PortName.empty()      ? u"Не выбран порт"
                                      : DriverName.empty()  ? u"Не выбран драйвер"
                                      : DestPrinter.empty() ? u"Не выбран принтер"
                                                            : u"";
  if (!missing.empty()) {
    EnableControl(IDC_IP_BNEXT, true);
    ShowErrorMsgA(WideToAnsi(missing), Handle());
    return false;
  }
  TInstallJob job;
  job.PrinterName = PrinterName;
  job.PortName = PortName;
  job.DriverName = DriverName;
  job.DestPrinter = DestPrinter;
  job.OwnerUserName = OwnerUserName;
  job.ModelDriverName = ModelDriverName;
  job.DriverDir = DriverDir;
  job.ProgramDir = ProgramDir;
  job.DriverFiles = DriverFiles;
  job.System = CurrentInstallSystem();
  job.Components = Components;
  job.AllUsers = Checked(IDC_IP_CALLUSERS);
  job.PrinterAttrib = MachineSettingsStore().ReadInteger(kConfigKey, u"PrinterAttrib", 0) != 0;
  job.Owner = Handle();
  job.CapLabel = Control(IDC_IP_LCAP);
  job.MsgLabel = Control(IDC_IP_LMSG);
  job.Log = Log;
  job.Printers = App->Printers.get();
  if (!worker_.Start(job)) {
    EnableControl(IDC_IP_BNEXT, true);
    return false;
  }
  StartTimer(kTimer, kTimerMs);
  EnableControl(IDC_IP_BBACK, false);
  return true;
}

void TInstPrnFrm::OnTimer(UINT_PTR id) {
  if (id != kTimer) return;
  const int32_t status = worker_.Status();
  if (status == isRunning) {
    const HWND bar = Control(IDC_IP_PROGRESSBAR);
    int position = int(SendMessageW(bar, PBM_GETPOS, 0, 0)) + ProgressStep;
    if (position > kProgressMax) position = 0;
    SendMessageW(bar, PBM_SETPOS, WPARAM(position), 0);
    return;
  }
  FinishInstallStep(status);
}

void TInstPrnFrm::FinishInstallStep(int32_t status) {
  StopTimer(kTimer);
  SendMessageW(Control(IDC_IP_PROGRESSBAR), PBM_SETPOS, 0, 0);
  InstallStatus = status;
  if (FromPrinterEditor) SignalNamedEvent(kUpdateEvent, true);
  if (refreshPending_) RefreshLists();
  if (status == isInstalled) {
    ShowPage(wpFinished);
    SetText(IDC_IP_BNEXT, kDoneCaption);
    EnableControl(IDC_IP_BNEXT, true);
    EnableControl(IDC_IP_BCANCEL, false);
    EnableControl(IDC_IP_BBACK, false);
    std::string environment;
    GetPrinterEnvironmentName(environment);
    SetText(IDC_IP_LDRVINSTALLED, InstalledDriverText(DriverName, ModelDriverName, Widen(environment)));
    SetText(IDC_IP_LPRNNAMEINST, PrinterName);
    SetText(IDC_IP_LPORTINSTALLED, PortName);
    SetText(IDC_IP_LPRNTO, DestPrinter);
    ClearConfigRunOnce();
    return;
  }
  if (status == isDriverFailed) SetChecked(IDC_IP_CADV1, true);
  ShowPage(PageAfterStatus(status, Checked(IDC_IP_CADV1)));
  EnableControl(IDC_IP_BNEXT, true);
  EnableControl(IDC_IP_BBACK, true);
  if (status == isDriverFailed) {
    ListDriverNames(DriverNames);
    FillDriverList();
  }
  EnableNextByList();
}

void TInstPrnFrm::FinishClick() {
  ShowWindow(Handle(), SW_HIDE);
  if (InstallStatus == isInstalled) {
    if (Checked(IDC_IP_CMAKEDEF)) {
      std::u16string current;
      GetDefaultPrinterName(current);
      RegWriteString(HKEY_LOCAL_MACHINE, ActiveConfigKey(), u"DefaultPrn", current);
      SetDefaultPrinterName(PrinterName);
    }
    std::u16string spoolDir;
    GetSpoolDirectory(PrinterName, spoolDir);
    if (!spoolDir.empty()) OpenFileAclToEveryone(spoolDir);
    OpenRegistryTreeToEveryone(HKEY_LOCAL_MACHINE, u"Software\\Kavrel");
    if (Checked(IDC_IP_CCFGWIN)) gHooks.StartChild("Client.exe /ConfigWin");
    if (Checked(IDC_IP_CCFGDOS)) gHooks.StartChild("Client.exe /ConfigDos");
    RunConfig = Checked(IDC_IP_CPRNCFG) && IsWindowEnabled(Control(IDC_IP_CPRNCFG));
  }
  WizardResult = true;
  Close(1);
}

void TInstPrnFrm::OnClose() {
  if (page_ != wpFinished) {
    if (!worker_.Running()) {
      if (!AskYesNo(u"Вы уверены, что хотите прервать установку?\r\n ", MB_ICONQUESTION, Handle())) return;
    } else {
      if (!AskYesNo(u"Запущен процесс установки принтера.\r\nВы уверены, что хотите прервать процесс установки?\r\n ",
                    MB_ICONQUESTION, Handle()))
        return;
      // The running stage finishes in the background; nothing after it starts.
      worker_.RequestCancel();
      StopTimer(kTimer);
      SendMessageW(Control(IDC_IP_PROGRESSBAR), PBM_SETPOS, 0, 0);
    }
    if (Log) Log->AddWide(u"Установка прервана по требованию пользователя");
    DriverFiles.clear();
  }
  Close(WizardResult ? 1 : 0);
}

void TInstPrnFrm::AddPrinterClick() {
  gHooks.AddPrinterDialog(Handle());
  if (page_ == wpDestination) EnableControl(IDC_IP_BNEXT, !destinations_.empty());
}

void TInstPrnFrm::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDC_IP_BNEXT:
    case IDOK:
      if (IsWindowEnabled(Control(IDC_IP_BNEXT))) NextClick();
      return;
    case IDC_IP_BBACK: return BackClick();
    case IDC_IP_BCANCEL:
    case IDCANCEL:
      if (!IsWindowEnabled(Control(IDC_IP_BCANCEL)) && page_ != wpFinished) return;
      WizardResult = false;
      return OnClose();
    case IDC_IP_CALLUSERS: return AllUsersClick();
    case IDC_IP_BADDPRINTER: return AddPrinterClick();
    default: return;
  }
}

bool TInstPrnFrm::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  if (msg == WM_CTLCOLORSTATIC) {
    // The header's texts lie on its white band.
    const HWND control = reinterpret_cast<HWND>(lp);
    if (control != Control(IDC_IP_LTITLE) && control != Control(IDC_IP_LSTEP)) return false;
    SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOW));
    result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    return true;
  }
  if (msg != WM_SETTINGCHANGE) return false;
  const auto* section = reinterpret_cast<const wchar_t*>(lp);
  if (!section) return true;
  const std::u16string name = FromWStr(section);
  if (name != u"devices" && name != u"Windows") return true;
  // The list is the worker's while it records the new printer.
  if (worker_.Running()) {
    refreshPending_ = true;
    return true;
  }
  RefreshLists();
  return true;
}

bool InstallVirtualPrinter(TClientApplication& app, std::u16string& printerName, bool allowRunConfig,
                           bool& runConfig, TLogFile& log, uint8_t components) {
  static std::unique_ptr<TInstPrnFrm> wizard;
  const HWND mainForm = MainForm();
  std::optional<TInstanceLock> lock;
  if (!mainForm) {
    const std::u16string caption(kInstPrnCaption);
    if (FindWindowW(WStr(std::u16string(kInstPrnClass)), WStr(caption))) {
      ActivateWindowByTitle(WideToAnsi(caption), false);
      return false;
    }
    lock.emplace(kInstallLock, !IsRemoteSession(), 1);
    if (!lock->Held()) return false;
  }
  log.Add("Starting Printer Installation");
  if (!wizard) wizard = std::make_unique<TInstPrnFrm>();
  wizard->App = &app;
  wizard->Log = &log;
  wizard->Components = components;
  wizard->GivenPrinterName = printerName;
  wizard->GivenUserName = app.Printers->UserName;
  wizard->AllowRunConfig = mainForm ? allowRunConfig : true;
  wizard->CallerRunConfig = runConfig;
  wizard->FromPrinterEditor = mainForm && ClassNameOf(mainForm) == kEditorClass;
  wizard->WizardResult = false;
  wizard->ShowModal();
  printerName = wizard->PrinterName;
  runConfig = wizard->RunConfig;
  return wizard->WizardResult;
}

bool TAddPrinterDialog::Execute() {
  IMalloc* malloc = nullptr;
  if (FAILED(SHGetMalloc(&malloc)) || !malloc) return false;
  bool executed = false;
  LPITEMIDLIST folderList = nullptr;
  IShellFolder* desktop = nullptr;
  IShellFolder* printers = nullptr;
  IEnumIDList* items = nullptr;
  LPITEMIDLIST first = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(owner_, CSIDL_PRINTERS, &folderList)) &&
      SUCCEEDED(SHGetDesktopFolder(&desktop)) &&
      SUCCEEDED(desktop->BindToObject(folderList, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&printers))) &&
      SUCCEEDED(printers->EnumObjects(owner_, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items)) && items &&
      items->Next(1, &first, nullptr) == S_OK && first) {
    const auto* folderBytes = reinterpret_cast<const uint8_t*>(folderList);
    const auto* itemBytes = reinterpret_cast<const uint8_t*>(first);
    const std::vector<uint8_t> joined = JoinItemLists({folderBytes, ILGetSize(folderList)}, {itemBytes, ILGetSize(first)});
    void* list = joined.empty() ? nullptr : malloc->Alloc(joined.size());
    if (list) {
      std::memcpy(list, joined.data(), joined.size());
      SHELLEXECUTEINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
      info.hwnd = owner_;
      info.nShow = SW_SHOWDEFAULT;
      info.lpIDList = list;
      executed = ShellExecuteExW(&info) != FALSE;
      if (info.hProcess) CloseHandle(info.hProcess);
      malloc->Free(list);
    }
  }
  if (first) malloc->Free(first);
  if (items) items->Release();
  if (printers) printers->Release();
  if (desktop) desktop->Release();
  if (folderList) malloc->Free(folderList);
  malloc->Release();
  return executed;
}
