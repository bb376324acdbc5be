// The About box's window: the two layouts, the bold product label, the blue underlined address whose
// click opens a new mail, and the memo only with extra text.
#include "ui/about_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "foundation/lib_unicode_win.h"
#include "ui/about_res.h"
#include "ui/visualutil.h"
#include "ui/visualutil_win.h"

namespace {

constexpr COLORREF kLinkColor = RGB(0, 0, 255);
constexpr UINT_PTR kSubclassId = 1;

void MoveLeft(HWND parent, HWND control, int left) {
  const RECT r = ControlRectIn(parent, control);
  SetWindowPos(control, nullptr, left, r.top, r.right - left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void ShellOpenLink(HWND owner, const std::u16string& link, int show) {
  ShellExecuteW(owner, nullptr, WStr(link), nullptr, nullptr, show);
}

HFONT DerivedFont(HWND dialog, bool bold, bool underline) {
  LOGFONTW font{};
  const auto base = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  if (!base || GetObjectW(base, sizeof font, &font) != sizeof font) return nullptr;
  if (bold) font.lfWeight = FW_BOLD;
  font.lfUnderline = underline ? TRUE : FALSE;
  return CreateFontIndirectW(&font);
}

std::u16string AboutCopyright() { return LoadResStringW(IDS_ABOUT_COPYRIGHT); }
std::u16string SupportServiceName() { return LoadResStringW(IDS_SUPPORT_SERVICE); }
std::u16string SupportEMail() { return LoadResStringW(IDS_SUPPORT_EMAIL); }

TAboutForm::TAboutForm(TAboutRequest request, TOpenLink openLink)
    : TForm(u"tabout", IDD_ABOUT), openLink_(openLink ? std::move(openLink) : TOpenLink(ShellOpenLink)) {
  if (request.Copyright.empty()) request.Copyright = AboutCopyright();
  if (request.ServiceName.empty()) request.ServiceName = SupportServiceName();
  view_ = BuildAboutView(request);
}

TAboutForm::~TAboutForm() {
  if (Handle()) RemoveWindowSubclass(Handle(), SubclassProc, kSubclassId);
}

void TAboutForm::OnCreate() {
  SetWindowSubclass(Handle(), SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  SetCaption(kAboutCaption);
  const int productId = view_.ShowLogo ? IDC_ABOUT_LABELPRODUCT1 : IDC_ABOUT_LABELPRODUCT;
  ShowWindow(Control(view_.ShowLogo ? IDC_ABOUT_LABELPRODUCT : IDC_ABOUT_LABELPRODUCT1), SW_HIDE);
  SetText(productId, view_.Product);
  boldFont_.Reset(DerivedFont(Handle(), true, false));
  linkFont_.Reset(DerivedFont(Handle(), false, true));
  if (boldFont_) SendMessageW(Control(productId), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.Get()), FALSE);
  if (linkFont_) {
    SendMessageW(Control(IDC_ABOUT_LABELEMAIL), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.Get()), FALSE);
  }
  SetText(IDC_ABOUT_LABELVERSION, view_.Version);
  SetText(IDC_ABOUT_LABELCOPYRIGHT, view_.Copyright);
  SetText(IDC_ABOUT_LABELEMAIL, view_.EMail);
  SetText(IDC_ABOUT_MEMOPARAMS, view_.Memo);
  SetHint(IDC_ABOUT_LABELEMAIL, view_.EMailHint);
  SetHint(IDC_ABOUT_MEMOPARAMS, kAboutMemoHint);
  SetHint(IDOK, kAboutOkHint);
  if (view_.ShowLogo) {
    logo_.Reset(LoadImageW(GetModuleHandleW(nullptr), L"BITMAP_LOGOBMP", IMAGE_BITMAP, 0, 0, 0));
    if (logo_) {
      SendMessageW(Control(IDC_ABOUT_IMAGELOGO), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.Get()));
    }
    ShowWindow(Control(IDC_ABOUT_IMAGE1), SW_HIDE);
  } else {
    ShowWindow(Control(IDC_ABOUT_IMAGELOGO), SW_HIDE);
    for (const int id :
         {IDC_ABOUT_LABELPRODUCT, IDC_ABOUT_LABELVERSION, IDC_ABOUT_LABELCOPYRIGHT, IDC_ABOUT_LABELEMAIL}) {
      MoveLeft(Handle(), Control(id), kAboutLeftMargin);
    }
  }
}

// Without the border the client keeps its size; without the memo the button moves up in its place.
void TAboutForm::Layout() {
  const HWND memo = Control(IDC_ABOUT_MEMOPARAMS);
  const HWND ok = Control(IDOK);
  RECT client{};
  GetClientRect(Handle(), &client);
  if (!view_.ShowMemo) {
    const RECT memoRect = ControlRectIn(Handle(), memo);
    const RECT okRect = ControlRectIn(Handle(), ok);
    ShowWindow(memo, SW_HIDE);
    const int shift = okRect.top - memoRect.top;
    SetWindowPos(ok, nullptr, okRect.left, memoRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    client.bottom -= shift;
  }
  if (!view_.Border) {
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE,
                      style & ~static_cast<LONG_PTR>(WS_CAPTION | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_SYSMENU |
                                                     DS_MODALFRAME));
    const LONG_PTR ex = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
    SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE));
  }
  PlaceFormCentred(Handle(), client, SWP_FRAMECHANGED);
  if (view_.Gradient) {
    const HWND band = Control(IDC_ABOUT_IMAGE1);
    RECT r = ControlRectIn(Handle(), band);
    // The band runs across the whole client.
    GetClientRect(Handle(), &client);
    SetWindowPos(band, nullptr, 0, r.top, client.right, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    gradient_.Reset(MakeGradientBitmap(client.right, r.bottom - r.top, kGradientNavy, kGradientSilver));
    if (gradient_) SendMessageW(band, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(gradient_.Get()));
  }
}

void TAboutForm::OnShow() { Layout(); }

void TAboutForm::OnShown() {
  FocusControl(IDOK);
  BringToFront();
}

void TAboutForm::OnCommand(int id, int code) {
  if ((id == IDOK || id == IDCANCEL) && code == BN_CLICKED) {
    Close(id);
  } else if (id == IDC_ABOUT_LABELEMAIL && code == STN_CLICKED) {
    EMailClick();
  }
}

void TAboutForm::EMailClick() {
  openLink_(Handle(), view_.MailtoLink, SW_SHOWNORMAL);
  Close(IDOK);
}

LRESULT CALLBACK TAboutForm::SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* form = reinterpret_cast<TAboutForm*>(data);
  if (msg == WM_CTLCOLORSTATIC && form && reinterpret_cast<HWND>(lp) == form->Control(IDC_ABOUT_LABELEMAIL)) {
    const LRESULT brush = DefSubclassProc(wnd, msg, wp, lp);
    SetTextColor(reinterpret_cast<HDC>(wp), kLinkColor);
    return brush;
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(wnd, SubclassProc, kSubclassId);
  return DefSubclassProc(wnd, msg, wp, lp);
}

void ShowAboutBox(const std::u16string& product, const std::u16string& version, const std::u16string& email,
                  bool showLogo, HWND owner, const std::u16string& extraText) {
  TAboutRequest request;
  request.Product = product;
  request.Version = version;
  request.EMail = email;
  request.ShowLogo = showLogo;
  request.ExtraText = extraText;
  TAboutForm form(std::move(request));
  // The form base makes its windows without an owner: the owner waits disabled while the box shows.
  const bool enabled = owner && IsWindowEnabled(owner);
  if (enabled) EnableWindow(owner, FALSE);
  form.ShowModal();
  if (enabled) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
  }
}
