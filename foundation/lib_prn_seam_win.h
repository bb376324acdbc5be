// The one road from the spooler units to winspool. By default it is winspool itself; a test or the
// demo can put a stand-in in its place (lib_prn_standin_win.h) that keeps virtual printers of its
// own and hands every other printer on.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>

#include "foundation/lib_handle_win.h"

class TSpoolerApi {
 public:
  virtual ~TSpoolerApi() = default;

  virtual BOOL EnumPrinters(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                            LPDWORD returned);
  virtual BOOL OpenPrinter(LPWSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSW defaults);
  virtual BOOL ClosePrinter(HANDLE handle);
  virtual HANDLE AddPrinter(LPWSTR server, DWORD level, LPBYTE info);
  virtual BOOL DeletePrinter(HANDLE handle);
  virtual BOOL GetPrinter(HANDLE handle, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed);
  virtual BOOL SetPrinter(HANDLE handle, DWORD level, LPBYTE info, DWORD command);
  virtual DWORD GetPrinterData(HANDLE handle, LPWSTR valueName, LPDWORD type, LPBYTE data, DWORD size,
                               LPDWORD needed);
  virtual DWORD SetPrinterData(HANDLE handle, LPWSTR valueName, DWORD type, LPBYTE data, DWORD size);
  virtual BOOL GetPrinterDriver(HANDLE handle, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                LPDWORD needed);
  virtual LONG DocumentProperties(HWND owner, HANDLE handle, LPWSTR deviceName, PDEVMODEW out, PDEVMODEW in,
                                  DWORD mode);
  virtual BOOL EnumJobs(HANDLE handle, DWORD firstJob, DWORD count, DWORD level, LPBYTE buffer, DWORD size,
                        LPDWORD needed, LPDWORD returned);
  virtual BOOL GetJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed);
  virtual BOOL SetJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE info, DWORD command);
  virtual DWORD StartDocPrinter(HANDLE handle, DWORD level, LPBYTE docInfo);
  virtual BOOL WritePrinter(HANDLE handle, LPVOID data, DWORD size, LPDWORD written);
  virtual BOOL EndDocPrinter(HANDLE handle);
  virtual BOOL EnumPrintProcessors(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                   LPDWORD needed, LPDWORD returned);
  virtual BOOL EnumPrintProcessorDatatypes(LPWSTR server, LPWSTR processor, DWORD level, LPBYTE buffer, DWORD size,
                                           LPDWORD needed, LPDWORD returned);
  virtual BOOL EnumPorts(LPWSTR server, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned);
  virtual BOOL EnumPrinterDrivers(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                  LPDWORD needed, LPDWORD returned);
  virtual BOOL GetPrinterDriverDirectory(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                         LPDWORD needed);

  // The 8-bit calls the 9x family makes.
  virtual BOOL EnumPrintersA(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                             LPDWORD returned);
  virtual BOOL EnumPortsA(LPSTR server, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned);
  virtual BOOL EnumPrinterDriversA(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                   LPDWORD needed, LPDWORD returned);
  virtual BOOL AddPrinterDriverA(LPSTR server, DWORD level, LPBYTE info);

  // Not a winspool call: the directory of a printer's spool files when this spooler keeps them
  // somewhere the registry does not tell; false leaves the answer to the registry.
  virtual bool SpoolDirectoryOf(const std::u16string& printer, std::u16string& directory);
};

// The spooler every spooler routine calls.
TSpoolerApi& Spooler();
// Puts a spooler in place of winspool (nullptr: winspool again). The caller keeps it alive while it
// is in place. A process-wide choice: tests and the demo make it before any spooler call runs.
void UseSpooler(TSpoolerApi* spooler);

// An open printer, closed through the spooler that opened it.
inline void ClosePrinterHandle(HANDLE h) { Spooler().ClosePrinter(h); }
using TPrinterHandle = TOwned<TNullableTraits<HANDLE, ClosePrinterHandle>>;
// Opens a printer through the spooler, with the access asked for (0: the spooler's default); none when
// it cannot be opened (the last error says why).
TPrinterHandle OpenPrinterHandle(const std::u16string& name, ACCESS_MASK access = 0);
