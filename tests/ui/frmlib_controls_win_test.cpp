// The shared fillers on real controls: hints wrapped in a tooltip, combo boxes from lists and from a
// stand-in printer list, the destinations' submenu, and the folder browser answered from a second thread.
#include "ui/frmlib_controls_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"
#include "support/memory_store.h"
#include "support/printers_host_fake.h"
#include "support/win_fixtures.h"
#include "ui/frmlib_win.h"

namespace {

TWideStringArray List(std::initializer_list<std::u16string_view> items) {
  TWideStringArray list(8);
  for (const auto item : items) list.Add(item);
  return list;
}

std::u16string ItemText(HWND combo, int index) {
  wchar_t buf[256] = {};
  SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buf));
  return FromWStr(buf);
}

std::vector<std::u16string> Items(HWND combo) {
  std::vector<std::u16string> items;
  const int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) items.push_back(ItemText(combo, i));
  return items;
}

int Selected(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

struct TWindows {
  HWND Parent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
  HWND Combo = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 200, 100, Parent, nullptr,
                               nullptr, nullptr);
  ~TWindows() { DestroyWindow(Parent); }
};

// The system's printers of the stand-in list: the virtual printer "Tevoran" and two destinations.
struct TStandInHost : TListPrintersHost {
  TStandInHost() { Names = {u"Laser", u"Tevoran", u"R&D Epson"}; }
};

struct TStandInPrinters {
  std::shared_ptr<TStandInHost> host = std::make_shared<TStandInHost>();
  TMemoryStore machine, user;
  TPrinters printers{host, machine, user};
  TStandInPrinters() {
    printers.UserName = u"Иванова";
    TPrinterListItem item;
    item.Name = u"Tevoran";
    item.AllUsers = item.WinSide = item.DosSide = true;
    printers.Items.push_back(item);
    printers.ListOtherPrinters();
  }
};

}  // namespace

TEST(FormFillersWin, WrapControlHintsInsideTheControlOnly) {
  TWindows w;
  HWND panel = CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 100, 100, w.Parent, nullptr, nullptr, nullptr);
  HWND inner = CreateWindowExW(0, L"Edit", L"", WS_CHILD, 0, 0, 50, 20, panel, nullptr, nullptr, nullptr);
  HWND outside = CreateWindowExW(0, L"Edit", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
  HWND tooltip =
      CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, 0, 0, 0, 0, w.Parent, nullptr, nullptr, nullptr);
  ASSERT_NE(tooltip, nullptr);
  std::u16string words;
  for (int i = 0; i < 12; ++i) words += u"подсказка ";
  const std::u16string solid(130, u'ж');
  struct Tool {
    HWND wnd;
    std::u16string text;
  } tools[] = {{w.Combo, words}, {inner, words}, {panel, solid}, {outside, words}};
  for (Tool& t : tools) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = w.Parent;
    info.uId = reinterpret_cast<UINT_PTR>(t.wnd);
    info.lpszText = const_cast<wchar_t*>(WStr(t.text));
    ASSERT_TRUE(SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
  }
  WrapControlHints(tooltip, w.Parent);
  auto textOf = [&](HWND wnd) {
    std::wstring buf(1024, L'\0');
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = w.Parent;
    info.uId = reinterpret_cast<UINT_PTR>(wnd);
    info.lpszText = buf.data();
    SendMessageW(tooltip, TTM_GETTEXTW, buf.size(), reinterpret_cast<LPARAM>(&info));
    return FromWStr(buf.c_str());
  };
  EXPECT_EQ(textOf(w.Combo), WrapHintText(words, kHintColumns)) << "a child";
  EXPECT_NE(textOf(w.Combo).find(u"\r\n"), std::u16string::npos);
  EXPECT_EQ(textOf(inner), WrapHintText(words, kHintColumns)) << "a child's child";
  EXPECT_EQ(textOf(panel), solid) << "130 characters without a break stay one line";
  EXPECT_EQ(textOf(outside), words) << "another window's hint stays";
  DestroyWindow(tooltip);
  DestroyWindow(outside);
}

TEST(FormFillersWin, FillComboBox) {
  TWindows w;
  EXPECT_TRUE(FillComboBox(w.Combo, List({u"LPT1:", u"LPT2:"})));
  EXPECT_EQ(Items(w.Combo), (std::vector<std::u16string>{u"LPT1:", u"LPT2:"}));
  EXPECT_EQ(Selected(w.Combo), 0);
  EXPECT_FALSE(FillComboBox(w.Combo, List({}))) << "an empty list";
  EXPECT_TRUE(Items(w.Combo).empty()) << "the old items went";
  EXPECT_EQ(Selected(w.Combo), -1);
}

TEST(FormFillersWin, FillComboAndSelectWritesTheValueBack) {
  TWindows w;
  struct Case {
    TWideStringArray items;
    std::u16string value, after;
    int selected;
  } cases[] = {
      {List({u"Tevoran", u"Tevoran 2"}), u"TEVORAN 2", u"Tevoran 2", 1},
      {List({u"Tevoran", u"Tevoran 2"}), u"Gone", u"Tevoran", 0},
      {List({}), u"Gone", u"", -1},
  };
  for (Case& c : cases) {
    FillComboAndSelect(w.Combo, c.items, c.value);
    EXPECT_EQ(c.value, c.after);
    EXPECT_EQ(Selected(w.Combo), c.selected);
  }
  std::vector<TPrinterListItem> records(2);
  records[0].Name = u"Tevoran";
  records[1].Name = u"Склад";
  std::u16string value = u"склад";
  FillComboFromRecords(w.Combo, records, value);
  EXPECT_EQ(value, u"Склад");
  EXPECT_EQ(Items(w.Combo), (std::vector<std::u16string>{u"Tevoran", u"Склад"}));
}

TEST(FormFillersWin, FillPrinterComboFromTheStandInList) {
  TWindows w;
  TStandInPrinters list;
  ASSERT_EQ(list.printers.OtherPrinters.Count(), 2) << "the virtual printer is no destination";

  list.printers.SetPrintTo(u"Tevoran", u"r&d epson", kPrintToWin);
  TPrinterComboChoice choice = FillPrinterCombo(w.Combo, list.printers, u"Tevoran", kPrintToWin);
  EXPECT_EQ(Items(w.Combo), (std::vector<std::u16string>{u"Laser", u"R&D Epson"}));
  EXPECT_EQ(Selected(w.Combo), 1) << "the stored destination, ignoring case";
  EXPECT_FALSE(choice.TookDefault);

  list.printers.SetPrintTo(u"Tevoran", u"Removed", kPrintToDos);
  list.host->Default = u"R&D Epson";
  choice = FillPrinterCombo(w.Combo, list.printers, u"Tevoran", kPrintToDos);
  EXPECT_TRUE(choice.TookDefault) << "the stored one is not installed";
  EXPECT_EQ(choice.Choice.Value, u"R&D Epson") << "the system's default printer";
  EXPECT_EQ(Selected(w.Combo), 1);
}

TEST(FormFillersWin, FillPrinterMenuChecksTheDestination) {
  TStandInPrinters list;
  list.printers.SetPrintTo(u"Tevoran", u"Laser", kPrintToWin);
  HMENU submenu = CreatePopupMenu();
  AppendMenuW(submenu, MF_STRING, 1, L"old item");
  ASSERT_TRUE(FillPrinterMenu(submenu, list.printers, u"Tevoran", kPrintToWin, 700));
  ASSERT_EQ(GetMenuItemCount(submenu), 2) << "the old items went";
  struct Item {
    UINT id;
    const wchar_t* caption;
    bool checked;
  } items[] = {{700, L"Laser", true}, {701, L"R&&D Epson", false}};
  for (int i = 0; i < 2; ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(submenu, i, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, items[i].caption) << "a name shows as it is, \"&\" included";
    EXPECT_EQ(GetMenuItemID(submenu, i), items[i].id);
    EXPECT_EQ((GetMenuState(submenu, i, MF_BYPOSITION) & MF_CHECKED) != 0, items[i].checked);
  }

  list.host->Names = {u"Tevoran"};
  list.printers.ListOtherPrinters();
  EXPECT_FALSE(FillPrinterMenu(submenu, list.printers, u"Tevoran", kPrintToWin, 700)) << "no destinations: no item";
  EXPECT_EQ(GetMenuItemCount(submenu), 0);
  DestroyMenu(submenu);
}

namespace {
// The text of the tree's selected folder.
std::u16string SelectedFolder(HWND tree) {
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return {};
  wchar_t text[MAX_PATH] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  return FromWStr(text);
}

// Answers the folder browser of this process with a button once it shows, and for OK once its tree
// has selected the folder named leaf (the browser selects its start after it shows).
void AnswerBrowser(int button, std::u16string leaf, std::atomic<bool>* found) {
  for (int i = 0; i < 500; ++i) {
    HWND dialog = FindWindowW(L"#32770", nullptr);
    HWND tree = dialog ? GetDlgItem(dialog, 14145) : nullptr;
    if (tree && IsWindowVisible(dialog) && (leaf.empty() || SameTextW(SelectedFolder(tree), leaf))) {
      *found = true;
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
      return;
    }
    Sleep(10);
  }
  // Never leave the browser open: the test fails instead of waiting for ever.
  if (HWND dialog = FindWindowW(L"#32770", nullptr)) {
    HWND tree = GetDlgItem(dialog, 14145);
    std::fprintf(stderr, "browser left with \"%s\" selected\n", tree ? WideToAnsi(SelectedFolder(tree)).c_str() : "");
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
}
}  // namespace

TEST(FormFillersWin, BrowseForFolderAnsweredFromASecondThread) {
  TScratchDir dir(u"browse");
  const std::u16string start = dir.Path() + u"\\";
  struct Case {
    std::u16string start;
    int button;
    std::u16string expected;
    const char* why;
  } cases[] = {
      // Wine's first browser of a process may show before its tree can select the start: OK comes last.
      {start, IDCANCEL, start, "cancelled: the start with its backslash"},
      {u"", IDCANCEL, u"", "cancelled with no start: empty, never a bare backslash"},
      {start, IDOK, start, "OK: the start selected, with one trailing backslash"},
  };
  for (const Case& c : cases) {
    std::atomic<bool> found{false};
    const std::u16string leaf = c.button == IDOK ? ExtractFileNameW(dir.Path()) : u"";
    std::thread answer(AnswerBrowser, c.button, leaf, &found);
    const std::u16string got = BrowseForFolder(c.start);
    answer.join();
    EXPECT_TRUE(found) << c.why;
    EXPECT_TRUE(SameTextW(got, c.expected)) << c.why << ": " << WideToAnsi(got);
  }
}
