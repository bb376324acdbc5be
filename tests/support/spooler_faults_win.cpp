// The spooler of the destination failure tests.
#ifdef _WIN32
#include "support/spooler_faults_win.h"

#include "foundation/lib_str.h"
#include "foundation/lib_unicode_win.h"

namespace {

std::u16string Key(std::u16string_view printer) { return UpperCaseW(printer); }
std::u16string Key(LPCWSTR printer) { return printer ? Key(FromWStr(printer)) : std::u16string(); }

}  // namespace

TSpoolerFaults::TSpoolerFaults() : inner_(Spooler()) { UseSpooler(this); }
TSpoolerFaults::~TSpoolerFaults() { UseSpooler(&inner_); }

void TSpoolerFaults::SetFault(const std::u16string& printer, const TSpoolerFault& fault) {
  std::lock_guard<std::mutex> guard(lock_);
  faults_[Key(printer)] = fault;
}

void TSpoolerFaults::ClearFault(const std::u16string& printer) {
  std::lock_guard<std::mutex> guard(lock_);
  faults_.erase(Key(printer));
}

int TSpoolerFaults::Calls(const std::u16string& printer, std::string_view call) const {
  std::lock_guard<std::mutex> guard(lock_);
  const auto calls = calls_.find(Key(printer));
  if (calls == calls_.end()) return 0;
  const auto count = calls->second.find(call);
  return count == calls->second.end() ? 0 : count->second;
}

void TSpoolerFaults::ResetCalls() {
  std::lock_guard<std::mutex> guard(lock_);
  calls_.clear();
}

TSpoolerFault TSpoolerFaults::Note(const std::u16string& key, std::string_view call) {
  std::lock_guard<std::mutex> guard(lock_);
  ++calls_[key][std::string(call)];
  const auto fault = faults_.find(key);
  return fault == faults_.end() ? TSpoolerFault{} : fault->second;
}

TSpoolerFault TSpoolerFaults::NoteHandle(HANDLE handle, std::string_view call) {
  std::u16string key;
  {
    std::lock_guard<std::mutex> guard(lock_);
    const auto found = handles_.find(handle);
    if (found == handles_.end()) return {};
    key = found->second;
  }
  return Note(key, call);
}

BOOL TSpoolerFaults::OpenPrinter(LPWSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSW defaults) {
  const std::u16string key = Key(name);
  if (const DWORD error = Note(key, "OpenPrinter").OpenError) {
    if (handle) *handle = nullptr;
    SetLastError(error);
    return FALSE;
  }
  if (!inner_.OpenPrinter(name, handle, defaults)) return FALSE;
  std::lock_guard<std::mutex> guard(lock_);
  handles_[*handle] = key;
  return TRUE;
}

BOOL TSpoolerFaults::ClosePrinter(HANDLE handle) {
  NoteHandle(handle, "ClosePrinter");
  {
    std::lock_guard<std::mutex> guard(lock_);
    handles_.erase(handle);
  }
  return inner_.ClosePrinter(handle);
}

LONG TSpoolerFaults::DocumentProperties(HWND owner, HANDLE handle, LPWSTR deviceName, PDEVMODEW out, PDEVMODEW in,
                                        DWORD mode) {
  const TSpoolerFault fault =
      deviceName ? Note(Key(deviceName), "DocumentProperties") : NoteHandle(handle, "DocumentProperties");
  if (fault.SettingsError) {
    SetLastError(fault.SettingsError);
    return -1;
  }
  return inner_.DocumentProperties(owner, handle, deviceName, out, in, mode);
}

DWORD TSpoolerFaults::StartDocPrinter(HANDLE handle, DWORD level, LPBYTE docInfo) {
  if (const DWORD error = NoteHandle(handle, "StartDocPrinter").StartDocError) {
    SetLastError(error);
    return 0;
  }
  return inner_.StartDocPrinter(handle, level, docInfo);
}

BOOL TSpoolerFaults::WritePrinter(HANDLE handle, LPVOID data, DWORD size, LPDWORD written) {
  if (const DWORD error = NoteHandle(handle, "WritePrinter").WriteError) {
    if (written) *written = 0;
    SetLastError(error);
    return FALSE;
  }
  return inner_.WritePrinter(handle, data, size, written);
}

BOOL TSpoolerFaults::EndDocPrinter(HANDLE handle) {
  NoteHandle(handle, "EndDocPrinter");
  return inner_.EndDocPrinter(handle);
}

BOOL TSpoolerFaults::GetPrinter(HANDLE handle, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
  NoteHandle(handle, "GetPrinter");
  return inner_.GetPrinter(handle, level, buffer, size, needed);
}

// The rest is handed on as it is.
BOOL TSpoolerFaults::EnumPrinters(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                                  LPDWORD returned) {
  return inner_.EnumPrinters(flags, name, level, buffer, size, needed, returned);
}
HANDLE TSpoolerFaults::AddPrinter(LPWSTR server, DWORD level, LPBYTE info) {
  return inner_.AddPrinter(server, level, info);
}
BOOL TSpoolerFaults::DeletePrinter(HANDLE handle) { return inner_.DeletePrinter(handle); }
BOOL TSpoolerFaults::SetPrinter(HANDLE handle, DWORD level, LPBYTE info, DWORD command) {
  return inner_.SetPrinter(handle, level, info, command);
}
DWORD TSpoolerFaults::GetPrinterData(HANDLE handle, LPWSTR valueName, LPDWORD type, LPBYTE data, DWORD size,
                                     LPDWORD needed) {
  return inner_.GetPrinterData(handle, valueName, type, data, size, needed);
}
DWORD TSpoolerFaults::SetPrinterData(HANDLE handle, LPWSTR valueName, DWORD type, LPBYTE data, DWORD size) {
  return inner_.SetPrinterData(handle, valueName, type, data, size);
}
BOOL TSpoolerFaults::GetPrinterDriver(HANDLE handle, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                      LPDWORD needed) {
  return inner_.GetPrinterDriver(handle, environment, level, buffer, size, needed);
}
BOOL TSpoolerFaults::EnumJobs(HANDLE handle, DWORD firstJob, DWORD count, DWORD level, LPBYTE buffer, DWORD size,
                              LPDWORD needed, LPDWORD returned) {
  return inner_.EnumJobs(handle, firstJob, count, level, buffer, size, needed, returned);
}
BOOL TSpoolerFaults::GetJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
  return inner_.GetJob(handle, jobId, level, buffer, size, needed);
}
BOOL TSpoolerFaults::SetJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE info, DWORD command) {
  return inner_.SetJob(handle, jobId, level, info, command);
}
BOOL TSpoolerFaults::EnumPrintProcessors(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                         LPDWORD needed, LPDWORD returned) {
  return inner_.EnumPrintProcessors(server, environment, level, buffer, size, needed, returned);
}
BOOL TSpoolerFaults::EnumPrintProcessorDatatypes(LPWSTR server, LPWSTR processor, DWORD level, LPBYTE buffer,
                                                 DWORD size, LPDWORD needed, LPDWORD returned) {
  return inner_.EnumPrintProcessorDatatypes(server, processor, level, buffer, size, needed, returned);
}
BOOL TSpoolerFaults::EnumPorts(LPWSTR server, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                               LPDWORD returned) {
  return inner_.EnumPorts(server, level, buffer, size, needed, returned);
}
BOOL TSpoolerFaults::EnumPrinterDrivers(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                        LPDWORD needed, LPDWORD returned) {
  return inner_.EnumPrinterDrivers(server, environment, level, buffer, size, needed, returned);
}
BOOL TSpoolerFaults::GetPrinterDriverDirectory(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer,
                                               DWORD size, LPDWORD needed) {
  return inner_.GetPrinterDriverDirectory(server, environment, level, buffer, size, needed);
}
BOOL TSpoolerFaults::EnumPrintersA(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                                   LPDWORD returned) {
  return inner_.EnumPrintersA(flags, name, level, buffer, size, needed, returned);
}
BOOL TSpoolerFaults::EnumPortsA(LPSTR server, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                                LPDWORD returned) {
  return inner_.EnumPortsA(server, level, buffer, size, needed, returned);
}
BOOL TSpoolerFaults::EnumPrinterDriversA(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                         LPDWORD needed, LPDWORD returned) {
  return inner_.EnumPrinterDriversA(server, environment, level, buffer, size, needed, returned);
}
BOOL TSpoolerFaults::AddPrinterDriverA(LPSTR server, DWORD level, LPBYTE info) {
  return inner_.AddPrinterDriverA(server, level, info);
}
bool TSpoolerFaults::SpoolDirectoryOf(const std::u16string& printer, std::u16string& directory) {
  return inner_.SpoolDirectoryOf(printer, directory);
}

#endif
