// The form base every dialog derives from: a Win32 dialog from a DIALOGEX template whose window class
// is the form's name, shown modally (its own loop on the calling thread) or modelessly, with controls
// by id, hints as tooltips, timers and handlers for create, show, close, commands and focus leaving a
// control; plus the process's application window, which brings dialogs to the front.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "foundation/lib_handle_win.h"

// The process's application window: the monitor's hidden window or the service's; none until set.
void SetApplicationWindow(HWND wnd);
HWND GetApplicationWindow();
// Posts WM_ACTIVATEDIALOG for the form to the application window, never sends it: that window's thread
// may be waiting for the thread that shows the form. False without an application window.
bool PostActivateDialog(HWND form);

// The form a settings process runs as its main window (nullptr: none); dialogs it opens run inside it.
void SetMainForm(HWND form);
HWND MainForm();

// A control's (or form's) tag, 0 when it has none: 999 keeps the native look of the styled forms,
// 1000 paints a control on its parent's colour.
void SetControlTag(HWND wnd, int tag);
int ControlTag(HWND wnd);

// A control's rectangle in its parent's client coordinates.
RECT ControlRectIn(HWND parent, HWND control);
// Sizes the form so that its client area is `client` under its present styles, and centres it on the
// work area; `flags` are added to SetWindowPos's (SWP_FRAMECHANGED after a style change).
void PlaceFormCentred(HWND form, RECT client, UINT flags = 0);

// Registers the form's window class: the default dialog procedure with DLGWINDOWEXTRA, so that the
// template's CLASS gives the dialog the form's name, which other processes look windows up by.
bool RegisterFormClass(std::u16string_view className, const wchar_t* iconName);

// How a control's value maps to a field of the form's settings record.
enum class TValueKind {
  Text,   // the window text
  Combo,  // the text, and the selected item in Number (-1 when the text is typed)
};
struct TControlValue {
  int Id = 0;
  TValueKind Kind = TValueKind::Text;
  std::u16string* Text = nullptr;
  int32_t* Number = nullptr;
};

class TForm {
 public:
  // templateId: the DIALOGEX resource of the program; className: the name in its CLASS statement.
  TForm(std::u16string className, int templateId, const wchar_t* iconName = nullptr);
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  // Creates the window without an owner (OnCreate runs) and shows it (OnShow). False when it cannot.
  bool ShowModeless();
  // The same, then runs the form's message loop on this thread until Close; the window is destroyed
  // before it returns. Returns the result given to Close.
  int ShowModal();
  // Ends the modal loop, or destroys a modeless form.
  void Close(int result);
  bool Closed() const { return closed_; }
  int Result() const { return result_; }

  HWND Handle() const { return wnd_; }
  HWND Control(int id) const { return GetDlgItem(wnd_, id); }
  std::u16string Text(int id) const;
  void SetText(int id, std::u16string_view text);
  void SetCaption(std::u16string_view text);
  void FocusControl(int id);
  void SetHint(int id, std::u16string_view text);
  // The tooltip that shows the hints (null before the first), for WrapControlHints.
  HWND HintWindow() const { return tooltip_; }
  void StartTimer(UINT_PTR id, UINT milliseconds);
  void StopTimer(UINT_PTR id);
  // Settings record <-> controls.
  void ReadValues(std::span<const TControlValue> values) const;
  void WriteValues(std::span<const TControlValue> values);
  // Front of every other window, the keyboard focus with it.
  void BringToFront();

 protected:
  virtual void OnCreate() {}
  // Before the window becomes visible (sizes and places settle without moving a shown window), and
  // once it is visible (focus, front).
  virtual void OnShow() {}
  virtual void OnShown() {}
  // The close box (or Alt+F4); the default ends the form with result 0.
  virtual void OnClose() { Close(0); }
  virtual void OnCommand(int /*id*/, int /*code*/) {}
  // The focus moved from the control to another control of the form (not to another window).
  virtual void OnExit(int /*id*/) {}
  virtual void OnTimer(UINT_PTR /*id*/) {}
  // Any other message; true when the form handled it, with the dialog procedure's answer in result.
  virtual bool OnMessage(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/, INT_PTR& /*result*/) { return false; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  bool Create();
  void Show();
  void Destroy();

  std::u16string className_;
  int templateId_;
  const wchar_t* iconName_;
  HWND wnd_ = nullptr;
  HWND tooltip_ = nullptr;
  bool modal_ = false;
  bool closed_ = false;
  int result_ = 0;
};

// The form's check whether the focus left a control (wParam: its id): posted, so that it runs once the
// focus has settled where it went.
inline constexpr UINT WM_FORMEXITCHECK = WM_APP + 1;
