// The About box as a window: both layouts, its texts, fonts and hints, the "Mailto:" link through a
// recorded shell call, and the modal box closed by its OK button.
#include "ui/about_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "foundation/lib_unicode_win.h"
#include "ui/about_res.h"
#include "ui/frmlib_win.h"
#include "ui/visualutil.h"

namespace {

struct TLinkCall {
  HWND Owner = nullptr;
  std::u16string Link;
  int Show = -1;
  int Count = 0;
};

TAboutRequest Request(bool logo, std::u16string extra = u"") {
  TAboutRequest r;
  r.Product = u"Tevoran-Клиент";
  r.Version = u"4.01.23";
  r.EMail = SupportEMail();
  r.ShowLogo = logo;
  r.ExtraText = std::move(extra);
  return r;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

RECT RectIn(HWND parent, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

std::u16string HintOf(const TForm& form, int id) {
  std::wstring buf(1024, L'\0');
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = form.Handle();
  info.uId = reinterpret_cast<UINT_PTR>(form.Control(id));
  info.lpszText = buf.data();
  SendMessageW(form.HintWindow(), TTM_GETTEXTW, buf.size(), reinterpret_cast<LPARAM>(&info));
  return FromWStr(buf.c_str());
}

}  // namespace

TEST(AboutBoxWin, ConfiguredTexts) {
  EXPECT_NE(SupportEMail().find(u'@'), std::u16string::npos);
  EXPECT_FALSE(AboutCopyright().empty());
  EXPECT_FALSE(SupportServiceName().empty());
}

TEST(AboutBoxWin, LogoLayout) {
  TAboutForm form(Request(true));
  ASSERT_TRUE(form.ShowModeless());
  Pump();
  wchar_t cls[32] = {};
  GetClassNameW(form.Handle(), cls, 32);
  EXPECT_STREQ(cls, L"tabout");
  EXPECT_EQ(WindowTextOf(form.Handle()), u"О программе...");
  EXPECT_TRUE(GetWindowLongPtrW(form.Handle(), GWL_STYLE) & WS_CAPTION) << "the box keeps its border";
  EXPECT_TRUE(IsWindowVisible(form.Control(IDC_ABOUT_LABELPRODUCT1)));
  EXPECT_FALSE(IsWindowVisible(form.Control(IDC_ABOUT_LABELPRODUCT)));
  EXPECT_EQ(form.Text(IDC_ABOUT_LABELPRODUCT1), u"Tevoran-Клиент");
  EXPECT_EQ(FontOf(form.Control(IDC_ABOUT_LABELPRODUCT1)).lfWeight, FW_BOLD);
  EXPECT_TRUE(IsWindowVisible(form.Control(IDC_ABOUT_IMAGELOGO)));
  EXPECT_NE(SendMessageW(form.Control(IDC_ABOUT_IMAGELOGO), STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "the logo bitmap";
  EXPECT_FALSE(IsWindowVisible(form.Control(IDC_ABOUT_IMAGE1)));
  EXPECT_GT(RectIn(form.Handle(), form.Control(IDC_ABOUT_LABELVERSION)).left,
            RectIn(form.Handle(), form.Control(IDC_ABOUT_IMAGELOGO)).right)
      << "labels beside the logo";
  EXPECT_EQ(form.Text(IDC_ABOUT_LABELVERSION), u"Версия: 4.01.23");
  EXPECT_EQ(form.Text(IDC_ABOUT_LABELCOPYRIGHT), AboutCopyright());
  EXPECT_EQ(form.Text(IDC_ABOUT_LABELEMAIL), u"E-mail: " + SupportEMail());
  EXPECT_TRUE(FontOf(form.Control(IDC_ABOUT_LABELEMAIL)).lfUnderline);
  EXPECT_FALSE(IsWindowVisible(form.Control(IDC_ABOUT_MEMOPARAMS))) << "no extra text: no memo";
  EXPECT_LE(RectIn(form.Handle(), form.Control(IDOK)).bottom, [&] {
    RECT c{};
    GetClientRect(form.Handle(), &c);
    return c.bottom;
  }()) << "the button stays inside the shrunk form";
  // Hints, and the tooltip breaks wrapped lines only with a maximum width.
  EXPECT_EQ(HintOf(form, IDC_ABOUT_LABELEMAIL),
            u"Создание письма в \u0063лужбу поддержки \"" + SupportServiceName() + u"\".");
  EXPECT_EQ(HintOf(form, IDC_ABOUT_MEMOPARAMS), u"Дополнительная информация");
  EXPECT_EQ(HintOf(form, IDOK), u"Закрытие окна.");
  EXPECT_GT(SendMessageW(form.HintWindow(), TTM_GETMAXTIPWIDTH, 0, 0), 0);
  form.Close(0);
}

TEST(AboutBoxWin, GradientLayout) {
  TAboutForm form(Request(false, u"Счёт-фактура: поля ИНН, КПП"));
  ASSERT_TRUE(form.ShowModeless());
  Pump();
  const HWND wnd = form.Handle();
  EXPECT_FALSE(GetWindowLongPtrW(wnd, GWL_STYLE) & (WS_CAPTION | WS_BORDER | WS_DLGFRAME)) << "no border";
  RECT window{}, client{};
  GetWindowRect(wnd, &window);
  GetClientRect(wnd, &client);
  EXPECT_EQ(window.right - window.left, client.right) << "the frame is gone";
  EXPECT_TRUE(IsWindowVisible(form.Control(IDC_ABOUT_LABELPRODUCT)));
  EXPECT_FALSE(IsWindowVisible(form.Control(IDC_ABOUT_LABELPRODUCT1)));
  EXPECT_FALSE(IsWindowVisible(form.Control(IDC_ABOUT_IMAGELOGO)));
  EXPECT_EQ(form.Text(IDC_ABOUT_LABELPRODUCT), u"Tevoran-Клиент");
  for (const int id :
       {IDC_ABOUT_LABELPRODUCT, IDC_ABOUT_LABELVERSION, IDC_ABOUT_LABELCOPYRIGHT, IDC_ABOUT_LABELEMAIL}) {
    EXPECT_EQ(RectIn(wnd, form.Control(id)).left, kAboutLeftMargin) << id;
  }
  const HWND band = form.Control(IDC_ABOUT_IMAGE1);
  ASSERT_TRUE(IsWindowVisible(band));
  const RECT bandRect = RectIn(wnd, band);
  EXPECT_EQ(bandRect.right - bandRect.left, client.right) << "across the whole form";
  UpdateWindow(wnd);
  HDC dc = GetDC(band);
  const int width = bandRect.right - bandRect.left;
  EXPECT_EQ(GetPixel(dc, 0, 2), static_cast<COLORREF>(kGradientNavy)) << "navy at the left";
  EXPECT_EQ(GetPixel(dc, width - 1, 2),
            static_cast<COLORREF>(GradientColumnColor(kGradientNavy, kGradientSilver, width - 1, width)))
      << "towards silver at the right";
  ReleaseDC(band, dc);
  EXPECT_TRUE(IsWindowVisible(form.Control(IDC_ABOUT_MEMOPARAMS)));
  EXPECT_EQ(form.Text(IDC_ABOUT_MEMOPARAMS), u"Счёт-фактура: поля ИНН, КПП");
  EXPECT_TRUE(GetWindowLongPtrW(form.Control(IDC_ABOUT_MEMOPARAMS), GWL_STYLE) & ES_READONLY);
  form.Close(0);
}

TEST(AboutBoxWin, EMailClickOpensMailtoAndCloses) {
  TLinkCall call;
  TAboutForm form(Request(true), [&call](HWND owner, const std::u16string& link, int show) {
    call.Owner = owner;
    call.Link = link;
    call.Show = show;
    ++call.Count;
  });
  ASSERT_TRUE(form.ShowModeless());
  const HWND wnd = form.Handle();
  SendMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LABELEMAIL, STN_CLICKED),
               reinterpret_cast<LPARAM>(form.Control(IDC_ABOUT_LABELEMAIL)));
  EXPECT_EQ(call.Count, 1);
  EXPECT_EQ(call.Link, u"Mailto:" + SupportEMail());
  EXPECT_EQ(call.Show, SW_SHOWNORMAL);
  EXPECT_EQ(call.Owner, wnd);
  EXPECT_TRUE(form.Closed()) << "the click closes the box";
}

namespace {
HWND g_owner = nullptr;
bool g_found = false, g_ownerDisabled = false;
void CALLBACK PressAboutOk(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowW(L"tabout", nullptr);
  if (!box) return;
  KillTimer(nullptr, timer);
  g_found = true;
  g_ownerDisabled = !IsWindowEnabled(g_owner);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}
}  // namespace

TEST(AboutBoxWin, ShowAboutBoxIsModal) {
  g_owner =
      CreateWindowExW(0, L"Static", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(g_owner, nullptr);
  SetTimer(nullptr, 0, 30, PressAboutOk);
  ShowAboutBox(u"Tevoran-Клиент", u"4.01.23", SupportEMail(), true, g_owner, u"");
  EXPECT_TRUE(g_found);
  EXPECT_TRUE(g_ownerDisabled) << "the owner waits while the box shows";
  EXPECT_TRUE(IsWindowEnabled(g_owner));
  EXPECT_EQ(FindWindowW(L"tabout", nullptr), nullptr) << "freed after showing";
  DestroyWindow(g_owner);
}
