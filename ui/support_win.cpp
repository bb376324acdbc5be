// The support dialog's window: the report gathered from the system's lists, the clipboard copy, the
// "Mailto:" link and the mail through Simple MAPI with its temporary report file.
#include "ui/support_win.h"

#include <commctrl.h>
#include <mapi.h>
#include <winspool.h>


#include "coding/cl_macrolib_docparam.h"
#include "foundation/cl_tools_app_win.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_log.h"
#include "foundation/lib_prn_printers.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "ui/support_res.h"
#include "ui/visualutil.h"
#include "ui/visualutil_win.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr ULONG kMapiSendFlags = MAPI_LOGON_UI | MAPI_NEW_SESSION | MAPI_DIALOG;

std::optional<std::u16string> Field(const char* text) {
  if (!text) return std::nullopt;
  return AnsiToWide(text);
}

std::vector<TPrinterReportEntry> SystemPrinters() {
  std::vector<TPrinterReportEntry> list;
  std::vector<uint8_t> bytes;
  DWORD count = 0;
  if (!ListPrinters2A(bytes, count)) return list;
  count = std::min<DWORD>(count, static_cast<DWORD>(bytes.size() / sizeof(PRINTER_INFO_2A)));
  const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(bytes.data());
  for (DWORD i = 0; i < count; ++i) {
    const PRINTER_INFO_2A& p = info[i];
    TPrinterReportEntry e;
    e.Name = p.pPrinterName ? AnsiToWide(p.pPrinterName) : std::u16string();
    e.IsDefault = IsDefaultPrinter(e.Name);
    e.ServerName = Field(p.pServerName);
    e.ShareName = Field(p.pShareName);
    e.PortName = Field(p.pPortName);
    e.DriverName = Field(p.pDriverName);
    e.Comment = Field(p.pComment);
    e.Location = Field(p.pLocation);
    e.PrintProcessor = Field(p.pPrintProcessor);
    e.DataType = Field(p.pDatatype);
    e.Parameters = Field(p.pParameters);
    e.Attributes = p.Attributes;
    e.Status = p.Status;
    list.push_back(std::move(e));
  }
  return list;
}

std::vector<TDriverReportEntry> SystemDrivers() {
  std::vector<TDriverReportEntry> list;
  std::vector<uint8_t> bytes;
  DWORD count = 0;
  if (!ListDrivers3A(bytes, count)) return list;
  count = std::min<DWORD>(count, static_cast<DWORD>(bytes.size() / sizeof(DRIVER_INFO_3A)));
  const auto* info = reinterpret_cast<const DRIVER_INFO_3A*>(bytes.data());
  for (DWORD i = 0; i < count; ++i) {
    const DRIVER_INFO_3A& d = info[i];
    TDriverReportEntry e;
    e.Name = d.pName ? AnsiToWide(d.pName) : std::u16string();
    e.Version = d.cVersion;
    e.Environment = Field(d.pEnvironment);
    e.DriverPath = Field(d.pDriverPath);
    e.DataFile = Field(d.pDataFile);
    e.ConfigFile = Field(d.pConfigFile);
    e.HelpFile = Field(d.pHelpFile);
    // A list of names, each ended by a zero: the first one.
    e.DependentFiles = Field(d.pDependentFiles);
    e.MonitorName = Field(d.pMonitorName);
    e.DefaultDataType = Field(d.pDefaultDataType);
    list.push_back(std::move(e));
  }
  return list;
}

int32_t MaxPrinterCount() {
  TClientApplication* app = ClientApplication();
  return app && app->Printers ? app->Printers->GetMaxPrinterCount() : 1;
}

std::u16string GatherReport(uint8_t mask) {
  TSupportReportParts parts;
  parts.SystemReport = SystemReportText();
  if (parts.SystemReport.empty()) parts.SystemReport = GetSystemReport();
  const std::u16string model = AnsiToWide(GetEpsonLqModelName());
  parts.Printers = FormatPrinterList(SystemPrinters(), model);
  parts.Drivers = FormatDriverList(SystemDrivers(), model);
  parts.ProgramTitle = GetProgramTitle();
  std::string environment;
  GetPrinterEnvironmentName(environment);
  const TSettingsStore& store = MachineSettingsStore();
  parts.DocTypes = DescribeDocTypes(store, ConfigKeyOfProduct(mask), environment, IsRemoteSession());
  parts.ComponentMask = mask;
  parts.TerminalServer = IsTerminalServer();
  parts.RemoteSession = IsRemoteSession();
  parts.Service = IsRunAsService(store, IsServerEdition(), IsWinNT());
  parts.MaxPrinterCount = MaxPrinterCount();
  return BuildSupportReportText(parts);
}

// The report's temporary file, deleted on every road out of the send.
class TTempReportFile {
 public:
  explicit TTempReportFile(std::u16string name) : name_(std::move(name)) {}
  ~TTempReportFile() {
    if (!name_.empty()) DeleteFileNowOrOnReboot(name_);
  }
  TTempReportFile(const TTempReportFile&) = delete;
  TTempReportFile& operator=(const TTempReportFile&) = delete;
  const std::u16string& Name() const { return name_; }

 private:
  std::u16string name_;
};

bool PutTextOnClipboard(HWND owner, const std::string& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool placed = false;
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    if (void* bytes = GlobalLock(memory)) {
      std::memcpy(bytes, text.c_str(), text.size() + 1);
      GlobalUnlock(memory);
      placed = SetClipboardData(CF_TEXT, memory) != nullptr;
    }
    if (!placed) GlobalFree(memory);
  }
  CloseClipboard();
  return placed;
}

std::unique_ptr<TTevoranSupport>& SupportFormSlot() {
  static std::unique_ptr<TTevoranSupport> form;
  return form;
}

}  // namespace

ULONG SendMailThroughMapi(HWND parent, const TMailRequest& mail) {
  // Loaded once and kept: a mail client may still run code of the library after the call.
  static HMODULE mapi = LoadLibraryA("MAPI32.DLL");
  if (!mapi) return MAPI_USER_ABORT;  // no Simple MAPI: nothing to report
  const auto send = reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(GetProcAddress(mapi, "MAPISendMail")));
  if (!send) return MAPI_E_FAILURE;
  std::string subject = mail.Subject;
  std::string note = mail.Note;
  std::string name = mail.RecipientName;
  std::string address = mail.RecipientAddress;
  std::string originatorName;
  MapiRecipDesc originator{};
  originator.lpszName = originatorName.data();
  MapiRecipDesc recipient{};
  recipient.ulRecipClass = MAPI_TO;
  recipient.lpszName = name.data();
  recipient.lpszAddress = address.data();
  std::vector<TMailRequest::TFile> files = mail.Files;
  std::vector<MapiFileDesc> descs(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    descs[i].flFlags = 2;  // MAPI_OLE_STATIC
    descs[i].nPosition = 0;
    descs[i].lpszPathName = files[i].Path.data();
    descs[i].lpszFileName = files[i].Name.data();
  }
  MapiMessage message{};
  message.lpszSubject = subject.data();
  message.lpszNoteText = note.data();
  message.lpOriginator = &originator;
  message.nRecipCount = 1;
  message.lpRecips = &recipient;
  message.nFileCount = static_cast<ULONG>(descs.size());
  message.lpFiles = descs.empty() ? nullptr : descs.data();
  return send(0, reinterpret_cast<ULONG_PTR>(parent), &message, kMapiSendFlags, 0);
}

TTevoranSupport::TTevoranSupport(TOpenLink openLink)
    : TForm(std::u16string(kSupportClass), IDD_SUPPORT, L"CONF"),
      openLink_(openLink ? std::move(openLink) : TOpenLink(ShellOpenLink)) {}

TTevoranSupport::~TTevoranSupport() {
  if (Handle()) RemoveWindowSubclass(Handle(), SubclassProc, kSubclassId);
}

void TTevoranSupport::LogLine(std::u16string_view text) const {
  if (Log) Log->AddWide(u"Support --> " + std::u16string(text));
}

void TTevoranSupport::BuildSupportReport() {
  report_ = GatherReport(ComponentMask);
  if (Handle()) {
    SetCaption(kSupportCaption);
    SetText(IDC_SUPPORT_MEMO, report_);
  }
}

void TTevoranSupport::OnCreate() {
  SetWindowSubclass(Handle(), SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  SetCaption(kSupportCaption);
  SetText(IDC_SUPPORT_MEMO, report_);
  const TSupportView view = BuildSupportView(SupportEMail(), Files.size());
  SetText(IDC_SUPPORT_LABELEMAIL, view.EMailLabel);
  boldFont_.Reset(DerivedFont(Handle(), true, false));
  linkFont_.Reset(DerivedFont(Handle(), false, true));
  for (const int id : {IDC_SUPPORT_LABEL1, IDC_SUPPORT_GROUPBOX1}) {
    if (boldFont_) SendMessageW(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.Get()), FALSE);
  }
  if (linkFont_) {
    SendMessageW(Control(IDC_SUPPORT_LABELEMAIL), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.Get()), FALSE);
  }
  SendMessageW(Control(IDC_SUPPORT_CATTACHSPL), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(Control(IDC_SUPPORT_CHECKBOX1), BM_SETCHECK, BST_CHECKED, 0);
}

void TTevoranSupport::OnShow() {
  EnableWindow(Control(IDC_SUPPORT_CATTACHSPL), BuildSupportView(u"", Files.size()).AttachEnabled);
  PlaceFormCentred(Handle(), RECT{0, 0, 618, 438});
  const HWND band = Control(IDC_SUPPORT_IMAGE1);
  RECT client{};
  GetClientRect(Handle(), &client);
  constexpr int kBandHeight = 33;
  SetWindowPos(band, nullptr, 0, 0, client.right, kBandHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  gradient_.Reset(MakeGradientBitmap(client.right, kBandHeight, kGradientNavy, kGradientWhite));
  if (!gradient_) return;
  DrawBandLabel();
  SendMessageW(band, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(gradient_.Get()));
}

// The label goes into the band's picture: sibling controls that overlap paint in no fixed order, so a
// transparent label over the band could vanish under it.
void TTevoranSupport::DrawBandLabel() {
  const HWND label = Control(IDC_SUPPORT_LABEL1);
  const RECT place = ControlRectIn(Handle(), label);
  const std::u16string text = Text(IDC_SUPPORT_LABEL1);
  const HDC screen = GetDC(Handle());
  const HDC dc = CreateCompatibleDC(screen);
  const HGDIOBJ oldBitmap = SelectObject(dc, gradient_.Get());
  const HGDIOBJ oldFont = boldFont_ ? SelectObject(dc, boldFont_.Get()) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOW));
  RECT r = place;
  DrawTextW(dc, WStr(text), static_cast<int>(text.size()), &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  if (oldFont) SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
  ReleaseDC(Handle(), screen);
  ShowWindow(label, SW_HIDE);
}

void TTevoranSupport::OnShown() {
  FocusControl(IDC_SUPPORT_BUTTON2);
  BringToFront();
}

void TTevoranSupport::OnCommand(int id, int code) {
  if ((id == IDC_SUPPORT_BUTTON2 || id == IDCANCEL) && code == BN_CLICKED) {
    Close(0);
  } else if (id == IDC_SUPPORT_BUTTON1 && code == BN_CLICKED) {
    Button1Click();
  } else if (id == IDC_SUPPORT_BUTTON3 && code == BN_CLICKED) {
    Button3Click();
  } else if (id == IDC_SUPPORT_LABELEMAIL && code == STN_CLICKED) {
    openLink_(GetApplicationWindow(), BuildSupportView(SupportEMail(), 0).MailtoLink, SW_SHOWNOACTIVATE);
  }
}

void TTevoranSupport::Button1Click() {
  const std::u16string text = Handle() ? Text(IDC_SUPPORT_MEMO) : report_;
  PutTextOnClipboard(Handle(), WideToAnsi(text));
}

void TTevoranSupport::Button3Click() {
  try {
    Send();
  } catch (...) {
    // The dialog stays open; the system's last error, when there is one, says what failed.
    if (GetLastError() != 0) ShowLastError(Handle());
  }
}

void TTevoranSupport::Send() {
  const std::u16string report = Handle() ? Text(IDC_SUPPORT_MEMO) : report_;
  const TTempReportFile temp(MakeTempFileName());
  if (!SaveStringToFile(temp.Name(), WideToAnsi(report))) LogLine(u"Ошибка записи в файл: " + temp.Name());
  const HWND attach = Control(IDC_SUPPORT_CATTACHSPL);
  const bool attachSpool = attach && IsWindowEnabled(attach) &&
                           SendMessageW(attach, BM_GETCHECK, 0, 0) == BST_CHECKED;
  std::vector<TListedFile> listed;
  for (const std::u16string& path : Files) listed.push_back({path, GetFileSizeByName(path)});
  const TAttachPlan plan = PlanAttachments(temp.Name(), listed, attachSpool);
  for (const std::u16string& gone : plan.Missing) LogLine(u"Файл не найден: " + gone);
  if (plan.SizeWarning) ShowWarningMsg(kAttachmentSizeWarning, Handle());
  TMailRequest mail;
  mail.Subject = WideToAnsi(kSupportSubject);
  mail.Note = WideToAnsi(SupportMailBody(report));
  mail.RecipientName = WideToAnsi(kSupportRecipient);
  mail.RecipientAddress = WideToAnsi(SupportEMail());
  for (const TAttachment& a : plan.Attachments) mail.Files.push_back({WideToAnsi(a.Path), WideToAnsi(a.Name)});
  const ULONG result = SendMailThroughMapi(Handle(), mail);
  const std::u16string error = MapiResultText(result);
  if (!error.empty()) ShowErrorMsg(error, Handle());
}

LRESULT CALLBACK TTevoranSupport::SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* form = reinterpret_cast<TTevoranSupport*>(data);
  if (msg == WM_CTLCOLORSTATIC && form) {
    const auto control = reinterpret_cast<HWND>(lp);
    const auto dc = reinterpret_cast<HDC>(wp);
    if (control == form->Control(IDC_SUPPORT_LABELEMAIL)) {
      const LRESULT brush = DefSubclassProc(wnd, msg, wp, lp);
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
      return brush;
    }
  }
  if (msg == WM_SETCURSOR && form && reinterpret_cast<HWND>(wp) == form->Control(IDC_SUPPORT_LABELEMAIL)) {
    SetCursor(LoadCursor(nullptr, IDC_HAND));
    return TRUE;
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(wnd, SubclassProc, kSubclassId);
  return DefSubclassProc(wnd, msg, wp, lp);
}

TTevoranSupport& SupportForm() {
  std::unique_ptr<TTevoranSupport>& form = SupportFormSlot();
  if (!form) form = std::make_unique<TTevoranSupport>();
  return *form;
}

void ShowSupportReport(TLogFile* log, uint8_t componentMask) {
  const std::u16string title = GetProgramTitle();
  SetProgramTitle(kProgramTitle);
  TTevoranSupport& form = SupportForm();
  form.Log = log;
  form.ComponentMask = componentMask;
  form.BuildSupportReport();
  form.ShowModal();
  form.Log = nullptr;
  SetProgramTitle(title);
}
