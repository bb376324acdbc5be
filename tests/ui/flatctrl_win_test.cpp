// Flat controls driven by messages on a shown form: hover, press and space on a button, the edit's frame
// colours and 3D edge, a disabled check box's mark, tag 999, a menu-only component, giving everything
// back when the component goes inactive, and the copies dialog's flat look by character set.
#include "ui/flatctrl_win.h"

#include <gtest/gtest.h>

#include "support/coder_fakes.h"
#include "ui/ack_rig.h"
#include "ui/ackdialogform_res.h"
#include "ui/ackdialogform_win.h"
#include "ui/forms_win.h"
#include "ui/styled_rig.h"

namespace {

WNDPROC g_buttonProc = nullptr;
int g_nestedNulls = 0;

// A button that, asked with WM_APP, sends itself a message while it handles that one.
LRESULT CALLBACK SelfSendingButtonProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) {
    ++g_nestedNulls;
    SendMessageW(wnd, WM_NULL, 0, 0);
    return 7;
  }
  return CallWindowProcW(g_buttonProc, wnd, msg, wp, lp);
}

class FlatControlsWin : public ::testing::Test {
 protected:
  void SetUp() override {
    button = form.Add(L"Button", L"OK", BS_PUSHBUTTON, 10, 10, 80, 24);
    check = form.Add(L"Button", L"Флажок", BS_AUTOCHECKBOX, 10, 40, 120, 20);
    edit = form.Add(L"Edit", L"12", ES_AUTOHSCROLL | WS_TABSTOP, 10, 70, 100, 22, WS_EX_CLIENTEDGE);
    combo = form.Add(L"ComboBox", L"", CBS_DROPDOWN | WS_VSCROLL, 120, 70, 100, 120);
    progress = form.Add(L"msctls_progress32", L"", 0, 10, 100, 150, 16);
    panel = form.Add(L"Static", L"", SS_SUNKEN, 10, 130, 200, 50);
    inPanel = form.Add(L"Button", L"В панели", BS_PUSHBUTTON, 5, 5, 80, 24, 0, panel);
    originalButtonProc = GetWindowLongPtrW(button, GWLP_WNDPROC);
    originalEditProc = GetWindowLongPtrW(edit, GWLP_WNDPROC);
    PumpStyled();
  }
  void Activate(TStyledControls controls = kAllStyledControls) {
    styled = std::make_unique<TStyledMenu>(form.wnd, StyledEnvironment());
    styled->SetStyledControls(controls);
    styled->SetActive(true);
    PumpStyled();
  }
  // The button's frame at the middle of its top edge, and the row below (the pressed shadow).
  COLORREF ButtonTop(int row = 0) {
    RECT r{};
    GetWindowRect(button, &r);
    return WindowPixel(button, (r.right - r.left) / 2, row);
  }

  TStyledRigForm form{320, 200};
  HWND button, check, edit, combo, progress, panel, inPanel;
  LONG_PTR originalButtonProc = 0, originalEditProc = 0;
  std::unique_ptr<TStyledMenu> styled;
};

}  // namespace

TEST_F(FlatControlsWin, ButtonHotPressedAndSpace) {
  Activate();
  TControlSubClass* sub = TControlSubClass::Of(button);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->Kind(), xcButton);
  const TEffectiveColors c = styled->EffectiveColors();
  const TColor shadow = GetSysColor(COLOR_BTNSHADOW);
  SendMessageW(button, WM_PAINT, 0, 0);
  EXPECT_EQ(ButtonTop(), TintColor(shadow, 30)) << "the frame at rest";
  SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(sub->Hot) << "the first move is the mouse entering";
  EXPECT_EQ(ButtonTop(), TintColor(c.SelectFrame, 60));
  EXPECT_NE(ButtonTop(1), ShadeColor(shadow, 50));
  SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(ButtonTop(1), ShadeColor(shadow, 50)) << "pressed while hot: the shadow moves to the top";
  SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ReleaseCapture();
  EXPECT_NE(ButtonTop(1), ShadeColor(shadow, 50));
  SendMessageW(button, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(sub->Hot);
  SendMessageW(button, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(sub->SpaceDown);
  EXPECT_EQ(ButtonTop(1), ShadeColor(shadow, 50)) << "space down presses it too";
  SendMessageW(button, WM_KEYUP, VK_SPACE, 0);
  EXPECT_FALSE(sub->SpaceDown);
  EXPECT_FALSE(sub->SpaceGuard);
  PumpStyled();
}

TEST_F(FlatControlsWin, ButtonFacesAndTag1000) {
  HWND onParent = form.Add(L"Button", L"", BS_PUSHBUTTON, 100, 10, 80, 24);
  SetControlTag(onParent, kTagParentColor);
  Activate();
  const TColor parent = GetSysColor(COLOR_BTNFACE);
  SendMessageW(button, WM_PAINT, 0, 0);
  SendMessageW(onParent, WM_PAINT, 0, 0);
  EXPECT_EQ(WindowPixel(button, 5, 12), styled->EffectiveColors().IconStrip) << "the face in the strip colour";
  EXPECT_EQ(WindowPixel(onParent, 5, 12), TintColor(parent, TStyledMenu::kPercentNormal)) << "tag 1000: the parent's";
  SendMessageW(onParent, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(WindowPixel(onParent, 5, 12), TintColor(parent, TStyledMenu::kPercentHot));
  SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(WindowPixel(button, 5, 12), TintColor(parent, TStyledMenu::kPercentHot));
}

TEST_F(FlatControlsWin, ComboButtonFollowsHoverAndFocus) {
  Activate();
  TControlSubClass* sub = TControlSubClass::Of(combo);
  ASSERT_NE(sub, nullptr);
  const TEffectiveColors c = styled->EffectiveColors();
  RECT client{};
  GetClientRect(combo, &client);
  const auto face = [&] { return WindowPixel(combo, client.right - 4, 5); };
  SendMessageW(combo, WM_PAINT, 0, 0);
  EXPECT_EQ(face(), GetSysColor(COLOR_BTNFACE)) << "at rest";
  SendMessageW(combo, WM_MOUSEMOVE, 0, MAKELPARAM(client.right - 4, 5));
  EXPECT_TRUE(sub->Hot);
  EXPECT_EQ(face(), c.SelectFill) << "under the mouse";
  SendMessageW(combo, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(face(), GetSysColor(COLOR_BTNFACE)) << "the mouse left";
  SetFocus(combo);  // the combo box's own edit takes it and tells the combo box
  EXPECT_TRUE(sub->Focused);
  EXPECT_TRUE(sub->Hot);
  EXPECT_EQ(face(), c.SelectFill);
  SendMessageW(combo, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(face(), c.CheckArea) << "focused, the mouse elsewhere";
}

TEST_F(FlatControlsWin, EditFrameColoursAndItsEdge) {
  Activate();
  TControlSubClass* sub = TControlSubClass::Of(edit);
  ASSERT_NE(sub, nullptr);
  SendMessageW(edit, WM_PAINT, 0, 0);
  EXPECT_FALSE(GetWindowLongPtrW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "the 3D edge is switched off";
  EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_STYLE) & WS_BORDER) << "a single border instead";
  EXPECT_EQ(TControlSubClass::Of(edit), sub) << "and the subclass lives on";
  const TEffectiveColors c = styled->EffectiveColors();
  const TColor parent = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(WindowPixel(edit, 0, 10), ShadeColor(parent, 60)) << "idle";
  SetFocus(edit);
  EXPECT_TRUE(sub->Focused);
  EXPECT_EQ(WindowPixel(edit, 0, 10), TintColor(c.SelectFrame, 60)) << "focused";
  SetFocus(button);
  EXPECT_EQ(WindowPixel(edit, 0, 10), ShadeColor(parent, 60)) << "the focus left";
  EXPECT_EQ(WindowPixel(progress, 0, 5), ShadeColor(parent, 60)) << "the progress bar's frame";
}

TEST_F(FlatControlsWin, DisabledCheckBoxMarkAndNoMouse) {
  Activate();
  SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
  EnableWindow(check, FALSE);
  TControlSubClass* sub = TControlSubClass::Of(check);
  ASSERT_NE(sub, nullptr);
  SendMessageW(check, WM_PAINT, 0, 0);
  // The box: SM_CXHTHUMB high, centred in the client area less 3 pixels at top and bottom, at the left;
  // the mark's first stroke starts 2 right of the inner box and 5 above its bottom.
  RECT client{};
  GetClientRect(check, &client);
  const int size = GetSystemMetrics(SM_CXHTHUMB);
  const int top = 3 + ((client.bottom - 6) - size) / 2;
  const int x = 2 + 2, y = top + size - 2 - 3;
  EXPECT_EQ(WindowPixel(check, x, y - 2), styled->EffectiveColors().DisabledCaption);
  SendMessageW(check, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_FALSE(sub->Hot) << "a disabled control does not react to the mouse";
  EnableWindow(check, TRUE);
  SendMessageW(check, WM_PAINT, 0, 0);
  EXPECT_EQ(WindowPixel(check, x, y - 2), GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(FlatControlsWin, WhatIsStyledAndWhatIsNot) {
  SetControlTag(combo, kTagNativeLook);
  SetControlTag(panel, kTagNativeLook);
  Activate();
  EXPECT_NE(TControlSubClass::Of(check), nullptr);
  EXPECT_EQ(TControlSubClass::Of(check)->Kind(), xcCheckBox);
  EXPECT_EQ(TControlSubClass::Of(combo), nullptr) << "tag 999";
  EXPECT_EQ(TControlSubClass::Of(panel), nullptr) << "tag 999";
  EXPECT_EQ(TControlSubClass::Of(inPanel), nullptr) << "its parent has tag 999";
  EXPECT_NE(TControlSubClass::Of(progress), nullptr);
  SetControlTag(panel, 0);
  styled->SetStyledContainers(SetOf(xccForm));
  EXPECT_NE(TControlSubClass::Of(panel), nullptr) << "the panel itself stands on the form";
  EXPECT_EQ(TControlSubClass::Of(inPanel), nullptr) << "panels are not accepted parents now";
  styled->SetStyledContainers(kAllStyledContainers);
  EXPECT_NE(TControlSubClass::Of(inPanel), nullptr);
}

TEST_F(FlatControlsWin, MenuOnlyComponentSubclassesNothing) {
  Activate(kMenusOnly);
  EXPECT_TRUE(styled->Subclasses().empty());
  EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), originalButtonProc);
  EXPECT_EQ(TControlSubClass::Of(edit), nullptr);
}

TEST_F(FlatControlsWin, InactiveGivesBackProcedureAndEdgeAtTheNextMessage) {
  Activate();
  SendMessageW(edit, WM_PAINT, 0, 0);
  ASSERT_FALSE(GetWindowLongPtrW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  ASSERT_NE(GetWindowLongPtrW(button, GWLP_WNDPROC), originalButtonProc);
  styled->SetActive(false);
  // Invalidated: each control finds the component inactive at its next message.
  UpdateWindow(form.wnd);
  SendMessageW(edit, WM_NULL, 0, 0);
  SendMessageW(button, WM_NULL, 0, 0);
  EXPECT_EQ(TControlSubClass::Of(edit), nullptr);
  EXPECT_EQ(TControlSubClass::Of(button), nullptr);
  EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), originalButtonProc);
  EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_WNDPROC), originalEditProc);
  EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "the 3D edge is back";
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 2) << "the control answers as before";
  EXPECT_TRUE(styled->Subclasses().empty());
}

TEST_F(FlatControlsWin, ReleasedInsideItsOwnMessage) {
  g_buttonProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SelfSendingButtonProc)));
  Activate();
  ASSERT_NE(TControlSubClass::Of(button), nullptr);
  styled->SetActive(false);
  // The nested message finds the component inactive while the outer one is still being handled.
  g_nestedNulls = 0;
  EXPECT_EQ(SendMessageW(button, WM_APP, 0, 0), 7) << "the control's own answer";
  EXPECT_EQ(g_nestedNulls, 1);
  EXPECT_EQ(TControlSubClass::Of(button), nullptr);
  EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(SelfSendingButtonProc));
  EXPECT_EQ(SendMessageW(button, WM_APP, 0, 0), 7) << "and the control works on";
}

TEST_F(FlatControlsWin, DestroyedControlEndsItsSubclass) {
  Activate();
  ASSERT_NE(TControlSubClass::Of(check), nullptr);
  const size_t before = styled->Subclasses().size();
  DestroyWindow(check);
  EXPECT_EQ(styled->Subclasses().size(), before - 1);
}

TEST(FlatCopiesDialogWin, FlatLookOutsideTheCyrillicCharacterSet) {
  for (const uint8_t charset : {uint8_t{0}, uint8_t{204}}) {
    TAckRig rig;
    TContext context(rig.host, u"Tevoran");
    TAckPresenter presenter(rig.store, rig.Request(context));
    TAckDialogForm form(presenter);
    form.DefaultCharset = charset;
    ASSERT_TRUE(form.ShowModeless());
    PumpStyled();
    if (charset == 204) {
      EXPECT_EQ(form.StyledMenu(), nullptr);
      EXPECT_EQ(TControlSubClass::Of(form.Control(IDOK)), nullptr);
    } else {
      ASSERT_NE(form.StyledMenu(), nullptr);
      EXPECT_TRUE(form.StyledMenu()->Active());
      EXPECT_TRUE(form.StyledMenu()->AutoDetect);
      EXPECT_EQ(form.StyledMenu()->StyledControls(), kAllStyledControls);
      LOGFONTW font{};
      GetObjectW(form.StyledMenu()->Font(), sizeof font, &font);
      EXPECT_EQ(font.lfCharSet, RUSSIAN_CHARSET);
      EXPECT_NE(TControlSubClass::Of(form.Control(IDOK)), nullptr);
      EXPECT_NE(TControlSubClass::Of(form.Control(IDC_ACK_EDITCOPIES)), nullptr);
      EXPECT_EQ(TControlSubClass::Of(form.Control(IDC_ACK_EDITCOPIES))->Kind(), xcCombo);
    }
    form.Close(0);
  }
}
