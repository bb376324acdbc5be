// A user at the screen for the Wine tests that code through the copies dialog: every dialog that comes up
// on another thread is counted and answered.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "support/coder_fakes.h"
#include "ui/ackdialogform_res.h"
#include "ui/frmlib_win.h"

// What the user does in the dialog: a count typed over the shown one, then a preset chosen or a list of
// copies typed; nothing of either keeps what the dialog shows.
struct TUserAnswer {
  const char16_t* Copies = nullptr;
  int Preset = -1;
  const char16_t* Pages = nullptr;
};

inline void TypeIntoCombo(HWND combo, const char16_t* text) {
  SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
  for (const char16_t* c = text; *c; ++c) SendMessageW(edit ? edit : combo, WM_CHAR, *c, 1);
}

// A user at the screen while pages are coded on the test's thread: every copies dialog that comes up is
// counted and, when an answer is given, answered and confirmed with OK; an unexpected one is cancelled.
// The code's seeds are pinned as OK is pressed: recognition has run by then on the real clock, and the
// code made after it carries the document's pinned message.
class TDialogUser {
 public:
  TDialogUser(const TUserAnswer* answer, std::optional<TFixedSeeds>& seeds)
      : answer_(answer), seeds_(seeds), thread_([this] { Watch(); }) {}
  ~TDialogUser() { Leave(); }
  TDialogUser(const TDialogUser&) = delete;
  TDialogUser& operator=(const TDialogUser&) = delete;

  // Once the coding has returned: nothing comes up any more.
  int Leave() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
    return shown_;
  }
  // What the last dialog showed of the document type and the job; read after Leave.
  std::u16string TypeName;
  std::u16string Info;

 private:
  void Watch() {
    HWND handled = nullptr;
    while (!done_) {
      const HWND form = FindWindowW(L"TAckDialogForm", nullptr);
      if (form && form != handled && Ready(form)) {
        handled = form;
        ++shown_;
        TypeName = WindowTextOf(GetDlgItem(form, IDC_ACK_EDITTYPEDOC));
        Info = WindowTextOf(GetDlgItem(form, IDC_ACK_MINFO));
        if (answer_) Answer(form);
        else PostMessageW(form, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      }
      Sleep(5);
    }
  }
  // Shown, and the focus given to one of its buttons: the form has finished coming up.
  static bool Ready(HWND form) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return IsWindowVisible(form) && GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info) &&
           (info.hwndFocus == GetDlgItem(form, IDOK) || info.hwndFocus == GetDlgItem(form, IDCANCEL));
  }
  void Answer(HWND form) {
    if (answer_->Copies) TypeIntoCombo(GetDlgItem(form, IDC_ACK_EDITCOPIES), answer_->Copies);
    if (answer_->Preset >= 0) SendMessageW(GetDlgItem(form, IDC_ACK_CPAGES), CB_SETCURSEL, answer_->Preset, 0);
    if (answer_->Pages) TypeIntoCombo(GetDlgItem(form, IDC_ACK_CPAGES), answer_->Pages);
    seeds_.emplace();
    SendMessageW(GetDlgItem(form, IDOK), BM_CLICK, 0, 0);
  }

  const TUserAnswer* answer_;
  std::optional<TFixedSeeds>& seeds_;
  std::atomic<bool> done_{false};
  std::atomic<int> shown_{0};
  std::thread thread_;
};

#endif
