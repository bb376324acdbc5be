// The dialogs' shared fillers and helpers on their controls: hint wrapping, combo boxes filled from
// lists and printer lists, the destination printers' submenu and the folder browser.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "foundation/lib_prn_printers.h"
#include "foundation/lib_str_lists.h"
#include "ui/frmlib_controls.h"

// Wraps the hints that the tooltip holds for the control and every window inside it (WrapHintText).
// The tooltip breaks the lines only while it has a maximum tip width, which the form base sets.
void WrapControlHints(HWND tooltip, HWND control, size_t maxCol = kHintColumns);

// Clears the combo box, adds the items in order and selects the first; false when there is none.
bool FillComboBox(HWND combo, const TWideStringArray& items);
// Fills the combo and selects the entry equal to value ignoring case, else the first; value becomes
// the selected entry's text, empty when nothing is selected.
void FillComboAndSelect(HWND combo, const TWideStringArray& items, std::u16string& value);
// The same over the names of the virtual printers.
void FillComboFromRecords(HWND combo, const std::vector<TPrinterListItem>& printers, std::u16string& value);
// The installed destination printers, with the stored destination of the virtual printer for the
// list's user and the kind selected, else the list's default destination (TookDefault set).
TPrinterComboChoice FillPrinterCombo(HWND combo, TPrinters& printers, std::u16string_view printerName, uint8_t kind);

// Empties the submenu and adds one item per destination printer that is not a virtual printer, with
// commands firstCommand, firstCommand + 1, ... in the order of the list's OtherPrinters, the current
// destination of the kind checked. A Win32 menu cannot hide an item: the result tells the caller
// whether the submenu's item belongs in its menu (true when there are destinations).
bool FillPrinterMenu(HMENU submenu, TPrinters& printers, std::u16string_view printerName, uint8_t kind,
                     UINT firstCommand);

// The folder browser titled "Выбор каталога", starting at the directory; the chosen folder with a
// trailing backslash, or the start with one when cancelled (FolderBrowseResult). owner may be null.
std::u16string BrowseForFolder(std::u16string_view startDirectory, HWND owner = nullptr);
