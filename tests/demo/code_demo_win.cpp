// The demo's coder (scripts/demo): the end-to-end documents coded from the demo configuration that
// client.exe /RegWin registered under HKEY_LOCAL_MACHINE (Config.reg and the DocTypes.reg it includes),
// through the same path as the Wine end-to-end test. For each document type it writes <DocId>.bmp (the
// code with a quiet zone) and <DocId>.msg (the bytes the code carries) to the output directory, and the
// coder's log to coder.log there. Then the invoice as a printed page: recorded on the destination
// printer's DC, through a spool file, recognised through the order kE2EPageOrder (written into the demo's
// configuration), its code placed in the lower right; page_SCHT.bmp is the page with its code in the
// printer's pixels, page_SCHT.msg the bytes the code carries.
// Usage: code_demo <output directory>
#include <cstdio>
#include <fstream>
#include <string>

#include "foundation/cl_tools_config.h"
#include "foundation/lib_codepage.h"
#include "support/code_image.h"
#include "support/e2e_page_win.h"
#include "support/e2e_win_fixtures.h"

namespace {
bool CodePage(const std::string& out, std::ofstream& log) {
  TRegistryStore store(HKEY_LOCAL_MACHINE);
  store.WriteText(kConfigKey, u"DocOrder", kE2EPageOrder);
  PlaceInvoiceCodeLowerRight(store);
  const TEnhMetaFile page = ThroughSpoolFile(RecordE2EPage(E2EDocument("SCHT"), &InvoiceTable()).Get());
  if (!page) {
    std::printf("invoice page: not recorded on the printer \"Client Test PS\" or not split off its spool file\n");
    return false;
  }
  const std::u16string codeFile = AnsiToWide(out) + u"\\page_SCHT.wmf";
  TE2EPageRun run(page.Get(), codeFile);
  log << "== invoice page\n";
  for (const std::u16string& line : run.Log.host.Lines) log << WideToUtf8(line) << "\n";
  const std::vector<uint8_t> image = run.FailedStage.empty() ? CodedPageImage(page.Get(), run, codeFile) : std::vector<uint8_t>();
  const bool ok = !image.empty() && WriteFileBytes(out + "/page_SCHT.bmp", image) &&
                  WriteFileBytes(out + "/page_SCHT.msg", run.Coder->AztCoder->Data());
  if (!ok) {
    std::printf("invoice page: not coded, failed at %s\n", run.FailedStage.empty() ? "drawing or writing" : run.FailedStage.c_str());
    return false;
  }
  const RECT at = CodeRectOnPage(run);
  std::printf("invoice page: type %s, code placed at pixels %ld,%ld-%ld,%ld of %dx%d\n", run.Coder->DocId.GetText().c_str(),
              at.left, at.top, at.right, at.bottom, static_cast<int>(run.Coder->Header.szlDeviceCx),
              static_cast<int>(run.Coder->Header.szlDeviceCy));
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: code_demo <output directory>\n");
    return 2;
  }
  const std::string out = argv[1];
  std::ofstream log(out + "/coder.log", std::ios::binary);
  int failed = 0;
  for (const TE2EDocument& doc : E2EDocuments()) {
    TE2ERegistryRun run(HKEY_LOCAL_MACHINE, kConfigKey, doc);
    log << "== " << doc.DocId << ": " << doc.Name << "\n";
    for (const std::u16string& line : run.Log.Lines) log << WideToUtf8(line) << "\n";
    const TCoder& coder = *run.Coder;
    const bool ok = run.FailedStage.empty() && WriteFileBytes(out + "/" + doc.DocId + ".bmp", E2ECodeImage(coder)) &&
                    WriteFileBytes(out + "/" + doc.DocId + ".msg", coder.AztCoder->Data());
    if (!ok) {
      ++failed;
      std::printf("%s (%s): not coded, failed at %s\n", doc.DocId.c_str(), doc.Name,
                  run.FailedStage.empty() ? "writing the files" : run.FailedStage.c_str());
      continue;
    }
    log << "payload: " << WideToUtf8(coder.Payload) << "\n";
    std::printf("%s (%s): %zu payload characters, message of %zu bytes, code of %dx%d modules\n", doc.DocId.c_str(),
                doc.Name, coder.Payload.size(), coder.AztCoder->Data().size(), static_cast<int>(coder.PictureWidth),
                static_cast<int>(coder.PictureHeight));
  }
  if (!CodePage(out, log)) ++failed;
  return failed == 0 ? 0 : 1;
}
