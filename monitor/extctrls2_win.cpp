// The notification-area icon: its hidden window, the shell's records and calls, the animation timer.
#include "monitor/extctrls2_win.h"

#include <cstring>

#include "foundation/lib_api.h"
#include "foundation/lib_unicode_win.h"

namespace {

const UINT gTaskbarCreated = RegisterWindowMessageA("TaskbarCreated");
constexpr UINT_PTR kAnimateTimer = 1;
constexpr wchar_t kWindowClass[] = L"TTrayIconWindow";

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

bool RegisterTrayClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;  // TTrayIcon's own procedure is set once the window exists
  wc.hInstance = Instance();
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The program's icon, or the system's application icon when the program has none.
HICON ApplicationIconCopy() {
  HICON icon = LoadIconW(Instance(), L"MAINICON");
  if (!icon) icon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  return icon ? CopyIcon(icon) : nullptr;
}

template <size_t N>
void CopyWide(wchar_t (&field)[N], const std::u16string& text) {
  const std::u16string cut = CutTrayText(text, N - 1);
  std::memcpy(field, cut.data(), cut.size() * sizeof(wchar_t));
  field[cut.size()] = L'\0';
}

template <size_t N>
void CopyAnsi(char (&field)[N], const std::u16string& text) {
  std::string bytes = WideToAnsi(CutTrayText(text, N - 1));
  if (bytes.size() > N - 1) bytes.resize(N - 1);
  std::memcpy(field, bytes.data(), bytes.size());
  field[bytes.size()] = '\0';
}

TShiftState KeyShift() {
  TShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

// The pending messages of the thread's queue; a quit request stays for the thread's own loop.
void ProcessPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

UINT TaskbarCreatedMessage() { return gTaskbarCreated; }

bool TTrayShell::NotifyW(DWORD message, NOTIFYICONDATAW& record) {
  using TNotifyW = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
  const HMODULE shell = GetModuleHandleW(L"shell32.dll");
  const auto notify =
      shell ? reinterpret_cast<TNotifyW>(reinterpret_cast<void*>(GetProcAddress(shell, "Shell_NotifyIconW"))) : nullptr;
  return notify && notify(message, &record);
}

bool TTrayShell::NotifyA(DWORD message, NOTIFYICONDATAA& record) {
  return Shell_NotifyIconA(message, &record) != FALSE;
}

TTrayIcon::TTrayIcon(HWND owner, TTrayShell* shell)
    : owner_(owner), shell_(shell ? shell : &ownShell_), wide_(UseWideApi()) {
  tip_ = CutTrayText(GetProgramTitle(), kTrayTipChars);
  if (!tip_.empty()) flags_ |= kNifTip;
  if (RegisterTrayClass()) {
    wnd_ = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Instance(), nullptr);
  }
  if (wnd_) {
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTrayIcon::WindowProc));
  }
  ApplyCurrentIcon();
}

TTrayIcon::~TTrayIcon() {
  NotifyShell(NIM_DELETE);
  if (wnd_) {
    EnableTimer(false);
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
    DestroyWindow(wnd_);
  }
  if (current_) DestroyIcon(current_);
  if (icon_) DestroyIcon(icon_);
}

// The wide and the 8-bit record have the same fields; only their texts are copied differently.
template <class TRecord, class TCopyText>
void TTrayIcon::FillFields(TRecord& record, DWORD size, TCopyText copyText) {
  // The window handle is the icon's identifier; handles keep to 32 bits on 64-bit Windows too.
  record = TRecord{};
  record.cbSize = size;
  record.hWnd = wnd_;
  record.uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(wnd_));
  record.uFlags = flags_;
  record.uCallbackMessage = kTrayCallbackMessage;
  record.hIcon = current_;
  copyText(record.szTip, tip_);
  copyText(record.szInfo, balloonHint_);
  record.uTimeout = timeout_;
  copyText(record.szInfoTitle, balloonTitle_);
  record.dwInfoFlags = infoFlags_;
}

void TTrayIcon::FillRecord() {
  if (wide_)
    FillFields(recordW_, NOTIFYICONDATAW_V2_SIZE, [](auto& field, const std::u16string& text) { CopyWide(field, text); });
  else
    FillFields(recordA_, NOTIFYICONDATAA_V2_SIZE, [](auto& field, const std::u16string& text) { CopyAnsi(field, text); });
}

bool TTrayIcon::NotifyShell(DWORD message) {
  FillRecord();
  return wide_ ? shell_->NotifyW(message, recordW_) : shell_->NotifyA(message, recordA_);
}

void TTrayIcon::ApplyCurrentIcon() {
  if (visible_) NotifyShell(NIM_MODIFY);
}

void TTrayIcon::SetCurrentIcon(HICON icon) {
  if (current_) DestroyIcon(current_);
  current_ = icon;
}

HICON TTrayIcon::DefaultIconCopy() const { return icon_ ? CopyIcon(icon_) : ApplicationIconCopy(); }

void TTrayIcon::RestoreDefaultIcon() {
  SetCurrentIcon(DefaultIconCopy());
  ApplyCurrentIcon();
}

void TTrayIcon::EnableTimer(bool on) {
  if (!wnd_ || on == timerOn_) return;
  timerOn_ = on;
  if (on) {
    SetTimer(wnd_, kAnimateTimer, interval_, nullptr);
  } else {
    KillTimer(wnd_, kAnimateTimer);
  }
}

void TTrayIcon::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  // The add that follows carries the icon: no modification of an icon the shell does not have yet.
  if (!animate_ || !current_) SetCurrentIcon(DefaultIconCopy());
  const bool ok = NotifyShell(value ? NIM_ADD : NIM_DELETE);
  if (animate_) EnableTimer(visible_);
  if (!ok) throw EOutOfResources(value ? kTrayAddError : kTrayRemoveError);
}

void TTrayIcon::SetIcon(HICON value) {
  if (icon_) DestroyIcon(icon_);
  icon_ = value ? CopyIcon(value) : nullptr;
  SetCurrentIcon(value ? CopyIcon(value) : nullptr);
  ApplyCurrentIcon();
}

void TTrayIcon::SetIcons(HIMAGELIST value) {
  icons_ = value;
  if (!icons_) RestoreDefaultIcon();
}

void TTrayIcon::SetIconIndex(int value) {
  if (value == iconIndex_) return;
  iconIndex_ = value;
  if (icons_) SetCurrentIcon(ImageList_GetIcon(icons_, iconIndex_, ILD_NORMAL));
  ApplyCurrentIcon();
}

void TTrayIcon::SetHint(const std::u16string& value) {
  // Compared as UTF-16: a change in a letter outside the code page must still show.
  if (value == hint_) return;
  hint_ = value;
  tip_ = CutTrayText(value, kTrayTipChars);
  if (value.empty()) {
    flags_ &= ~kNifTip;
  } else {
    flags_ |= kNifTip;
  }
  ApplyCurrentIcon();
}

void TTrayIcon::SetAnimate(bool value) {
  if (value == animate_) return;
  animate_ = value;
  if (icons_ && ImageList_GetImageCount(icons_) > 0 && visible_) EnableTimer(animate_);
  if (!animate_ && current_) {
    // The frame on show stays.
    if (icon_) DestroyIcon(icon_);
    icon_ = CopyIcon(current_);
  }
}

void TTrayIcon::SetAnimateInterval(UINT value) {
  interval_ = value;
  if (timerOn_) SetTimer(wnd_, kAnimateTimer, interval_, nullptr);
}

void TTrayIcon::SetBalloonHint(const std::u16string& value) {
  if (value == balloonHint_) return;
  balloonHint_ = value;
  NotifyShell(NIM_MODIFY);
}

void TTrayIcon::SetBalloonTitle(const std::u16string& value) {
  if (value == balloonTitle_) return;
  balloonTitle_ = value;
  NotifyShell(NIM_MODIFY);
}

bool TTrayIcon::ShowBalloon() {
  flags_ |= kNifInfo;
  infoFlags_ = static_cast<DWORD>(balloonFlags_);
  return NotifyShell(NIM_MODIFY);
}

void TTrayIcon::AnimateStep() {
  if (OnAnimate) OnAnimate(*this);
  const int count = icons_ ? ImageList_GetImageCount(icons_) : 0;
  SetIconIndex(icons_ ? NextAnimationFrame(iconIndex_, count) : 0);
  ApplyCurrentIcon();
}

void TTrayIcon::PopupAtCursor() {
  if (!menu_) return;
  POINT at{};
  GetCursorPos(&at);
  const HWND target = owner_ ? owner_ : wnd_;
  // Windows closes a notification-area menu on a click elsewhere only while its window is in front.
  SetForegroundWindow(target);
  ProcessPendingMessages();
  TrackPopupMenuEx(menu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, target, nullptr);
  // And the next click on the icon opens it again only after the window saw a message.
  PostMessageW(target, WM_NULL, 0, 0);
}

void TTrayIcon::Callback(UINT message) {
  const TTrayCallback call = DecodeTrayCallback(message);
  if (call.Action == TTrayAction::None) return;
  if (call.Action == TTrayAction::BalloonGone) {
    // The balloon must not come back with the next modification.
    flags_ &= ~kNifInfo;
    return;
  }
  if (call.Action == TTrayAction::DblClick) {
    if (OnDblClick) OnDblClick(*this);
    return;
  }
  POINT at{};
  GetCursorPos(&at);
  const TShiftState shift = KeyShift();
  switch (call.Action) {
    case TTrayAction::MouseMove:
      if (OnMouseMove) OnMouseMove(*this, shift, at.x, at.y);
      break;
    case TTrayAction::MouseDown:
      if (OnMouseDown) OnMouseDown(*this, call.Button, shift | call.ButtonShift, at.x, at.y);
      if (call.Button == TMouseButton::mbLeft) clicked_ = true;
      break;
    case TTrayAction::MouseUp:
      if (call.Button == TMouseButton::mbLeft && clicked_ && OnClick) {
        OnClick(*this);
        clicked_ = false;
      }
      if (OnMouseUp) OnMouseUp(*this, call.Button, shift | call.ButtonShift, at.x, at.y);
      if (call.Button == TMouseButton::mbRight) PopupAtCursor();
      break;
    default:
      break;
  }
}

LRESULT TTrayIcon::TrayWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kTrayCallbackMessage) {
    Callback(static_cast<UINT>(lp));
    return 0;
  }
  if (msg == gTaskbarCreated && gTaskbarCreated != 0) {
    // The taskbar came back: only an icon that is meant to show returns.
    if (visible_) NotifyShell(NIM_ADD);
    return 0;
  }
  switch (msg) {
    case WM_QUERYENDSESSION:
      return 1;
    case WM_ENDSESSION:
      if (wp) NotifyShell(NIM_DELETE);
      return 0;
    case WM_TIMER:
      if (wp == kAnimateTimer) {
        AnimateStep();
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(wnd_, msg, wp, lp);
}

LRESULT CALLBACK TTrayIcon::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* icon = reinterpret_cast<TTrayIcon*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!icon) return DefWindowProcW(wnd, msg, wp, lp);
  try {
    return icon->TrayWindowProc(msg, wp, lp);
  } catch (...) {
    // An event handler's failure ends here: nothing may leave a window procedure.
    return 0;
  }
}
