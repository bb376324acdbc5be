// Drives a common file dialog from a second thread, as a user would: tests of the blank dialogs and of the
// blank debugging that shows one.
#pragma once

#include <windows.h>

#include <dlgs.h>

#include <string>
#include <thread>

#include "foundation/lib_unicode_win.h"

// Drives the file dialog the calling thread is about to show: waits for it, keeps its caption, types a
// name (when one is given) into the file name box and presses OK, or presses Cancel.
class TFileDialogDriver {
 public:
  TFileDialogDriver(std::u16string name, bool ok)
      : owner_(GetCurrentThreadId()), name_(std::move(name)), ok_(ok), thread_([this] { Run(); }) {}
  ~TFileDialogDriver() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  std::u16string Caption;
  bool Found = false;
  bool Typed = false;

 private:
  static BOOL CALLBACK TakeVisibleDialog(HWND w, LPARAM out) {
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (std::wstring(cls) != L"#32770" || !IsWindowVisible(w)) return TRUE;
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
  }
  static HWND FindDialog(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, TakeVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
  }
  void Run() {
    HWND dialog = nullptr;
    for (int i = 0; i < 600 && !dialog; ++i) {
      Sleep(50);
      dialog = FindDialog(owner_);
    }
    if (!dialog) return;
    Found = true;
    wchar_t caption[256] = {};
    GetWindowTextW(dialog, caption, 256);
    Caption = FromWStr(caption);
    if (ok_) {
      // The explorer-style dialog names its file box cmb13 (a combo box), the old style edt1.
      for (int id : {cmb13, edt1}) {
        if (GetDlgItem(dialog, id) && SetDlgItemTextW(dialog, id, WStr(name_))) {
          Typed = true;
          break;
        }
      }
    }
    const int button = ok_ ? IDOK : IDCANCEL;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    // A dialog that stays (the name refused) is cancelled, so the test ends instead of waiting.
    for (int i = 0; i < 200 && IsWindow(dialog); ++i) Sleep(50);
    if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }

  DWORD owner_;
  std::u16string name_;
  bool ok_;
  std::thread thread_;
};
