// Accessors of the configuration store: defaults, clamps, the document-type order and the component mask.
#include "foundation/cl_tools_config.h"

#include <algorithm>
#include <map>

#include "foundation/lib_str.h"
#include "foundation/lib_str_lists.h"
#include "foundation/lib_unicode.h"

int32_t ClampConfigInteger(const TConfigInteger& value, int32_t stored) {
  return value.Clamped ? std::clamp(stored, value.Min, value.Max) : stored;
}

int32_t ReadConfigInteger(const TSettingsStore& store, std::u16string_view key, const TConfigInteger& value) {
  return ClampConfigInteger(value, store.ReadInteger(key, ConfigName(value.Name), value.Default));
}

int32_t ReadConfigInteger(const TSettingsStore& store, std::u16string_view key, const TSpoolerInteger& value) {
  return store.ReadInteger(key, SpoolerName(value.Name), value.Default);
}

std::u16string ReadConfigText(const TSettingsStore& store, std::u16string_view key, TConfigName name,
                              std::u16string_view def) {
  return store.ReadText(key, ConfigName(name), def);
}

bool IsDocTypeEnabled(const TSettingsStore& store, std::u16string_view key, std::string_view docTypeId) {
  std::u16string subKey(key);
  subKey += u'\\';
  for (char c : docTypeId) subKey += static_cast<char16_t>(static_cast<unsigned char>(c));
  return (ReadConfigInteger(store, subKey, cfgDisabled) & 0xFF) != 1;
}

namespace {
// Document-type identifiers are two or four characters long; other subkeys hold other settings.
TStringArray DocTypeList(const TSettingsStore& store, std::u16string_view key) {
  TStringArray list;
  for (const std::string& name : store.SubKeyNamesA(key))
    if (name.size() == 2 || name.size() == 4) list.Add(name);
  list.Sort();
  return list;
}

std::vector<std::string> SplitItems(std::string_view text) {
  std::vector<std::string> items;
  std::string_view rest = text;
  while (!rest.empty()) {
    std::string item = ExtractToken(rest, ',');
    if (!item.empty()) items.push_back(std::move(item));
  }
  return items;
}
}  // namespace

std::string ListDocTypes(const TSettingsStore& store, std::u16string_view key) {
  return DocTypeList(store, key).CommaText();
}

std::string GetDocOrder(const TSettingsStore& store, std::u16string_view key) {
  const TStringArray list = DocTypeList(store, key);
  // Each type is taken once; looked up by name, so that a long order text costs no more than its length.
  std::map<std::string, bool> taken;
  for (int32_t i = 0; i < list.Count(); ++i) taken.emplace(list.Get(i), false);
  const std::string order = store.ReadTextA(key, ConfigName(TConfigName::DocOrder), "");

  std::string result, tail;
  auto take = [&](const std::string& item, std::string& into) {
    auto it = taken.find(item);
    if (it == taken.end() || it->second) return;
    it->second = true;
    if (IsDocTypeEnabled(store, key, item)) AppendWithSeparator(",", item, into);
  };
  const std::vector<std::string> items = SplitItems(order);
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] != "*") {
      take(items[i], result);
      continue;
    }
    for (size_t j = i + 1; j < items.size(); ++j) take(items[j], tail);
    break;
  }
  // Two key names the 8-bit listing gives alike (letters outside the code page) are one type.
  for (int32_t i = 0; i < list.Count(); ++i) take(list.Get(i), result);
  if (!tail.empty()) AppendWithSeparator(",", tail, result);
  return result;
}

std::u16string GetLogFileName(const TSettingsStore& store, std::u16string_view key) {
  return ReadConfigText(store, key, TConfigName::LogFile);
}

int32_t GetLogLevel(const TSettingsStore& store, std::u16string_view key) {
  return ReadConfigInteger(store, key, cfgLogLevel);
}

int32_t GetUseWin(const TSettingsStore& store) { return ReadConfigInteger(store, kConfigKey, cfgUseWin); }
int32_t GetPrnMonServEnable(const TSettingsStore& store) {
  return ReadConfigInteger(store, kConfigKey, cfgPrnMonServEnable);
}
int32_t GetIsMonit(const TSettingsStore& store) { return ReadConfigInteger(store, kConfigDosKey, cfgIsMonit); }
int32_t GetIsCap(const TSettingsStore& store) { return ReadConfigInteger(store, kConfigDosKey, cfgIsCap); }
int32_t GetIsCmd(const TSettingsStore& store) { return ReadConfigInteger(store, kConfigDosKey, cfgIsCmd); }
bool GetUseDOS(const TSettingsStore& store) { return ReadConfigInteger(store, kConfigDosKey, cfgUseDOS) != 0; }

void SetIsMonit(TSettingsStore& store, uint8_t value) {
  store.WriteInteger(kConfigDosKey, ConfigName(TConfigName::IsMonit), value);
}

std::u16string GetMonitorDir(const TSettingsStore& store) {
  return ReadConfigText(store, kConfigDosKey, TConfigName::MonitorDir);
}
void SetMonitorDir(TSettingsStore& store, std::u16string_view value) {
  store.WriteText(kConfigDosKey, ConfigName(TConfigName::MonitorDir), value);
}
std::u16string GetMonitDirEx(const TSettingsStore& store) {
  return ReadConfigText(store, kConfigDosKey, TConfigName::MonitDirEx);
}
void SetMonitDirEx(TSettingsStore& store, std::u16string_view value) {
  store.WriteText(kConfigDosKey, ConfigName(TConfigName::MonitDirEx), value);
}
std::u16string GetMonitorMask(const TSettingsStore& store) {
  return ReadConfigText(store, kConfigDosKey, TConfigName::MonitorMask, ConfigName(TConfigName::DefaultMonitorMask));
}
void SetMonitorMask(TSettingsStore& store, std::u16string_view value) {
  store.WriteText(kConfigDosKey, ConfigName(TConfigName::MonitorMask), value);
}

bool IsRunAsService(const TSettingsStore& store, bool serverEdition, bool ntFamily) {
  const int32_t asService = ReadConfigInteger(store, kConfigKey, ConfigInteger(TConfigName::AsService, serverEdition));
  return asService != 0 && ntFamily;
}

bool GetTServer(const TSettingsStore& store, bool terminalServer) {
  return store.ReadInteger(kConfigKey, u"TServer", terminalServer) != 0;
}

bool HasConfigVersion(const TSettingsStore& store, std::u16string_view key) {
  return !TrimW(ReadConfigText(store, key, TConfigName::Version)).empty();
}

TProgramModes GetProgramModes(const TSettingsStore& store, TConfigVersionCheck versionValid) {
  TProgramModes modes;
  const bool dosValid = versionValid(store, kConfigDosKey);
  const bool winValid = versionValid(store, kConfigKey);
  if (GetIsMonit(store) != 0) modes.Mask |= kModeMonitorDir;
  if (GetIsCap(store) != 0) modes.Mask |= kModeCapture;
  if (GetIsCmd(store) != 0) modes.Mask |= kModeCommand;
  if (GetUseWin(store) != 0 || winValid) modes.Mask |= kModeWin;
  if (GetUseDOS(store) || dosValid) modes.Mask |= kModeDos;
  const uint32_t dosParts = kModeDos | kModeMonitorDir | kModeCapture | kModeCommand;
  const bool dosOnly = !(modes.Mask & kModeWin) && (modes.Mask & dosParts);
  modes.Title = std::u16string(dosOnly ? kProgramTitleDos : kProgramTitle);
  return modes;
}

bool MonitServiceRunningFrom(bool ntFamily, bool runAsService, bool serviceOpened, bool stateKnown, bool running) {
  if (!ntFamily || !runAsService || !serviceOpened) return false;
  return !stateKnown || running;
}

namespace {
uint32_t RangeBound(std::string_view bound) {
  const std::string text = TrimStr(bound);
  if (text.empty() || text.size() > 5) return 0;
  uint32_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + static_cast<uint32_t>(c - '0');
  }
  return v <= 0xFFFF ? v : 0;
}
}  // namespace

uint32_t TextToRange(std::string_view text) {
  const size_t dash = text.find('-');
  if (dash == std::string_view::npos) return RangeBound(text);
  return RangeBound(text.substr(0, dash)) | (RangeBound(text.substr(dash + 1)) << 16);
}
