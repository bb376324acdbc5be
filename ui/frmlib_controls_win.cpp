// Hint wrapping, combo and menu fillers and the folder browser on Win32 controls.
#include "ui/frmlib_controls_win.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <optional>

#include "foundation/lib_unicode_win.h"

namespace {

constexpr wchar_t kBrowseTitle[] = L"Выбор каталога";
// Tooltips copy a tip of at most this many characters (INFOTIPSIZE) into the caller's buffer.
constexpr size_t kTipBuffer = 1024;

bool InsideOrSelf(HWND control, HWND wnd) { return wnd == control || IsChild(control, wnd); }

// The hint of one tool, as the tooltip keeps it.
std::u16string ToolText(HWND tooltip, const TTTOOLINFOW& tool) {
  std::wstring buf(kTipBuffer, L'\0');
  TTTOOLINFOW query = tool;
  query.cbSize = sizeof query;
  query.lpszText = buf.data();
  SendMessageW(tooltip, TTM_GETTEXTW, buf.size(), reinterpret_cast<LPARAM>(&query));
  buf[buf.size() - 1] = L'\0';
  return FromWStr(buf.c_str());
}

void AddItems(HWND combo, const TWideStringArray& items) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int32_t i = 0; i < items.Count(); ++i) {
    const std::u16string item = items.Get(i);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WStr(item)));
  }
}

void Select(HWND combo, const TComboChoice& choice) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(choice.Selected), 0);
}

int CALLBACK BrowseCallback(HWND wnd, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data) SendMessageW(wnd, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

}  // namespace

void WrapControlHints(HWND tooltip, HWND control, size_t maxCol) {
  if (!tooltip || !control) return;
  const int count = static_cast<int>(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool))) continue;
    const HWND target = (tool.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(tool.uId) : tool.hwnd;
    if (!InsideOrSelf(control, target)) continue;
    const std::u16string text = ToolText(tooltip, tool);
    const std::u16string wrapped = WrapHintText(text, maxCol);
    if (wrapped == text) continue;
    tool.lpszText = const_cast<wchar_t*>(WStr(wrapped));
    SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

bool FillComboBox(HWND combo, const TWideStringArray& items) {
  AddItems(combo, items);
  const TComboChoice first = ChooseComboEntry(items, {});
  Select(combo, first);
  return first.Selected >= 0;
}

void FillComboAndSelect(HWND combo, const TWideStringArray& items, std::u16string& value) {
  AddItems(combo, items);
  const TComboChoice choice = ChooseComboEntry(items, value);
  Select(combo, choice);
  value = choice.Value;
}

void FillComboFromRecords(HWND combo, const std::vector<TPrinterListItem>& printers, std::u16string& value) {
  TWideStringArray names(8);
  for (const TPrinterListItem& item : printers) names.Add(item.Name);
  FillComboAndSelect(combo, names, value);
}

TPrinterComboChoice FillPrinterCombo(HWND combo, TPrinters& printers, std::u16string_view printerName, uint8_t kind) {
  AddItems(combo, printers.OtherPrinters);
  std::u16string stored;
  printers.GetPrintTo(printerName, stored, kind);
  const TPrinterComboChoice choice = ChoosePrinterEntry(printers.OtherPrinters, stored, [&printers] {
    std::u16string fallback;
    printers.GetDefaultPrintTo(fallback);
    return fallback;
  });
  Select(combo, choice.Choice);
  return choice;
}

bool FillPrinterMenu(HMENU submenu, TPrinters& printers, std::u16string_view printerName, uint8_t kind,
                     UINT firstCommand) {
  if (!submenu) return false;
  while (GetMenuItemCount(submenu) > 0) {
    if (!DeleteMenu(submenu, 0, MF_BYPOSITION)) break;
  }
  std::u16string current;
  printers.GetPrintTo(printerName, current, kind);
  const std::vector<TPrinterMenuEntry> entries = PrinterMenuEntries(printers.OtherPrinters, current);
  UINT command = firstCommand;
  for (const TPrinterMenuEntry& entry : entries) {
    const std::u16string caption = MenuCaptionOf(entry.Caption);
    AppendMenuW(submenu, MF_STRING | (entry.Checked ? MF_CHECKED : MF_UNCHECKED), command++, WStr(caption));
  }
  return !entries.empty();
}

std::u16string BrowseForFolder(std::u16string_view startDirectory, HWND owner) {
  const std::u16string start = FolderBrowseStart(startDirectory);
  // The browser's tree needs COM on this thread; a thread that has it in another model keeps it.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOW info{};
  info.hwndOwner = owner ? owner : GetActiveWindow();
  info.lpszTitle = kBrowseTitle;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = BrowseCallback;
  info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(WStr(start));
  std::optional<std::u16string> chosen;
  if (PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info)) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(list, path)) chosen = FromWStr(path);
    CoTaskMemFree(list);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return FolderBrowseResult(chosen, startDirectory);
}
