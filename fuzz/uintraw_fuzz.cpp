// Fuzz target of the DOS job's document loop: an arbitrary file coded with the settings of a two-byte
// header, in memory and without a dialog. Byte 0: bits 0-2 the printer model, bit 3 CreateCpy, bit 4
// AllPages, bit 5 CRAfterFF, bit 6 the copies dialog (answered with the offered copies), bit 7 the print
// server's pass. Byte 1: the type's copies string, bits 0-1 its length less one and bits 2-5 its letters
// ("C" for a set bit, "N" else). The loop must end, every parse leave the reader and CodePosition in the
// file, and the output hold no more than every copy of every byte plus its code.
#include <cstdint>
#include <string>

#include "support/dos_job_fakes.h"

namespace {
struct TModel {
  const char16_t* Name;
  const char16_t* Mode;
};
const TModel kModels[] = {{u"HP LaserJet", u"300,300,Rastr"},   {u"HP LaserJet 4", u"300,300,RectMF"},
                          {u"EPSON FX-9", u"120,72,8,\x1B*\x01"}, {u"EPSON LQ-24", u"180,180,24,\x1B*'"},
                          {u"IBM Proprinter", u"120,72,9,\x1B*\x01"}, {u"MANNESMANN Tally", u"120,72,MTPlot"}};

class TFuzzDosSteps : public TMemoryDosSteps {
 public:
  bool ParsePage(TRAWCoder& coder, TByteReader& reader, bool& pageEnded, int32_t& errors,
                 TDosPrinterState& state) override {
    // Every pass parses at most once per type (two here) and the kept coder once: a loop that did not move
    // on would run past this.
    if (++parses > 3 * (input.size() + 1)) __builtin_trap();
    const bool parsed = TDosJobSteps::ParsePage(coder, reader, pageEnded, errors, state);
    if (reader.Position() > reader.Size() || coder.CodePosition < 0 ||
        static_cast<size_t>(coder.CodePosition) > reader.Size() || coder.TrailingData.size() > reader.Size())
      __builtin_trap();
    return parsed;
  }
  bool MakeCodeCommands(TRAWCoder& coder, std::string& commands) override {
    const bool made = TDosJobSteps::MakeCodeCommands(coder, commands);
    codeBytes += commands.size() + 2;
    return made;
  }
  size_t parses = 0;
  size_t codeBytes = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0];
  TFuzzDosSteps steps;
  steps.logged = false;
  steps.keepOutput = false;
  const TModel& model = kModels[(flags & 7) % std::size(kModels)];
  steps.SetModel(model.Name, model.Mode);
  std::u16string pages;
  for (int i = 0; i <= (data[1] & 3); ++i) pages.push_back((data[1] >> (2 + i)) & 1 ? u'C' : u'N');
  const int32_t ack = (flags >> 6) & 1;
  steps.AddKeywordType(u"AB", u"A", pages, ack);
  steps.AddKeywordType(u"CD", u"1", u"CN", ack);
  const std::u16string dos = steps.DosKey();
  steps.store.SetText(dos, u"DocOrder", flags & 0x80 ? u"@@,AB,CD" : u"AB,CD");
  if (flags & 0x80) {
    steps.AddKeywordType(u"@@", u"", u"C", 0);
    steps.store.SetInteger(kConfigKey, u"PrnMonServEnable", 1);
  }
  // The codes start at one layer and grow as the message needs: at the default sixteen every document
  // would cost a large symbol's check words, and the loop, not the code, is what this target explores.
  for (const char16_t* type : {u"AB", u"CD", u"@@"})
    if (steps.store.KeyExists(steps.DosKey(type))) steps.store.SetInteger(steps.DosKey(type) + u"\\Code", u"Layers", 1 | (31 << 16));
  steps.store.SetInteger(dos, u"CreateCpy", (flags >> 3) & 1);
  steps.store.SetInteger(dos, u"AllPages", (flags >> 4) & 1);
  steps.store.SetInteger(dos, u"CRAfterFF", (flags >> 5) & 1);
  steps.input.assign(reinterpret_cast<const char*>(data) + 2, size - 2);
  TDosCodeResultRec rec{};
  const uint8_t status = EncodeDosJob(steps, 1, rec);
  if (status > kDosJobCancelled) __builtin_trap();
  // Each document goes out at most four times (the longest copies string), each copy with its code, an
  // FF CR before it and a separator after it.
  if (steps.written > 4 * (3 * steps.input.size() + steps.codeBytes) + 16) __builtin_trap();
  if ((status == kDosJobCoded) != (RecordFileName(rec) == TMemoryDosSteps::kOutputName)) __builtin_trap();
  return 0;
}
