// One Windows page of a print job coded into its result record: which document type took the page, the
// copies answer, the code picture file and where on the page it goes. The steps that touch the system
// stay behind TPageCodingSteps, so the decisions run the same on a real page and on a test's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "coding/cl_emfcoder.h"
#include "coding/cl_macrolib_context.h"
#include "foundation/lib_log.h"

// Page decisions; the coding answers 0, 2 or 3, the printing loop understands all four.
inline constexpr uint8_t kPagePrintAsIs = 0;
inline constexpr uint8_t kPageCancelPage = 1;
inline constexpr uint8_t kPageCancelJob = 2;
inline constexpr uint8_t kPageCoded = 3;

inline constexpr size_t kCodeFileNameUnits = 261;  // 260 characters and the terminator
inline constexpr size_t kCodePagesLetters = 64;

// Crosses the export boundary: the layout is fixed, without alignment gaps.
#pragma pack(push, 1)
struct TCodeResultRec {
  uint8_t FileType;  // 0 placeable WMF, 1 EMF
  uint8_t Reserved1;
  char16_t FileName[kCodeFileNameUnits];
  char Pages[kCodePagesLetters + 1];
  int32_t X;  // 0.01 mm from the printable area's left edge
  int32_t Y;  // 0.01 mm down from its top edge
  uint8_t Reserved2[3];
  int32_t LogoText;
};
#pragma pack(pop)

static_assert(sizeof(TCodeResultRec) == 604);
static_assert(offsetof(TCodeResultRec, FileType) == 0);
static_assert(offsetof(TCodeResultRec, FileName) == 2);
static_assert(offsetof(TCodeResultRec, Pages) == 524);
static_assert(offsetof(TCodeResultRec, X) == 589);
static_assert(offsetof(TCodeResultRec, Y) == 593);
static_assert(offsetof(TCodeResultRec, LogoText) == 600);

// False, and the field untouched, for a name longer than 260 characters: a cut name would print the page
// plain while the status says coded.
bool SetCodeFileName(TCodeResultRec& rec, std::u16string_view name);

// Held while a page or a DOS job is coded: the message prefix, the program title and the contexts are
// the process's, not the caller's.
std::mutex& CodingLock();

class TPageCodingSteps {
 public:
  virtual ~TPageCodingSteps() = default;
  virtual const TSettingsStore& Store() = 0;
  virtual bool TerminalServer() = 0;
  virtual bool RemoteSession() = 0;
  // The Windows side's configuration, without the restore offer; it shows its own message.
  virtual bool CheckConfiguration() = 0;
  virtual std::unique_ptr<TContext> OpenContext(std::u16string_view printerName) = 0;
  virtual std::unique_ptr<TLogFile> OpenLog() = 0;
  // The line finder over the page, then the document types tried on it; nil when none took it.
  virtual std::unique_ptr<TEMFCoder> Decode(TContext& context, TLogFile* log) = 0;
  // The copies dialog of the first page; it may set the coder's state byte. Empty: nothing is printed.
  virtual std::string AskCopies(TEMFCoder& coder, TContext& context, TLogFile* log, const std::string& copies) = 0;
  // True when the destination had to be turned to the page's orientation.
  virtual bool MatchOrientation(TEMFCoder& coder) = 0;
  // HORZSIZE and VERTSIZE of the destination, millimetres.
  virtual TSize PageSizeMm() = 0;
  // The page recorded again from its page model; the caller's page is replaced only when that worked.
  virtual void Redraw(TEMFCoder& coder, TLogFile* log) = 0;
  // A new empty file "XXXXXXXX.emf" in the temp directory; empty when none can be made.
  virtual std::u16string MakeTempName() = 0;
  virtual void DeleteTempFile(const std::u16string& name) = 0;
  virtual bool MakeCode(TEMFCoder& coder) { return coder.MakeCode(static_cast<uint8_t>(coder.DefaultCharset)); }
  virtual bool ExportCode(TEMFCoder& coder, const std::u16string& fileName) { return coder.ExportCodeToFile(fileName); }
  // The system's 8-bit code page, in which the message prefix is kept.
  virtual std::string ToAnsi(std::u16string_view text) = 0;
  virtual std::u16string FromAnsi(std::string_view text) = 0;
};

struct TPageJob {
  int32_t PageNo = 1;
  std::u16string DocName;
  std::u16string PrinterName;
};

inline constexpr std::u16string_view kConsoleDialogText =
    u"\r\nВ данной конфигурации вывод диалога подтверждения\r\nкопий на консоль терминал-сервера запрещен.";

// The status (0, 2 or 3); rec is zero bytes unless the status is 3. The caller holds CodingLock.
uint8_t CodePage(TPageCodingSteps& steps, const TPageJob& job, TCodeResultRec& rec);
