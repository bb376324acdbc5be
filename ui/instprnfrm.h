// The printer installation wizard without its window: the page order both ways, the step and
// explanation texts, the all-users rules, the driver list and its proposal, rejected drivers, and the
// Add Printer item's joined item list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum TWizardPage : int {
  wpWelcome = 0,
  wpName = 1,
  wpPort = 2,
  wpDestination = 3,
  wpDriver = 4,
  wpProgress = 5,
  wpFinished = 6,
};
inline constexpr int kWizardPageCount = 7;

inline constexpr std::u16string_view kInstPrnCaption = u"Установка виртуального принтера Tevoran";
inline constexpr std::u16string_view kInstPrnClass = u"TInstPrnFrm";
inline constexpr std::u16string_view kNextCaption = u"Далее >";
inline constexpr std::u16string_view kDoneCaption = u"Готово";

// What decides the road through the pages.
struct TWizardRoute {
  bool SkipPortPage = false;  // the port does not matter: neither the DOS component nor "UseDOS"
  bool Advanced = false;      // `CAdv1`: the user chooses the driver
};

// Next's simple moves (pages 3 and 4 start the worker on the way to page 5; 6 finishes).
int NextPage(int page, const TWizardRoute& route);
int BackPage(int page, const TWizardRoute& route);
// Where a finished worker leaves the wizard: 1 the finish page, 2 the driver or destination page,
// 3 the destination page (the advanced choice is then switched on).
int PageAfterStatus(int32_t status, bool advanced);

struct TStepTexts {
  std::u16string_view Title;
  std::u16string_view Step;
};
TStepTexts StepTextsOf(int page);

// Explanations with their placeholders filled.
std::u16string WelcomeText();                                // `LabT1`
std::u16string PortExplanation(std::u16string_view recommendedPort);  // `ST1`
std::u16string RecommendedText(std::u16string_view value);  // `LRecomPort`, `Label7`
std::u16string DriverExplanation();                          // `LabT3`

// "FinePrint", the XPS writer, the Office image writer and the fax driver, anywhere in the name,
// case-sensitive.
bool IsForbiddenDriver(std::u16string_view driver);

// `CAllUsers` as the wizard starts: with several printers allowed, the terminal mode decides and the
// user may change it; with one printer it is checked and fixed.
struct TAllUsersState {
  bool Checked = true;
  bool Enabled = false;
};
TAllUsersState InitialAllUsers(int32_t maxPrinterCount, bool terminalMode);
// The warning before all users share a printer on a terminal server not set up for it.
bool AllUsersNeedsWarning(bool nowChecked, bool isTerminalServer, int32_t maxPrinterCount, bool terminalMode);
// `CUsrName` and `LUsrNm`: only an administrator picks the owner, and only for a printer of one user.
bool UserChoiceEnabled(bool isAdministrator, const TAllUsersState& allUsers);

// `CDrivers`' entries: the installed drivers with the model driver shown as the program's driver, which
// is appended when the model driver is not installed.
std::vector<std::u16string> DriverEntries(const std::vector<std::u16string>& installed, std::u16string_view modelDriver);
// The entry proposed: the program's driver, or with the advanced choice the destination's driver
// when it is known.
std::u16string ProposedDriver(bool advanced, std::u16string_view destinationDriver);
// The index of the entry equal to value (case-sensitive), else 0; -1 for no entries.
int32_t EntryIndexOr0(const std::vector<std::u16string>& entries, std::u16string_view value);
// The finish page's driver text: the program's driver for the model driver, with the environment.
std::u16string InstalledDriverText(std::u16string_view driver, std::u16string_view modelDriver,
                                   std::u16string_view environment);

// The shell's item lists: entries of a 16-bit size (counting itself) and their bytes, closed by a
// 2-byte zero. Joins the folder's and the item's entries into one list; empty when either is not a
// whole list within its bytes.
std::vector<uint8_t> JoinItemLists(std::span<const uint8_t> folder, std::span<const uint8_t> item);
