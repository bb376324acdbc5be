#include "coding/cl_emfcoder_decode.h"

#include <exception>
#include <string>
#include <string_view>

#include "foundation/cl_tools_config.h"
#include "foundation/lib_str.h"

namespace {
constexpr std::string_view kPrintServerType = "@@";

void LogText(TLogFile* log, std::u16string_view text) {
  if (log) log->AddWide(text);
}

void ReportException(TLogFile* log) {
  if (log) log->ErrorBox("Exception in \"ProcessDecode\"");
}

TDocIdClass NextDocId(std::string& order) {
  TDocIdClass id;
  id.SetText(ExtractToken(order, ','));
  return id;
}

bool ListsPrintServerType(std::string order) {
  for (TDocIdClass id = NextDocId(order); !id.IsEmpty(); id = NextDocId(order))
    if (id.SameAsText(kPrintServerType)) return true;
  return false;
}

// The print server's coder is the answer whatever its page and payload gave; nil only when it did not load.
std::unique_ptr<TEMFCoder> PrintServerPass(TLogFile* log, uint8_t mode, uint32_t jobRecordNo, TDecodeSteps& steps) {
  LogText(log, u"Print Server Monitor Encode Started");
  TDocIdClass id;
  id.SetText(kPrintServerType);
  std::unique_ptr<TEMFCoder> coder;
  try {
    coder = steps.CreateCoder(id, mode);
    if (!steps.LoadParam(*coder)) {
      coder.reset();
      LogText(log, u"Print Server Monitor Encode Failed!");
      return nullptr;
    }
    if (steps.ParsePage(*coder)) steps.ProcessDocData(*coder, jobRecordNo);
  } catch (const std::exception&) {
    // A half-built coder is never the answer: the ordinary pass runs as after a failed load.
    ReportException(log);
    LogText(log, u"Print Server Monitor Encode Failed!");
    return nullptr;
  }
  return coder;
}

enum class TTry { Failed, Recognized, BlankDebugged };

TTry TryDocType(TEMFCoder& coder, bool& carry, TDecodeSteps& steps) {
  if (!steps.LoadParam(coder)) return TTry::Failed;
  if (coder.BlankMode == 2 || coder.BlankMode == 3) {
    if (steps.ParsePage(coder)) steps.DebugBlank(coder);
    return TTry::BlankDebugged;
  }
  const bool parsed = steps.ParsePage(coder);
  carry = coder.Mode != 0;
  if (parsed && steps.Recognize(coder)) return TTry::Recognized;
  return TTry::Failed;
}

std::unique_ptr<TEMFCoder> OrdinaryPass(std::string order, TLogFile* log, uint8_t mode, TDecodeSteps& steps,
                                        bool& blankDebugged) {
  bool carry = mode != 0;
  for (;;) {
    TDocIdClass id = NextDocId(order);
    if (id.SameAsText(kPrintServerType)) id = NextDocId(order);
    if (id.IsEmpty()) return nullptr;
    if (!carry) mode = 0;
    std::unique_ptr<TEMFCoder> coder;
    try {
      coder = steps.CreateCoder(id, mode);
      switch (TryDocType(*coder, carry, steps)) {
        case TTry::BlankDebugged:
          blankDebugged = true;
          return coder;
        case TTry::Recognized:
          return coder;
        case TTry::Failed:
          break;
      }
    } catch (const std::exception&) {
      ReportException(log);
    }
  }
}
}  // namespace

std::unique_ptr<TEMFCoder> ProcessDecode(const TSettingsStore& store, TLogFile* log, uint8_t mode,
                                         uint32_t jobRecordNo, TDecodeSteps& steps) {
  const std::string order = GetDocOrder(store, kConfigKey);
  if (order.empty()) {
    LogText(log, u"Список типов документов пуст, выход!");
    return nullptr;
  }
  std::unique_ptr<TEMFCoder> coder;
  bool blankDebugged = false;
  if (GetPrnMonServEnable(store) != 0 && ListsPrintServerType(order))
    coder = PrintServerPass(log, mode, jobRecordNo, steps);
  if (!coder) coder = OrdinaryPass(order, log, mode, steps, blankDebugged);
  // A type being debugged answers as it stands: the pipeline cancels the job.
  if (coder && !blankDebugged && coder->Settings.ReDrawEMF != 0) coder->Mode = kRedrawMode;
  return coder;
}
