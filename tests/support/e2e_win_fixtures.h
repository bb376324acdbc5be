// The end-to-end documents coded as the Windows build runs them: the configuration in the real
// registry, the system's code pages, error boxes kept instead of shown. The Wine test and the demo
// program both code through it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "coding/cl_macrolib_code.h"
#include "coding/cl_macrolib_payload_win.h"
#include "foundation/cl_tools_store_win.h"
#include "support/coder_fakes.h"
#include "support/e2e_fixtures.h"

class TRecordedCodeServices : public TCodeServices {
 public:
  const TCodePageSystem& CodePages() const override { return pages_; }
  void ShowError(std::u16string_view text) override { Boxes.emplace_back(text); }
  void SaveDebugData(std::string_view) override {}

  std::vector<std::u16string> Boxes;

 private:
  TWinCodePages pages_;
};

// One document coded from the configuration under root\configKey\<DocId>.
struct TE2ERegistryRun {
  TE2ERegistryRun(HKEY root, std::u16string_view configKey, const TE2EDocument& doc) : Store(root) {
    Coder = TCoder::Create(Store, configKey, nullptr, 0, Log, TDocIdClass::CreateFromText(doc.DocId));
    Coder->CodeServices = &Services;
    FailedStage = RunE2E(*Coder, doc);
  }

  TRegistryStore Store;
  TMemoryLog Log;
  TRecordedCodeServices Services;
  std::unique_ptr<TCoder> Coder;
  std::string FailedStage;
};
