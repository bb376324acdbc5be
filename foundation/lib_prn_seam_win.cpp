// The spooler seam's default: every call goes to winspool as it is.
#include "foundation/lib_prn_seam_win.h"

#include <atomic>

#include "foundation/lib_unicode_win.h"

namespace {

TSpoolerApi gWinspool;
// Set once by a test or the demo before the spooler is used; read by every thread after that.
std::atomic<TSpoolerApi*> gSpooler{nullptr};

}  // namespace

TSpoolerApi& Spooler() {
  TSpoolerApi* s = gSpooler.load();
  return s ? *s : gWinspool;
}

void UseSpooler(TSpoolerApi* spooler) { gSpooler.store(spooler); }

BOOL TSpoolerApi::EnumPrinters(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                               LPDWORD returned) {
  return ::EnumPrintersW(flags, name, level, buffer, size, needed, returned);
}
BOOL TSpoolerApi::OpenPrinter(LPWSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSW defaults) {
  return ::OpenPrinterW(name, handle, defaults);
}
BOOL TSpoolerApi::ClosePrinter(HANDLE handle) { return ::ClosePrinter(handle); }
HANDLE TSpoolerApi::AddPrinter(LPWSTR server, DWORD level, LPBYTE info) { return ::AddPrinterW(server, level, info); }
BOOL TSpoolerApi::DeletePrinter(HANDLE handle) { return ::DeletePrinter(handle); }
BOOL TSpoolerApi::GetPrinter(HANDLE handle, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
  return ::GetPrinterW(handle, level, buffer, size, needed);
}
BOOL TSpoolerApi::SetPrinter(HANDLE handle, DWORD level, LPBYTE info, DWORD command) {
  return ::SetPrinterW(handle, level, info, command);
}
DWORD TSpoolerApi::GetPrinterData(HANDLE handle, LPWSTR valueName, LPDWORD type, LPBYTE data, DWORD size,
                                  LPDWORD needed) {
  return ::GetPrinterDataW(handle, valueName, type, data, size, needed);
}
DWORD TSpoolerApi::SetPrinterData(HANDLE handle, LPWSTR valueName, DWORD type, LPBYTE data, DWORD size) {
  return ::SetPrinterDataW(handle, valueName, type, data, size);
}
BOOL TSpoolerApi::GetPrinterDriver(HANDLE handle, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                   LPDWORD needed) {
  return ::GetPrinterDriverW(handle, environment, level, buffer, size, needed);
}
LONG TSpoolerApi::DocumentProperties(HWND owner, HANDLE handle, LPWSTR deviceName, PDEVMODEW out, PDEVMODEW in,
                                     DWORD mode) {
  return ::DocumentPropertiesW(owner, handle, deviceName, out, in, mode);
}
BOOL TSpoolerApi::EnumJobs(HANDLE handle, DWORD firstJob, DWORD count, DWORD level, LPBYTE buffer, DWORD size,
                           LPDWORD needed, LPDWORD returned) {
  return ::EnumJobsW(handle, firstJob, count, level, buffer, size, needed, returned);
}
BOOL TSpoolerApi::GetJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
  return ::GetJobW(handle, jobId, level, buffer, size, needed);
}
BOOL TSpoolerApi::SetJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE info, DWORD command) {
  return ::SetJobW(handle, jobId, level, info, command);
}
DWORD TSpoolerApi::StartDocPrinter(HANDLE handle, DWORD level, LPBYTE docInfo) {
  return ::StartDocPrinterW(handle, level, docInfo);
}
BOOL TSpoolerApi::WritePrinter(HANDLE handle, LPVOID data, DWORD size, LPDWORD written) {
  return ::WritePrinter(handle, data, size, written);
}
BOOL TSpoolerApi::EndDocPrinter(HANDLE handle) { return ::EndDocPrinter(handle); }
BOOL TSpoolerApi::EnumPrintProcessors(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                      LPDWORD needed, LPDWORD returned) {
  return ::EnumPrintProcessorsW(server, environment, level, buffer, size, needed, returned);
}
BOOL TSpoolerApi::EnumPrintProcessorDatatypes(LPWSTR server, LPWSTR processor, DWORD level, LPBYTE buffer, DWORD size,
                                              LPDWORD needed, LPDWORD returned) {
  return ::EnumPrintProcessorDatatypesW(server, processor, level, buffer, size, needed, returned);
}
BOOL TSpoolerApi::EnumPorts(LPWSTR server, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) {
  return ::EnumPortsW(server, level, buffer, size, needed, returned);
}
BOOL TSpoolerApi::EnumPrinterDrivers(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                     LPDWORD needed, LPDWORD returned) {
  return ::EnumPrinterDriversW(server, environment, level, buffer, size, needed, returned);
}
BOOL TSpoolerApi::GetPrinterDriverDirectory(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                            LPDWORD needed) {
  return ::GetPrinterDriverDirectoryW(server, environment, level, buffer, size, needed);
}
BOOL TSpoolerApi::EnumPrintersA(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                                LPDWORD returned) {
  return ::EnumPrintersA(flags, name, level, buffer, size, needed, returned);
}
BOOL TSpoolerApi::EnumPortsA(LPSTR server, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) {
  return ::EnumPortsA(server, level, buffer, size, needed, returned);
}
BOOL TSpoolerApi::EnumPrinterDriversA(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                      LPDWORD needed, LPDWORD returned) {
  return ::EnumPrinterDriversA(server, environment, level, buffer, size, needed, returned);
}
BOOL TSpoolerApi::AddPrinterDriverA(LPSTR server, DWORD level, LPBYTE info) { return ::AddPrinterDriverA(server, level, info); }
bool TSpoolerApi::SpoolDirectoryOf(const std::u16string&, std::u16string&) { return false; }

TPrinterHandle OpenPrinterHandle(const std::u16string& name, ACCESS_MASK access) {
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
  HANDLE h = nullptr;
  if (!Spooler().OpenPrinter(const_cast<LPWSTR>(WStr(name)), &h, access ? &defaults : nullptr)) return {};
  return TPrinterHandle(h);
}
