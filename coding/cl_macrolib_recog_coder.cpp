// The coder's recognition: its settings store, log, context and lists lent to the recogniser.
#include "coding/cl_macrolib_recog_coder.h"

#include "coding/cl_macrolib_recog_text.h"
#include "coding/lib_datcoder_random.h"
#include "foundation/cl_tools_config.h"

TStoreRecognitionConfig::TStoreRecognitionConfig(const TSettingsStore& store, std::u16string_view docKey)
    : store_(store), modelKey_(SubKeyPath(docKey, u"Model")), fieldsKey_(SubKeyPath(docKey, u"Fields")) {}

bool TStoreRecognitionConfig::ModelExists() const { return store_.KeyExists(modelKey_); }

std::u16string TStoreRecognitionConfig::ModelLine(int32_t lineNo) const {
  return store_.ReadText(modelKey_, NumW(lineNo), u"");
}

bool TStoreRecognitionConfig::FieldKeyExists(std::u16string_view path) const {
  return store_.KeyExists(SubKeyPath(fieldsKey_, path));
}

std::u16string TStoreRecognitionConfig::FieldKeyText(std::u16string_view path, std::u16string_view name) const {
  return store_.ReadText(SubKeyPath(fieldsKey_, path), name, u"");
}

int32_t TStoreRecognitionConfig::FieldKeyInteger(std::u16string_view path, std::u16string_view name,
                                                 int32_t def) const {
  return store_.ReadInteger(SubKeyPath(fieldsKey_, path), name, def);
}

std::u16string TStoreRecognitionConfig::FieldsValue(std::u16string_view name) const {
  return store_.ReadText(fieldsKey_, name, u"");
}

bool TCoderRecognitionHost::LogEnabled() const { return coder_.Log && coder_.Log->Enabled(); }

void TCoderRecognitionHost::Log(std::u16string_view text) {
  if (coder_.Log) coder_.Log->AddWide(text);
}

uint32_t TCoderRecognitionHost::Tick() const { return ClockTick(); }

size_t TCoderRecognitionHost::FieldStatusCount() const {
  return coder_.Log ? coder_.Log->FieldStatus().size() : 0;
}

void TCoderRecognitionHost::TruncateFieldStatus(size_t count) {
  if (coder_.Log) coder_.Log->TruncateFieldStatus(count);
}

void TCoderRecognitionHost::DumpObjects() { coder_.DumpObjects(); }

void TCoderRecognitionHost::SetNewContext(std::u16string_view name, std::u16string_view value) {
  coder_.SetNewContext(name, value);
}

const std::u16string* TCoderRecognitionHost::ParamData(const TObject* param) const {
  const auto* p = dynamic_cast<const TNamedParam*>(param);
  return p ? &p->Data : TRecognitionHost::ParamData(param);
}

std::unique_ptr<TObject> TCoderRecognitionHost::NewParam(std::u16string_view value) const {
  return std::make_unique<TNamedParam>(value);
}

void TCoderRecognitionHost::AddFieldEntry(const TRecognizer&, const TFieldValue& field, std::u16string& payload) {
  payload += coder_.PayloadEntry(field.Type, field.Label, field.DisplayName, field.Value);
}

std::u16string TCoderRecognitionHost::FromAnsi(std::string_view text) const { return store_.FromAnsi(text); }

std::string TCoderRecognitionHost::ToAnsi(std::u16string_view text) const { return store_.ToAnsi(text); }

void BindRecognizer(TRecognizer& r, TCoder& coder, int32_t logLevel) {
  r.UseLists(*coder.Texts, *coder.HLines, *coder.VLines, *coder.Grids, *coder.Found, *coder.NamedParams, *coder.Errors);
  r.CharMap = &coder.CharMap;
  r.WordDelims = coder.WordDelims;
  r.SortTolerance = coder.SortTolerance;
  r.PicTop = coder.PicTop;
  r.ModelTimeOut = coder.ModelTimeOut;
  r.LogLevel = logLevel;
  r.State = coder.State;
  r.OutputArea = coder.OutputArea;
  r.PageExtent = coder.PageExtent;
  r.Payload = coder.Payload;
}

void TakeRecognition(const TRecognizer& r, TCoder& coder) {
  coder.State = r.State;
  coder.OutputArea = r.OutputArea;
  coder.PageExtent = r.PageExtent;
  coder.JumpLine = r.JumpLine;
  coder.Payload = r.Payload;
}

bool TCoder::Recognize() {
  const TStoreRecognitionConfig config(store_, DocKey());
  TCoderRecognitionHost host(*this, store_);
  TRecognizer recognizer(config, host, Delims);
  BindRecognizer(recognizer, *this, GetLogLevel(store_, ConfigKey));
  bool ok = false;
  try {
    ok = recognizer.Recognize();
  } catch (...) {
    ok = false;  // an allocation failure on a huge page: the page is simply not this type
  }
  TakeRecognition(recognizer, *this);
  return ok && !Payload.empty();
}
