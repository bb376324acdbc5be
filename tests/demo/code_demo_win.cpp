// The demo's coder (scripts/demo): the end-to-end documents coded from the demo configuration that
// client.exe /RegWin registered under HKEY_LOCAL_MACHINE (Config.reg and the DocTypes.reg it includes),
// through the same path as the Wine end-to-end test. For each document type it writes <DocId>.bmp (the
// code with a quiet zone) and <DocId>.msg (the bytes the code carries) to the output directory, and the
// coder's log to coder.log there.
// Usage: code_demo <output directory>
#include <cstdio>
#include <fstream>
#include <string>

#include "foundation/cl_tools_config.h"
#include "foundation/lib_codepage.h"
#include "support/code_image.h"
#include "support/e2e_win_fixtures.h"

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
  return failed == 0 ? 0 : 1;
}
