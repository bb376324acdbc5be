// The DOS coder the raw page benchmarks time: document type "AB" printed on one model of each command
// set (by the interpreter's language number), its settings in a store in memory.
#pragma once

#include <memory>
#include <string>

#include "coding/enumraw2.h"
#include "foundation/cl_tools_config.h"
#include "tests/support/coder_fakes.h"

inline const char16_t* const kRawBenchModels[][2] = {{u"HP LaserJet", u"300,300,Rastr"},
                                                     {u"EPSON FX-9", u"120,72,8,\x1B*\x01"},
                                                     {u"EPSON LQ-24", u"180,180,24,\x1B*'"},
                                                     {u"IBM Proprinter", u"120,72,9,\x1B*\x01"},
                                                     {u"MANNESMANN Tally", u"120,72,MTPlot"}};

// Fills the store for the model and makes the coder; nil when its settings do not load. A time limit
// other than 0 replaces the model's.
inline std::unique_ptr<TRAWCoder> MakeRawBenchCoder(TMemoryStore& store, TMemoryLog& log, size_t lang,
                                                    int32_t timeOut = 0) {
  const std::u16string doc = std::u16string(kConfigDosKey) + u"\\AB";
  const std::u16string printers = std::u16string(kConfigDosKey) + u"\\Printers";
  const std::u16string model = kRawBenchModels[lang][0];
  store.AddKey(doc);
  if (timeOut != 0) store.SetInteger(doc + u"\\Model", u"TimeOut", timeOut);
  store.SetText(printers, u"Model", model);
  store.SetText(printers + u"\\" + model, u"Mode", u"M");
  store.SetText(printers + u"\\" + model + u"\\Modes", u"M", kRawBenchModels[lang][1]);
  auto coder = TCoder::Create<TRAWCoder>(store, TDocIdClass::CreateFromText("AB"), nullptr,
                                         TDosPrinterState{8, 0, 6.0, 10.0}, 0, &log.file, u"");
  if (!coder->LoadParam()) return nullptr;
  return coder;
}
