// Document-type settings objects, named parameters and the per-type and side-wide accessors.
#include "coding/cl_macrolib_docparam.h"

#include <algorithm>
#include <clocale>
#include <locale>

#include "foundation/cl_tools_config.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

std::string CutPages(std::string_view pages) { return std::string(pages.substr(0, kMaxPagesLength)); }

TDocParam::TDocParam(int32_t picPlace, TSize pictureSize, uint8_t ackPages, std::string_view pages,
                     const TDocIdClass& docId, uint8_t severalSymbols, uint8_t savePgDlg, int32_t picTop,
                     uint8_t rotated)
    : PicPlace(picPlace),
      AckPages(ackPages),
      Pages(CutPages(pages)),
      DocId(TDocIdClass::CreateCopy(docId)),
      SeveralSymbols(severalSymbols),
      PictureSize(pictureSize),
      SavePgDlg(savePgDlg),
      PicTop(picTop),
      Rotated(rotated) {}

std::unique_ptr<TNamedParam> TNamedParam::CreateFromContext(std::u16string_view data) {
  auto param = std::make_unique<TNamedParam>(data);
  param->FromContext = 1;
  return param;
}

std::unique_ptr<TNamedParam> TNamedParam::CreateFromRegistry(const TSettingsStore& store,
                                                             std::u16string_view keyPath) {
  auto param = std::make_unique<TNamedParam>(u"");
  if (!store.KeyExists(keyPath)) return param;
  param->Desc = store.ReadText(keyPath, u"Desc", u"");
  param->Data = store.ReadText(keyPath, u"Data", u"");
  if (!TrimW(param->Data).empty()) {
    const std::u16string demo = store.ReadText(keyPath, u"Demo", u"");
    if (!demo.empty()) AppendWithSeparatorW(u",", demo, param->Data);
  }
  return param;
}

bool SaveDocParams(TSettingsStore& store, std::u16string_view configKey, const TWideStringList& list) {
  for (const TWideStringList::Item& item : list.Items()) {
    const auto* param = dynamic_cast<const TDocParam*>(item.Object);
    if (!param) continue;
    const std::u16string key = SubKeyPathA(store, configKey, param->DocId.GetText());
    if (!store.CreateKey(key)) return false;
    store.WriteTextA(key, u"Pages", param->Pages);
    store.WriteInteger(key, u"PicPlace", param->PicPlace);
    store.WriteInteger(key, u"AckPages", param->AckPages);
    store.WriteInteger(key, u"SavePgDlg", param->SavePgDlg);
  }
  return true;
}

std::u16string DescribeDocTypes(const TSettingsStore& store, std::u16string_view configKey, std::string_view extra,
                                bool remoteSession) {
  std::u16string text;
  const std::string docOrder = GetDocOrder(store, configKey);
  if (docOrder.empty()) return text;
  text = u"Параметры:\r\n";
  if (!extra.empty()) text += u"- " + store.FromAnsi(extra) + u"\r\n";
  if (remoteSession) text += u"- Remote Session\r\n";
  for (std::string_view order = docOrder; !order.empty();) {
    const std::string id = TrimStr(ExtractToken(order, ','));
    if (id.empty()) continue;
    const std::u16string typeKey = SubKeyPathA(store, configKey, id);
    text += u"- " + store.ReadText(typeKey, u"DocType", kUnknownDocType) + u"\r\n";
    const std::u16string paramsKey = SubKeyPath(typeKey, u"Params");
    for (const std::u16string& name : store.SubKeyNames(paramsKey)) {
      const std::u16string paramKey = SubKeyPath(paramsKey, name);
      const std::u16string data = TrimW(store.ReadText(paramKey, u"Data", u""));
      if (data.empty()) continue;
      text += u"--- " + store.ReadText(paramKey, u"Desc", u"") + u": \"" + data + u"\"\r\n";
    }
  }
  return text;
}

TWideStringArray GetDemoPages(const TSettingsStore& store, std::u16string_view configKey, const TDemoPageHost& host,
                              std::u16string& files) {
  TWideStringArray names;
  files.clear();
  const std::u16string dir = IncludeTrailingPathDelimiterW(host.ProgramDir);
  for (const std::u16string& sub : store.SubKeyNames(configKey)) {
    if (sub.size() != 2 && sub.size() != 4) continue;
    if (!IsDocTypeEnabled(store, configKey, store.ToAnsi(sub))) continue;
    const std::u16string typeKey = SubKeyPath(configKey, sub);
    const std::u16string demoPage = TrimW(store.ReadText(typeKey, u"DemoPage", u""));
    if (demoPage.empty()) continue;
    const std::u16string file = dir + demoPage;
    if (!host.FileSize || host.FileSize(file) < kMinDemoPageSize) continue;
    const std::u16string docType = TrimW(store.ReadText(typeKey, u"DocType", u""));
    if (docType.empty()) continue;
    names.Add(docType);
    AppendWithSeparatorW(u",", file, files);
  }
  return names;
}

bool HasDemoPages(const TSettingsStore& store, std::u16string_view configKey, const TDemoPageHost& host) {
  try {
    std::u16string files;
    return GetDemoPages(store, configKey, host, files).Count() > 0;
  } catch (...) {
    return false;
  }
}

namespace {
int32_t PositionOf(const TWideStringArray& list, std::u16string_view value) {
  return value.empty() ? -1 : list.IndexOf(value);
}
}  // namespace

TWideStringArray GetPrinterModels(const TSettingsStore& store, std::u16string_view dosKey, int32_t& selected) {
  const std::u16string printers = SubKeyPath(dosKey, u"Printers");
  TWideStringArray models;
  for (const std::u16string& name : store.SubKeyNames(printers)) models.Add(name);
  selected = models.Count() == 0 ? -1 : PositionOf(models, store.ReadText(printers, u"Model", u""));
  return models;
}

TWideStringArray GetPrinterModes(const TSettingsStore& store, std::u16string_view dosKey, std::u16string_view model,
                                 int32_t& selected) {
  const std::u16string modelKey = SubKeyPath(SubKeyPath(dosKey, u"Printers"), model);
  TWideStringArray modes;
  for (const std::u16string& name : store.ValueNames(SubKeyPath(modelKey, u"Modes"))) modes.Add(name);
  selected = modes.Count() == 0 ? -1 : PositionOf(modes, store.ReadText(modelKey, u"Mode", u""));
  return modes;
}

void SetPrinterModelMode(TSettingsStore& store, std::u16string_view dosKey, std::string_view model,
                         std::string_view mode) {
  const std::u16string printers = SubKeyPath(dosKey, u"Printers");
  store.WriteTextA(printers, u"Model", model);
  // A backslash would make the model's name a path to some other key.
  if (TrimStr(model).empty() || model.find('\\') != std::string_view::npos) return;
  store.WriteTextA(SubKeyPathA(store, printers, model), u"Mode", mode);
}

int32_t GetAllPages(const TSettingsStore& store, std::u16string_view key) {
  return ReadConfigInteger(store, key, cfgAllPages);
}
void SetAllPages(TSettingsStore& store, std::u16string_view key, bool flag) {
  store.WriteInteger(key, ConfigName(cfgAllPages.Name), flag ? 1 : 0);
}
int32_t GetCreateCopies(const TSettingsStore& store, std::u16string_view key) {
  return ReadConfigInteger(store, key, cfgCreateCpy);
}
void SetCreateCopies(TSettingsStore& store, std::u16string_view key, bool flag) {
  store.WriteInteger(key, ConfigName(cfgCreateCpy.Name), flag ? 1 : 0);
}
int32_t GetCRAfterFF(const TSettingsStore& store, std::u16string_view dosKey) {
  return store.ReadInteger(dosKey, u"CRAfterFF", 1);
}

int32_t GetTimeOut(const TSettingsStore& store, std::u16string_view activeKey) {
  return ReadConfigInteger(store, activeKey, cfgMonitorTimeOut);
}
void SetTimeOut(TSettingsStore& store, std::u16string_view activeKey, int32_t ms) {
  store.WriteInteger(activeKey, ConfigName(cfgMonitorTimeOut.Name), ClampConfigInteger(cfgMonitorTimeOut, ms));
}
int32_t GetDosJobTimeOut(const TSettingsStore& store, std::u16string_view activeKey) {
  return ReadConfigInteger(store, activeKey, cfgJoinTimeOut);
}
void SetDosJobTimeOut(TSettingsStore& store, std::u16string_view activeKey, int32_t ms) {
  store.WriteInteger(activeKey, ConfigName(cfgJoinTimeOut.Name), ClampConfigInteger(cfgJoinTimeOut, ms));
}

void UsePointDecimalSeparator() {
  // The C++ streams first: installing a global locale may reset the C library's own.
  std::locale::global(std::locale(std::locale(), std::locale::classic(), std::locale::numeric));
  std::setlocale(LC_NUMERIC, "C");
}
