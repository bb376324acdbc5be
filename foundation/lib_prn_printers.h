// The list of the program's virtual printers: owner, sides and per-user destinations kept in the
// settings store, and the names of the system's printers. The spooler and session reach it through a host.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store.h"
#include "foundation/lib_str_lists.h"

// The name a virtual printer gets when nothing else decides.
inline constexpr std::u16string_view kDefaultVirtualPrinterName = u"Tevoran";
// The first entry of a destination's user list: the destination of users without one of their own.
inline constexpr std::u16string_view kDefaultPrintToUser = u"По умолчанию";

// Destination kinds: Windows jobs, DOS jobs, the active side's common destination, and the common
// destination of the watched directory and the capture file.
inline constexpr uint8_t kPrintToWin = 1;
inline constexpr uint8_t kPrintToDos = 2;
inline constexpr uint8_t kPrintToActive = 3;
inline constexpr uint8_t kPrintToFiles = 12;

// What the list needs of the system besides its settings. ListPrinterNames is called on a worker
// thread; the rest on the thread that uses the list.
class TPrintersHost {
 public:
  virtual ~TPrintersHost() = default;
  virtual bool PrinterExists(std::u16string_view name) = 0;
  virtual std::u16string DefaultPrinterName() = 0;
  virtual bool IsDefaultPrinter(std::u16string_view name) = 0;
  virtual void SetDefaultPrinterName(std::u16string_view name) = 0;
  // 0, or the spooler's error code.
  virtual int32_t RemovePrinter(std::u16string_view name) = 0;
  // The local and connected printers; false when they could not be listed.
  virtual bool ListPrinterNames(std::vector<std::u16string>& names) = 0;
  // Runs work on a worker thread and waits for it at most waitMs; false when it has not ended by then.
  // A spooler call cannot be interrupted, so a late worker ends by itself; the host waits for it
  // before it goes, so that work never outlives the host it uses.
  virtual bool RunWorker(std::function<void()> work, uint32_t waitMs) = 0;

  virtual bool IsRemoteSession() = 0;
  virtual bool IsTerminalServer() = 0;
  virtual bool IsAdministrator() = 0;
  // Tells the monitor that the destinations changed.
  virtual void SignalUpdateEvent() = 0;
};

// The configuration keys the list works under, in the machine-wide store (and in the user's, for the
// user's default printer).
struct TPrinterKeys {
  std::u16string Config{kConfigKey};
  std::u16string ConfigDos{kConfigDosKey};
};

// Destination texts: "default,user1,printer1,user2,printer2...".
// The user's printer (users compared ignoring case); the default part when the user is empty or has none.
std::u16string PickPrintToOfUser(std::u16string_view text, std::u16string_view user);
// The text with the user's printer replaced or added. A user or printer holding a comma would break
// the list apart, so such a change is refused: the text comes back unchanged.
std::u16string UpdatePrintToOfUser(std::u16string_view text, std::u16string_view user, std::u16string_view printer);
// The users that have an entry, in order.
std::vector<std::u16string> PrintToUsers(std::u16string_view text);

// The common destinations (kinds 1, 2, 3, 4, 8, 12); any other kind leaves printer unchanged or
// writes nothing.
void GetCommonPrintTo(const TSettingsStore& store, const TPrinterKeys& keys, uint8_t kind, std::u16string& printer);
void SetCommonPrintTo(TSettingsStore& store, const TPrinterKeys& keys, std::u16string_view printer, uint8_t kind);

struct TPrinterListItem {
  std::u16string Name;
  std::u16string UserName;
  bool AllUsers = false;
  bool WinSide = false;
  bool DosSide = false;
  // Kept by the printer monitor.
  uint8_t OpenState = 0;
  uint8_t QueueState = 0;
};

class TPrinters {
 public:
  static constexpr uint32_t kRefreshWaitMs = 60000;

  // machine and user are the machine-wide and the user's settings (HKEY_LOCAL_MACHINE and
  // HKEY_CURRENT_USER in the product), lent for the list's lifetime.
  TPrinters(std::shared_ptr<TPrintersHost> host, TSettingsStore& machine, TSettingsStore& user, TPrinterKeys keys = {});
  TPrinters(const TPrinters&) = delete;
  TPrinters& operator=(const TPrinters&) = delete;

  // Reads the virtual printers. A registered printer that is missing from the system keeps its stored
  // owner, sides and destinations: it may only be away while the spooler restarts.
  void Load();
  // Load, then the system's printers listed on a worker thread waited for at most waitMs. The worker
  // fills lists of its own, taken only when it finished in time: a late worker never touches these.
  bool Refresh(uint32_t waitMs = kRefreshWaitMs);
  bool ListSystemPrinters();
  bool ListOtherPrinters();
  void ClearLists();

  int32_t Count() const { return static_cast<int32_t>(Items.size()); }
  int32_t IndexOf(std::u16string_view name) const;
  bool Contains(std::u16string_view name) const { return IndexOf(name) >= 0; }
  int32_t Add(std::u16string_view name);
  void SaveItem(int32_t index);
  void SaveAll();
  std::u16string ItemKeyPath(std::u16string_view name) const;
  void DeleteKey(int32_t index);
  // 0 also when the printer does not exist; -1 for an index outside the list.
  int32_t RemoveSystemPrinter(int32_t index);
  int32_t Remove(int32_t index);
  void DeleteAllPrinters();

  void GetFirstPrinter(std::u16string& name);
  void GetPrimaryPrinterName(std::u16string& name) const;
  void GetNewPrinterName(std::u16string& name);
  bool NeedsInstall(std::u16string_view name);

  void GetPrinterUser(std::u16string_view name, bool& allUsers, std::u16string& user) const;
  bool IsAllowed(std::u16string_view name) const;
  bool IsPrinterOfUser(std::u16string_view name, std::u16string_view user) const;

  void GetPrintToOfUser(std::u16string_view printer, std::u16string_view user, std::u16string& printTo, uint8_t kind);
  void GetPrintTo(std::u16string_view printer, std::u16string& printTo, uint8_t kind);
  void SetPrintToOfUser(std::u16string_view printer, std::u16string_view user, uint8_t kind,
                        std::u16string_view printTo);
  void SetPrintTo(std::u16string_view printer, std::u16string_view printTo, uint8_t kind);
  // Kinds 1 and 2: the list gets "По умолчанию" and each user of the destination text; the text is returned.
  void ListPrintToUsers(std::u16string_view printer, uint8_t kind, std::u16string& text, TWideStringArray* list);
  void GetDefaultPrintTo(std::u16string& printer);
  bool CheckPrintTo(std::u16string_view printer, std::u16string_view user, uint8_t kinds);
  bool CheckCommonPrintTo(uint8_t kind);
  void GetCommonPrintTo(uint8_t kind, std::u16string& printer) { ::GetCommonPrintTo(machine_, keys_, kind, printer); }
  void SetCommonPrintTo(std::u16string_view printer, uint8_t kind) { ::SetCommonPrintTo(machine_, keys_, printer, kind); }
  int32_t GetMaxPrinterCount();

  bool IsUseDOSSet();
  void SetUseDOS(bool flag);
  bool IsDosPrinter(std::u16string_view name);
  void SetDosPrinter(std::u16string_view name, bool flag);
  void GetDosPrinter(std::u16string& name) const;

  uint32_t LoadCount = 0;
  bool WinAutoAssigned = false;
  bool CommonAutoAssigned = false;
  std::vector<TPrinterListItem> Items;
  TWideStringArray AllPrinters{8};
  TWideStringArray OtherPrinters{8};
  std::u16string UserName;

 private:
  bool ValidIndex(int32_t index) const { return index >= 0 && index < Count(); }
  void TakeSystemPrinters(const std::vector<std::u16string>& names);
  std::u16string PrintToValueName(uint8_t kind) const;

  std::shared_ptr<TPrintersHost> host_;
  TSettingsStore& machine_;
  TSettingsStore& user_;
  TPrinterKeys keys_;
};
