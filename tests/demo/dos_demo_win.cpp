// The demo's DOS samples (scripts/demo): an invoice printed by a DOS program on each command set and
// output form, coded with the demo's DOS configuration. For each form it writes to the output directory
// <form>.prn (the sample as the program printed it), <form>.coded.prn (the sample with the code's
// printer commands), <form>.bmp (the code picture the tests' reader rebuilds from those commands) and
// <form>.msg (the bytes the code carries).
// Usage: dos_demo <output directory>
#include <cstdio>
#include <string>

#include "foundation/lib_codepage.h"
#include "support/code_image.h"
#include "support/e2e_dos.h"

namespace {

bool CodeSample(const TDosForm& form, const std::string& out) {
  const std::vector<TDosJobDocument> sample = {{DosInvoiceStream(form, DosInvoices()[0], true), 0}};
  const TDosExpectedJob coded = ExpectedDosJob(form, sample, "C");
  if (!coded.Error.empty() || coded.Codes.size() != 1) {
    std::printf("%s: not coded, failed at %s\n", form.Name, coded.Error.c_str());
    return false;
  }
  const TDosExpectedCode& code = coded.Codes[0];
  const TDosReadBack back =
      ReadDosCode(code.Geometry, std::string_view(coded.Bytes).substr(code.Offset, code.Commands.size()));
  const std::string base = out + "/" + form.Name;
  const bool written =
      WriteFileBytes(base + ".prn", sample[0].Bytes) && WriteFileBytes(base + ".coded.prn", coded.Bytes) &&
      WriteFileBytes(base + ".bmp",
                     SymbolImage(back.Picture, {code.Geometry.Width, code.Geometry.Height}, 0, code.Geometry.Width)) &&
      WriteFileBytes(base + ".msg", code.Message);
  std::printf("%s: model \"%s\", %zu bytes of code commands at offset %zu, code of %dx%d modules%s%s\n", form.Name,
              WideToUtf8(code.Geometry.Model).c_str(), code.Commands.size(), code.Offset,
              static_cast<int>(code.Geometry.Width), static_cast<int>(code.Geometry.Height),
              back.Error.empty() ? "" : ", reader: ", back.Error.c_str());
  return written && back.Error.empty() && back.Picture == code.Picture;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dos_demo <output directory>\n");
    return 2;
  }
  int failed = 0;
  for (const TDosForm& form : DosForms())
    if (!CodeSample(form, argv[1])) ++failed;
  return failed == 0 ? 0 : 1;
}
