// The form base of the dialogs and the process's application window.
#include "ui/forms_win.h"

#include <commctrl.h>

#include <atomic>

#include "foundation/cl_tools_broadcast_win.h"
#include "foundation/lib_unicode_win.h"
#include "ui/frmlib_win.h"

namespace {

std::atomic<HWND> g_applicationWindow{nullptr};
std::atomic<HWND> g_mainForm{nullptr};

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

std::u16string ClassOf(HWND wnd) {
  wchar_t name[64] = {};
  const int n = GetClassNameW(wnd, name, 64);
  return FromWStr(name, n > 0 ? static_cast<size_t>(n) : 0);
}

// The notification a control sends when it loses the focus; the codes overlap between classes.
bool IsKillFocus(HWND control, int code) {
  const std::u16string cls = ClassOf(control);
  if (lstrcmpiW(WStr(cls), WC_BUTTONW) == 0) return code == BN_KILLFOCUS;
  if (lstrcmpiW(WStr(cls), WC_COMBOBOXW) == 0) return code == CBN_KILLFOCUS;
  if (lstrcmpiW(WStr(cls), WC_EDITW) == 0) return code == EN_KILLFOCUS;
  if (lstrcmpiW(WStr(cls), WC_LISTBOXW) == 0) return code == LBN_KILLFOCUS;
  return false;
}

void InitControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

std::u16string ComboItemText(HWND combo, int index) {
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR || length <= 0) return {};
  std::wstring buf(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buf.data()));
  return FromWStr(buf.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

}  // namespace

void SetApplicationWindow(HWND wnd) { g_applicationWindow = wnd; }
HWND GetApplicationWindow() { return g_applicationWindow; }

void SetMainForm(HWND form) { g_mainForm = form; }
HWND MainForm() { return g_mainForm; }

bool PostActivateDialog(HWND form) {
  const HWND app = g_applicationWindow;
  return app && PostMessageW(app, WM_ACTIVATEDIALOG, reinterpret_cast<WPARAM>(form), 0);
}

// The tag is a window property: it costs a control nothing until it is set.
constexpr wchar_t kTagProperty[] = L"ClientControlTag";

void SetControlTag(HWND wnd, int tag) {
  if (tag == 0) {
    RemovePropW(wnd, kTagProperty);
  } else {
    SetPropW(wnd, kTagProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(tag)));
  }
}

int ControlTag(HWND wnd) { return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(wnd, kTagProperty))); }

RECT ControlRectIn(HWND parent, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void PlaceFormCentred(HWND form, RECT client, UINT flags) {
  RECT frame = client;
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(form, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(form, GWL_EXSTYLE)));
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(form, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | flags);
}

bool RegisterFormClass(std::u16string_view className, const wchar_t* iconName) {
  InitControls();
  const std::u16string name(className);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DefDlgProcW;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hInstance = Instance();
  wc.hIcon = iconName ? LoadIconW(Instance(), iconName) : nullptr;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = WStr(name);
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

TForm::TForm(std::u16string className, int templateId, const wchar_t* iconName)
    : className_(std::move(className)), templateId_(templateId), iconName_(iconName) {}

TForm::~TForm() { Destroy(); }

bool TForm::Create() {
  closed_ = false;
  result_ = 0;
  if (!RegisterFormClass(className_, iconName_)) return false;
  return CreateDialogParamW(Instance(), MAKEINTRESOURCEW(templateId_), nullptr, DialogProc,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

void TForm::Destroy() {
  if (!wnd_) return;
  // Nothing of a form that is going away may run its handlers.
  SetWindowLongPtrW(wnd_, DWLP_USER, 0);
  const HWND wnd = wnd_;
  wnd_ = nullptr;
  tooltip_ = nullptr;
  DestroyWindow(wnd);
}

void TForm::Show() {
  OnShow();
  ShowWindow(wnd_, SW_SHOW);
  OnShown();
}

bool TForm::ShowModeless() {
  modal_ = false;
  if (!Create()) return false;
  Show();
  return true;
}

int TForm::ShowModal() {
  modal_ = true;
  if (!Create()) return 0;
  Show();
  MSG msg;
  while (!closed_ && wnd_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // WM_QUIT belongs to the thread's own loop: hand it back.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (!IsDialogMessageW(wnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  Destroy();
  return result_;
}

void TForm::Close(int result) {
  result_ = result;
  closed_ = true;
  if (!modal_) {
    Destroy();
  } else if (wnd_) {
    PostMessageW(wnd_, WM_NULL, 0, 0);  // wakes the loop
  }
}

std::u16string TForm::Text(int id) const { return WindowTextOf(Control(id)); }

void TForm::SetText(int id, std::u16string_view text) { SetWindowTextW(Control(id), WStr(std::u16string(text))); }

void TForm::SetCaption(std::u16string_view text) { SetWindowTextW(wnd_, WStr(std::u16string(text))); }

void TForm::FocusControl(int id) {
  SendMessageW(wnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
}

void TForm::SetHint(int id, std::u16string_view text) {
  const HWND control = Control(id);
  if (!control) return;
  if (!tooltip_) {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, wnd_, nullptr, Instance(),
                               nullptr);
    if (!tooltip_) return;
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
  }
  std::u16string copy(text);
  // A combo box's edit covers most of it: the hint goes on both.
  for (HWND target = control; target; target = target == control ? GetWindow(control, GW_CHILD) : nullptr) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = wnd_;
    info.uId = reinterpret_cast<UINT_PTR>(target);
    info.lpszText = const_cast<wchar_t*>(WStr(copy));
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
}

void TForm::StartTimer(UINT_PTR id, UINT milliseconds) { SetTimer(wnd_, id, milliseconds, nullptr); }

void TForm::StopTimer(UINT_PTR id) { KillTimer(wnd_, id); }

void TForm::ReadValues(std::span<const TControlValue> values) const {
  for (const TControlValue& v : values) {
    const HWND control = Control(v.Id);
    if (v.Text) *v.Text = WindowTextOf(control);
    if (v.Kind == TValueKind::Combo && v.Number) {
      const int index = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
      // Text typed over a selected item is the user's own text.
      *v.Number = index >= 0 && ComboItemText(control, index) == WindowTextOf(control) ? index : -1;
    }
  }
}

void TForm::WriteValues(std::span<const TControlValue> values) {
  for (const TControlValue& v : values) {
    const HWND control = Control(v.Id);
    if (v.Kind == TValueKind::Combo && v.Number && *v.Number >= 0 &&
        SendMessageW(control, CB_SETCURSEL, *v.Number, 0) != CB_ERR) {
      continue;
    }
    if (v.Kind == TValueKind::Combo) SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    if (v.Text) SetWindowTextW(control, WStr(*v.Text));
  }
}

void TForm::BringToFront() {
  SetForegroundWindow(wnd_);
  BringWindowToTop(wnd_);
}

INT_PTR CALLBACK TForm::DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(wnd, DWLP_USER, lp);
    auto* form = reinterpret_cast<TForm*>(lp);
    form->wnd_ = wnd;
    form->OnCreate();
    return FALSE;  // the focus is OnShow's to give
  }
  auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrW(wnd, DWLP_USER));
  return form ? form->Dispatch(msg, wp, lp) : FALSE;
}

INT_PTR TForm::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int code = HIWORD(wp);
      const HWND control = reinterpret_cast<HWND>(lp);
      if (control && IsKillFocus(control, code)) PostMessageW(wnd_, WM_FORMEXITCHECK, static_cast<WPARAM>(id), 0);
      OnCommand(id, code);
      return TRUE;
    }
    case WM_FORMEXITCHECK: {
      const HWND control = Control(static_cast<int>(wp));
      const HWND focus = GetFocus();
      if (control && focus && focus != control && !IsChild(control, focus) && IsChild(wnd_, focus)) {
        OnExit(static_cast<int>(wp));
      }
      return TRUE;
    }
    case WM_TIMER:
      OnTimer(wp);
      return TRUE;
    case WM_CLOSE:
      OnClose();
      return TRUE;
    case WM_NCDESTROY:
      wnd_ = nullptr;
      tooltip_ = nullptr;
      closed_ = true;
      return FALSE;
    default: {
      INT_PTR result = TRUE;
      return OnMessage(msg, wp, lp, result) ? result : FALSE;
    }
  }
}
