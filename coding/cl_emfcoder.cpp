// The coder of Windows pages: creation with the line finder's result, the "%Win%" page parameter and the
// document type's interpretation settings.
#include "coding/cl_emfcoder.h"

#include <utility>

#include "foundation/cl_tools_config.h"

namespace {
TSmallPoint ReadPair(const TSettingsStore& store, std::u16string_view key, std::u16string_view name, uint32_t def) {
  return UnpackSmallPoint(static_cast<uint32_t>(store.ReadInteger(key, name, static_cast<int32_t>(def))));
}

uint8_t ReadByte(const TSettingsStore& store, std::u16string_view key, std::u16string_view name, int32_t def) {
  return static_cast<uint8_t>(store.ReadInteger(key, name, def));
}

void ReadLineChars(const TSettingsStore& store, std::u16string_view key, TEMFSettings& s) {
  s.BlankChr = StrToCharSet(store.ReadBytes(key, u"BlankChr", "\xA0"));
  s.LineChrH = StrToCharSet(store.ReadBytes(key, u"LineChrH", "+_-="));
  s.LineChrV = StrToCharSet(store.ReadBytes(key, u"LineChrV", "|\xA6"));
  s.LineChrVSpec = StrToCharSet(store.ReadTextA(key, u"LineChrVSpec", "+"));
  s.LineChrV |= s.LineChrVSpec;
}

void ReadGeometry(const TSettingsStore& store, std::u16string_view key, TEMFSettings& s) {
  s.HPGdiComment = ReadByte(store, key, u"HPGdiComment", 1);
  s.LineChrHA = ReadByte(store, key, u"LineChrHA", 1);
  s.LineLen = ReadPair(store, key, u"LineLen", 0x012C0384);
  s.LineWidth = ReadPair(store, key, u"LineWidth", 0x001E001E);
  s.LineChHLen = store.ReadInteger(key, u"LineChHLen", 3);
  s.SplitW = store.ReadInteger(key, u"SplitW%", 25);
  s.SplitG = store.ReadInteger(key, u"SplitG%", 200);
  s.SplitBL = store.ReadInteger(key, u"SplitBL", 3);
  s.ExtractBL = store.ReadInteger(key, u"ExtractBL", 0);
  s.Polygones = ReadPair(store, key, u"Polygones", 0x012C0002);
}

void ReadFonts(const TSettingsStore& store, std::u16string_view key, TEMFSettings& s) {
  s.NoUnicode = store.ReadText(key, u"NoUnicode", u"*");
  s.OEMFonts = store.ReadText(key, u"OEMFonts", u"CourierDOSCTT");
  const std::u16string src = store.ReadText(key, u"OEMCvtSrc", u"");
  const std::u16string dst = store.ReadText(key, u"OEMCvtDst", u"");
  s.OEMCvtFontList = store.ReadText(key, u"OEMCvtFontList", u"*");
  s.OEMTable = MakeOEMTable(src, dst);
  s.OEMConvert = s.OEMTable.empty() ? 0 : 1;
  s.LongSign = store.ReadText(key, u"LongSign", u"\u2DF0");
  s.PointSize = ReadPair(store, key, u"PointSize", 0x01000080);
  if (s.PointSize.Y == 0) s.PointSize.Y = s.PointSize.X;
}
}  // namespace

std::vector<char16_t> MakeOEMTable(std::u16string_view src, std::u16string_view dst) {
  if (src.empty() || dst.empty()) return {};
  std::vector<char16_t> table(0x10000);
  for (size_t c = 0; c < table.size(); ++c) table[c] = static_cast<char16_t>(c);
  std::vector<bool> seen(0x10000);
  for (size_t i = 0; i < src.size(); ++i) {
    const char16_t c = src[i];
    if (seen[c]) continue;
    seen[c] = true;
    if (i < dst.size()) table[c] = dst[i];
  }
  return table;
}

bool ReadEMFSettings(const TSettingsStore& store, std::u16string_view configKey, const TDocIdClass& docId,
                     TEMFSettings& settings) {
  const std::u16string docKey = SubKeyPathA(store, configKey, docId.GetText());
  if (!store.KeyExists(docKey)) return false;
  ReadLineChars(store, docKey, settings);
  ReadGeometry(store, docKey, settings);
  ReadFonts(store, docKey, settings);
  const std::u16string codeKey = SubKeyPath(docKey, u"Code");
  settings.FileType = ReadPair(store, codeKey, u"FileType", 0x00080000);
  settings.LogoText = store.ReadInteger(codeKey, u"LogoText", 0);
  settings.DrawWidth = store.ReadInteger(configKey, u"DrawWidth", 9);
  settings.ReDrawEMF = store.ReadInteger(configKey, u"ReDrawEMF", 0);
  return true;
}

uint8_t BlankModeOf(int32_t useBlank, bool debuggedType) {
  if (useBlank != 2 && useBlank != 3) return 0;
  if (!debuggedType) return 1;
  return useBlank == 2 ? 3 : 2;
}

TEMFCoder::TEMFCoder(TCreateKey key, const TSettingsStore& store, const TLineSearchResult* lineSeeker,
                     TContext* context, uint8_t mode, TLogFile* log, const TDocIdClass& docId)
    : TCoder(key, store, kConfigKey, context, mode, log, docId),
      LinesFound(lineSeeker && lineSeeker->Found),
      LineSeeker(lineSeeker) {}

void TEMFCoder::AddPageParams() {
  TCoder::AddPageParams();
  NamedParams->AddObject(u"%Win%", std::make_unique<TNamedParam>(u"1"));
}

bool TEMFCoder::LoadParam() {
  const bool loaded = TCoder::LoadParam() && LoadOwnParams();
  if (!loaded) LogLine(u"--> Main \"LoadParam\" aborted!");
  return loaded;
}

bool TEMFCoder::LoadOwnParams() {
  const std::u16string docKey = SubKeyPathA(Store(), ConfigKey, DocId.GetText());
  const int32_t useBlank = Store().ReadInteger(docKey, u"UseBlank", 0);
  const bool debugged = (useBlank == 2 || useBlank == 3) && DocId.SameAsText(Store().ReadTextA(ConfigKey, u"DebugBlank", ""));
  BlankMode = BlankModeOf(useBlank, debugged);
  TEMFSettings settings;
  if (!ReadEMFSettings(Store(), ConfigKey, DocId, settings)) return false;
  Settings = std::move(settings);
  LineChrH = Settings.LineChrH;
  LineChrV = Settings.LineChrV;
  return true;
}
