// The monitor window's decisions without the window: which tray menu items show for the component mask,
// which destination submenus a rebuild fills or hides, when a rebuild goes on, how a busy lock is
// retried, the settings programs' command lines and the setting sections that ask for a reload.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::u16string_view kMonitorWindowClass = u"TFormVirtPrinter";
inline constexpr std::u16string_view kMonitorCaption = u"Tevoran-Клиент. Монитор";
inline constexpr std::u16string_view kServiceWindowCaption = u"Virtual Printer Monitor Service";

// The tray menu's captions.
inline constexpr std::u16string_view kMnConfig = u"Настройка виртуального принтера";
inline constexpr std::u16string_view kMnQuit = u"Завершение работы монитора";
inline constexpr std::u16string_view kMnAbout = u"О программе...";
inline constexpr std::u16string_view kMnConfSymb = u"Настройка формирования штрих-кода";
inline constexpr std::u16string_view kPrnToW = u"Принтер для печати Windows";
inline constexpr std::u16string_view kPrnToD = u"Принтер для печати DOS";
inline constexpr std::u16string_view kMnConfigDos = u"Настройка обработки каталога...";
inline constexpr std::u16string_view kMnDos = u"Настройка печати для DOS";
inline constexpr std::u16string_view kPrnToF = u"Принтер для печати файлов";

// The items shown by the component mask and "IsMonit".
struct TTrayMenuVisibility {
  bool Config = false;
  bool ConfSymb = false;
  bool ConfigDos = false;
  bool Dos = false;
  friend bool operator==(const TTrayMenuVisibility&, const TTrayMenuVisibility&) = default;
};
TTrayMenuVisibility TrayMenuVisibility(uint32_t mask, int32_t isMonit);

// A destination submenu: its destination kind, and whether a rebuild fills it or hides it.
struct TDestinationMenuPlan {
  uint8_t Kind = 0;
  bool Fill = false;
  friend bool operator==(const TDestinationMenuPlan&, const TDestinationMenuPlan&) = default;
};
// Windows (kind 1), DOS (kind 2) and files (kind 12), in this order: filled when the mask has their side
// and the list holds exactly one virtual printer (whose destinations they show), hidden otherwise.
struct TDestinationMenusPlan {
  TDestinationMenuPlan Win, Dos, Files;
};
TDestinationMenusPlan PlanDestinationMenus(uint32_t mask, int32_t virtualPrinters);

// What a rebuild that holds the lock does next.
enum class TRebuildStart : uint8_t {
  Skip,          // the menus stay as they are until the next rebuild
  Go,            // fill the submenus from the printer list
  RefreshFirst,  // the system's printers were never listed: list them, then fill
};
// stopSignalled: the monitor is stopping; listed: the system's printers were listed; others: how many of
// them are not virtual printers; printerReady: the printer monitor is between rounds.
TRebuildStart RebuildStart(bool stopSignalled, bool listed, int32_t others, bool printerReady);

// The rebuild runs this long after it was asked for (a little longer on the 9x family), and a lock that
// is busy is tried again a second later, ten tries in all.
inline constexpr uint32_t kRebuildDelayMs = 256;
inline constexpr uint32_t kRebuildDelay9xExtraMs = 32;
inline constexpr int kRebuildLockTries = 10;
inline constexpr uint32_t kRebuildRetryMs = 1000;
uint32_t RebuildDelayMs(bool win9x);
// After failedTries busy tries: the delay before the next one, none when the tries are spent.
std::optional<uint32_t> NextRebuildRetry(int failedTries);

// The settings programs the tray menu starts, each as a process of the program.
enum class TLauncher : uint8_t { Config, ConfigWin, ConfigDos, ConfigDirDos };
std::u16string LauncherCommandLine(TLauncher launcher);

// The About box's product line: the product word and the program title.
std::u16string AboutProductText(std::u16string_view programTitle);
