// The printer object: one open printer with its name, spooler handle and PRINTER_INFO_2, and the
// queue operations on a virtual printer (attributes, pausing, queue format, creation), the
// remembered device settings of a printer, and printer output (a raw file, an EMF spool file).
#pragma once

#include <windows.h>
#include <winspool.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/lib_handle_win.h"

class TPrinter {
 public:
  std::u16string Name;        // the open printer's name
  HANDLE Handle = nullptr;    // 0 when closed
  std::vector<uint8_t> Info;  // PRINTER_INFO_2 last read; empty when not read

  TPrinter() { Init(); }
  ~TPrinter() { Done(); }
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // The environment override is "PrinterEnvironment" of the Config key.
  void Init(const std::u16string& environmentOverride = {});
  void Done();
  bool Open(const std::u16string& name);
  // Holding that very name (case-sensitive): whether the printer still exists, nothing reopened.
  bool EnsureOpen(const std::u16string& name);
  bool OpenWithAccess(const std::u16string& name, PRINTER_DEFAULTSW* defaults);
  void Close();
  bool RefreshInfo();
  bool CancelJob(DWORD jobId);
  bool ListJobs(DWORD firstJob, DWORD count, DWORD& returned, std::vector<uint8_t>& bytes);
  // lastError is the code last reported; a failure with the same code is not reported again.
  bool ChangeAttributes(DWORD set, DWORD clear, DWORD& lastError);

  const PRINTER_INFO_2W* Info2() const;
};

// Pauses a virtual printer's queue: 0 paused, -1 not paused and no error code known, else the
// system error code. printerAttrib is "PrinterAttrib" of the Config key.
int32_t HoldPrinterQueue(TPrinter& printer, DWORD lastError, bool printerAttrib);
bool CheckSpoolFormat(TPrinter& printer, HWND owner);
bool IsEmfCapableDriver(TPrinter& printer);
// 0 or the system error code of AddPrinter.
DWORD AddVirtualPrinter(TPrinter& printer, const std::u16string& name, const std::u16string& port,
                        const std::u16string& comment, const std::u16string& driver);

// Device settings remembered as "DeviceSettings." + printer name of the Config key.
bool SaveDeviceSettings(const std::u16string& printer, const std::vector<uint8_t>& settings);
bool LoadDeviceSettings(const std::u16string& printer, std::vector<uint8_t>& settings);
TDeviceContext CreateDCForPrinter(const std::u16string& printer, const std::vector<uint8_t>& settings);

// defaultPrintTo is the default destination of the virtual printer list, asked when the printer is
// missing (empty: there is none).
bool PrintFileRaw(const std::u16string& defaultPrintTo, const std::u16string& file, const std::u16string& printer,
                  bool deleteAfter, const std::u16string& document);
// printerName names the printer in error texts.
bool SendFileToPrinter(HANDLE printer, const std::u16string& file, bool deleteAfter, const std::u16string& document,
                       const std::u16string& printerName = {});
bool PrintEmfSpoolFile(const std::u16string& file, const std::u16string& printer, const std::u16string& document,
                       HWND owner);
// -1 without device settings; 1 the DC was switched to the metafile's orientation; 0 otherwise.
int MatchPageOrientation(const ENHMETAHEADER& header, std::vector<uint8_t>& settings, HDC dc);
