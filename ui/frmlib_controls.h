// What the dialogs' shared fillers and helpers decide, without the controls: hint wrapping, which
// combo entry is selected, the destination printers' menu entries and the folder browser's answer.
// frmlib_controls_win applies them to the windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/lib_str_lists.h"

// The columns the dialogs wrap their hints at.
inline constexpr size_t kHintColumns = 60;

// The text word-wrapped into lines of at most maxCol characters joined by CR LF, broken after a blank,
// comma, hyphen or full stop; a blank a line ends at is dropped. A run without such a character longer
// than maxCol stays whole; line breaks already in the text stay. maxCol 0 leaves the text as it is.
std::u16string WrapHintText(std::u16string_view text, size_t maxCol);

// A combo box's selection: the entry's index (-1 for none) and its text (empty for none).
struct TComboChoice {
  int32_t Selected = -1;
  std::u16string Value;
  friend bool operator==(const TComboChoice&, const TComboChoice&) = default;
};

// The entry equal to value ignoring case, else the first entry, else none.
TComboChoice ChooseComboEntry(const TWideStringArray& items, std::u16string_view value);

// The destination combo: the stored destination when it is an installed printer; otherwise the default
// destination (asked for only then), and TookDefault tells the caller the stored one was not usable.
struct TPrinterComboChoice {
  TComboChoice Choice;
  bool TookDefault = false;
};
TPrinterComboChoice ChoosePrinterEntry(const TWideStringArray& destinations, std::u16string_view stored,
                                       const std::function<std::u16string()>& defaultDestination);

// One item of a destination submenu: the printer's name, checked for the current destination.
struct TPrinterMenuEntry {
  std::u16string Caption;
  bool Checked = false;
  friend bool operator==(const TPrinterMenuEntry&, const TPrinterMenuEntry&) = default;
};
std::vector<TPrinterMenuEntry> PrinterMenuEntries(const TWideStringArray& destinations, std::u16string_view current);

// A menu caption that shows the text as it is: "&" would underline the next letter.
std::u16string MenuCaptionOf(std::u16string_view text);

// The folder browser starts at the directory without its trailing backslash; a drive root keeps it
// ("C:" alone names the drive's current directory, not its root).
std::u16string FolderBrowseStart(std::u16string_view directory);
// The browser's answer: the chosen folder with a trailing backslash; when cancelled the starting
// directory with one, and empty for an empty start (a bare "\" would name the drive's root).
std::u16string FolderBrowseResult(const std::optional<std::u16string>& chosen, std::u16string_view start);
