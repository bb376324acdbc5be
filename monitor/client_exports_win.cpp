// The exports' bodies: nothing escapes them (their failure value instead). The batch DOS run calls the
// exports through the program's own file, as an outside caller would.
#include "monitor/client_exports_win.h"

#include <cstring>
#include <span>
#include <vector>

#include "foundation/cl_tools_app_win.h"
#include "foundation/cl_tools_cfgkey_win.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_pages.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_log_win.h"
#include "foundation/lib_prn_journal_win.h"
#include "foundation/lib_prn_printer_win.h"
#include "foundation/lib_prn_printers.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_security_win.h"
#include "foundation/lib_str_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "monitor/cl_monitor_setup_win.h"
#include "monitor/client_dispatch_win.h"
#include "monitor/createcode_win.h"
#include "monitor/uintraw_win.h"
#include "ui/support_win.h"

namespace {

constexpr std::u16string_view kBatchDocument = u"Tevoran-Клиент: Документ";

class TMetafileOwner {
 public:
  explicit TMetafileOwner(HENHMETAFILE page) : page_(page) {}
  ~TMetafileOwner() {
    if (page_) DeleteEnhMetaFile(page_);
  }
  TMetafileOwner(const TMetafileOwner&) = delete;
  TMetafileOwner& operator=(const TMetafileOwner&) = delete;
  HENHMETAFILE& Get() { return page_; }

 private:
  HENHMETAFILE page_;
};

std::u16string FromCaller(const wchar_t* text) { return text ? FromWStr(text) : std::u16string(); }

bool SendRaw(TClientApplication& app, const std::u16string& file, const std::u16string& printer) {
  std::u16string fallback;
  if (app.Printers) app.Printers->GetDefaultPrintTo(fallback);
  return PrintFileRaw(fallback, file, printer, false, std::u16string(kBatchDocument));
}

// True when the run delivered something (an output file or a printed job).
bool RunWithFileCopies(TClientApplication& app, const TDosBatchOptions& o) {
  const bool temporary = o.Output.empty();
  const std::u16string output = temporary ? MakeTempFileName() : o.Output;
  const bool coded = CallProcessFileDos(o.Input, output, DosBatchCopies(o), o.Model, o.Forming ? 1 : 0,
                                        o.Count > 0 ? 1 : 0, DosBatchCodePlace(o)) != 0;
  bool delivered = coded && !temporary;
  if (coded && !o.Printer.empty()) delivered = SendRaw(app, output, o.Printer) || delivered;
  if (temporary) DeleteFileIfExists(output);
  return delivered;
}

bool RunWithDocumentTypes(TClientApplication& app, const TDosBatchOptions& o) {
  _JOBINFO job = LocalJobInfo(kBatchDocument, o.Printer);
  uint32_t recordNo = 0;
  if (app.JournalEnabled && app.PrintJournal) recordNo = app.PrintJournal->AppendJob(job);
  TDosCodeResultRec result{};
  const uint8_t status = CallCreateCodeDos(o.Input, o.Model, static_cast<int32_t>(recordNo), result, &job);
  const std::u16string coded = status == kDosJobCoded ? RecordFileName(result) : std::u16string();
  const bool printAsIs = status == kDosJobProgramError || status == kDosJobPrintAsIs;
  const std::u16string source = printAsIs ? o.Input : coded;
  bool delivered = false;
  if (!o.Output.empty() && !source.empty()) {
    if (CopyFileReplace(source, o.Output)) {
      delivered = true;
    } else {
      ShowFileWriteError(o.Output);
    }
  }
  if (!o.Printer.empty() && !source.empty()) delivered = SendRaw(app, source, o.Printer) || delivered;
  if (!coded.empty()) DeleteFileIfExists(coded);
  return delivered;
}

}  // namespace

extern "C" {

uint8_t __stdcall CreateCodeWin(int32_t jobRecordNo, HENHMETAFILE page, int32_t pageNo, HDC dc, const _JOBINFO* jobInfo,
                                const wchar_t* printerName, DEVMODEW* devMode, TCodeResultRec* result) {
  try {
    if (!page || !result) return kPagePrintAsIs;
    InitPrinterEnvironment();
    SetProgramTitle(kProgramTitle);
    // The coding may replace the page it gets by a re-recorded one and delete the old: never the caller's.
    TMetafileOwner copy(CopyEnhMetaFileW(page, nullptr));
    if (!copy.Get()) return kPagePrintAsIs;
    HDC ownDc = dc;
    return CreateCodeFunc(static_cast<uint32_t>(jobRecordNo), copy.Get(), pageNo, ownDc, jobInfo, printerName, devMode,
                          *result);
  } catch (...) {
    return kPagePrintAsIs;
  }
}

uint8_t __stdcall CreateCodeDos(int32_t jobRecordNo, const _JOBINFO* jobInfo, const wchar_t* inputFile,
                                TDosCodeResultRec* result) {
  try {
    if (!inputFile || !result) return kDosJobProgramError;
    SetProgramTitle(kProgramTitleDos);
    return EncodeDosJob(static_cast<uint32_t>(jobRecordNo), jobInfo, reinterpret_cast<const char16_t*>(inputFile),
                        *result);
  } catch (...) {
    return kDosJobProgramError;
  }
}

uint8_t __stdcall ProcessFileDos(const wchar_t* inputFile, const wchar_t* outputFile, const char* copies,
                                 const wchar_t* printerModel, uint8_t forming, uint8_t cycling, int32_t codePlace) {
  try {
    SetProgramTitle(kProgramTitleDos);
    if (!copies) {
      ShowWarningMsg(u"Не определено количество копий.");
      return 0;
    }
    if (!inputFile || !outputFile) return 0;
    TDosFileRequest request;
    // The letters are read up to a bound: a caller's unterminated text must not run the read away.
    request.Copies.assign(copies, strnlen(copies, static_cast<size_t>(kMaxPageMaskLength) + 1));
    request.Forming = forming != 0;
    request.Cycling = cycling != 0;
    return ProcessFileDos(FromWStr(inputFile), FromWStr(outputFile), request, FromCaller(printerModel), codePlace) ? 1
                                                                                                                  : 0;
  } catch (...) {
    return 0;
  }
}

void __stdcall Support() {
  try {
    RunSupport();
  } catch (...) {
  }
}

}  // extern "C"

void RunDosBatch(TClientApplication& app, const TDosBatchOptions& options) {
  if (!FilePresent(options.Input)) {
    ShowFileNotFound(options.Input);
    return;
  }
  const bool delivered =
      UsesFileCopies(options) ? RunWithFileCopies(app, options) : RunWithDocumentTypes(app, options);
  // Deleted only once something came of it: a failed run would take the user's only copy.
  if (options.DeleteInput && delivered) DeleteFileIfExists(options.Input);
}

bool ProcessDosCommandLine(TClientApplication& app) {
  const std::vector<std::u16string> all = ProgramArguments();
  const std::span<const std::u16string> args = all.empty() ? std::span<const std::u16string>()
                                                           : std::span<const std::u16string>(all).subspan(1);
  const std::optional<TDosBatchOptions> options = ParseDosBatchArgs(args);
  if (!options) return false;
  RunDosBatch(app, *options);
  return true;
}

void RunSupport() {
  TAppInUse app;
  EnsureSpoolerRunning();
  OpenFirstSpoolDirToEveryone(*app);
  OpenRegistryTreeToEveryone(HKEY_LOCAL_MACHINE, u"Software\\Kavrel");
  const std::unique_ptr<TLogFile> log = CreateApplicationLog(kConfigKey, false);
  log->ReportStarted(false);
  log->Add("Starting Support Report Generation");
  if (const HWND open = FindWindowW(WStr(std::u16string(kSupportClass)), WStr(std::u16string(kSupportCaption)))) {
    if (IsIconic(open)) ShowWindow(open, SW_RESTORE);
    SetForegroundWindow(open);
  } else {
    ShowSupportReport(log.get(), app->ComponentMask);
  }
  log->ReportClosed(false, false);
  log->Close();
}
