// The About box's window (class "tabout") and ShowAboutBox, which shows it modally.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "foundation/lib_handle_win.h"
#include "ui/about.h"
#include "ui/forms_win.h"

// Opens a link with the shell: the owner window, the link and the show command.
using TOpenLink = std::function<void(HWND owner, const std::u16string& link, int show)>;
// The shell's ShellExecute of the link, no verb.
void ShellOpenLink(HWND owner, const std::u16string& link, int show);
// The dialog's font with a changed weight or underline; the caller owns it.
HFONT DerivedFont(HWND dialog, bool bold, bool underline);

// The configured texts from the program's resources.
std::u16string AboutCopyright();
std::u16string SupportServiceName();
std::u16string SupportEMail();

class TAboutForm : public TForm {
 public:
  // openLink: the shell's ShellExecute when empty.
  explicit TAboutForm(TAboutRequest request, TOpenLink openLink = {});
  ~TAboutForm() override;

  const TAboutView& View() const { return view_; }

 protected:
  void OnCreate() override;
  void OnShow() override;
  void OnShown() override;
  void OnCommand(int id, int code) override;

 private:
  static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
  void Layout();
  void EMailClick();

  TAboutView view_;
  TOpenLink openLink_;
  TGdiObject logo_;
  TGdiObject gradient_;
  TGdiObject boldFont_;
  TGdiObject linkFont_;
};

// Shows the About box modally over owner: the product text, its version, the support address, the
// logo or the gradient, and the extra text in the memo when there is one.
void ShowAboutBox(const std::u16string& product, const std::u16string& version, const std::u16string& email,
                  bool showLogo, HWND owner, const std::u16string& extraText);
