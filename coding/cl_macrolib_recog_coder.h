// The recogniser bound to a coder: the document type's Model and Fields keys read from the coder's
// settings store, and the coder's log, clock, context and named parameters behind the host.
#pragma once

#include <string>
#include <string_view>

#include "coding/cl_macrolib.h"
#include "coding/cl_macrolib_recog.h"

// Model lines and field nodes under a document type's key (ConfigKey\<doc>).
class TStoreRecognitionConfig : public TRecognitionConfig {
 public:
  TStoreRecognitionConfig(const TSettingsStore& store, std::u16string_view docKey);

  bool ModelExists() const override;
  std::u16string ModelLine(int32_t lineNo) const override;
  bool FieldKeyExists(std::u16string_view path) const override;
  std::u16string FieldKeyText(std::u16string_view path, std::u16string_view name) const override;
  int32_t FieldKeyInteger(std::u16string_view path, std::u16string_view name, int32_t def) const override;
  std::u16string FieldsValue(std::u16string_view name) const override;

 private:
  const TSettingsStore& store_;
  std::u16string modelKey_;
  std::u16string fieldsKey_;
};

class TCoderRecognitionHost : public TRecognitionHost {
 public:
  explicit TCoderRecognitionHost(TCoder& coder, const TSettingsStore& store) : coder_(coder), store_(store) {}

  bool LogEnabled() const override;
  void Log(std::u16string_view text) override;
  uint32_t Tick() const override;
  size_t FieldStatusCount() const override;
  void TruncateFieldStatus(size_t count) override;
  void DumpObjects() override;
  void SetNewContext(std::u16string_view name, std::u16string_view value) override;
  const std::u16string* ParamData(const TObject* param) const override;
  std::unique_ptr<TObject> NewParam(std::u16string_view value) const override;
  // The coder's entry step: character check, field status and the entry.
  void AddFieldEntry(const TRecognizer& recognizer, const TFieldValue& field, std::u16string& payload) override;
  std::u16string FromAnsi(std::string_view text) const override;
  std::string ToAnsi(std::u16string_view text) const override;

 private:
  TCoder& coder_;
  const TSettingsStore& store_;
};

// Points the recogniser at the coder's lists and copies in the coder's page settings.
void BindRecognizer(TRecognizer& recognizer, TCoder& coder, int32_t logLevel);
// Copies back what a run leaves for the coder.
void TakeRecognition(const TRecognizer& recognizer, TCoder& coder);
