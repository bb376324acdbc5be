// Form helpers on real controls: a count field keeps its digits and is written only when it changed.
#include "ui/frmlib_win.h"

#include <gtest/gtest.h>

#include "foundation/lib_unicode_win.h"

namespace {
int g_setTexts = 0;
WNDPROC g_editProc = nullptr;

LRESULT CALLBACK CountingEditProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETTEXT) ++g_setTexts;
  return CallWindowProcW(g_editProc, wnd, msg, wp, lp);
}
}  // namespace

TEST(FormHelpersWin, KeepDigitsOnlyWritesOnlyAChange) {
  HWND edit = CreateWindowExW(0, L"Edit", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(edit, nullptr);
  g_editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingEditProc)));
  struct Case {
    const wchar_t* text;
    std::u16string kept;
    int writes;
  } cases[] = {
      {L"12", u"12", 0},
      {L"1a2b", u"12", 1},
      {L"абв", u"", 1},
      {L"", u"", 0},
  };
  for (const Case& c : cases) {
    SetWindowTextW(edit, c.text);
    g_setTexts = 0;
    KeepDigitsOnly(edit);
    EXPECT_EQ(WindowTextOf(edit), c.kept) << FromWStr(c.text).size();
    EXPECT_EQ(g_setTexts, c.writes);
  }
  KeepDigitsOnly(nullptr);  // no control: nothing happens
  DestroyWindow(edit);
}
