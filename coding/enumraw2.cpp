// The coder of DOS print streams: creation with the printer state, the settings of the document type, the
// printer model and its output mode, the "%DOS%" page parameter and the dump of a raw page's objects.
#include "coding/enumraw2.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "coding/cl_macrolib_code.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_reg.h"
#include "foundation/lib_str.h"

namespace {
constexpr double kDefaultPitches[2][2] = {{10.0, 17.0}, {12.0, 20.0}};
constexpr std::u16string_view kNoPrinter = u"Не определен принтер или его конфигурация.";

// Code page 866 box drawing: the stream's own bytes, so the sets hold them as they come.
std::string ByteRange(uint8_t first, uint8_t last) {
  std::string bytes;
  for (int b = first; b <= last; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}
const std::string kLineChrH = "+-=~" + ByteRange(0xB4, 0xB9) + ByteRange(0xBB, 0xDA);
const std::string kLineChrV = "!|" + ByteRange(0xB3, 0xC3) + ByteRange(0xC5, 0xCC) + ByteRange(0xCE, 0xDA);


std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// Floating-point text with a point; the default when missing or not a number.
double ReadFloat(const TSettingsStore& store, std::u16string_view key, std::u16string_view name, double def) {
  const std::string text = store.ReadTextA(key, name, "");
  double value = 0;
  return !text.empty() && TryParseRegFloat(text, value) ? value : def;
}

bool TryParsePitch(std::string_view text, double& pitch) {
  double value = 0;
  if (!TryParseRegFloat(TrimStr(text), value) || !IsValidPitch(value)) return false;
  pitch = value;
  return true;
}

std::u16string UpperAscii(std::u16string_view text) {
  std::u16string upper(text);
  for (char16_t& c : upper)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return upper;
}

// One or two hexadecimal digits.
bool TryParseHexByte(std::string_view text, uint8_t& value) {
  if (text.empty() || text.size() > 2) return false;
  int v = 0;
  for (char c : text) {
    const bool digit = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    if (!digit) return false;
    v = v * 16 + HexDigitValue(static_cast<unsigned char>(c));
  }
  value = static_cast<uint8_t>(v);
  return true;
}

// The command bytes of a key; false for a token that is no byte or a command longer than the table holds.
bool ParseCommandBytes(std::string_view key, std::string& bytes) {
  constexpr size_t kMaxCommand = 32;  // the first byte and a tail of at most 31
  bytes.clear();
  while (!key.empty()) {
    const std::string token = TrimStr(ExtractToken(key, ','));
    if (token.empty()) continue;
    uint8_t b = 0;
    if (!TryParseHexByte(token, b) || bytes.size() == kMaxCommand) return false;
    bytes.push_back(static_cast<char>(b));
  }
  return !bytes.empty();
}

// A decimal integer of a mode field; 0 for anything else.
int32_t FieldInteger(std::u16string_view field) {
  std::string narrow;
  for (char16_t c : field) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return StrToIntOrZero(TrimStr(narrow));
}

bool OutputModeOf(std::u16string_view field, int32_t& mode) {
  static constexpr std::pair<std::u16string_view, int32_t> kNames[] = {
      {u"HPGL", kModeHPGL}, {u"RASTR", kModeRastr}, {u"RECT", kModeRect}, {u"RECTMF", kModeRectMF}, {u"MTPLOT", kModeMTPlot}};
  const std::u16string name = UpperAscii(TrimW(field));
  for (const auto& [known, value] : kNames) {
    if (name == known) {
      mode = value;
      return true;
    }
  }
  const int32_t pins = FieldInteger(name);
  if (pins != 8 && pins != 9 && pins != 24) return false;
  mode = pins;
  return true;
}

std::string PitchText(int32_t charWidth) {
  if (charWidth == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.1f", 2540.0 / charWidth);
  return TrimStr(buf);
}

std::u16string CentreText(const TRect& r) {
  const TPoint centre{static_cast<int32_t>((int64_t{r.Left} + r.Right) / 2),
                      static_cast<int32_t>((int64_t{r.Top} + r.Bottom) / 2)};
  return Ascii(PointToText(centre));
}
}  // namespace

bool IsValidPitch(double pitch) { return pitch > 0.5 && pitch < 100; }

bool PrinterLangOfModel(std::u16string_view model, uint8_t& lang) {
  const std::u16string name = UpperAscii(TrimW(model));
  const std::u16string_view n = name;
  const auto contains = [&](std::u16string_view part) { return n.find(part) != std::u16string_view::npos; };
  if (n.starts_with(u"EPSON")) {
    if (contains(u"24")) {
      lang = kLangEscP24;
      return true;
    }
    if (contains(u"9")) {
      lang = kLangEscP9;
      return true;
    }
    return false;
  }
  if (n.starts_with(u"IBM")) {
    lang = kLangIBM;
    return true;
  }
  if (n.starts_with(u"MANNES")) {
    lang = kLangMT;
    return true;
  }
  if (n.starts_with(u"HP ")) {
    lang = kLangPCL;
    return true;
  }
  return false;
}

bool ReadDosDefaults(const TSettingsStore& store, TDosPrinterState& state) {
  state = TDosPrinterState{};
  const std::u16string printers = SubKeyPath(kConfigDosKey, u"Printers");
  if (!store.KeyExists(printers)) return false;
  state.Pitch = ReadFloat(store, printers, u"Pitch", 10.0);
  if (!IsValidPitch(state.Pitch)) state.Pitch = 10.0;
  state.Spacing = ReadFloat(store, printers, u"Spacing", 8.0);
  if (!(state.Spacing > 0)) state.Spacing = 8.0;
  state.TabSize = store.ReadInteger(printers, u"TabSize", 8);
  state.LeftMargin = 0;
  return true;
}

bool HasMoreData(const TByteReader& reader) {
  const std::span<const uint8_t> rest = reader.Bytes().subspan(reader.Position());
  return std::any_of(rest.begin(), rest.end(), [](uint8_t b) { return b != 10 && b != 13 && b != 32; });
}

void ParseCodePitch(std::string_view text, TCodePitch& table, std::vector<TCodePitchEntry>& rejected) {
  const std::string all = TrimStr(text);
  std::string_view rest = all;
  while (!rest.empty()) {
    const std::string entry = TrimStr(ExtractToken(rest, ';'));
    if (entry.empty()) continue;
    const size_t eq = entry.find('=');
    const std::string key = entry.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : TrimStr(entry.substr(eq + 1));
    std::string bytes;
    double pitch = 0;
    if (TrimStr(key).empty() || !TryParsePitch(value, pitch) || !ParseCommandBytes(key, bytes)) {
      rejected.push_back({key, value});
      continue;
    }
    const auto first = static_cast<uint8_t>(bytes[0]);
    table.FirstBytes.set(first);
    table.Codes.push_back({pitch, bytes.substr(1), first});
  }
}

bool ParseModeValue(std::u16string_view value, TOutputModeValue& mode) {
  mode = TOutputModeValue{};
  std::u16string_view rest = value;
  mode.DpiX = FieldInteger(ExtractTokenW(rest, u','));
  mode.DpiY = FieldInteger(ExtractTokenW(rest, u','));
  const std::u16string field = ExtractTokenW(rest, u',');
  mode.Template = std::u16string(rest);
  return OutputModeOf(field, mode.OutputMode) && mode.DpiX > 0 && mode.DpiY > 0;
}

void ParsePitches(std::string_view text, double fallback, double (&table)[2][2], std::vector<std::string>& bad) {
  // The stored order: normal and elite, then the same condensed.
  static constexpr std::pair<int, int> kPlaces[] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  std::string_view rest = text;
  for (const auto& [width, condensed] : kPlaces) {
    const std::string field = ExtractToken(rest, ',');
    double& pitch = table[width][condensed];
    if (TryParsePitch(field, pitch)) continue;
    pitch = IsValidPitch(fallback) ? fallback : kDefaultPitches[width][condensed];
    bad.push_back(field);
  }
}

std::string FontTableText(std::string_view value) {
  std::string table = ",";
  for (char c : value)
    if (c != ' ') table.push_back(c);
  return table;
}

std::string BadPitchsText(std::string_view value) {
  std::string list;
  const std::string all = TrimStr(value);
  std::string_view rest = all;
  while (!rest.empty()) {
    const std::string entry = ExtractToken(rest, ',');
    const size_t eq = entry.find('=');
    std::string item = TrimStr(entry.substr(0, eq));
    if (eq != std::string_view::npos) item += "=" + TrimStr(entry.substr(eq + 1));
    AppendWithSeparator(",", item, list);
  }
  return list;
}

TRAWCoder::TRAWCoder(TCreateKey key, const TSettingsStore& store, const TDocIdClass& docId, TContext* context,
                     const TDosPrinterState& state, uint8_t mode, TLogFile* log, std::u16string_view model)
    : TCoder(key, store, kConfigDosKey, context, mode, log, docId),
      Model(model),
      CurrentPitch(state.Pitch),
      BasePitch(state.Pitch),
      CurrentSpacing(state.Spacing),
      BaseSpacing(state.Spacing),
      TabWidth(state.TabSize),
      LeftMargin(state.LeftMargin),
      PrinterState(state) {
  CodePitchTable.Clear();
}

void TRAWCoder::AddPageParams() {
  TCoder::AddPageParams();
  NamedParams->AddObject(u"%DOS%", std::make_unique<TNamedParam>(u"1"));
}

void TRAWCoder::ShowBox(std::u16string_view text) const {
  if (CodeServices) CodeServices->ShowError(text);
}

bool TRAWCoder::LoadParam() {
  CodePitchTable.Clear();
  std::u16string modeName;
  const bool loaded = TCoder::LoadParam() && LoadDocSettings() && FindModel(modeName) &&
                      LoadModelSettings(modeName) && LoadMode(modeName);
  if (!loaded) LogLine(u"--> Main \"LoadParam\" aborted!");
  return loaded;
}

bool TRAWCoder::LoadDocSettings() {
  const TSettingsStore& store = Store();
  const std::u16string key = SubKeyPathA(store, ConfigKey, DocId.GetText());
  if (!store.KeyExists(key)) return false;
  BlankChr = StrToCharSet(store.ReadBytes(key, u"BlankChr", "\xFF"));
  LineChrH = StrToCharSet(store.ReadBytes(key, u"LineChrH", kLineChrH));
  LineChHSub = StrToCharSet(store.ReadBytes(key, u"LineChHSub", "_"));
  LineChrV = StrToCharSet(store.ReadBytes(key, u"LineChrV", kLineChrV));
  LineChrVSpec = StrToCharSet(store.ReadBytes(key, u"LineChrVSpec", "+"));
  LineChrV |= LineChrVSpec;
  TrimTrail = store.ReadInteger(key, u"TrimTrail", 1) != 0;
  HalfLF = store.ReadInteger(key, u"HalfLF", 0) != 0;
  LineLenX = ReadFloat(store, key, u"LineLenX", 2.0);
  LineLenY = ReadFloat(store, key, u"LineLenY", 1.3);
  SplitX = ReadFloat(store, key, u"SplitX", 0.75);
  SplitY = ReadFloat(store, key, u"SplitY", 1.5);
  StretchX = ReadFloat(store, key, u"StretchX", 0.75);
  StretchY = ReadFloat(store, key, u"StretchY", 0.8);
  RoundX = ReadFloat(store, key, u"RoundX", 0.75);
  RoundY = ReadFloat(store, key, u"RoundY", 0.75);
  PointSizeX = ReadFloat(store, key, u"PointSizeX", 0.5);
  PointSizeY = ReadFloat(store, key, u"PointSizeY", 0.5);
  SymHeight = ReadFloat(store, key, u"SymHeight", 0.75);
  Strings = store.ReadInteger(key, u"Strings", 0);
  AutoCRLF = store.ReadInteger(key, u"AutoCRLF", 0);
  return true;
}

std::u16string TRAWCoder::PrintersKey() const { return SubKeyPath(ConfigKey, u"Printers"); }
std::u16string TRAWCoder::ModelKey() const { return SubKeyPath(PrintersKey(), Model); }

bool TRAWCoder::FindModel(std::u16string& modeName) {
  const std::u16string printers = PrintersKey();
  if (!Model.empty()) {
    modeName = Store().ReadText(ModelKey(), u"Mode", u"");
    if (modeName.empty()) {
      ShowBox(u"Модель принтера не поддерживается: " + Quoted(Model));
      return false;
    }
    LogLine(u"  CmdLine: Модель принтера: " + Quoted(Model));
  }
  if (modeName.empty()) Model = Store().ReadText(printers, u"Model", u"");
  if (TrimW(Model).empty()) {
    ShowBox(kNoPrinter);
    return false;
  }
  MaxErrors = Store().ReadInteger(printers, u"MaxErrors", 100);
  return true;
}

bool TRAWCoder::LoadModelSettings(std::u16string& modeName) {
  const TSettingsStore& store = Store();
  const std::u16string key = ModelKey();
  if (!store.KeyExists(key)) return false;
  if (modeName.empty()) modeName = store.ReadText(key, u"Mode", u"");
  FontPitchP = FontTableText(store.ReadTextA(key, u"FontPitchP", "4=15.0"));
  FontPitchS = FontTableText(store.ReadTextA(key, u"FontPitchS", ""));
  FontMacro = FontTableText(store.ReadTextA(key, u"FontMacro", "1=10.0,2=12.0,3=15.0"));
  FontTypeF = FontTableText(store.ReadTextA(key, u"FontTypeF", "3=10.0,4101=20.0"));
  HPresDPI = store.ReadInteger(key, u"HPresDPI", 300);
  if (HPresDPI <= 0) {
    LogLine(u"    ! Error ! Интерпретация \"HPresDPI\": " + Quoted(Ascii(IntToText(HPresDPI))));
    HPresDPI = 300;
  }
  BadPitchs = BadPitchsText(store.ReadTextA(key, u"BadPitchs", ""));
  Marker = store.ReadBytes(key, u"Marker", "");
  std::vector<TCodePitchEntry> rejected;
  ParseCodePitch(store.ReadTextA(key, u"CodePitch", ""), CodePitchTable, rejected);
  for (const TCodePitchEntry& entry : rejected)
    LogLine(u"    CodePitch: " + store.FromAnsi(entry.Key) + u"=" + store.FromAnsi(entry.Value) + u"!");
  return true;
}

bool TRAWCoder::LoadMode(std::u16string_view modeName) {
  if (modeName.empty()) {
    ShowBox(kNoPrinter);
    return false;
  }
  if (!PrinterLangOfModel(Model, PrinterLang)) {
    LogLine(u"    Error: PrinterLang!");
    return false;
  }
  const std::u16string modes = SubKeyPath(ModelKey(), u"Modes");
  TOutputModeValue mode;
  if (!ParseModeValue(Store().ReadText(modes, modeName, u""), mode)) {
    ShowBox(kNoPrinter);
    return false;
  }
  DpiX = mode.DpiX;
  DpiY = mode.DpiY;
  OutputMode = mode.OutputMode;
  ModeTemplate = std::move(mode.Template);
  LogLine(u"  Загрузка: Модель принтера: " + Quoted(Model) + u", режим: " + Quoted(modeName));
  LoadPitchTable();
  return true;
}

void TRAWCoder::LoadPitchTable() {
  std::vector<std::string> bad;
  ParsePitches(Store().ReadTextA(ModelKey(), u"Pitches", "10.0,12.0,17.0,20.0"), PrinterState.Pitch, PitchTable, bad);
  for (const std::string& value : bad)
    LogLine(u"    ! Error ! Интерпретация \"Pitches\": " + Quoted(Store().FromAnsi(value)));
}

void TRAWCoder::DumpObjects() {
  TCoder::DumpObjects();
  if (!LogEnabled()) return;
  const auto dumpLines = [this](char16_t letter, const TObjectList& lines) {
    LogLine(std::u16string(1, letter) + u"-Objects:");
    for (const std::unique_ptr<TRectProTo>& line : lines) {
      if (!line) continue;
      LogLine(u"  " + Ascii(IntToText(line->Ident)) + u", (" + Ascii(RectToText(line->Rect)) + u") " +
              FindNameOfObject(line.get()));
    }
  };
  dumpLines(u'V', *VLines);
  dumpLines(u'H', *HLines);
  LogLine(u"T-Objects:");
  for (const std::unique_ptr<TRectProTo>& object : *Texts) {
    const auto* text = dynamic_cast<const TTextProTo*>(object.get());
    if (!text) continue;
    const auto* raw = dynamic_cast<const enumraw2::TText*>(text);
    std::string pitch = PitchText(raw ? raw->CharWidth : 0);
    if (raw && raw->Underline) pitch.insert(0, "_");
    if (raw && !raw->AttributeText.empty()) pitch += "," + raw->AttributeText;
    LogLine(u"  " + Ascii(IntToText(text->Ident)) + u", [" + Store().FromAnsi(pitch) + u"], (" + CentreText(text->Rect) +
            u"), (" + Ascii(RectToText(text->Rect)) + u"), " + Quoted(text->Text) + u" " + FindNameOfObject(text));
  }
}
