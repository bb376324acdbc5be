// What the virtual printer installation decides without the system: the driver file set and the
// driver pack folder of the running Windows, the temporary INF that installs the files, and which
// driver is the program's own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The driver entry the wizard offers for the program's driver.
inline constexpr std::u16string_view kOwnDriverName = u"Tevoran Printer Driver";
inline constexpr std::u16string_view kVirtualPrinterComment = u"Виртуальный принтер Tevoran-Клиент";

// The worker's outcome: running, the printer installed, the printer refused, the driver failed.
enum TInstallStatus : int32_t {
  isRunning = 0,
  isInstalled = 1,
  isPrinterFailed = 2,
  isDriverFailed = 3,
};

// The facts of the running Windows the installation chooses by.
struct TInstallSystem {
  bool IsWinNT = true;
  uint32_t Major = 6;
  uint32_t Minor = 1;
  bool IsWin95 = false;
  bool IsWin98 = false;
  bool IsWinME = false;
  std::u16string Architecture;  // "I386", "IA64", "x64" or "Unknown"
};

// "WinNT51.I386", "WinNT10.0.x64", "Win98"...; empty for a system without a folder.
std::u16string DriverPackOsFolder(const TInstallSystem& sys);
// The driver pack folder: program directory (with its trailing backslash) + "DriverPack\" + OS folder + "\".
std::u16string DriverPackFolder(std::u16string_view programDir, const TInstallSystem& sys);
// The driver's file names for the system; none from NT 6 on (the driver store has it) and on NT 3.
std::vector<std::string> DriverFileSet(const TInstallSystem& sys);
// Whether the program's driver needs files copied before it is added: systems older than NT 6.
bool NeedsDriverFiles(const TInstallSystem& sys);

// The temporary INF's bytes: the family's template and one "<file>,," line per file, CR LF
// throughout; UTF-16LE with a byte-order mark on the NT family, 8-bit text on 9x.
std::string DriverInfBytes(bool isWinNT, const std::vector<std::string>& files);

// The program's driver: its entry name or the system driver standing behind it.
bool IsOwnDriver(std::u16string_view driver, std::u16string_view modelDriver);

// Message texts of the worker.
std::u16string InstallingDriverCaption();  // "Установка драйвера Tevoran Printer Driver"
std::u16string DriverFilesErrorText();
// The driver failure, with CR LF and the error-code text when the code is not 0.
std::u16string DriverErrorText(uint32_t code, std::u16string_view errorCodeText);
std::u16string PrinterErrorText(std::u16string_view printer, std::u16string_view errorCodeText);
std::u16string CreatingPrinterCaption(std::u16string_view printer);
