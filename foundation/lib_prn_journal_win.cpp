// The print-job journal's file: the scan for the last record number and the appending of lines.
#include "foundation/lib_prn_journal_win.h"

#include <string>
#include <vector>

#include "foundation/lib_apiext_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_prn_journal.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"

namespace {

bool ReadAll(const std::u16string& name, std::string& out) {
  out = ReadFileToString(name, 0x40000000);
  return !out.empty();
}

// A new (or empty) file is UTF-8 with a byte-order mark; an existing one keeps its encoding:
// UTF-8 behind its mark, else the ANSI code page.
bool AppendLine(const std::u16string& name, const std::u16string& line) {
  const TFileHandle owner(CreateFileW(WStr(name), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!owner) return false;
  const HANDLE file = owner.Get();
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  std::string bytes;
  bool utf8 = size.QuadPart == 0;
  if (size.QuadPart >= 3) {
    char head[3] = {};
    DWORD done = 0;
    utf8 = ReadFile(file, head, 3, &done, nullptr) && done == 3 && std::string(head, 3) == "\xEF\xBB\xBF";
  }
  if (size.QuadPart == 0) bytes = "\xEF\xBB\xBF";
  bytes += utf8 ? WideToUtf8(line + u"\r\n") : WideToAnsi(line + u"\r\n");
  LARGE_INTEGER zero{};
  DWORD done = 0;
  const bool ok = SetFilePointerEx(file, zero, nullptr, FILE_END) &&
                  WriteFile(file, bytes.data(), DWORD(bytes.size()), &done, nullptr) && done == bytes.size();
  return ok;
}

}  // namespace

TSystemTime JournalLocalTime(const TSystemTime& utc, const TIME_ZONE_INFORMATION* zone) {
  TIME_ZONE_INFORMATION system{};
  if (!zone && GetTimeZoneInformation(&system) == TIME_ZONE_ID_INVALID) return utc;
  SYSTEMTIME in{utc.Year, utc.Month, utc.DayOfWeek, utc.Day, utc.Hour, utc.Minute, utc.Second, utc.Milliseconds}, out{};
  if (!CallSystemTimeToTzSpecificLocalTime(zone ? zone : &system, in, out)) return utc;
  return {out.wYear, out.wMonth, out.wDayOfWeek, out.wDay, out.wHour, out.wMinute, out.wSecond, out.wMilliseconds};
}

void TPrintServerMonitor::Open(const std::u16string& configKey) {
  OpenWith(configKey, PrnHooks().ReadString(HKEY_LOCAL_MACHINE, configKey, u"PrnMonSvrDatFName"),
           PrnHooks().ReadString(HKEY_LOCAL_MACHINE, configKey, u"PrnMonKey"));
}

void TPrintServerMonitor::OpenWith(const std::u16string& configKey, const std::u16string& dataFileName,
                                   const std::u16string& prnMonKey) {
  std::lock_guard guard(lock_);
  ConfigKey = configKey;
  DataFileName = dataFileName;
  PrnMonKey = prnMonKey;
  Enabled = false;
  if (DataFileName.empty()) return;
  const bool existed = GetFileAttributesW(WStr(DataFileName)) != INVALID_FILE_ATTRIBUTES;
  if (!TFileHandle(CreateFileW(WStr(DataFileName), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr)))
    return;
  // The probe leaves no empty file behind: the first line makes the file, with its byte-order mark.
  if (!existed) DeleteFileW(WStr(DataFileName));
  Enabled = true;
  std::string bytes;
  if (existed && ReadAll(DataFileName, bytes)) lastRecordNo_ = ScanJournalRecordNo(bytes, lastRecordNo_);
}

uint32_t TPrintServerMonitor::AppendJob(const _JOBINFO& job) {
  std::lock_guard guard(lock_);
  lastRecordNo_ = NextJournalRecordNo(lastRecordNo_);
  const uint32_t recordNo = lastRecordNo_;
  if (Enabled) AppendLine(DataFileName, FormatJournalLine(recordNo, job, JournalLocalTime(job.Submitted), PrnMonKey));
  return recordNo;
}

uint32_t TPrintServerMonitor::LastRecordNo() const {
  std::lock_guard guard(lock_);
  return lastRecordNo_;
}

_JOBINFO LocalJobInfo(std::u16string_view document, std::u16string_view printer) {
  _JOBINFO job;
  SYSTEMTIME now{};
  GetSystemTime(&now);
  job.Submitted = {now.wYear, now.wMonth, now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond,
                   now.wMilliseconds};
  GetLocalComputerName(job.MachineName);
  GetCurrentUserName(job.UserName);
  job.Document = document;
  job.PrinterName = printer;
  return job;
}
