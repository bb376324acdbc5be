// Coder base: creation, the page parameters, the document type's settings, and the thin operations that
// hand the page model to the page-model helpers with the coder's own settings.
#include "coding/cl_macrolib.h"

#include "coding/cl_macrolib_recog.h"
#include "coding/cl_macrotools_cond.h"
#include "coding/cl_macrotools_lines.h"
#include "coding/cl_macrotools_sort.h"
#include "coding/lib_datcoder_random.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

namespace {
std::u16string Decimal(int64_t v) {
  const std::string s = IntToText(v);
  return std::u16string(s.begin(), s.end());
}
}  // namespace

TCoder::TCoder(TCreateKey, const TSettingsStore& store, std::u16string_view configKey, TContext* context,
               uint8_t mode, TLogFile* log, const TDocIdClass& docId)
    : Log(log), Context(context), ConfigKey(configKey), store_(store) {
  DocId = TDocIdClass::CreateCopy(docId);
  Grids = std::make_unique<TObjectList>();
  Texts = std::make_unique<TObjectList>();
  Found = std::make_unique<TWideStringList>();
  Errors = std::make_unique<TWideStringArray>(0);
  NamedParams = std::make_unique<TWideStringList>();
  HLines = std::make_unique<TObjectList>();
  VLines = std::make_unique<TObjectList>();
  if (Log) Log->ClearFieldStatus();
  LogLine(u"Кодер: инициализация");
  Mode = mode;
}

void TCoder::CompleteCreate() {
  AddPageParams();
  AztCoder = std::make_unique<TAztCoder>();
}

TCoder::~TCoder() {
  Texts.reset();
  Grids.reset();
  HLines.reset();
  VLines.reset();
  Found.reset();
  NamedParams.reset();
  LogLine(u"Кодер: конец");
  AztCoder.reset();
  Payload.clear();
  Errors.reset();
}

void TCoder::LogLine(std::u16string_view text) const {
  if (Log) Log->AddWide(text);
}

std::u16string TCoder::DocKey() const { return SubKeyPathA(store_, ConfigKey, DocId.GetText()); }

void TCoder::Reinit() {
  Found = std::make_unique<TWideStringList>();
  Errors = std::make_unique<TWideStringArray>(0);
  ClearTexts();
  ResetObjectList(Grids);
  ResetObjectList(HLines);
  ResetObjectList(VLines);
  if (Log) Log->ClearFieldStatus();
  LogLine(u"Кодер: реинициализация");
  Picture.clear();
  AddPageParams();
  // The page parameters replaced the type's own; every document of the job needs them.
  if (paramsLoaded_) LoadNamedParams();
}

void TCoder::ClearTexts() { ResetObjectList(Texts); }

void TCoder::DumpObjects() {
  if (!LogEnabled()) return;
  if (NamedParams->Count() > 0) {
    LogLine(u"P-Objects:");
    for (const TWideStringList::Item& item : NamedParams->Items()) {
      const auto* param = dynamic_cast<const TNamedParam*>(item.Object);
      if (!param) continue;
      const std::u16string value =
          param->FromContext ? u"[... " + Decimal(static_cast<int64_t>(param->Data.size())) + u" ...]" : param->Data;
      std::u16string line = u"  [" + item.Text + u"]: " + Quoted(value);
      if (!param->Desc.empty()) line += u", (" + param->Desc + u")";
      LogLine(line);
    }
  }
  if (!Grids->empty()) {
    LogLine(u"G-Objects:");
    for (const std::unique_ptr<TRectProTo>& object : *Grids) {
      const auto* grid = dynamic_cast<const TGrid*>(object.get());
      if (!grid) continue;
      const TRect& r = grid->Rect;
      LogLine(u"  [" + grid->Name + u"], (" + Decimal(r.Left) + u"," + Decimal(r.Top) + u"," + Decimal(r.Right) + u"," +
              Decimal(r.Bottom) + u"), [" + grid->Spec + u"]");
    }
  }
}

void TCoder::AddPageParams() {
  NamedParams->Clear();
  if (!Context) return;
  NamedParams->AddObject(u"%Page%", std::make_unique<TNamedParam>(u"(" + Decimal(Context->PageNo) + u")"));
  const std::u16string& carried = Context->Context;
  const size_t nul = carried.find(u'\0');
  if (nul != std::u16string::npos && nul > 0 && nul + 1 < carried.size()) {
    NamedParams->AddObject(std::u16string_view(carried).substr(0, nul),
                           TNamedParam::CreateFromContext(std::u16string_view(carried).substr(nul + 1)));
  }
}

std::string TCoder::GetDocTypeId() {
  const std::string virtualId = TrimStr(store_.ReadTextA(DocKey(), u"VirtualDT", ""));
  if (virtualId.size() == 2 || virtualId.size() == 4) return virtualId;
  return DocId.GetText();
}

void TCoder::LoadNamedParams() {
  const std::u16string paramsKey = SubKeyPath(DocKey(), u"Params");
  for (const std::u16string& name : store_.SubKeyNames(paramsKey)) {
    std::unique_ptr<TNamedParam> param = TNamedParam::CreateFromRegistry(store_, SubKeyPath(paramsKey, name));
    LogLine(u"  Параметр (" + param->Desc + u"): " + Quoted(name) + u"=" + Quoted(param->Data));
    NamedParams->AddObject(name, std::move(param));
  }
}

bool TCoder::LoadParam() {
  LogLine(u"Документ: " + Quoted(store_.FromAnsi(DocId.GetText())) + u", чтение параметров");
  const std::u16string key = DocKey();
  if (!store_.KeyExists(key)) {
    LogLine(u"--> common \"LoadParam\" aborted!");
    return false;
  }
  DocType = store_.ReadText(key, u"DocType", kUnknownDocType);
  DefaultCharset = store_.ReadInteger(key, u"DefaultCharset", kDefaultCharset);
  WordDelims = store_.ReadTextA(key, u"WordsDelim", ".,:-");
  WordDelims += ' ';
  WordDelims += '\0';
  Pages = CutPages(store_.ReadTextA(key, u"Pages", "C"));
  const int32_t sideAck = store_.ReadInteger(ConfigKey, u"AckPages", 1);
  AckPages = sideAck != 0 ? static_cast<uint8_t>(store_.ReadInteger(key, u"AckPages", sideAck)) : 0;
  PicTop = store_.ReadInteger(key, u"PicTop", 0);
  MaxAllowedPages = store_.ReadInteger(key, u"MaxAllowedPages", 1);
  PicPlace = store_.ReadInteger(key, u"PicPlace", 0);
  const std::u16string src = store_.ReadText(key, u"ChrCnvSrc", kDefaultChrCnvSrc);
  const std::u16string dst = store_.ReadText(key, u"ChrCnvDst", kDefaultChrCnvDst);
  CharMap = TCharMap(src, dst);
  ParseWideCharList(CharList, store_.ReadText(key, u"CharList", kDefaultCharList) + u"\r\n");
  LogLine(u"Тип документа: " + Quoted(DocType));

  LoadNamedParams();
  paramsLoaded_ = true;
  Debug = LogEnabled() && store_.ReadInteger(ConfigKey, u"Debug", 0) != 0 ? 1 : 0;

  Delims = ReadCodeDelimiters(store_, SubKeyPath(key, u"Format"));
  if (!CharList.Empty()) {
    IncludeWideChar(CharList, u' ');
    for (char16_t c : Delims.LinesDelim) IncludeWideChar(CharList, c);
  }
  ModelTimeOut = store_.ReadInteger(SubKeyPath(key, u"Model"), u"TimeOut", kDefaultModelTimeOut);

  Format = ReadCodeFormat(store_, ConfigKey, DocId);
  return true;
}

void TCoder::SetNewContext(std::u16string_view name, std::u16string_view value) {
  if (!Context) return;
  Context->NewContext = std::u16string(name) + u'\0' + std::u16string(value);
}

std::u16string TCoder::FindNameOfObject(const TObject* object) const {
  for (const TWideStringList::Item& item : Found->Items())
    if (item.Object == object) return u"- [" + item.Text + u"]";
  return {};
}

TRectProTo* TCoder::FindRectObject(std::u16string_view name) const {
  for (const TWideStringList::Item& item : Found->Items())
    if (SameTextW(item.Text, name)) return dynamic_cast<TRectProTo*>(item.Object);
  return nullptr;
}

void TCoder::SortObjects(TObjectList& list, int32_t sortMode, bool vertical, bool lines) const {
  ::SortObjects(list, sortMode, vertical, lines, SortTolerance);
}

TRect TCoder::NormalizeRect(const TRect& rect) const { return ::NormalizeRect(rect, PageExtent); }

void TCoder::RemoveShortLines(TSmallPoint limits) {
  auto sweep = [](TObjectList& lines, int32_t length) {
    std::erase_if(lines, [&](const std::unique_ptr<TRectProTo>& object) {
      const auto* line = dynamic_cast<const TLineProTo*>(object.get());
      return line && IsShortLine(line->Rect, line->Special, length);
    });
  };
  sweep(*HLines, limits.X);
  sweep(*VLines, limits.Y);
}

void TCoder::MergeLines(TSmallPoint tolerance, bool vertical) {
  ::MergeLines(vertical ? *VLines : *HLines, tolerance, vertical);
}

void TCoder::ConnectLines(bool extend, TSmallPoint tolerance) { ::ConnectLines(*VLines, *HLines, extend, tolerance); }

bool TCoder::CheckTimeOut(uint32_t startTick) {
  // A limit below 1 is the default limit, not "never": a model that cannot end must still be stopped.
  const int32_t limit = ModelTimeOut < 1 ? kModelTimeOutDefault : ModelTimeOut;
  // The tick counter wraps after 49.7 days; the difference is right across the wrap.
  const uint32_t elapsed = ClockTick() - startTick;
  if (elapsed <= static_cast<uint32_t>(limit)) return true;
  LogLine(u"--> Timeout error!");
  return false;
}

bool TCoder::ScanStarted() {
  LogLine(u"  Сканирование");
  return true;
}

std::unique_ptr<TWideStringList> LoadDocParams(const TSettingsStore& store, std::u16string_view configKey) {
  auto list = std::make_unique<TWideStringList>();
  const std::string idList = ListDocTypes(store, configKey);
  for (std::string_view ids = idList; !ids.empty();) {
    const std::string id = ExtractToken(ids, ',');
    const std::u16string key = SubKeyPathA(store, configKey, id);
    if (!store.KeyExists(key)) continue;
    const TDocIdClass docId = TDocIdClass::CreateFromText(id);
    const TCodeFormat f = ReadCodeFormat(store, configKey, docId);
    const int32_t picTop = store.ReadInteger(key, u"PicTop", 0);
    const std::string pages = store.ReadTextA(key, u"Pages", "C");
    const auto ackPages = static_cast<uint8_t>(store.ReadInteger(key, u"AckPages", 1));
    const auto savePgDlg = static_cast<uint8_t>(store.ReadInteger(key, u"SavePgDlg", 0));
    const int32_t picPlace = store.ReadInteger(key, u"PicPlace", 0);
    auto param = std::make_unique<TDocParam>(picPlace, f.PictureSize, ackPages, pages, docId,
                                             f.SeveralSymbols ? 1 : 0, savePgDlg, picTop, f.Rotated);
    list->AddObject(store.ReadText(key, u"DocType", kUnknownDocType), std::move(param));
  }
  return list;
}
