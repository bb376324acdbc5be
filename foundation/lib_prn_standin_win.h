// The stand-in spooler: virtual printers kept in a directory, with paused queues, jobs and spool
// files, answering the spooler calls on them as the Windows spooler does; every other printer goes
// to winspool. Wine's spooler can neither pause a queue nor list, keep or cancel jobs, so tests and
// the demo put this in place of winspool (UseSpooler); the product never does unless told.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "foundation/lib_prn_pack_win.h"
#include "foundation/lib_prn_seam_win.h"
#include "foundation/lib_prn_standin.h"

// A job handed to a stand-in printer by a test or the demo.
struct TStandInSubmit {
  std::u16string Document;
  std::u16string Datatype = u"RAW";
  std::u16string UserName;     // empty: this process's user
  std::u16string MachineName;  // empty: "\\" + this computer
  uint32_t TotalPages = 0;
  std::vector<uint8_t> DevMode;  // the job's device settings; empty: none (unless Copies is given)
  uint16_t Copies = 0;           // not 0: the device settings carry this copy count
};

class TSpoolerStandIn : public TSpoolerApi {
 public:
  // The directory holds the state file "state.txt" and the spool directories "spool\<id>"; it is
  // created when missing. Several processes may share it.
  explicit TSpoolerStandIn(std::u16string directory);
  ~TSpoolerStandIn() override;

  // A virtual printer of the stand-in (Name, PortName, DriverName, Comment, Datatype, Attributes
  // and Status are taken; its spool directory is created). False when the name is taken or its
  // device settings are too short to hold the fields the stand-in writes.
  bool AddStandInPrinter(const TStandInPrinter& printer);
  bool IsStandInPrinter(const std::u16string& name);
  // The printer's state as it is now; false when the stand-in does not keep it.
  bool ReadStandInPrinter(const std::u16string& name, TStandInPrinter& printer);

  // Queues a job with the given spool file bytes; its id, or 0 when the printer is not the
  // stand-in's or the spool file cannot be written.
  uint32_t SubmitJob(const std::u16string& printer, const TStandInSubmit& job, std::span<const uint8_t> spoolFile);
  uint32_t SubmitRawJob(const std::u16string& printer, const std::u16string& document, std::span<const uint8_t> bytes);
  // A Windows job: the page metafiles written as an NT EMF spool file, datatype "NT EMF 1.008".
  uint32_t SubmitEmfJob(const std::u16string& printer, const std::u16string& document,
                        const std::vector<std::vector<uint8_t>>& pages, uint16_t copies = 1);

  BOOL EnumPrinters(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                    LPDWORD returned) override;
  BOOL EnumPrintersA(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                     LPDWORD returned) override;
  BOOL OpenPrinter(LPWSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSW defaults) override;
  BOOL ClosePrinter(HANDLE handle) override;
  // Every local printer added through the stand-in is one of its own, paused from the start as a
  // virtual printer is; the handle has every right.
  HANDLE AddPrinter(LPWSTR server, DWORD level, LPBYTE info) override;
  BOOL DeletePrinter(HANDLE handle) override;
  BOOL GetPrinter(HANDLE handle, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) override;
  BOOL SetPrinter(HANDLE handle, DWORD level, LPBYTE info, DWORD command) override;
  DWORD GetPrinterData(HANDLE handle, LPWSTR valueName, LPDWORD type, LPBYTE data, DWORD size,
                       LPDWORD needed) override;
  DWORD SetPrinterData(HANDLE handle, LPWSTR valueName, DWORD type, LPBYTE data, DWORD size) override;
  BOOL GetPrinterDriver(HANDLE handle, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                        LPDWORD needed) override;
  LONG DocumentProperties(HWND owner, HANDLE handle, LPWSTR deviceName, PDEVMODEW out, PDEVMODEW in,
                          DWORD mode) override;
  BOOL EnumJobs(HANDLE handle, DWORD firstJob, DWORD count, DWORD level, LPBYTE buffer, DWORD size,
                LPDWORD needed, LPDWORD returned) override;
  BOOL GetJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) override;
  BOOL SetJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE info, DWORD command) override;
  DWORD StartDocPrinter(HANDLE handle, DWORD level, LPBYTE docInfo) override;
  BOOL WritePrinter(HANDLE handle, LPVOID data, DWORD size, LPDWORD written) override;
  BOOL EndDocPrinter(HANDLE handle) override;
  bool SpoolDirectoryOf(const std::u16string& printer, std::u16string& directory) override;

  const std::u16string& Directory() const { return directory_; }

 private:
  struct THandle;
  class TSession;

  THandle* Find(HANDLE handle);
  HANDLE NewHandle(const std::u16string& printer, ACCESS_MASK access);
  // 0, or the error AddPrinter reports.
  DWORD NewPrinter(TStandInPrinter printer);
  // The stand-in's own printers at an enumeration level; false when its state cannot be read.
  bool AddPrinterRecords(DWORD level, TPackedRecords& records);
  std::u16string SpoolDir(uint32_t printerId) const;
  void DeleteSpoolFiles(const TStandInPrinter& printer, const std::vector<uint32_t>& jobIds) const;
  // Removes a printer marked for deletion once its last job has left.
  void FinishPendingDeletion(TStandInState& state, const std::u16string& name) const;

  std::u16string directory_;
  std::mutex handlesLock_;
  std::map<HANDLE, std::unique_ptr<THandle>> handles_;
};

// The test and demo switch: started with this environment variable naming a directory, the program
// uses the stand-in kept there instead of winspool. A service process never sees its starter's
// environment, so there the argument "CLIENT_STANDIN_SPOOLER=<directory>" in the service's registered
// command line does the same (TestSwitchValue). The product never sets either.
inline constexpr char16_t kStandInSpoolerVariable[] = u"CLIENT_STANDIN_SPOOLER";

// While it lives, the stand-in of the directory the variable names is the process's spooler; when
// the variable is not set (or empty) it does nothing.
class TStandInSwitch {
 public:
  TStandInSwitch();
  ~TStandInSwitch();
  TStandInSwitch(const TStandInSwitch&) = delete;
  TStandInSwitch& operator=(const TStandInSwitch&) = delete;
  bool On() const { return standIn_ != nullptr; }

 private:
  std::unique_ptr<TSpoolerStandIn> standIn_;
};

// The directory of the stand-in in place of winspool; empty when winspool is the spooler.
std::u16string StandInSpoolerDirectory();
