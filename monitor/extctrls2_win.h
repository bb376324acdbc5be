// TTrayIcon: one icon with its tip in the notification area, mouse actions on it as events, a popup menu
// on the right button, an animation through an image list's frames and balloon messages. Everything
// runs on the thread that made it.
#pragma once

#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "monitor/extctrls2.h"

#ifndef _WIN64
// The shell-version-5 records without the GUID field, as the 32-bit program passes them.
static_assert(NOTIFYICONDATAW_V2_SIZE == 936 && NOTIFYICONDATAA_V2_SIZE == 488);
#endif

// The icon could not be added to or removed from the notification area.
class EOutOfResources : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
inline constexpr const char* kTrayAddError = "Cannot create shell notification icon";
inline constexpr const char* kTrayRemoveError = "Cannot remove shell notification icon";

// The shell's notification calls. Shell_NotifyIconW is looked up by name in the loaded shell32.dll at
// every call (a missing entry point fails the call); tests put a recorder in front.
class TTrayShell {
 public:
  virtual ~TTrayShell() = default;
  virtual bool NotifyW(DWORD message, NOTIFYICONDATAW& record);
  virtual bool NotifyA(DWORD message, NOTIFYICONDATAA& record);
};

class TTrayIcon;
using TTrayNotifyEvent = std::function<void(TTrayIcon&)>;
using TTrayMouseEvent = std::function<void(TTrayIcon&, TMouseButton, TShiftState, int x, int y)>;
using TTrayMouseMoveEvent = std::function<void(TTrayIcon&, TShiftState, int x, int y)>;

// The "TaskbarCreated" message, registered at process start.
UINT TaskbarCreatedMessage();

class TTrayIcon {
 public:
  static constexpr DWORD kDefaultBalloonTimeout = 3000;
  static constexpr UINT kDefaultAnimateInterval = 1000;

  // owner: the window that pops the menu up and gets its commands (may be null); shell: the
  // notification calls, the real ones when null (not owned). The tip starts as the program's title.
  explicit TTrayIcon(HWND owner, TTrayShell* shell = nullptr);
  virtual ~TTrayIcon();
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  bool Visible() const { return visible_; }
  // Adds or removes the icon; a failed call raises EOutOfResources and the value stays set, so that
  // "TaskbarCreated" adds a visible icon later.
  virtual void SetVisible(bool value);
  int IconIndex() const { return iconIndex_; }
  virtual void SetIconIndex(int value);
  bool Animate() const { return animate_; }
  void SetAnimate(bool value);
  UINT AnimateInterval() const { return interval_; }
  void SetAnimateInterval(UINT value);
  const std::u16string& Hint() const { return hint_; }
  void SetHint(const std::u16string& value);
  const std::u16string& BalloonHint() const { return balloonHint_; }
  void SetBalloonHint(const std::u16string& value);
  const std::u16string& BalloonTitle() const { return balloonTitle_; }
  void SetBalloonTitle(const std::u16string& value);
  DWORD BalloonTimeout() const { return timeout_; }
  void SetBalloonTimeout(DWORD value) { timeout_ = value; }
  TBalloonFlags BalloonFlags() const { return balloonFlags_; }
  void SetBalloonFlags(TBalloonFlags value) { balloonFlags_ = value; }
  // The icon shown when not animating: the icon takes a copy; null empties it.
  HICON Icon() const { return icon_; }
  void SetIcon(HICON value);
  // The animation's frames, not owned.
  HIMAGELIST Icons() const { return icons_; }
  void SetIcons(HIMAGELIST value);
  // The menu of the right button, not owned; its commands go to the owner window.
  HMENU PopupMenu() const { return menu_; }
  void SetPopupMenu(HMENU value) { menu_ = value; }
  // The icon the notification area shows.
  HICON CurrentIcon() const { return current_; }
  // The hidden window the shell reports to (the record's hWnd, its uID too).
  HWND WindowHandle() const { return wnd_; }
  // The record's flags as the next call passes them.
  DWORD Flags() const { return flags_; }

  // Shows the balloon of BalloonHint and BalloonTitle; the result of the shell's call.
  virtual bool ShowBalloon();
  // Brings the owner to the front and pops the menu up at the cursor; a left click may do the same.
  void PopupAtCursor();
  // NIM_ADD, NIM_MODIFY or NIM_DELETE with the platform's record; true on success.
  bool NotifyShell(DWORD message);

  TTrayNotifyEvent OnClick, OnDblClick, OnAnimate;
  TTrayMouseEvent OnMouseDown, OnMouseUp;
  TTrayMouseMoveEvent OnMouseMove;

 protected:
  virtual LRESULT TrayWindowProc(UINT msg, WPARAM wp, LPARAM lp);
  virtual void AnimateStep();

 private:
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  void ApplyCurrentIcon();
  void RestoreDefaultIcon();
  HICON DefaultIconCopy() const;
  void SetCurrentIcon(HICON icon);
  void EnableTimer(bool on);
  void Callback(UINT message);
  void FillRecord();
  template <class TRecord, class TCopyText>
  void FillFields(TRecord& record, DWORD size, TCopyText copyText);

  HWND owner_;
  TTrayShell* shell_;
  TTrayShell ownShell_;
  bool wide_;
  NOTIFYICONDATAA recordA_{};
  NOTIFYICONDATAW recordW_{};
  HWND wnd_ = nullptr;
  DWORD flags_ = kNifMessage | kNifIcon;
  DWORD timeout_ = kDefaultBalloonTimeout;
  DWORD infoFlags_ = 0;
  bool animate_ = false;
  bool clicked_ = false;
  HICON current_ = nullptr;
  HICON icon_ = nullptr;
  HIMAGELIST icons_ = nullptr;
  HMENU menu_ = nullptr;
  UINT interval_ = kDefaultAnimateInterval;
  bool timerOn_ = false;
  std::u16string hint_;
  std::u16string tip_;  // what szTip holds: the program's title until a hint is set
  int iconIndex_ = 0;
  bool visible_ = false;
  std::u16string balloonHint_;
  std::u16string balloonTitle_;
  TBalloonFlags balloonFlags_ = TBalloonFlags::bfNone;
};
