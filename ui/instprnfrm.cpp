#include "ui/instprnfrm.h"

#include "ui/instprnthread.h"

namespace {

constexpr std::u16string_view kForbiddenDrivers[] = {u"FinePrint", u"Microsoft XPS Document Writer",
                                                     u"Microsoft Office Document Image Write",
                                                     u"Microsoft Shared Fax Driver"};

constexpr TStepTexts kStepTexts[kWizardPageCount] = {
    {kInstPrnCaption, u""},
    {kInstPrnCaption, u"Выбор виртуального принтера для установки"},
    {u"Выбор порта для виртуального принтера", u"Компьютер контактирует с принтерами через порты"},
    {u"Выбор конечного принтера для печати",
     u"Обработанные программой Tevoran-Клиент данные посылаются на конечный принтер для печати"},
    {u"Выбор драйвера принтера", u"Посылаемые на принтер данные обрабатываются драйвером принтера"},
    {u"Установка драйвера принтера",
     u"Автоматическое выполнение действий, необходимых для успешной установки виртуального принтера"},
    {u"Установка завершена", u""},
};

// Replaces every occurrence of the placeholder.
std::u16string Fill(std::u16string text, std::u16string_view placeholder, std::u16string_view value) {
  for (size_t at = text.find(placeholder); at != std::u16string::npos; at = text.find(placeholder, at + value.size()))
    text.replace(at, placeholder.size(), value);
  return text;
}

// The end of a whole item list's entries (its terminator's offset); npos when it is not whole.
size_t ItemListEnd(std::span<const uint8_t> list) {
  size_t at = 0;
  while (at + 2 <= list.size()) {
    const size_t cb = size_t(list[at]) | (size_t(list[at + 1]) << 8);
    if (cb == 0) return at;
    if (cb < 2 || cb > list.size() - at) return std::u16string::npos;
    at += cb;
  }
  return std::u16string::npos;
}

}  // namespace

int NextPage(int page, const TWizardRoute& route) {
  switch (page) {
    case wpWelcome: return wpName;
    case wpName: return route.SkipPortPage ? wpDestination : wpPort;
    case wpPort: return route.SkipPortPage ? wpDriver : wpDestination;
    case wpDestination: return route.Advanced ? wpDriver : wpProgress;
    case wpDriver: return wpProgress;
    default: return page < wpFinished ? page + 1 : page;
  }
}

int BackPage(int page, const TWizardRoute& route) {
  switch (page) {
    case wpPort: return wpName;
    case wpDestination: return route.SkipPortPage ? wpName : wpPort;
    case wpProgress: return route.Advanced ? wpDriver : wpDestination;
    default: return page > wpWelcome ? page - 1 : wpWelcome;
  }
}

int PageAfterStatus(int32_t status, bool advanced) {
  switch (status) {
    case isInstalled: return wpFinished;
    case isPrinterFailed: return advanced ? wpDriver : wpDestination;
    case isDriverFailed: return wpDestination;
    default: return wpProgress;
  }
}

TStepTexts StepTextsOf(int page) { return page >= 0 && page < kWizardPageCount ? kStepTexts[page] : TStepTexts{}; }

std::u16string WelcomeText() {
  return Fill(
      u"Данный мастер поможет Вам в создании виртуального принтера %0:s, который необходим для работы данного "
      u"продукта. В процессе установки Вам будет предложен ряд настроек, которые Вы сможете изменить. Также, "
      u"возможно, Вам потребуется вставить диск с дистрибутивом Вашей версии Windows или пакет драйверов "
      u"\"%0:s Driver Pack\" и права пользователя, позволяющие создавать принтеры. По окончании работы мастера, "
      u"продукт будет готов к работе.",
      u"%0:s", u"Tevoran");
}

std::u16string PortExplanation(std::u16string_view recommendedPort) {
  return Fill(
      u"Для установки принтера необходимо выбрать порт, в который печатающие программы будут отправлять данные "
      u"для печати. Для печати из Windows выбор порта не имеет значения. Для печати через очередь печати DOS "
      u"(\"Виртуальный принтер для печати из DOS-сессии\") и \"Перехват порта в DOS-сессии\", порт должен быть "
      u"существующим в системе локальным %s портом.",
      u"%s", recommendedPort.substr(0, 3));
}

std::u16string RecommendedText(std::u16string_view value) {
  return Fill(u"Рекомендуемое значение - %s", u"%s", value);
}

std::u16string DriverExplanation() {
  std::u16string text =
      u"Для установки принтера необходимо выбрать драйвер, который будет осуществлять обработку посылаемых на "
      u"печать данных и преобразование их к виду, поддерживаемому данным программным продуктом (формат EMF). "
      u"Это может быть любой драйвер от реального принтера, но не от виртуального (драйверы факсов или "
      u"перенаправления печати), этот драйвер должен корректно поддерживать формат очереди печати EMF. В "
      u"случае, если вы испытываете сложности в работе с вашим драйвером принтера, выберите драйвер \"%s\", в "
      u"этом случае при запуске под Windows 95/98/ME вам потребуется указать путь к дистрибутиву Windows или "
      u"вставить соответствующий диск, можно также указать путь к \"%s Driver Pack\".";
  const size_t first = text.find(u"%s");
  text.replace(first, 2, kOwnDriverName);
  const size_t second = text.find(u"%s", first + kOwnDriverName.size());
  text.replace(second, 2, u"Tevoran");
  return text;
}

bool IsForbiddenDriver(std::u16string_view driver) {
  for (const std::u16string_view name : kForbiddenDrivers)
    if (driver.find(name) != std::u16string_view::npos) return true;
  return false;
}

TAllUsersState InitialAllUsers(int32_t maxPrinterCount, bool terminalMode) {
  if (maxPrinterCount > 1) return {terminalMode, true};
  return {true, false};
}

bool AllUsersNeedsWarning(bool nowChecked, bool isTerminalServer, int32_t maxPrinterCount, bool terminalMode) {
  return nowChecked && isTerminalServer && maxPrinterCount > 1 && !terminalMode;
}

bool UserChoiceEnabled(bool isAdministrator, const TAllUsersState& allUsers) {
  return isAdministrator && allUsers.Enabled && !allUsers.Checked;
}

std::vector<std::u16string> DriverEntries(const std::vector<std::u16string>& installed,
                                          std::u16string_view modelDriver) {
  std::vector<std::u16string> entries;
  bool modelListed = false;
  for (const std::u16string& driver : installed) {
    if (driver == modelDriver) {
      entries.emplace_back(kOwnDriverName);
      modelListed = true;
    } else {
      entries.push_back(driver);
    }
  }
  if (!modelListed) entries.emplace_back(kOwnDriverName);
  return entries;
}

std::u16string ProposedDriver(bool advanced, std::u16string_view destinationDriver) {
  if (!advanced || destinationDriver.empty()) return std::u16string(kOwnDriverName);
  return std::u16string(destinationDriver);
}

int32_t EntryIndexOr0(const std::vector<std::u16string>& entries, std::u16string_view value) {
  if (entries.empty()) return -1;
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i] == value) return int32_t(i);
  return 0;
}

std::u16string InstalledDriverText(std::u16string_view driver, std::u16string_view modelDriver,
                                   std::u16string_view environment) {
  std::u16string text(IsOwnDriver(driver, modelDriver) ? kOwnDriverName : driver);
  return text + u" [" + std::u16string(environment) + u"]";
}

std::vector<uint8_t> JoinItemLists(std::span<const uint8_t> folder, std::span<const uint8_t> item) {
  const size_t folderEnd = ItemListEnd(folder), itemEnd = ItemListEnd(item);
  if (folderEnd == std::u16string::npos || itemEnd == std::u16string::npos) return {};
  std::vector<uint8_t> joined(folder.begin(), folder.begin() + folderEnd);
  joined.insert(joined.end(), item.begin(), item.begin() + itemEnd);
  joined.push_back(0);
  joined.push_back(0);
  return joined;
}
