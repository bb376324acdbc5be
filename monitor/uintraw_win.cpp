#include "monitor/uintraw_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "coding/cl_macrolib_code_win.h"
#include "coding/cl_macrolib_context_win.h"
#include "foundation/cl_tools_app_win.h"
#include "foundation/cl_tools_cfgcheck_win.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_reader_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_log_win.h"
#include "foundation/lib_prn_printer_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"
#include "monitor/createcode.h"
#include "ui/ackdialogform_win.h"

namespace {
constexpr std::u16string_view kUnknownDocument = u"Неизвестный тип документа";
constexpr std::u16string_view kCodedDocument = u"Tevoran-Клиент: Документ";

class TFileOutput : public TDosOutput {
 public:
  explicit TFileOutput(HANDLE handle) : file_(handle) {}
  bool Write(std::string_view bytes) override {
    auto rest = std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    while (!rest.empty()) {
      const DWORD written = WriteToHandle(file_.Get(), rest);
      if (written == 0) return false;
      rest = rest.subspan(written);
    }
    return true;
  }

 private:
  TFileHandle file_;
};

class TWinDosSteps : public TDosJobSteps {
 public:
  TWinDosSteps(const _JOBINFO* jobInfo, std::u16string inputFile) : jobInfo_(jobInfo), input_(std::move(inputFile)) {}

  const TSettingsStore& Store() override { return MachineSettingsStore(); }
  bool CheckConfiguration() override { return ::CheckConfiguration(kProductDosDirs, false, true); }
  std::unique_ptr<TLogFile> OpenLog() override { return CreateLogFile(kConfigDosKey, false); }
  std::unique_ptr<TContext> OpenContext() override { return std::make_unique<TContext>(contextFile_, kDefaultSection); }

  std::u16string InputName() override { return input_; }
  int64_t InputSize() override { return GetFileSizeByName(input_); }
  bool MapInput(std::span<const uint8_t>& bytes) override {
    if (!mapped_.Open(input_, false)) return false;
    bytes = mapped_.Bytes();
    return true;
  }
  std::u16string MakeOutputName() override { return MakeTempFileName(); }
  std::unique_ptr<TDosOutput> OpenOutput(const std::u16string& name) override {
    HANDLE handle = nullptr;
    if (OpenFileForWriting(handle, name, false) != 0) return nullptr;
    return std::make_unique<TFileOutput>(handle);
  }
  void DeleteOutput(const std::u16string& name) override { DeleteFileW(WStr(name)); }

  void ShowRegistryError() override { ShowErrorMsgA(WideToAnsi(u"Ошибка чтения данных реестра!")); }
  void ShowFileOpenError(const std::u16string& name) override { ::ShowFileOpenError(name); }
  void ShowFileWriteError(const std::u16string& name) override { ::ShowFileWriteError(name); }

  std::string AskCopies(TRAWCoder& coder, TContext& context, TLogFile* log, const std::string& copies) override {
    std::string answer;
    ShowAckDialog(std::u16string(kConfigDosKey), coder.DocId, coder.DocType, GetProgramTitle(), copies, log,
                  coder.State, context, &coder, jobInfo_, answer);
    return answer;
  }
  std::unique_ptr<TRAWCoder> CreateCoder(const TDocIdClass& docId, TContext& context, const TDosPrinterState& state,
                                         TLogFile* log, std::u16string_view model) override {
    std::unique_ptr<TRAWCoder> coder = TDosJobSteps::CreateCoder(docId, context, state, log, model);
    coder->CodeServices = &services_;
    return coder;
  }

 private:
  const _JOBINFO* jobInfo_;
  std::u16string input_;
  TMappedFile mapped_;
  TContextFile contextFile_;
  TWinCodeServices services_;
};

// The caller's run over a file: its output, its code place, no copies dialog.
class TWinFileDosSteps : public TWinDosSteps {
 public:
  TWinFileDosSteps(std::u16string inputFile, std::u16string outputFile, int32_t placeOverride)
      : TWinDosSteps(nullptr, std::move(inputFile)), output_(std::move(outputFile)) {
    PlaceOverride = placeOverride;
  }
  std::u16string MakeOutputName() override { return output_; }
  void ShowRegistryError() override { ShowErrorMsg(u"Ошибка чтения реестра!"); }

 private:
  std::u16string output_;
};

void LogLine(TClientApplication& app, std::u16string_view text) {
  if (app.Context.Log) app.Context.Log->AddWide(u"--> ProcessDosFile: " + std::u16string(text));
}

// Codes the file and sends what the status says to print; true when that was sent, or nothing was to be.
bool CodeAndSend(TClientApplication& app, const std::u16string& fileName, uint8_t kind, const _JOBINFO* jobInfo,
                 uint32_t jobRecordNo) {
  TDosCodeResultRec rec{};
  const uint8_t status = EncodeDosJob(jobRecordNo, jobInfo, fileName.c_str(), rec);
  if (status == kDosJobCancelled) return true;
  std::u16string printer;
  std::u16string fallback;
  if (app.Printers) {
    app.Printers->GetPrintTo(u"", printer, kind);
    app.Printers->GetDefaultPrintTo(fallback);
  }
  bool sent = false;
  std::u16string sentFile = fileName;
  if (status == kDosJobCoded) {
    sentFile = RecordFileName(rec);
    sent = PrintFileRaw(fallback, sentFile, printer, false, std::u16string(kCodedDocument));
    // The coded output is the job's only for this send: kept, it would pile up in the temp directory.
    DeleteFileW(WStr(sentFile));
  } else {
    sent = PrintFileRaw(fallback, fileName, printer, false, GetProgramTitle() + u": " + std::u16string(kUnknownDocument));
  }
  if (!sent) LogLine(app, u"Ошибка печати файла: \"" + sentFile + u"\", принтер: \"" + printer + u"\"");
  return sent;
}

void DeleteInput(const std::u16string& fileName) {
  if (!DeleteFileW(WStr(fileName))) ShowErrorMsg(QuotedNameText(u"Невозможно удалить файл: ", fileName));
}
}  // namespace

uint8_t EncodeDosJob(uint32_t jobRecordNo, const _JOBINFO* jobInfo, const char16_t* inputFile, TDosCodeResultRec& rec) {
  const std::lock_guard lock(CodingLock());
  TWinDosSteps steps(jobInfo, inputFile ? std::u16string(inputFile) : std::u16string());
  return EncodeDosJob(steps, jobRecordNo, rec);
}

bool ProcessFileDos(const std::u16string& inputFile, const std::u16string& outputFile, const TDosFileRequest& request,
                    const std::u16string& model, int32_t placeOverride) {
  if (!FilePresent(inputFile)) {
    ShowFileNotFound(inputFile);
    return false;
  }
  const std::lock_guard lock(CodingLock());
  TWinFileDosSteps steps(inputFile, outputFile, placeOverride);
  return ProcessFileDos(steps, request, model);
}

bool ProcessDosFile(TClientApplication& app, const std::u16string& fileName, bool keepReadOnly, uint8_t kind,
                    const _JOBINFO* jobInfo, uint32_t jobRecordNo) {
  if (!CodeAndSend(app, fileName, kind, jobInfo, jobRecordNo)) return false;
  if (!keepReadOnly) {
    DeleteInput(fileName);
  } else if (!SetFileReadOnly(fileName, true)) {
    ShowErrorMsg(QuotedNameText(u"Невозможно изменить атрибуты файла: ", fileName));
  }
  return true;
}

bool CopyAndProcessDosFile(TClientApplication& app, const std::u16string& fileName, const std::u16string& archiveDir,
                           uint8_t kind, const _JOBINFO* jobInfo, uint32_t jobRecordNo) {
  if (!DirPresent(archiveDir)) {
    ShowErrorMsg(QuotedNameText(u"Каталог не найден: ", archiveDir));
    return false;
  }
  const std::u16string target = IncludeTrailingPathDelimiterW(archiveDir) + ExtractFileNameW(fileName);
  if (!CopyFileReplace(fileName, target)) {
    ShowErrorMsg(QuotedNameText(u"Ошибка копирования файла: ", target));
    return false;
  }
  if (!CodeAndSend(app, fileName, kind, jobInfo, jobRecordNo)) return false;
  DeleteInput(fileName);
  return true;
}
