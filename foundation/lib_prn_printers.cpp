// The virtual printer list: loading, saving and checking the printers and their destinations.
#include "foundation/lib_prn_printers.h"

#include <mutex>

#include "foundation/cl_tools_config_names.h"
#include "foundation/lib_unicode.h"

namespace {

std::vector<std::u16string_view> SplitCommas(std::u16string_view text) {
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(u',', start);
    if (comma == std::u16string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
}

std::u16string JoinCommas(const std::vector<std::u16string_view>& parts) {
  std::u16string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += u',';
    out += parts[i];
  }
  return out;
}

std::u16string_view Sp(TSpoolerName name) { return SpoolerName(name); }

std::u16string PrintersKey(const TPrinterKeys& keys) { return keys.Config + std::u16string(Sp(TSpoolerName::PrintersKey)); }

// The key and value of a common destination; false for a kind without one.
bool CommonPrintToPlace(const TSettingsStore& store, const TPrinterKeys& keys, uint8_t kind, std::u16string& key,
                        std::u16string_view& name) {
  name = Sp(TSpoolerName::PrintTo);
  switch (kind) {
    case kPrintToWin:
      key = keys.Config;
      return true;
    case kPrintToDos:
      key = keys.ConfigDos;
      return true;
    case kPrintToActive: {
      // The active side: Config when its version is set, else ConfigDos when that one's is.
      const auto version = ConfigName(TConfigName::Version);
      const bool win = !store.ReadText(keys.Config, version, u"").empty();
      const bool dos = !store.ReadText(keys.ConfigDos, version, u"").empty();
      key = (!win && dos) ? keys.ConfigDos : keys.Config;
      return true;
    }
    case 4:
    case 8:
    case kPrintToFiles:
      key = keys.ConfigDos;
      name = Sp(TSpoolerName::FPrintTo);
      return true;
    default:
      return false;
  }
}

}  // namespace

std::u16string PickPrintToOfUser(std::u16string_view text, std::u16string_view user) {
  const auto parts = SplitCommas(text);
  if (!user.empty()) {
    for (size_t i = 1; i + 1 < parts.size(); i += 2) {
      if (SameTextW(parts[i], user)) return std::u16string(parts[i + 1]);
    }
  }
  return std::u16string(parts[0]);
}

std::u16string UpdatePrintToOfUser(std::u16string_view text, std::u16string_view user, std::u16string_view printer) {
  if (user.find(u',') != std::u16string_view::npos || printer.find(u',') != std::u16string_view::npos) {
    return std::u16string(text);
  }
  auto parts = SplitCommas(text);
  if (user.empty()) {
    parts[0] = printer;
    return JoinCommas(parts);
  }
  for (size_t i = 1; i + 1 < parts.size(); i += 2) {
    if (SameTextW(parts[i], user)) {
      parts[i + 1] = printer;
      return JoinCommas(parts);
    }
  }
  std::u16string out(text);
  if (parts.size() % 2 == 0) {
    // Ends with a user that has no printer of its own.
    if (SameTextW(parts.back(), user)) return out + u"," + std::u16string(printer);
    return out + u",," + std::u16string(user) + u"," + std::u16string(printer);
  }
  return out + u"," + std::u16string(user) + u"," + std::u16string(printer);
}

std::vector<std::u16string> PrintToUsers(std::u16string_view text) {
  const auto parts = SplitCommas(text);
  std::vector<std::u16string> users;
  for (size_t i = 1; i < parts.size(); i += 2) users.emplace_back(parts[i]);
  return users;
}

void GetCommonPrintTo(const TSettingsStore& store, const TPrinterKeys& keys, uint8_t kind, std::u16string& printer) {
  std::u16string key;
  std::u16string_view name;
  if (CommonPrintToPlace(store, keys, kind, key, name)) printer = store.ReadText(key, name, u"");
}

void SetCommonPrintTo(TSettingsStore& store, const TPrinterKeys& keys, std::u16string_view printer, uint8_t kind) {
  std::u16string key;
  std::u16string_view name;
  if (CommonPrintToPlace(store, keys, kind, key, name)) store.WriteText(key, name, printer);
}

TPrinters::TPrinters(std::shared_ptr<TPrintersHost> host, TSettingsStore& machine, TSettingsStore& user,
                     TPrinterKeys keys)
    : host_(std::move(host)), machine_(machine), user_(user), keys_(std::move(keys)) {}

void TPrinters::Load() {
  const auto names = machine_.SubKeyNames(PrintersKey(keys_));
  Items.clear();
  for (const auto& name : names) {
    const int32_t index = Add(name);
    const std::u16string key = ItemKeyPath(name);
    std::u16string user = machine_.ReadText(key, Sp(TSpoolerName::UserName), u"");
    int32_t type = machine_.ReadInteger(key, Sp(TSpoolerName::PrinterType), 0);
    const int32_t all = machine_.ReadInteger(key, Sp(TSpoolerName::AllUsers), 0);
    if (type == 0) type = 1;
    TPrinterListItem& item = Items[index];
    item.UserName = user;
    item.AllUsers = all != 0 || user.empty();
    item.WinSide = (type & 1) != 0;
    item.DosSide = (type & 2) != 0;
    // A printer missing from the system is left as stored, unwritten.
    if (!host_->PrinterExists(name)) continue;
    if (LoadCount == 0 || host_->IsRemoteSession()) {
      if (item.WinSide) CheckPrintTo(name, UserName, kPrintToWin);
      if (Items[index].DosSide) CheckPrintTo(name, UserName, kPrintToDos);
      SaveItem(index);
    }
  }
  ++LoadCount;
}

namespace {
// Shared by the caller and the worker, so a worker that outlives the wait writes only into this.
struct TListingJob {
  std::mutex Lock;
  bool Done = false;
  std::vector<std::u16string> Names;
};
}  // namespace

bool TPrinters::Refresh(uint32_t waitMs) {
  Load();
  auto job = std::make_shared<TListingJob>();
  TPrintersHost* host = host_.get();
  const bool ended = host_->RunWorker(
      [job, host] {
        std::vector<std::u16string> names;
        bool done = false;
        try {
          done = host->ListPrinterNames(names);
        } catch (...) {
          done = false;
        }
        std::lock_guard<std::mutex> guard(job->Lock);
        job->Names = std::move(names);
        job->Done = done;
      },
      waitMs);
  if (!ended) {
    ClearLists();
    return false;
  }
  std::unique_lock<std::mutex> lock(job->Lock);
  if (!job->Done) {
    lock.unlock();
    ClearLists();
    return false;
  }
  const auto names = std::move(job->Names);
  lock.unlock();
  TakeSystemPrinters(names);
  return true;
}

void TPrinters::TakeSystemPrinters(const std::vector<std::u16string>& names) {
  ClearLists();
  for (const auto& name : names) {
    AllPrinters.Add(name);
    if (!Contains(name)) OtherPrinters.Add(name);
  }
}

bool TPrinters::ListSystemPrinters() {
  AllPrinters.Clear();
  std::vector<std::u16string> names;
  const bool ok = host_->ListPrinterNames(names);
  for (const auto& name : names) AllPrinters.Add(name);
  return ok;
}

bool TPrinters::ListOtherPrinters() {
  OtherPrinters.Clear();
  std::vector<std::u16string> names;
  const bool ok = host_->ListPrinterNames(names);
  for (const auto& name : names) {
    if (!Contains(name)) OtherPrinters.Add(name);
  }
  return ok;
}

void TPrinters::ClearLists() {
  AllPrinters.Clear();
  OtherPrinters.Clear();
}

int32_t TPrinters::IndexOf(std::u16string_view name) const {
  for (size_t i = 0; i < Items.size(); ++i) {
    if (SameTextW(Items[i].Name, name)) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t TPrinters::Add(std::u16string_view name) {
  const int32_t index = IndexOf(name);
  if (index >= 0) return index;
  TPrinterListItem item;
  item.Name = std::u16string(name);
  Items.push_back(std::move(item));
  return Count() - 1;
}

std::u16string TPrinters::ItemKeyPath(std::u16string_view name) const {
  return PrintersKey(keys_) + u"\\" + std::u16string(name);
}

void TPrinters::SaveItem(int32_t index) {
  if (!ValidIndex(index)) return;
  const TPrinterListItem& item = Items[index];
  const std::u16string key = ItemKeyPath(item.Name);
  machine_.WriteText(key, Sp(TSpoolerName::UserName), item.UserName);
  machine_.WriteInteger(key, Sp(TSpoolerName::PrinterType), (item.WinSide ? 1 : 0) + (item.DosSide ? 2 : 0));
  machine_.WriteInteger(key, Sp(TSpoolerName::AllUsers), item.AllUsers ? 1 : 0);
}

void TPrinters::SaveAll() {
  for (int32_t i = 0; i < Count(); ++i) SaveItem(i);
}

void TPrinters::DeleteKey(int32_t index) {
  if (ValidIndex(index)) machine_.DeleteKey(ItemKeyPath(Items[index].Name));
}

int32_t TPrinters::RemoveSystemPrinter(int32_t index) {
  if (!ValidIndex(index)) return -1;
  const std::u16string name = Items[index].Name;
  if (!host_->PrinterExists(name)) return 0;
  const bool wasDefault = index == 0 && host_->IsDefaultPrinter(name);
  const int32_t result = host_->RemovePrinter(name);
  if (wasDefault) {
    const auto defaultPrn = Sp(TSpoolerName::DefaultPrn);
    const std::u16string previous = machine_.ReadText(keys_.Config, defaultPrn, u"");
    machine_.DeleteValue(keys_.Config, defaultPrn);
    user_.DeleteValue(keys_.Config, defaultPrn);
    if (host_->PrinterExists(previous)) host_->SetDefaultPrinterName(previous);
  }
  return result;
}

int32_t TPrinters::Remove(int32_t index) {
  if (RemoveSystemPrinter(index) != 0) return -1;
  DeleteKey(index);
  Items.erase(Items.begin() + index);
  return 0;
}

void TPrinters::DeleteAllPrinters() {
  for (int32_t i = 0; i < Count(); ++i) {
    if (RemoveSystemPrinter(i) == 0) DeleteKey(i);
  }
  ClearLists();
}

void TPrinters::GetFirstPrinter(std::u16string& name) {
  if (!Items.empty() && host_->PrinterExists(Items[0].Name)) {
    name = Items[0].Name;
    return;
  }
  name = host_->DefaultPrinterName();
}

void TPrinters::GetPrimaryPrinterName(std::u16string& name) const {
  if (Items.empty() || Contains(kDefaultVirtualPrinterName)) {
    name = std::u16string(kDefaultVirtualPrinterName);
  } else {
    name = Items[0].Name;
  }
}

void TPrinters::GetNewPrinterName(std::u16string& name) {
  name = std::u16string(kDefaultVirtualPrinterName);
  if (Items.empty() || GetMaxPrinterCount() == 1) return;
  for (const auto& item : Items) {
    if (!host_->PrinterExists(item.Name)) {
      name = item.Name;
      return;
    }
  }
  // Every printer is either listed or installed; a bound keeps a broken spooler from looping for ever.
  for (int32_t n = 1; n <= 100000; ++n) {
    std::u16string candidate = std::u16string(kDefaultVirtualPrinterName);
    for (char c : std::to_string(n)) candidate += static_cast<char16_t>(c);
    if (!host_->PrinterExists(candidate)) {
      name = candidate;
      return;
    }
  }
}

bool TPrinters::NeedsInstall(std::u16string_view name) {
  const int32_t index = IndexOf(name);
  if (index < 0 && host_->PrinterExists(name)) {
    const int32_t added = Add(name);
    std::u16string common;
    GetCommonPrintTo(kPrintToWin, common);
    SetPrintTo(name, common, kPrintToWin);
    common.clear();
    GetCommonPrintTo(kPrintToDos, common);
    SetPrintTo(name, common, kPrintToDos);
    Items[added].WinSide = true;
    Items[added].DosSide = false;
    Items[added].AllUsers = true;
    SaveItem(added);
    return false;
  }
  if (Items.empty()) return true;
  return index >= 0 && !host_->PrinterExists(name);
}

void TPrinters::GetPrinterUser(std::u16string_view name, bool& allUsers, std::u16string& user) const {
  const int32_t index = IndexOf(name);
  if (index < 0) return;
  allUsers = Items[index].AllUsers;
  user = allUsers ? UserName : Items[index].UserName;
}

bool TPrinters::IsAllowed(std::u16string_view name) const {
  const int32_t index = IndexOf(name);
  if (index < 0) return false;
  const TPrinterListItem& item = Items[index];
  return item.AllUsers || host_->IsAdministrator() || SameTextW(item.UserName, UserName);
}

bool TPrinters::IsPrinterOfUser(std::u16string_view name, std::u16string_view user) const {
  const int32_t index = IndexOf(name);
  if (index < 0) return false;
  return Items[index].AllUsers || SameTextW(Items[index].UserName, user);
}

std::u16string TPrinters::PrintToValueName(uint8_t kind) const {
  return std::u16string(Sp((kind & kPrintToWin) ? TSpoolerName::PrintToWin : TSpoolerName::PrintToDos));
}

void TPrinters::GetPrintToOfUser(std::u16string_view printer, std::u16string_view user, std::u16string& printTo,
                                 uint8_t kind) {
  if ((kind & (kPrintToWin | kPrintToDos)) == 0) {
    GetCommonPrintTo(kind, printTo);
    return;
  }
  printTo.clear();
  if (!Contains(printer)) return;
  const std::u16string text = machine_.ReadText(ItemKeyPath(printer), PrintToValueName(kind), u"");
  printTo = PickPrintToOfUser(text, user);
}

void TPrinters::GetPrintTo(std::u16string_view printer, std::u16string& printTo, uint8_t kind) {
  GetPrintToOfUser(printer, UserName, printTo, kind);
}

void TPrinters::SetPrintToOfUser(std::u16string_view printer, std::u16string_view user, uint8_t kind,
                                 std::u16string_view printTo) {
  if ((kind & (kPrintToWin | kPrintToDos)) == 0) {
    SetCommonPrintTo(printTo, kind);
    return;
  }
  if (!Contains(printer)) return;
  const std::u16string key = ItemKeyPath(printer);
  const std::u16string value = PrintToValueName(kind);
  const std::u16string text = machine_.ReadText(key, value, u"");
  machine_.WriteText(key, value, UpdatePrintToOfUser(text, user, printTo));
}

void TPrinters::SetPrintTo(std::u16string_view printer, std::u16string_view printTo, uint8_t kind) {
  SetPrintToOfUser(printer, UserName, kind, printTo);
}

void TPrinters::ListPrintToUsers(std::u16string_view printer, uint8_t kind, std::u16string& text,
                                 TWideStringArray* list) {
  if ((kind & (kPrintToWin | kPrintToDos)) == 0 || list == nullptr || !Contains(printer)) return;
  text = machine_.ReadText(ItemKeyPath(printer), PrintToValueName(kind), u"");
  list->Clear();
  list->Add(kDefaultPrintToUser);
  for (const auto& user : PrintToUsers(text)) list->Add(user);
}

void TPrinters::GetDefaultPrintTo(std::u16string& printer) {
  const std::u16string d = host_->DefaultPrinterName();
  if (!d.empty() && !Contains(d)) {
    printer = d;
    return;
  }
  if (!d.empty()) {
    const TSettingsStore& store = host_->IsTerminalServer() ? user_ : machine_;
    const std::u16string s = store.ReadText(keys_.Config, Sp(TSpoolerName::DefaultPrn), u"");
    if (!s.empty() && !Contains(s) && host_->PrinterExists(s)) {
      printer = s;
      return;
    }
  }
  printer.clear();
  for (int32_t i = 0; i < OtherPrinters.Count(); ++i) {
    std::u16string other = OtherPrinters.Get(i);
    if (!Contains(other)) {
      printer = std::move(other);
      return;
    }
  }
}

bool TPrinters::CheckPrintTo(std::u16string_view printer, std::u16string_view user, uint8_t kinds) {
  const bool autoAssign = machine_.ReadInteger(keys_.Config, Sp(TSpoolerName::UsePrnAuto), 0) != 0;
  const bool makeDefault = machine_.ReadInteger(keys_.Config, Sp(TSpoolerName::MakeDefault), 0) != 0;
  const bool remote = host_->IsRemoteSession();
  const auto defaultPrn = Sp(TSpoolerName::DefaultPrn);
  if (remote) {
    const std::u16string system = host_->DefaultPrinterName();
    const std::u16string stored = user_.ReadText(keys_.Config, defaultPrn, u"");
    if (!system.empty() && !SameTextW(system, stored) && !Contains(system)) {
      user_.WriteText(keys_.Config, defaultPrn, system);
      WinAutoAssigned = false;
    }
  }
  std::u16string fallback;
  GetDefaultPrintTo(fallback);

  bool changed = false;
  bool assigned = false;
  bool result = false;
  for (const uint8_t kind : {kPrintToWin, kPrintToDos}) {
    if ((kinds & kind) == 0) continue;
    std::u16string p;
    GetPrintToOfUser(printer, user, p, kind);
    if (!host_->PrinterExists(p) || Contains(p) || (remote && autoAssign && !WinAutoAssigned)) {
      p = fallback;
      if (!p.empty()) {
        SetPrintToOfUser(printer, user, kind, p);
        changed = assigned = true;
        if (kind == kPrintToWin && makeDefault) host_->SetDefaultPrinterName(printer);
      }
    }
    if (!p.empty()) result = true;
  }
  if (remote && autoAssign && assigned) WinAutoAssigned = true;
  if (changed) host_->SignalUpdateEvent();
  return result;
}

bool TPrinters::CheckCommonPrintTo(uint8_t kind) {
  std::u16string p;
  GetPrintTo(u"", p, kind);
  const bool autoAssign = machine_.ReadInteger(keys_.Config, Sp(TSpoolerName::UsePrnAuto), 0) != 0;
  if (!host_->PrinterExists(p) || Contains(p) || (host_->IsRemoteSession() && autoAssign && !CommonAutoAssigned)) {
    CommonAutoAssigned = true;
    GetDefaultPrintTo(p);
    if (!p.empty()) {
      SetPrintTo(u"", p, kind);
      host_->SignalUpdateEvent();
    }
  }
  return !p.empty();
}

int32_t TPrinters::GetMaxPrinterCount() {
  return machine_.ReadInteger(keys_.Config, Sp(TSpoolerName::MaxPrinterCount), 1);
}

bool TPrinters::IsUseDOSSet() { return machine_.ReadInteger(keys_.ConfigDos, Sp(TSpoolerName::UseDOS), 0) != 0; }

void TPrinters::SetUseDOS(bool flag) { machine_.WriteInteger(keys_.ConfigDos, Sp(TSpoolerName::UseDOS), flag ? 1 : 0); }

bool TPrinters::IsDosPrinter(std::u16string_view name) {
  const int32_t index = IndexOf(name);
  if (index >= 0 && !Items[index].DosSide) return false;
  return IsUseDOSSet();
}

void TPrinters::SetDosPrinter(std::u16string_view name, bool flag) {
  SetUseDOS(flag);
  const int32_t index = IndexOf(name);
  if (index < 0) return;
  for (int32_t i = 0; i < Count(); ++i) Items[i].DosSide = (i == index) && flag;
  SaveAll();
}

void TPrinters::GetDosPrinter(std::u16string& name) const {
  name.clear();
  for (const auto& item : Items) {
    if (item.DosSide) {
      name = item.Name;
      return;
    }
  }
}
