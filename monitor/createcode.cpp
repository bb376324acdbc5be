#include "monitor/createcode.h"

#include <algorithm>
#include <cstring>

#include "coding/cl_macrolib_docparam.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_pages.h"
#include "foundation/lib_api.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"
#include "ui/ackdialogform.h"

namespace {
constexpr std::u16string_view kLogPrefix = u"CreateCodeFunc --> ";

void LogLine(TLogFile* log, std::u16string_view text) {
  if (log) log->AddWide(std::u16string(kLogPrefix) + std::u16string(text));
}

std::u16string Number(int32_t value) { return Utf8ToWide(std::to_string(value)); }


// The prefix names the job only while this page is coded, whichever way the coding ends.
class TPrefixScope {
 public:
  TPrefixScope() = default;
  ~TPrefixScope() { SetMessagePrefix({}); }
  TPrefixScope(const TPrefixScope&) = delete;
  TPrefixScope& operator=(const TPrefixScope&) = delete;
};

struct TPageRun {
  TPageCodingSteps& Steps;
  const TPageJob& Job;
  TContext& Context;
  TLogFile* Log;
  bool Console;
};

// The copies answer for the recognised page, from the dialog, the first page's answer, or as configured.
std::string CopiesOf(const TPageRun& run, TEMFCoder& coder) {
  std::string copies = coder.Pages;
  LogLine(run.Log, u"Стр.: " + Number(run.Job.PageNo) + u", копии: " + Quoted(run.Steps.FromAnsi(copies)) +
                       u", диалог: " + (coder.AckPages != 0 ? u"\"Y\"" : u"\"N\""));
  if (coder.AckPages == 0) return copies;
  if (run.Job.PageNo != 1) {
    std::string stored;
    GetStoredAckData(copies, run.Context, stored);
    return stored;
  }
  if (run.Console) {
    // Nobody sits at the console of a terminal server to answer; the administrator learns from the log.
    LogLine(run.Log, u"Диалог на консоли Терминал-сервера, вывод сообщения в EventLog");
    ReportMessageEvent(run.Steps.FromAnsi(GetMessagePrefix()) + std::u16string(kConsoleDialogText), kMbIconWarning);
    return copies;
  }
  return run.Steps.AskCopies(coder, run.Context, run.Log, copies);
}

// The code picture of a recognised page into the record: 3, or 2 with the record left zero.
uint8_t ExportCode(const TPageRun& run, TEMFCoder& coder, const std::string& copies, TSize sizeMm,
                   TCodeResultRec& rec) {
  const std::u16string name = run.Steps.MakeTempName();
  if (name.empty()) return kPageCancelJob;
  TCodeResultRec filled{};
  const bool ok = SetCodeFileName(filled, name) && run.Steps.MakeCode(coder) && run.Steps.ExportCode(coder, name);
  if (!ok) {
    run.Steps.DeleteTempFile(name);
    return kPageCancelJob;
  }
  filled.FileType = (coder.Settings.FileType.X & 0xFFFF) == 0 ? 0 : 1;
  std::memcpy(filled.Pages, copies.data(), std::min(copies.size(), kCodePagesLetters));
  const TPoint place = coder.CalcCodePlace(sizeMm);
  filled.X = place.X;
  filled.Y = place.Y;
  filled.LogoText = coder.Settings.LogoText;
  rec = filled;
  return kPageCoded;
}

uint8_t CodeRecognised(const TPageRun& run, TEMFCoder& coder, TCodeResultRec& rec) {
  if (coder.BlankMode == 2 || coder.BlankMode == 3) {
    LogLine(run.Log, u"Работа с бланком, выход");
    return kPageCancelJob;
  }
  std::string copies = CopiesOf(run, coder);
  // The record holds 64 letters; a longer configured string would not end in its terminator.
  if (copies.size() > kCodePagesLetters) copies.resize(kCodePagesLetters);
  LogLine(run.Log, u"Копии: " + Quoted(run.Steps.FromAnsi(copies)));
  if (copies.empty()) {
    LogLine(run.Log, u"Нечего печатать, выход");
    return kPageCancelJob;
  }
  if (coder.State == 2) {
    copies.assign(copies.size(), 'N');
    LogLine(run.Log, u"Код не наносится, фильтр!");
  }
  if (run.Steps.MatchOrientation(coder) && run.Log) run.Log->AddWide(u"ReDrawEmf --> Changing orientation");
  const TSize sizeMm = run.Steps.PageSizeMm();
  if (coder.Settings.ReDrawEMF != 0) run.Steps.Redraw(coder, run.Log);
  return ExportCode(run, coder, copies, sizeMm, rec);
}

uint8_t CodeOpenedPage(const TPageRun& run, TCodeResultRec& rec) {
  const std::u16string page = Number(run.Job.PageNo);
  if (run.Job.PageNo > 1 && !run.Context.HasContext() && GetAllPages(run.Steps.Store(), kConfigKey) == 0) {
    LogLine(run.Log, u"Стр.: " + page + u", выход");
    return kPagePrintAsIs;
  }
  LogLine(run.Log, u"Стр.: " + page);
  const std::unique_ptr<TEMFCoder> coder = run.Steps.Decode(run.Context, run.Log);
  if (!coder) return kPagePrintAsIs;
  return CodeRecognised(run, *coder, rec);
}
}  // namespace

bool SetCodeFileName(TCodeResultRec& rec, std::u16string_view name) {
  if (name.size() >= kCodeFileNameUnits) return false;
  std::fill(std::begin(rec.FileName), std::end(rec.FileName), u'\0');
  std::copy(name.begin(), name.end(), rec.FileName);
  return true;
}

std::mutex& CodingLock() {
  static std::mutex lock;
  return lock;
}

uint8_t CodePage(TPageCodingSteps& steps, const TPageJob& job, TCodeResultRec& rec) {
  std::memset(&rec, 0, sizeof rec);
  const TPrefixScope prefix;
  const bool tserver = GetTServer(steps.Store(), steps.TerminalServer());
  if (tserver && !job.DocName.empty()) SetMessagePrefix(steps.ToAnsi(u"Задание печати: " + Quoted(job.DocName) + u"."));
  if (!steps.CheckConfiguration()) return kPagePrintAsIs;
  const bool console = tserver && !steps.RemoteSession();
  const std::unique_ptr<TContext> context = steps.OpenContext(job.PrinterName);
  context->SetPage(job.PageNo);
  const std::unique_ptr<TLogFile> log = steps.OpenLog();
  LogLine(log.get(), u"Принтер: " + Quoted(job.PrinterName) + u", задание: " + Quoted(job.DocName));
  const uint8_t status = CodeOpenedPage(TPageRun{steps, job, *context, log.get(), console}, rec);
  LogLine(log.get(), u"Код возврата: " + Quoted(PageStatusText(status)));
  if (log) log->Close();
  return status;
}
