// Fuzzes what the copies dialog reads from outside: a job's device settings (from the spool) and the
// answer stored in the context file, through the texts and the answer it builds from them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "ui/ackdialogform.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool nt = data[0] & 1;
  TMemoryStore store;
  store.SetInteger(u"Config\\SF01", u"SavePgDlg", 1);
  TMemoryContextHost host;
  host.Values[{u"P", u"SF01"}] = FuzzUtf16(data + 1, size - 1);
  TContext context(host, u"P");
  _JOBINFO job;
  job.DevMode.assign(data + 1, data + size);
  TAckRequest request;
  request.ConfigKey = u"Config";
  request.DocId = TDocIdClass::CreateFromText("SF01");
  request.Context = &context;
  request.JobInfo = &job;
  request.NTFamily = nt;
  TAckPresenter presenter(store, request);
  const std::u16string info = presenter.InfoText();
  Check(info.size() >= 2 && info.substr(info.size() - 2) == u"\r\n");
  const TAckValues shown = presenter.StartValues();
  const std::string answer = BuildAnswer(shown);
  Check(answer.size() <= 64 && answer.find_first_not_of("CN") == std::string::npos);
  const TAckValues normal = NormalizeAnswer(shown);
  Check(NormalizeAnswer(normal) == normal);
  Check(BuildAnswer(normal) == answer);
  presenter.OkClick(shown, {});
  Check(presenter.Finish().Answer == answer);
  return 0;
}
