// One Windows page tried against the configured document types: the print server's pass for "@@", then
// each enabled type in order with a fresh coder, until one recognises the page.
#pragma once

#include <cstdint>
#include <memory>

#include "coding/cl_emfcoder.h"

// What a try does with the page. The page and its reference device stay behind these steps, so the
// order rules run the same on a real page and on a test's.
class TDecodeSteps {
 public:
  virtual ~TDecodeSteps() = default;
  virtual std::unique_ptr<TEMFCoder> CreateCoder(const TDocIdClass& docId, uint8_t mode) = 0;
  virtual bool LoadParam(TEMFCoder& coder) { return coder.LoadParam(); }
  virtual bool ParsePage(TEMFCoder& coder) = 0;
  virtual void DebugBlank(TEMFCoder& coder) = 0;
  virtual bool Recognize(TEMFCoder& coder) { return coder.Recognize(); }
  virtual bool ProcessDocData(TEMFCoder& coder, uint32_t jobRecordNo) { return coder.ProcessDocData(jobRecordNo); }
};

inline constexpr uint8_t kRedrawMode = 6;  // lines and texts, without the page's own records

// The coder that took the page, or nil; the caller owns it. log may be nil.
std::unique_ptr<TEMFCoder> ProcessDecode(const TSettingsStore& store, TLogFile* log, uint8_t mode,
                                         uint32_t jobRecordNo, TDecodeSteps& steps);
