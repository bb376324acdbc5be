// A DOS print file coded document by document into a new raw file that holds every copy, the code
// commands in the copies that carry the code. The status tells the caller what to print. What touches
// the system stays behind TDosJobSteps, so the loop runs the same on a real file and on a test's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "coding/cl_macrolib_context.h"
#include "coding/enumraw2.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/lib_log.h"

inline constexpr uint8_t kDosJobProgramError = 0;  // print the input unchanged
inline constexpr uint8_t kDosJobPrintAsIs = 1;     // print the input unchanged
inline constexpr uint8_t kDosJobCoded = 2;         // print the output file
inline constexpr uint8_t kDosJobCancelled = 3;     // print nothing

inline constexpr size_t kDosOutputFileUnits = 261;  // 260 characters and the terminator
inline constexpr size_t kDosCopiesBytes = 66;

// TDosCodeResultRec is the export's record of cl_tools_cfgkey.h: one type for the export and the coding.
// It crosses the export boundary, so its layout is fixed. On entry OutputFile may carry a printer model name.
static_assert(sizeof(TDosCodeResultRec::OutputFile) == kDosOutputFileUnits * sizeof(char16_t));
static_assert(sizeof(TDosCodeResultRec::Copies) == kDosCopiesBytes);
static_assert(sizeof(TDosCodeResultRec) == 588);
static_assert(offsetof(TDosCodeResultRec, OutputFile) == 0);
static_assert(offsetof(TDosCodeResultRec, Copies) == 522);

// OutputFile up to its terminator: the model name on entry, the output file's name after status 2.
std::u16string RecordFileName(const TDosCodeResultRec& rec);

// Where the copies are written: the output file at the edge, a buffer in tests.
class TDosOutput {
 public:
  virtual ~TDosOutput() = default;
  // False when not every byte was taken.
  virtual bool Write(std::string_view bytes) = 0;
};

// What the DOS job coding asks of the system. The coder stages are steps too, so that a test can make
// one of them fail; by default they are the raw coder's own.
class TDosJobSteps {
 public:
  virtual ~TDosJobSteps() = default;
  // The code's place for every document: -1 none, else horizontal in the low 16 bits, vertical in the high.
  int32_t PlaceOverride = -1;
  // The settings: ConfigDos and the fixed keys.
  virtual const TSettingsStore& Store() = 0;
  // The DOS side with its directories, without the restore offer; it shows its own message.
  virtual bool CheckConfiguration() = 0;
  // The log of the ConfigDos key; nil when there is none.
  virtual std::unique_ptr<TLogFile> OpenLog() = 0;
  // The document context of the section ".Default".
  virtual std::unique_ptr<TContext> OpenContext() = 0;

  virtual std::u16string InputName() = 0;
  // -1 when the size cannot be known (the mapping then tells).
  virtual int64_t InputSize() = 0;
  // The input's bytes, valid until the steps go; false when the file cannot be opened.
  virtual bool MapInput(std::span<const uint8_t>& bytes) = 0;
  // A new empty file's name; empty when none can be made.
  virtual std::u16string MakeOutputName() = 0;
  // Nil when the file cannot be opened for writing.
  virtual std::unique_ptr<TDosOutput> OpenOutput(const std::u16string& name) = 0;
  virtual void DeleteOutput(const std::u16string& name) = 0;

  virtual void ShowRegistryError() = 0;
  virtual void ShowFileOpenError(const std::u16string& name) = 0;
  virtual void ShowFileWriteError(const std::u16string& name) = 0;

  // The copies dialog; it may set the coder's state byte. Empty: nothing is printed.
  virtual std::string AskCopies(TRAWCoder& coder, TContext& context, TLogFile* log, const std::string& copies) = 0;
  // The answer the dialog gave for an earlier document of the type.
  virtual std::string StoredCopies(const std::string& copies, TContext& context);

  virtual std::unique_ptr<TRAWCoder> CreateCoder(const TDocIdClass& docId, TContext& context,
                                                 const TDosPrinterState& state, TLogFile* log, std::u16string_view model);
  virtual bool LoadParam(TRAWCoder& coder) { return coder.LoadParam(); }
  virtual bool ParsePage(TRAWCoder& coder, TByteReader& reader, bool& pageEnded, int32_t& errors,
                         TDosPrinterState& state) {
    return coder.ParsePage(reader, pageEnded, PlaceOverride, errors, state);
  }
  virtual bool Recognize(TRAWCoder& coder) { return coder.Recognize(); }
  virtual bool ProcessDocData(TRAWCoder& coder, uint32_t jobRecordNo) { return coder.ProcessDocData(jobRecordNo); }
  virtual bool MakeCode(TRAWCoder& coder) { return coder.MakeCode(0); }
  virtual bool MakeCodeCommands(TRAWCoder& coder, std::string& commands) { return coder.MakeCodeCommands(commands); }
};

// The file coded document by document into the output; the job status. rec is zero bytes unless the
// status is 2; on entry its OutputFile may name the printer model. The caller holds CodingLock.
uint8_t EncodeDosJob(TDosJobSteps& steps, uint32_t jobRecordNo, TDosCodeResultRec& rec);

// A file coded by the caller's copies letters instead of the document types' ("C" and "N", any case).
struct TDosFileRequest {
  std::string Copies;
  bool Forming = false;  // one copy per letter
  bool Cycling = false;  // without forming: the letters taken in turn over the documents
};

// The copies of document documentNo (from 1): past the letters' end, or without letters, one plain copy.
std::string FileDosCopies(const TDosFileRequest& request, bool recognised, int32_t documentNo);
// True when the bytes hold no text: only control bytes, blanks and the byte after each ESC.
bool IsBlankTail(std::string_view bytes);
// The steps' input coded into their output file by the request's copies; true when every document was
// written. The output is deleted on false. The caller holds CodingLock.
bool ProcessFileDos(TDosJobSteps& steps, const TDosFileRequest& request, std::u16string_view model);

// One copy of the document [docStart, the reader's cursor): with the code when the copies string's
// letter at copyNo (from 1) is "C", the coder exists and does not filter the code off; then the copies'
// separator unless it is the last. coder may be nil. False when the output failed.
bool WriteDosCopy(const TRAWCoder* coder, TDosOutput& output, const TByteReader& input, std::string_view commands,
                  std::string_view copies, bool pageEnded, bool crAfterFF, size_t copyNo, size_t docStart);
