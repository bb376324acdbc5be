// The copies confirmation dialog's window, and ShowAckDialog, which the page and DOS job coding call on
// the thread that codes the job.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "coding/cl_macrolib.h"
#include "foundation/lib_handle_win.h"
#include "ui/ackdialogform.h"
#include "ui/forms_win.h"
#include "ui/styledmenu_win.h"

class TAckDialogForm : public TForm {
 public:
  static constexpr UINT_PTR kTimer1 = 1;

  explicit TAckDialogForm(TAckPresenter& presenter);
  ~TAckDialogForm() override;

  // The system's default character set: other than Cyrillic, the form gets the flat look.
  uint8_t DefaultCharset;
  TStyledMenu* StyledMenu() const { return styled_.get(); }

 protected:
  void OnCreate() override;
  void OnShow() override;
  void OnShown() override;
  void OnCommand(int id, int code) override;
  void OnExit(int id) override;
  void OnTimer(UINT_PTR id) override;

 private:
  void Layout();
  void ButtonOkClick();
  void ReadAnswer();
  void WriteAnswer();

  TAckPresenter& presenter_;
  TAckValues values_;
  std::array<TControlValue, 2> bindings_;
  TGdiObject logo_;
  std::unique_ptr<TStyledMenu> styled_;
};

// Asks for the copies of a job and which carry the code: answer is the copies string, empty when the
// job is not to be printed; codeMode becomes 2 when no copy carries the code. The form runs its modal
// loop on the calling thread, on top of every window and without an owner; while the process shows no
// boxes it is not shown (see RunAckDialog). "SavePgDlg" is read under configKey.
void ShowAckDialog(const std::u16string& configKey, const TDocIdClass& docId, const std::u16string& docTypeName,
                   const std::u16string& title, const std::string& initialAnswer, TLogFile* log, uint8_t& codeMode,
                   TContext& context, const TCoder* coder, const _JOBINFO* jobInfo, std::string& answer);
