// The support dialog's window (class "TTevoranSupport"): the report built from the system, copied to the
// clipboard, mailed through Simple MAPI with the listed files; and ShowSupportReport, which runs it as
// the main form of the process.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/lib_handle_win.h"
#include "ui/about_win.h"
#include "ui/forms_win.h"
#include "ui/support.h"

class TLogFile;

// The mail as Simple MAPI gets it: every text 8-bit in the system code page.
struct TMailRequest {
  std::string Subject;
  std::string Note;
  std::string RecipientName;
  std::string RecipientAddress;
  struct TFile {
    std::string Path;
    std::string Name;
  };
  std::vector<TFile> Files;
};
// MAPISendMail of "MAPI32.DLL" (loaded on first use, kept for the process) with flags 0x0B; 1 without it.
ULONG SendMailThroughMapi(HWND parent, const TMailRequest& mail);

class TTevoranSupport : public TForm {
 public:
  // openLink: the shell's ShellExecute when empty.
  explicit TTevoranSupport(TOpenLink openLink = {});
  ~TTevoranSupport() override;

  uint8_t ComponentMask = 0;
  TLogFile* Log = nullptr;  // lent by the caller
  std::vector<std::u16string> Files;

  // The report from the system, into the memo when the window exists (else when it is created).
  void BuildSupportReport();
  const std::u16string& Report() const { return report_; }

  void Button1Click();  // copy
  void Button3Click();  // send

 protected:
  void OnCreate() override;
  void OnShow() override;
  void OnShown() override;
  void OnCommand(int id, int code) override;

 private:
  static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
  void Send();
  void DrawBandLabel();
  void LogLine(std::u16string_view text) const;

  TOpenLink openLink_;
  std::u16string report_;
  TGdiObject gradient_;
  TGdiObject boldFont_;
  TGdiObject linkFont_;
};

// The process's one support form, made on first use.
TTevoranSupport& SupportForm();
// Builds the report and shows the form until it closes; log may be nil.
void ShowSupportReport(TLogFile* log, uint8_t componentMask);
