// The monitor's hidden window, its tray icon and menu, the launchers and the About box with parameters.
#include "monitor/monitwin_win.h"

#include <exception>
#include <mutex>
#include <utility>

#include "coding/cl_macrolib_docparam.h"
#include "foundation/cl_tools_broadcast_win.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_process_win.h"
#include "monitor/monitsvc.h"
#include "ui/about_win.h"
#include "ui/forms_win.h"
#include "ui/frmlib_controls.h"

namespace {

constexpr UINT_PTR kRebuildTimer = 1;
// A printer monitor between rounds answers at once; one inside a round is not waited for.
constexpr DWORD kPrinterReadyWaitMs = 128;
// A listing that never finished is tried again from the window's thread, so not for a minute.
constexpr uint32_t kRebuildRefreshWaitMs = 3000;
// The names compared are seven characters long: a section is read no further than it can matter.
constexpr size_t kSectionReadLimit = 16;

std::mutex gLaunchLock;
TLaunchProcess gLaunch;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void Launch(TLauncher launcher) {
  const std::u16string commandLine = LauncherCommandLine(launcher);
  TLaunchProcess launch;
  {
    std::lock_guard<std::mutex> guard(gLaunchLock);
    launch = gLaunch;
  }
  if (launch) {
    launch(commandLine);
    return;
  }
  if (HANDLE process = RunProcess(commandLine, false)) CloseHandle(process);
}

// The application's lock held for a scope; Held() tells whether it was had.
class TSyncHold {
 public:
  explicit TSyncHold(TClientApplication* app, bool tryOnce = false) : sync_(app ? app->Sync.get() : nullptr) {
    held_ = sync_ && (tryOnce ? sync_->TryEnter() : sync_->Enter());
  }
  ~TSyncHold() {
    if (held_) sync_->Leave();
  }
  TSyncHold(const TSyncHold&) = delete;
  TSyncHold& operator=(const TSyncHold&) = delete;
  bool Held() const { return held_; }

 private:
  TSyncObject* sync_;
  bool held_ = false;
};

// A bitmap resource as a glyph; empty when it cannot be read.
TGlyph GlyphOfBitmapResource(const wchar_t* name) {
  TGdiObject bitmap(LoadImageW(Instance(), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BITMAP info{};
  if (!bitmap || GetObjectW(bitmap.Get(), sizeof info, &info) != sizeof info || info.bmWidth <= 0 ||
      info.bmHeight <= 0 || info.bmWidth > 256 || info.bmHeight > 256)
    return {};
  TGlyph glyph{info.bmWidth, info.bmHeight, std::vector<uint32_t>(static_cast<size_t>(info.bmWidth) * info.bmHeight)};
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, info.bmWidth, -info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, static_cast<HBITMAP>(bitmap.Get()), 0, static_cast<UINT>(info.bmHeight),
                             glyph.Pixels.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != info.bmHeight) return {};
  // The DIB's 0x00RRGGBB to the glyph's COLORREF order.
  for (uint32_t& p : glyph.Pixels) p = ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
  return glyph;
}

// Images 0, 1, 2 of the menu: quit, printer, About. Their magenta corner is the transparent colour.
std::shared_ptr<TImageList> LoadMenuImages() {
  auto images = std::make_shared<TImageList>();
  for (const wchar_t* name : {L"IM08", L"IM38", L"IM48"}) images->Images.push_back(GlyphOfBitmapResource(name));
  if (!images->Images.front().Empty()) {
    images->Width = images->Images.front().Width;
    images->Height = images->Images.front().Height;
  }
  return images;
}

const wchar_t* MonitorClassName() { return reinterpret_cast<const wchar_t*>(kMonitorWindowClass.data()); }

// The section name message 26 points at, read at most as far as it can matter; false without one.
bool SectionOf(LPARAM lp, std::u16string& section) {
  const auto* text = reinterpret_cast<const wchar_t*>(lp);
  if (text == nullptr) return false;
  for (size_t i = 0; i < kSectionReadLimit && text[i] != L'\0'; ++i) section += static_cast<char16_t>(text[i]);
  return true;
}

}  // namespace

void LaunchConfig() { Launch(TLauncher::Config); }
void LaunchConfigWin() { Launch(TLauncher::ConfigWin); }
void LaunchConfigDos() { Launch(TLauncher::ConfigDos); }
void LaunchConfigDirDos() { Launch(TLauncher::ConfigDirDos); }

void SetLaunchProcess(TLaunchProcess launch) {
  std::lock_guard<std::mutex> guard(gLaunchLock);
  gLaunch = std::move(launch);
}

void ShowAboutWithParams(std::u16string_view configKey, HWND owner) {
  const std::u16string params = DescribeDocTypes(MachineSettingsStore(), configKey, "", IsRemoteSession());
  ShowAboutBox(AboutProductText(GetProgramTitle()), AnsiToWide(kProgramVersion), SupportEMail(), true, owner, params);
}

bool TFormVirtPrinter::RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &TFormVirtPrinter::WindowProc;
    wc.hInstance = Instance();
    wc.lpszClassName = MonitorClassName();
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

TFormVirtPrinter::TFormVirtPrinter(TMonitorContext* context) : context_(context) {
  if (!RegisterWindowClass()) return;
  CreateWindowExW(0, MonitorClassName(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Instance(), this);
  if (!wnd_) return;
  // Never shown; the process's dialogs bring themselves to the front through it.
  SetApplicationWindow(wnd_);
  InitMonitorWindow();
}

TFormVirtPrinter::~TFormVirtPrinter() {
  if (wnd_) DestroyWindow(wnd_);
}

TFormVirtPrinter* TFormVirtPrinter::FromHandle(HWND wnd) {
  DWORD process = 0;
  wchar_t name[64] = {};
  if (!wnd || !GetWindowThreadProcessId(wnd, &process) || process != GetCurrentProcessId() ||
      !GetClassNameW(wnd, name, 64) || FromWStr(name) != kMonitorWindowClass)
    return nullptr;
  return reinterpret_cast<TFormVirtPrinter*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

TClientApplication* TFormVirtPrinter::App() const { return context_ ? context_->App : nullptr; }

void TFormVirtPrinter::InitMonitorWindow() {
  TClientApplication* app = App();
  if (!app) return;
  if (app->Interactive) {
    icon_ = LoadIconW(Instance(), L"MWIN");
    SendMessageW(wnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(wnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    BuildMenu();
    realised_ = std::make_unique<TRealisedMenu>(pm_);
    realised_->AttachTo(wnd_);
    // Menus only: the window has no controls to paint flat.
    styled_ = std::make_unique<TStyledMenu>(wnd_);
    LOGFONTW font = ScreenMenuFont();
    font.lfCharSet = RUSSIAN_CHARSET;
    styled_->SetFont(font, styled_->FontColor());
    styled_->AutoDetect = true;
    styled_->SetStyledControls(SetOf(xcMainMenu) | SetOf(xcPopupMenu));
    styled_->SetActive(true);
    styled_->AddMenu(*realised_);
    SetWindowTextW(wnd_, reinterpret_cast<const wchar_t*>(kMonitorCaption.data()));
    tray_ = std::make_unique<TTrayIcon>(wnd_);
    tray_->SetHint(std::u16string(kMonitorCaption));
    tray_->SetIcon(icon_);
    tray_->SetPopupMenu(realised_->Handle());
    tray_->OnClick = [this](TTrayIcon&) { TrayIconClick(); };
    try {
      tray_->SetVisible(true);
    } catch (const EOutOfResources& e) {
      // The shell may not be up yet: the icon stays meant to show and comes back with "TaskbarCreated".
      if (context_->Log) context_->Log->Add(e.what());
    }
    target_ = std::make_shared<TTrayMenuTarget>();
    target_->Window = wnd_;
    RebuildTrayMenu();
  } else {
    SetWindowTextW(wnd_, reinterpret_cast<const wchar_t*>(kServiceWindowCaption.data()));
  }
  TSyncHold hold(app);
  if (!hold.Held()) return;
  if (target_) {
    // Runs on the printer monitor thread under the lock: it only tells the window, which rebuilds on its
    // own thread, the one that tracks the menu.
    app->UpdateCallback = [target = target_] {
      if (HWND wnd = target->Window.load()) PostMessageW(wnd, WM_TRAYMENUREBUILD, 0, 0);
    };
  }
  if (app->Printers) app->Printers->GetPrimaryPrinterName(printerName_);
}

void TFormVirtPrinter::BuildMenu() {
  pm_.Images = LoadMenuImages();
  TMenuItem& root = pm_.Items();
  const auto destination = [&root](std::u16string_view caption) {
    TMenuItem& item = root.Add(std::u16string(caption));
    item.ImageIndex = 1;
    item.Visible = false;
    return &item;
  };
  prnToD_ = destination(kPrnToD);
  prnToF_ = destination(kPrnToF);
  prnToW_ = destination(kPrnToW);
  root.Add(u"-");
  TMenuItem& config = root.Add(std::u16string(kMnConfig), [](TMenuItem&) { LaunchConfig(); });
  TMenuItem& confSymb = root.Add(std::u16string(kMnConfSymb), [](TMenuItem&) { LaunchConfigWin(); });
  root.Add(u"-");
  TMenuItem& configDos = root.Add(std::u16string(kMnConfigDos), [](TMenuItem&) { LaunchConfigDirDos(); });
  TMenuItem& dos = root.Add(std::u16string(kMnDos), [](TMenuItem&) { LaunchConfigDos(); });
  root.Add(u"-");
  root.Add(std::u16string(kMnAbout), [this](TMenuItem&) { ShowAbout(); }).ImageIndex = 2;
  root.Add(std::u16string(kMnQuit), [this](TMenuItem&) { Quit(); }).ImageIndex = 0;

  // The application's WinOrDosFlag and FileSourceFlag stay as the monitor run left them: it may have
  // cleared the file flag for a destination it could not set, and its workers read both.
  const TTrayMenuVisibility shown = TrayMenuVisibility(context_->Components, GetIsMonit(MachineSettingsStore()));
  config.Visible = shown.Config;
  confSymb.Visible = shown.ConfSymb;
  configDos.Visible = shown.ConfigDos;
  dos.Visible = shown.Dos;
}

void TFormVirtPrinter::RealiseMenu() {
  if (!realised_) return;
  realised_->Rebuild();
  if (tray_) tray_->SetPopupMenu(realised_->Handle());
}

void TFormVirtPrinter::RebuildTrayMenu() {
  TClientApplication* app = App();
  if (!wnd_ || !app || !app->Interactive || !realised_) return;
  failedTries_ = 0;
  SetTimer(wnd_, kRebuildTimer, RebuildDelayMs(IsWin9x()), nullptr);
}

void TFormVirtPrinter::OnRebuildTimer() {
  KillTimer(wnd_, kRebuildTimer);
  // The open menu's handles must not change under it: the rebuild waits until it closes.
  if (menuOpen_) {
    SetTimer(wnd_, kRebuildTimer, kRebuildDelayMs, nullptr);
    return;
  }
  TSyncHold hold(App(), true);
  if (!hold.Held()) {
    if (const auto retry = NextRebuildRetry(++failedTries_)) SetTimer(wnd_, kRebuildTimer, *retry, nullptr);
    return;
  }
  failedTries_ = 0;
  MakePopup();
}

void TFormVirtPrinter::MakePopup() {
  if (!App()->Printers) return;
  try {
    TPrinters& printers = *App()->Printers;
    if (printers.Count() == 1) printers.GetPrimaryPrinterName(printerName_);
    bool stop = false;
    if (context_->StopEvent && WaitForSingleObject(context_->StopEvent.Get(), 0) == WAIT_OBJECT_0) {
      // The test took the auto-reset signal a worker waits for: give it back.
      SetEvent(context_->StopEvent.Get());
      stop = true;
    }
    const bool ready = !stop && (!context_->PrinterReadyEvent ||
                                 WaitForSingleObject(context_->PrinterReadyEvent.Get(), kPrinterReadyWaitMs) == WAIT_OBJECT_0);
    switch (RebuildStart(stop, printers.AllPrinters.Count() > 0, printers.OtherPrinters.Count(), ready)) {
      case TRebuildStart::Skip:
        ++rebuilds_;
        return;
      case TRebuildStart::RefreshFirst:
        printers.Refresh(kRebuildRefreshWaitMs);
        break;
      case TRebuildStart::Go:
        break;
    }
    FillDestinations();
  } catch (const std::exception&) {
    if (context_->Log) context_->Log->Add("Exception in MakePopup");
  }
  ++rebuilds_;
}

void TFormVirtPrinter::FillDestinations() {
  const TDestinationMenusPlan plan = PlanDestinationMenus(context_->Components, App()->Printers->Count());
  const std::pair<TMenuItem*, TDestinationMenuPlan> menus[] = {{prnToW_, plan.Win}, {prnToD_, plan.Dos},
                                                                {prnToF_, plan.Files}};
  for (const auto& [submenu, how] : menus) {
    if (how.Fill) {
      FillDestinationMenu(*submenu, how.Kind);
      if (styled_) styled_->HookMenuItem(*submenu, true);
    } else {
      submenu->Visible = false;
    }
  }
  RealiseMenu();
}

void TFormVirtPrinter::FillDestinationMenu(TMenuItem& submenu, uint8_t kind) {
  TPrinters& printers = *App()->Printers;
  submenu.Visible = false;
  submenu.Clear();
  std::u16string current;
  printers.GetPrintTo(printerName_, current, kind);
  for (const TPrinterMenuEntry& entry : PrinterMenuEntries(printers.OtherPrinters, current)) {
    // The item keeps its printer's name: the list may be reloaded before it is chosen.
    TMenuItem& item = submenu.Add(MenuCaptionOf(entry.Caption), [this, kind, printer = entry.Caption](TMenuItem&) {
      SelectDestination(kind, printer);
    });
    item.Checked = entry.Checked;
  }
  submenu.Visible = submenu.HasSubItems();
}

void TFormVirtPrinter::SelectDestination(uint8_t kind, const std::u16string& printer) {
  try {
    TSyncHold hold(App());
    if (hold.Held()) {
      App()->Printers->SetPrintTo(printerName_, printer, kind);
      RebuildTrayMenu();
    }
  } catch (const std::exception&) {
  }
  // Also without the change: the settings dialogs read the stored destinations again.
  NotifyPrinterEditor();
}

void TFormVirtPrinter::TrayIconClick() {
  if (tray_ && tray_->PopupMenu()) tray_->PopupAtCursor();
}

void TFormVirtPrinter::ShowAbout() {
  ShowAboutWithParams(ConfigKeyOfProduct(context_ ? context_->Components : 0), wnd_);
}

void TFormVirtPrinter::Quit() {
  // Posted: the menu's command is still being handled on this window.
  if (ConfirmQuit(kMonitorCaption, wnd_)) PostMessageW(wnd_, WM_CLOSE, 0, 0);
}

bool TFormVirtPrinter::SettingChange(LPARAM lp) {
  std::u16string section;
  if (!SectionOf(lp, section) || !IsPrinterSettingsSection(section)) return false;
  // The printer monitor reloads the list between rounds and its callback has the menu rebuilt.
  if (TClientApplication* app = App(); app && app->UpdateEvent) SetEvent(app->UpdateEvent.Get());
  return true;
}

void TFormVirtPrinter::FormClose() {
  if (TClientApplication* app = App(); app && app->Interactive) CloseMonitorWindow();
  DestroyWindow(wnd_);
}

void TFormVirtPrinter::Teardown() {

  if (target_) {
    target_->Window = nullptr;
    // No rebuild may be asked of a window that is gone; a callback already running only finds no window.
    TSyncHold hold(App());
    if (hold.Held()) App()->UpdateCallback = nullptr;
  }
  KillTimer(wnd_, kRebuildTimer);
  tray_.reset();
  if (styled_ && realised_) styled_->RemoveMenu(*realised_);
  styled_.reset();
  realised_.reset();
  if (GetApplicationWindow() == wnd_) SetApplicationWindow(nullptr);
}

LRESULT TFormVirtPrinter::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TRAYMENUREBUILD:
      RebuildTrayMenu();
      return 0;
    case WM_TIMER:
      if (wp == kRebuildTimer) {
        OnRebuildTimer();
        return 0;
      }
      break;
    case WM_ENTERMENULOOP:
      menuOpen_ = true;
      break;
    case WM_EXITMENULOOP:
      menuOpen_ = false;
      break;
    case WM_SETTINGCHANGE:
      if (SettingChange(lp)) return 1;
      break;
    case WM_ACTIVATEDIALOG:
      SetForegroundWindow(reinterpret_cast<HWND>(wp));
      return 1;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_DESTROY:
      Teardown();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(wnd_, msg, wp, lp);
}

LRESULT CALLBACK TFormVirtPrinter::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<TFormVirtPrinter*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->wnd_ = wnd;
  }
  auto* self = reinterpret_cast<TFormVirtPrinter*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(wnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    self->wnd_ = nullptr;
    // The message loop learns that the window is gone.
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
    return DefWindowProcW(wnd, msg, wp, lp);
  }
  try {
    return self->Dispatch(msg, wp, lp);
  } catch (...) {
    return 0;
  }
}

void RunMonitorWindow(TMonitorContext& context, int32_t& result) {
  result = 0;
  bool resumed = false;
  // Resumed in every case, so that the stop protocol can end it.
  const auto resume = [&context, &resumed] {
    if (!resumed && context.PrinterThread) ResumeThread(context.PrinterThread.Get());
    resumed = true;
  };
  try {
    TFormVirtPrinter form(&context);
    resume();
    if (!form.Handle()) {
      result = 1;
      return;
    }
    MSG msg;
    while (form.Handle() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }

  } catch (...) {
    resume();
    result = 1;
  }
}
