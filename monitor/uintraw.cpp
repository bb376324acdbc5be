#include "monitor/uintraw.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "coding/cl_macrolib_docparam.h"
#include "foundation/cl_tools_app.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_pages.h"
#include "foundation/lib_api.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"
#include "ui/ackdialogform.h"

namespace {
constexpr std::u16string_view kLogPrefix = u"EncodeDosJob --> ";
constexpr std::string_view kPrintServerType = "@@";
constexpr std::string_view kFormFeedCR = "\x0C\x0D";
constexpr std::string_view kCR = "\x0D";

std::u16string YesNo(bool flag) { return flag ? u"\"Y\"" : u"\"N\""; }

char UpCaseAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view Slice(std::span<const uint8_t> bytes, size_t from, size_t to) {
  to = std::min(to, bytes.size());
  from = std::min(from, to);
  return {reinterpret_cast<const char*>(bytes.data()) + from, to - from};
}

bool FillRecord(TDosCodeResultRec& rec, std::u16string_view outputName) {
  if (outputName.size() >= kDosOutputFileUnits) return false;
  char16_t units[kDosOutputFileUnits] = {};
  std::copy(outputName.begin(), outputName.end(), units);
  std::memset(&rec, 0, sizeof rec);
  std::memcpy(reinterpret_cast<uint8_t*>(&rec) + offsetof(TDosCodeResultRec, OutputFile), units, sizeof units);
  rec.Copies[0] = 'C';
  return true;
}

// The program title names the DOS coding while the job runs, whichever way it ends.
class TTitleScope {
 public:
  TTitleScope() : saved_(GetProgramTitle()) { SetProgramTitle(kProgramTitleDos); }
  ~TTitleScope() { SetProgramTitle(saved_); }
  TTitleScope(const TTitleScope&) = delete;
  TTitleScope& operator=(const TTitleScope&) = delete;

 private:
  std::u16string saved_;
};

// Where a parse of the document left the cursor, and what it leaves to the next document.
struct TParseEnd {
  size_t Position = 0;
  TDosPrinterState State;
  bool PageEnded = true;
};

// The settings one job reads once.
struct TDosJobSettings {
  std::string Order;
  bool PrintServer = false;
  bool CRAfterFF = true;
  bool CreateCopies = true;
  bool AllPages = false;
};

class TDosJobRun {
 public:
  // file: the caller's copies instead of the types' and the copies dialog (the export's run over a file).
  TDosJobRun(TDosJobSteps& steps, uint32_t jobRecordNo, const TDosJobSettings& settings, std::u16string model,
             TLogFile* log, const TDosFileRequest* file = nullptr)
      : steps_(steps), jobRecordNo_(jobRecordNo), settings_(settings), model_(std::move(model)), log_(log),
        file_(file) {}

  // From the input's size to the end of the document loop: the status, and the output's name in
  // outputName when one was made.
  uint8_t Run(std::u16string& outputName);
  std::unique_ptr<TContext> Context;
  std::unique_ptr<TDosOutput> Output;
  std::unique_ptr<TRAWCoder> Coder;
  // Every copy's letter, in the order written.
  std::string Written;

 private:
  void LogLine(std::u16string_view text) const {
    if (log_) log_->AddWide(std::u16string(kLogPrefix) + std::u16string(text));
  }
  bool OpenFiles(std::u16string& outputName);
  void LogFileDocument() const {
    LogLine(u"Стр.: " + Utf8ToWide(IntToText(documents_)) + u", копии: " + Quoted(steps_.Store().FromAnsi(file_->Copies)) +
            u", формирование: " + YesNo(file_->Forming) + u", наборы: " + YesNo(file_->Cycling));
  }
  void DocumentLoop(const std::u16string& outputName);
  bool ParseWith(TRAWCoder& coder, TParseEnd& end);
  bool Accepts(TRAWCoder& coder);
  void KeptCoderPass(TParseEnd& end, TParseEnd& furthest);
  bool NewCoderPass(size_t start, TParseEnd& end, TParseEnd& furthest);
  bool PrintServerPass(size_t start, TParseEnd& end, TParseEnd& furthest);
  std::unique_ptr<TRAWCoder> MakeCoder(const TDocIdClass& docId);
  bool CopiesOf(std::string& copies);
  bool WriteDocument(const std::u16string& outputName, size_t start, bool pageEnded);
  bool WritePlain(const std::u16string& outputName, size_t from, size_t to);
  bool WriteCopies(const std::u16string& outputName, const std::string& copies, std::string_view commands,
                   size_t start, bool pageEnded);
  bool WriteUnrecognised(const std::u16string& outputName, size_t start, bool pageEnded);
  bool WriteBlankTail(const std::u16string& outputName);
  void WriteFailed(const std::u16string& outputName);

  TDosJobSteps& steps_;
  uint32_t jobRecordNo_;
  const TDosJobSettings& settings_;
  std::u16string model_;
  TLogFile* log_;
  const TDosFileRequest* file_;
  TByteReader reader_;
  TDosPrinterState state_;
  TDocIdClass failed_;
  TDocIdClass lastDialog_;
  int32_t documents_ = 0;
  int32_t errors_ = 0;
  uint8_t status_ = kDosJobProgramError;
  bool endCall_ = false;  // the loop and the call end with the status as it stands
};

bool TDosJobRun::OpenFiles(std::u16string& outputName) {
  status_ = kDosJobProgramError;
  if (!ReadDosDefaults(steps_.Store(), state_)) {
    LogLine(u"Ошибка чтения установок принтера.");
    steps_.ShowRegistryError();
    return false;
  }
  std::span<const uint8_t> bytes;
  if (!steps_.MapInput(bytes)) {
    LogLine(u"File Open Error: " + Quoted(steps_.InputName()));
    steps_.ShowFileOpenError(steps_.InputName());
    return false;
  }
  reader_.Assign(bytes);
  outputName = steps_.MakeOutputName();
  if (!outputName.empty()) Output = steps_.OpenOutput(outputName);
  if (!Output) {
    LogLine(u"File Write Error: " + Quoted(outputName));
    steps_.ShowFileWriteError(outputName);
    return false;
  }
  LogLine(u"Создан файл: " + Quoted(outputName));
  return true;
}

uint8_t TDosJobRun::Run(std::u16string& outputName) {
  status_ = kDosJobCancelled;
  const int64_t size = steps_.InputSize();
  if (size == 0) {
    LogLine(u"Нулевая длина файла: " + Quoted(steps_.InputName()));
    return status_;
  }
  if (!OpenFiles(outputName)) return status_;
  Context = steps_.OpenContext();
  try {
    DocumentLoop(outputName);
  } catch (const std::exception&) {
    // Whatever the coder could not survive, the input still prints as it came.
    status_ = kDosJobProgramError;
  }
  return status_;
}

bool TDosJobRun::ParseWith(TRAWCoder& coder, TParseEnd& end) {
  bool pageEnded = true;
  TDosPrinterState after = state_;
  const bool parsed = steps_.ParsePage(coder, reader_, pageEnded, errors_, after);
  end = TParseEnd{reader_.Position(), after, pageEnded};
  return parsed;
}

// The print server's type takes a document by its payload from the job record, any other by recognition.
bool TDosJobRun::Accepts(TRAWCoder& coder) {
  if (!(settings_.PrintServer && coder.DocId.SameAsText(kPrintServerType))) return steps_.Recognize(coder);
  if (steps_.ProcessDocData(coder, jobRecordNo_)) return true;
  LogLine(u"Print Server Monitor Encode Failed!");
  return false;
}

std::unique_ptr<TRAWCoder> TDosJobRun::MakeCoder(const TDocIdClass& docId) {
  std::unique_ptr<TRAWCoder> coder = steps_.CreateCoder(docId, *Context, state_, log_, model_);
  if (coder && steps_.LoadParam(*coder)) return coder;
  status_ = kDosJobProgramError;
  endCall_ = true;
  return nullptr;
}

void TDosJobRun::KeptCoderPass(TParseEnd& end, TParseEnd& furthest) {
  Coder->Reinit();
  const bool parsed = ParseWith(*Coder, end);
  furthest = end;
  if (parsed && settings_.PrintServer && Coder->DocId.SameAsText(kPrintServerType))
    LogLine(u"Print Server Monitor Encode Started");
  if (parsed && Accepts(*Coder)) return;
  failed_ = Coder->DocId;
  Coder.reset();
}

bool TDosJobRun::PrintServerPass(size_t start, TParseEnd& end, TParseEnd& furthest) {
  LogLine(u"Print Server Monitor Encode Started");
  reader_.Seek(static_cast<int64_t>(start));
  std::unique_ptr<TRAWCoder> coder = MakeCoder(TDocIdClass::CreateFromText(kPrintServerType));
  if (!coder) return false;
  const bool parsed = ParseWith(*coder, end);
  if (end.Position > furthest.Position) furthest = end;
  if (!parsed) {
    LogLine(u"Print Server Monitor Encode Failed!");
    return false;
  }
  if (!Accepts(*coder)) return false;
  Coder = std::move(coder);
  return true;
}

// The types of the order in turn from the document's start, the one that failed on it skipped.
bool TDosJobRun::NewCoderPass(size_t start, TParseEnd& end, TParseEnd& furthest) {
  if (settings_.PrintServer) return PrintServerPass(start, end, furthest);
  status_ = kDosJobCoded;
  std::string_view order = settings_.Order;
  for (;;) {
    const TDocIdClass id = TDocIdClass::CreateFromText(ExtractToken(order, ','));
    if (id.IsEmpty()) return false;
    // Without the print server "@@" names no type of this side.
    if (id.SameAs(failed_) || id.SameAsText(kPrintServerType)) continue;
    reader_.Seek(static_cast<int64_t>(start));
    std::unique_ptr<TRAWCoder> coder = MakeCoder(id);
    if (!coder) return false;
    const bool parsed = ParseWith(*coder, end);
    if (end.Position > furthest.Position) furthest = end;
    if (parsed && steps_.Recognize(*coder)) {
      Coder = std::move(coder);
      return true;
    }
  }
}

// The copies of the recognised document; false ends the loop (status as set).
bool TDosJobRun::CopiesOf(std::string& copies) {
  TRAWCoder& coder = *Coder;
  if (file_) {
    LogFileDocument();
    copies = FileDosCopies(*file_, true, documents_);
    return true;
  }
  status_ = kDosJobPrintAsIs;
  LogLine(u"Стр.: " + Utf8ToWide(IntToText(documents_)) + u", копии: " + Quoted(steps_.Store().FromAnsi(coder.Pages)) +
          u", диалог: " + YesNo(coder.AckPages != 0) + u", формирование: " + YesNo(settings_.CreateCopies) +
          u", наборы: " + YesNo(settings_.AllPages));
  if (settings_.CreateCopies) {
    copies = coder.Pages;
    if (coder.AckPages != 0) {
      if (!lastDialog_.IsEmpty() && coder.DocId.SameAs(lastDialog_))
        copies = steps_.StoredCopies(copies, *Context);
      else
        copies = steps_.AskCopies(coder, *Context, log_, copies);
      lastDialog_ = coder.DocId;
      status_ = kDosJobCancelled;
    }
    // A copies string longer than any the dialog gives is a store's error, not a thousand copies.
    if (copies.size() > static_cast<size_t>(kMaxPageMaskLength)) copies.resize(kMaxPageMaskLength);
    LogLine(u"Копии: " + Quoted(steps_.Store().FromAnsi(copies)));
    if (!copies.empty()) return true;
    LogLine(u"Нечего печатать, выход");
    return false;
  }
  LogLine(u"Разбор задания печати...");
  const std::string& set = coder.Pages;
  if (set.empty()) {
    LogLine(u"Нечего печатать, выход");
    return false;
  }
  const auto n = static_cast<size_t>(documents_);
  char letter = 'N';
  if (n <= set.size())
    letter = set[n - 1];
  else if (settings_.AllPages)
    letter = set[(n - 1) % set.size()];
  copies.assign(1, letter);
  LogLine(u"Экземпляр: " + Quoted(steps_.Store().FromAnsi(copies)));
  return true;
}

void TDosJobRun::WriteFailed(const std::u16string& outputName) {
  // The input prints unchanged: a job dropped unseen would be lost.
  status_ = kDosJobProgramError;
  LogLine(u"Ошибка записи в файл: " + Quoted(outputName));
  steps_.ShowFileWriteError(outputName);
}

bool TDosJobRun::WritePlain(const std::u16string& outputName, size_t from, size_t to) {
  if (Output->Write(Slice(reader_.Bytes(), from, to))) return true;
  WriteFailed(outputName);
  return false;
}

// The code and the copies of the recognised document; false ends the loop.
bool TDosJobRun::WriteDocument(const std::u16string& outputName, size_t start, bool pageEnded) {
  TRAWCoder& coder = *Coder;
  std::string copies;
  if (!CopiesOf(copies)) return false;
  status_ = kDosJobProgramError;
  std::string commands;
  if (coder.State != 2 && copies.find('C') != std::string::npos) {
    if (!steps_.MakeCode(coder) || !steps_.MakeCodeCommands(coder, commands) || commands.empty()) {
      endCall_ = true;
      return false;
    }
  }
  status_ = kDosJobCoded;
  LogLine(u"Формирование страниц: " + Quoted(steps_.Store().FromAnsi(copies)));
  if (coder.State == 2) LogLine(u"Код не наносится, фильтр!");
  return WriteCopies(outputName, copies, commands, start, pageEnded);
}

bool TDosJobRun::WriteCopies(const std::u16string& outputName, const std::string& copies, std::string_view commands,
                             size_t start, bool pageEnded) {
  for (size_t copy = 1; copy <= copies.size(); ++copy) {
    if (!WriteDosCopy(Coder.get(), *Output, reader_, commands, copies, pageEnded, settings_.CRAfterFF, copy, start)) {
      WriteFailed(outputName);
      return false;
    }
    Written += copies[copy - 1];
  }
  return true;
}

// The caller's run writes an unrecognised document as plain copies, as many as a recognised one gets.
bool TDosJobRun::WriteUnrecognised(const std::u16string& outputName, size_t start, bool pageEnded) {
  LogFileDocument();
  LogLine(u"Документ не распознан");
  status_ = kDosJobCoded;
  return WriteCopies(outputName, FileDosCopies(*file_, false, documents_), {}, start, pageEnded);
}

// A tail of resets and line ends written once per copy would print blank sheets.
bool TDosJobRun::WriteBlankTail(const std::u16string& outputName) {
  const size_t from = reader_.Position();
  if (from == 0 || !IsBlankTail(Slice(reader_.Bytes(), from, reader_.Size()))) return false;
  WritePlain(outputName, from, reader_.Size());
  return true;
}

void TDosJobRun::DocumentLoop(const std::u16string& outputName) {
  for (int32_t pass = 0; !reader_.Eof(); ++pass) {
    if (pass > 0) Context->Commit();
    Context->SetPage(documents_ + 1);
    if (file_ && WriteBlankTail(outputName)) return;
    const size_t start = reader_.Position();
    failed_.Clear();
    TParseEnd end{start, state_, true};
    TParseEnd furthest = end;
    if (Coder) KeptCoderPass(end, furthest);
    if (!Coder && !NewCoderPass(start, end, furthest) && endCall_) return;
    if (!Coder) {
      if (start == 0 && !file_) {
        status_ = kDosJobPrintAsIs;
        LogLine(u"Документ не распознан");
        return;
      }
      // With its type skipped, the kept coder's parse may be the only one that read the document.
      if (end.Position <= start) end = furthest;
    }
    if (end.Position <= start) {
      // Nothing read the document: the rest goes out as it came, and the loop cannot spin.
      WritePlain(outputName, start, reader_.Size());
      return;
    }
    reader_.Seek(static_cast<int64_t>(end.Position));
    state_ = end.State;
    if (!Coder && file_) {
      ++documents_;
      if (!WriteUnrecognised(outputName, start, end.PageEnded)) return;
      continue;
    }
    if (!Coder) {
      if (!WritePlain(outputName, start, end.Position)) return;
      continue;
    }
    ++documents_;
    if (!WriteDocument(outputName, start, end.PageEnded)) return;
  }
}

TDosJobSettings ReadSettings(const TSettingsStore& store) {
  TDosJobSettings s;
  s.CRAfterFF = GetCRAfterFF(store, kConfigDosKey) != 0;
  s.Order = GetDocOrder(store, kConfigDosKey);
  s.PrintServer = IsJournalEnabled(GetPrnMonServEnable(store), {}, s.Order);
  s.CreateCopies = GetCreateCopies(store, kConfigDosKey) != 0;
  s.AllPages = !s.CreateCopies && GetAllPages(store, kConfigDosKey) != 0;
  return s;
}
}  // namespace

std::u16string RecordFileName(const TDosCodeResultRec& rec) {
  // The record comes from outside and is packed: its units are copied out, not read in place.
  char16_t units[kDosOutputFileUnits];
  std::memcpy(units, reinterpret_cast<const uint8_t*>(&rec) + offsetof(TDosCodeResultRec, OutputFile), sizeof units);
  // A caller's name without its terminator is read up to the 260 characters a name may have.
  char16_t* last = units + kDosOutputFileUnits - 1;
  return std::u16string(units, std::find(+units, last, u'\0'));
}

std::string TDosJobSteps::StoredCopies(const std::string& copies, TContext& context) {
  std::string answer;
  GetStoredAckData(copies, context, answer);
  return answer;
}

std::unique_ptr<TRAWCoder> TDosJobSteps::CreateCoder(const TDocIdClass& docId, TContext& context,
                                                     const TDosPrinterState& state, TLogFile* log,
                                                     std::u16string_view model) {
  return TCoder::Create<TRAWCoder>(Store(), docId, &context, state, 0, log, model);
}

bool WriteDosCopy(const TRAWCoder* coder, TDosOutput& output, const TByteReader& input, std::string_view commands,
                  std::string_view copies, bool pageEnded, bool crAfterFF, size_t copyNo, size_t docStart) {
  const std::span<const uint8_t> bytes = input.Bytes();
  const size_t end = input.Position();
  const bool coded = copyNo >= 1 && copyNo <= copies.size() && copies[copyNo - 1] == 'C' && coder && coder->State != 2;
  bool ok = true;
  if (coded) {
    // A position outside the document would repeat or drop bytes of another.
    const size_t at = std::clamp<size_t>(static_cast<size_t>(std::max(0, coder->CodePosition)), docStart, end);
    ok = output.Write(Slice(bytes, docStart, at)) && (!coder->BreakBeforeCode || output.Write(kFormFeedCR)) &&
         output.Write(commands) &&
         output.Write(coder->TrimTrail ? std::string_view(coder->TrailingData) : Slice(bytes, at, end));
  } else {
    ok = output.Write(Slice(bytes, docStart, end));
  }
  if (!ok || copyNo >= copies.size()) return ok;
  if (pageEnded) return output.Write(kFormFeedCR);
  return !crAfterFF || output.Write(kCR);
}

uint8_t EncodeDosJob(TDosJobSteps& steps, uint32_t jobRecordNo, TDosCodeResultRec& rec) {
  // Zero before anything can end the call: the caller may read the record whatever the status.
  const std::u16string model = RecordFileName(rec);
  std::memset(&rec, 0, sizeof rec);
  if (!steps.CheckConfiguration()) return kDosJobPrintAsIs;
  const TTitleScope title;
  const TSettingsStore& store = steps.Store();
  const TDosJobSettings settings = ReadSettings(store);
  const std::unique_ptr<TLogFile> log = steps.OpenLog();
  const auto logLine = [&log](std::u16string_view text) {
    if (log) log->AddWide(std::u16string(kLogPrefix) + std::u16string(text));
  };
  uint8_t status = kDosJobPrintAsIs;
  std::u16string outputName;
  if (settings.Order.empty()) {
    logLine(u"Список типов документов пуст, выход!");
  } else {
    TDosJobRun run(steps, jobRecordNo, settings, model, log.get());
    status = run.Run(outputName);
    run.Context.reset();
    run.Output.reset();
    run.Coder.reset();
  }
  if (status == kDosJobCoded && !FillRecord(rec, outputName)) status = kDosJobProgramError;
  if (status != kDosJobCoded && !outputName.empty()) steps.DeleteOutput(outputName);
  logLine(u"Код возврата: " + Quoted(JobStatusText(status)));
  if (log) log->Close();
  return status;
}

std::string FileDosCopies(const TDosFileRequest& request, bool recognised, int32_t documentNo) {
  const std::string& letters = request.Copies;
  const size_t count = std::min(letters.size(), static_cast<size_t>(kMaxPageMaskLength));
  if (count == 0 || documentNo < 1) return "N";
  if (request.Forming) {
    if (!recognised) return std::string(count, 'N');
    std::string copies = letters.substr(0, count);
    for (char& c : copies) c = UpCaseAscii(c);
    return copies;
  }
  if (!recognised) return "N";
  const auto n = static_cast<size_t>(documentNo);
  if (request.Cycling) return std::string(1, UpCaseAscii(letters[(n - 1) % count]));
  return std::string(1, n <= count ? UpCaseAscii(letters[n - 1]) : 'N');
}

bool IsBlankTail(std::string_view bytes) {
  constexpr char kEsc = 0x1B;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<uint8_t>(bytes[i]);
    if (c == static_cast<uint8_t>(kEsc)) {
      ++i;
      continue;
    }
    if (c > 0x20 && c != 0x7F) return false;
  }
  return true;
}

bool ProcessFileDos(TDosJobSteps& steps, const TDosFileRequest& request, std::u16string_view model) {
  if (!steps.CheckConfiguration()) return false;
  const TTitleScope title;
  TDosJobSettings settings = ReadSettings(steps.Store());
  settings.PrintServer = false;
  const std::unique_ptr<TLogFile> log = steps.OpenLog();
  const auto logLine = [&log](std::u16string_view text) {
    if (log) log->AddWide(u"ProcessFileDos --> " + std::u16string(text));
  };
  if (settings.Order.empty()) logLine(u"Список типов документов пуст!");
  std::u16string outputName;
  TDosJobRun run(steps, 0, settings, std::u16string(model), log.get(), &request);
  const bool ok = run.Run(outputName) == kDosJobCoded;
  run.Context.reset();
  run.Output.reset();
  run.Coder.reset();
  if (!ok && !outputName.empty()) steps.DeleteOutput(outputName);
  logLine(u"Код возврата: " + YesNo(ok) + u", документы: " + Quoted(steps.Store().FromAnsi(run.Written)));
  if (log) log->Close();
  return ok;
}
