// The demo's DOS samples (scripts/demo): an invoice printed by a DOS program on each command set and
// output form, coded with the DOS configuration written under HKEY_LOCAL_MACHINE's ConfigDos key. For
// each form it writes to the output directory <form>.prn (the sample as the program printed it),
// <form>.coded.prn (the sample with the code's printer commands), <form>.bmp (the code picture the
// test-side reader rebuilds from those commands), <form>.msg (the bytes the code carries) and the
// coder's log to dos.log.
// Usage: dos_demo <output directory>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "coding/enumraw2.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_codepage.h"
#include "support/code_image.h"
#include "support/e2e_dos.h"
#include "support/e2e_win_fixtures.h"

namespace {

bool CodeSample(const TDosForm& form, const std::string& out, std::ofstream& log) {
  TRegistryStore store(HKEY_LOCAL_MACHINE);
  if (!WriteDosConfig(store, form)) {
    std::printf("%s: the demo configuration cannot be read\n", form.Name);
    return false;
  }
  TDosPrinterState state;
  ReadDosDefaults(store, state);
  TMemoryLog coderLog;
  TRecordedCodeServices services;
  auto coder = TCoder::Create<TRAWCoder>(store, TDocIdClass::CreateFromText(std::string(kDosInvoiceId)), nullptr,
                                         state, 0, &coderLog.file, u"");
  coder->CodeServices = &services;
  const std::string stream = DosInvoiceStream(form, DosInvoices()[0], true);
  std::string commands;
  const std::string failed = CodeDosPage(*coder, stream, commands);
  log << "== " << form.Name << "\n";
  for (const std::u16string& line : coderLog.Lines) log << WideToUtf8(line) << "\n";
  if (!failed.empty()) {
    std::printf("%s: not coded, failed at %s\n", form.Name, failed.c_str());
    return false;
  }
  const TDosReadBack back = ReadDosCode(*coder, commands);
  const size_t at = static_cast<size_t>(coder->CodePosition);
  const std::string coded = stream.substr(0, at) + commands + (coder->TrimTrail ? coder->TrailingData : stream.substr(at));
  const std::string base = out + "/" + form.Name;
  const bool written =
      WriteFileBytes(base + ".prn", stream) && WriteFileBytes(base + ".coded.prn", coded) &&
      WriteFileBytes(base + ".bmp", SymbolImage(back.Picture, {coder->PictureWidth, coder->PictureHeight}, 0,
                                                coder->PictureWidth)) &&
      WriteFileBytes(base + ".msg", coder->AztCoder->Data());
  std::printf("%s: model \"%s\", %zu bytes of code commands at offset %zu, code of %dx%d modules%s%s\n", form.Name,
              WideToUtf8(coder->Model).c_str(), commands.size(), at, static_cast<int>(coder->PictureWidth),
              static_cast<int>(coder->PictureHeight), back.Error.empty() ? "" : ", reader: ", back.Error.c_str());
  return written && back.Error.empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dos_demo <output directory>\n");
    return 2;
  }
  const std::string out = argv[1];
  std::ofstream log(out + "/dos.log", std::ios::binary);
  int failed = 0;
  for (const TDosForm& form : DosForms())
    if (!CodeSample(form, out, log)) ++failed;
  return failed == 0 ? 0 : 1;
}
