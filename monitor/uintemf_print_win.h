// A Windows job of a virtual printer printed on its destination: the spool file split into page
// metafiles, each page coded and printed with its copies and code picture, every temporary file removed.
// What the job needs of the virtual printer's queue comes through TEmfJobQueue, which the queue implements.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/lib_log.h"
#include "foundation/lib_prn.h"
#include "monitor/createcode.h"
#include "monitor/createcode_win.h"

// A failure that leaves the job queued, to be printed in a later round.
enum class TEmfJobFailure : uint8_t {
  None,
  Integrity,  // the virtual printer's destination configuration failed its check (kind 1)
  Open,       // the destination printer could not be opened
  Settings,   // its device settings could not be read
  DeviceContext,
};

struct TEmfJobResult {
  // False when the job ended before its page loop, or a page's printing failed.
  bool Answer = false;
  // The job is still in the virtual printer's queue: Failure says why. Otherwise it was cancelled.
  bool Queued = false;
  TEmfJobFailure Failure = TEmfJobFailure::None;
  std::u16string FailedPrinter;  // what Failure names: the destination, or the virtual printer for Integrity
};

struct TEmfDestination {
  std::u16string Printer;  // the user's Windows destination; empty when there is none
  bool Allowed = false;    // it belongs to this user or to all users
};

// What ProcessEMF takes from the queue serving the virtual printer. Every member but LogLine,
// JobProceeds and CodePage must be implemented; all run on the printer monitor thread, during the
// ProcessEMF call.
class TEmfJobQueue {
 public:
  virtual ~TEmfJobQueue() = default;

  // The monitor's log, nil when there is none. ProcessEMF puts its routines' prefixes in front itself
  // ("--> ProcessEMF: ", "--> CorrectEMF: ", "--> PrintEMF: ").
  virtual TLogFile* Log() = 0;
  // One line of the job, prefix included. The queue may hold the lines of a job that waited in the last
  // round until it knows whether this round goes the same way; the default writes to Log().
  virtual void LogLine(std::u16string_view line) {
    if (TLogFile* log = Log()) log->AddWide(line);
  }
  // The virtual printer's name, as the coding and the log lines name it.
  virtual std::u16string VirtualPrinterName() = 0;
  // The job's spool file: "%s\%.5d.spl" in the virtual printer's spool directory.
  virtual std::u16string SpoolFileName(uint32_t jobId) = 0;
  // The component mask's first byte (1 Windows printing, 2 DOS printing, 4 directories, 8 capture).
  virtual uint8_t ComponentMask() = 0;

  // The job's user when "TServer" is on or the program runs as a service, else the printer list's user.
  virtual std::u16string JobUser(const _JOBINFO& job) = 0;
  // The destination configuration check of the virtual printer for Windows printing (kind 1).
  virtual bool CheckWindowsDestination(const std::u16string& user) = 0;
  virtual TEmfDestination WindowsDestination(const std::u16string& user) = 0;
  // Reads "CorrectEMF" (DWORD, Config key of HKEY_LOCAL_MACHINE, default 0) into the queue's field.
  virtual uint32_t ReadCorrectEMF() = 0;

  // Opens the destination printer record: 0, or the system error code. On failure it logs
  // "Printer Open Error: "%s"" and closes the record, but shows no box: ProcessEMF shows it through
  // FailureBoxDue, so that a job waiting for its destination does not raise a box every round.
  virtual DWORD OpenDestination(const std::u16string& printer) = 0;
  virtual void CloseDestination() = 0;
  // Cancels the job in the virtual printer's queue.
  virtual bool CancelJob(uint32_t jobId) = 0;
  // When a split DOS job is pending: prints it raw to the open destination under its own document name,
  // deletes its file and clears it. Nothing otherwise.
  virtual void PrintPendingDosPart(const std::u16string& destination) = 0;

  // The once-state of the boxes of failures that leave a job queued. ProcessEMF asks before each such
  // box: true the first time this failure meets this printer (the destination's name; the virtual
  // printer's for Integrity) since DestinationUsable was last called for it; the queue remembers it.
  virtual bool FailureBoxDue(const std::u16string& printer, TEmfJobFailure failure) = 0;
  // The destination opened and its DC was made: its failures show their boxes again next time. For the
  // virtual printer's name, the integrity check passed.
  virtual void DestinationUsable(const std::u16string& printer) = 0;
  // The job is past every failure that would leave it queued: it prints now. Nothing by default.
  virtual void JobProceeds() {}

  // Codes one page; the default is CreateCodeFunc. A test may stand in for the coding.
  virtual uint8_t CodePage(uint32_t jobRecordNo, HENHMETAFILE& page, int32_t pageNo, HDC& dc, const _JOBINFO& job,
                           const std::u16string& printerName, std::vector<uint8_t>& devMode, TCodeResultRec& rec) {
    return CreateCodeFunc(jobRecordNo, page, pageNo, dc, &job, reinterpret_cast<const wchar_t*>(printerName.c_str()),
                          devMode.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(devMode.data()), rec);
  }
};

// Prints one Windows job of the queue's virtual printer (jobRecordNo is its journal record, 0 without).
TEmfJobResult ProcessEMF(TEmfJobQueue& queue, uint32_t jobId, uint32_t jobRecordNo, const _JOBINFO& job);

// CorrectEMF's answers.
inline constexpr int kCorrectEmfDone = 0;
inline constexpr int kCorrectEmfFailed = 1;
inline constexpr int kCorrectEmfNoFile = 2;

// Re-records the page file in the DC's device units. On 0 pageFile names the new file and the old one is
// gone. devMode may be empty (the DC's orientation is then left alone).
int CorrectEMF(HDC dc, std::u16string& pageFile, std::vector<uint8_t>& devMode, TLogFile* log);

// Prints every copy of one page (the record's copies letters), the code picture on the "C" copies with
// logoText beside it when the record asks for a logo. printRect may be transposed to the page's
// orientation. Deletes the code picture file. True when at least one copy reached EndPage.
bool PrintEMF(HDC dc, const std::u16string& destination, std::vector<uint8_t>& devMode, const TCodeResultRec& rec,
              RECT& printRect, HENHMETAFILE page, const std::u16string& logoText, TLogFile* log);
