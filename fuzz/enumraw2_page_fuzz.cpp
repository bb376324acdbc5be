// Fuzz target of the raw page parse: the input is a settings header and a raw stream, parsed page after
// page as the job loop does. Header: byte 0 bits 0-1 PicTop and TrimTrail, bits 2-7 the marker's length
// (0-3 bytes, which follow), then one byte of code pitch (a command of that first byte and the next one,
// at 12 characters per inch; 0 none), one byte of PicPlace's vertical half (signed) and one whose bits
// 0-2 are MaxAllowedPages and bits 3-7 the printer model (of five, so each language in turn: one parse
// per input keeps page-sized inputs quick). Every page must leave the reader inside the stream and
// further on (or end the stream), and CodePosition inside the stream.
#include <cstdint>
#include <iterator>
#include <string>

#include "coding/enumraw2.h"
#include "foundation/cl_tools_config.h"
#include "support/coder_fakes.h"

namespace {
struct TModel {
  const char16_t* Name;
  const char16_t* Mode;
};
const TModel kModels[] = {{u"HP LaserJet", u"300,300,Rastr"},
                          {u"EPSON FX-9", u"120,72,8,\x1B*\x01"},
                          {u"EPSON LQ-24", u"180,180,24,\x1B*'"},
                          {u"IBM Proprinter", u"120,72,9,\x1B*\x01"},
                          {u"MANNESMANN Tally", u"120,72,MTPlot"}};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint8_t flags = data[0];
  const size_t markerLength = std::min<size_t>((flags >> 2) & 3, size - 4);
  const std::string marker(reinterpret_cast<const char*>(data) + 4, markerLength);
  const uint8_t pitchByte = data[1];
  const auto place = static_cast<int8_t>(data[2]);
  const std::span<const uint8_t> stream(data + 4 + markerLength, size - 4 - markerLength);
  const std::u16string doc = std::u16string(kConfigDosKey) + u"\\AB";
  {
    const TModel& model = kModels[(data[3] >> 3) % std::size(kModels)];
    TMemoryStore store;
    store.AddKey(doc);
    store.SetInteger(doc, u"PicTop", flags & 1);
    store.SetInteger(doc, u"TrimTrail", (flags >> 1) & 1);
    store.SetInteger(doc, u"MaxAllowedPages", data[3] & 7);
    store.SetInteger(doc, u"Strings", 3 | (5 << 16));
    if (pitchByte) {
      const std::string hex = "0123456789ABCDEF";
      const std::string key = {hex[pitchByte >> 4], hex[pitchByte & 15], ',', hex[pitchByte >> 4], hex[(pitchByte + 1) & 15]};
      store.SetText(doc, u"CodePitch", std::u16string(key.begin(), key.end()) + u"=12");
    }
    std::u16string markerText;
    for (char ch : marker) markerText.push_back(static_cast<uint8_t>(ch));
    store.SetText(doc, u"Marker", markerText);
    const std::u16string printers = std::u16string(kConfigDosKey) + u"\\Printers";
    store.SetText(printers, u"Model", model.Name);
    store.SetText(printers + u"\\" + model.Name, u"Mode", u"M");
    store.SetText(printers + u"\\" + model.Name + u"\\Modes", u"M", model.Mode);
    TMemoryLog log;
    auto coder = TCoder::Create<TRAWCoder>(store, TDocIdClass::CreateFromText("AB"), nullptr,
                                           TDosPrinterState{8, 0, 6.0, 10.0}, 0, &log.file, u"");
    if (!coder->LoadParam()) __builtin_trap();
    TByteReader reader(stream);
    for (int pages = 0; !reader.Eof(); ++pages) {
      if (pages > static_cast<int>(stream.size()) + 1) __builtin_trap();  // every page moves on
      const size_t before = reader.Position();
      bool pageEnded = false;
      int32_t errors = 0;
      TDosPrinterState state;
      coder->Reinit();
      coder->ParsePage(reader, pageEnded, place == -1 ? -1 : (int32_t{place} << 16), errors, state);
      if (reader.Position() > reader.Size() || coder->CodePosition < 0 ||
          static_cast<size_t>(coder->CodePosition) > reader.Size())
        __builtin_trap();
      if (coder->TrailingData.size() > reader.Size()) __builtin_trap();
      // A page that ends on its own first byte (a command that ends it at once) would loop: the job
      // loop steps over it; the fuzz loop does the same.
      if (reader.Position() == before) reader.Skip(1);
    }
  }
  return 0;
}
