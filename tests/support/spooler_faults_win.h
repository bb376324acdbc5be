// A spooler for the tests of destination failures: it stands in front of the spooler that was in place
// (the stand-in, or winspool) and hands every call on, except that chosen printers fail: their open is
// refused, their device settings cannot be read, their documents do not start or their data is not
// written. It counts the calls made for each printer name, so a test can tell what a round tried.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/lib_prn_seam_win.h"

// What a printer's calls answer; a zero member lets that call through.
struct TSpoolerFault {
  DWORD OpenError = 0;      // OpenPrinter fails with this error
  DWORD SettingsError = 0;  // DocumentProperties answers -1 with this error
  DWORD StartDocError = 0;  // StartDocPrinter answers 0 with this error
  DWORD WriteError = 0;     // WritePrinter fails with this error, nothing written
};

class TSpoolerFaults : public TSpoolerApi {
 public:
  // Takes the place of the spooler in place now; the destructor puts that one back.
  TSpoolerFaults();
  ~TSpoolerFaults() override;
  TSpoolerFaults(const TSpoolerFaults&) = delete;
  TSpoolerFaults& operator=(const TSpoolerFaults&) = delete;

  // Printer names compare without regard to case, as the spooler's do. Faults may change while
  // another thread prints.
  void SetFault(const std::u16string& printer, const TSpoolerFault& fault);
  void ClearFault(const std::u16string& printer);
  // How often the call ("OpenPrinter", "DocumentProperties", "StartDocPrinter", "WritePrinter",
  // "EndDocPrinter", "GetPrinter", "ClosePrinter", ...) was made for the printer, failed ones included.
  int Calls(const std::u16string& printer, std::string_view call) const;
  void ResetCalls();

  BOOL EnumPrinters(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                    LPDWORD returned) override;
  BOOL OpenPrinter(LPWSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSW defaults) override;
  BOOL ClosePrinter(HANDLE handle) override;
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
  BOOL EnumPrintProcessors(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                           LPDWORD needed, LPDWORD returned) override;
  BOOL EnumPrintProcessorDatatypes(LPWSTR server, LPWSTR processor, DWORD level, LPBYTE buffer, DWORD size,
                                   LPDWORD needed, LPDWORD returned) override;
  BOOL EnumPorts(LPWSTR server, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) override;
  BOOL EnumPrinterDrivers(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                          LPDWORD needed, LPDWORD returned) override;
  BOOL GetPrinterDriverDirectory(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                 LPDWORD needed) override;
  BOOL EnumPrintersA(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                     LPDWORD returned) override;
  BOOL EnumPortsA(LPSTR server, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) override;
  BOOL EnumPrinterDriversA(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                           LPDWORD needed, LPDWORD returned) override;
  BOOL AddPrinterDriverA(LPSTR server, DWORD level, LPBYTE info) override;
  bool SpoolDirectoryOf(const std::u16string& printer, std::u16string& directory) override;

 private:
  // The printer's key (upper case); counts the call and answers the printer's fault.
  TSpoolerFault Note(const std::u16string& key, std::string_view call);
  // The same for a handle this spooler opened or got from AddPrinter; an unknown handle is neither
  // counted nor failed.
  TSpoolerFault NoteHandle(HANDLE handle, std::string_view call);

  TSpoolerApi& inner_;
  mutable std::mutex lock_;
  std::map<std::u16string, TSpoolerFault> faults_;
  std::map<std::u16string, std::map<std::string, int, std::less<>>> calls_;
  std::map<HANDLE, std::u16string> handles_;
};

// Each document started on a printer with the bytes written into it, in the order they came.
class TRecordingSpooler : public TSpoolerFaults {
 public:
  DWORD StartDocPrinter(HANDLE handle, DWORD level, LPBYTE docInfo) override {
    const DWORD id = TSpoolerFaults::StartDocPrinter(handle, level, docInfo);
    std::lock_guard<std::mutex> hold(lock_);
    if (id != 0) docs_.emplace_back();
    return id;
  }
  BOOL WritePrinter(HANDLE handle, LPVOID data, DWORD size, LPDWORD written) override {
    const BOOL ok = TSpoolerFaults::WritePrinter(handle, data, size, written);
    std::lock_guard<std::mutex> hold(lock_);
    if (ok && !docs_.empty()) docs_.back().append(static_cast<const char*>(data), *written);
    return ok;
  }
  std::vector<std::string> Documents() const {
    std::lock_guard<std::mutex> hold(lock_);
    return docs_;
  }

 private:
  mutable std::mutex lock_;
  std::vector<std::string> docs_;
};

#endif
