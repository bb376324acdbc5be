// Spooler access: listing a printer's jobs into job records, and the print processor and EMF
// datatype choice of a printer.
#include <windows.h>
#include <winspool.h>

#include <cstring>

#include "foundation/lib_prn_pack_win.h"
#include "foundation/lib_prn_seam_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

bool ListPrintJobs(HANDLE printer, DWORD firstJob, DWORD count, DWORD& returned, std::vector<uint8_t>& bytes) {
  DWORD needed = 0;
  returned = 0;
  bytes.clear();
  Spooler().EnumJobs(printer, firstJob, count, 2, nullptr, 0, &needed, &returned);
  bytes.assign(needed, 0);
  returned = 0;
  const bool ok = needed > 0 && Spooler().EnumJobs(printer, firstJob, count, 2, bytes.data(), needed, &needed, &returned);
  // A count the bytes cannot hold is not believed.
  if (!ok || returned > bytes.size() / sizeof(JOB_INFO_2W)) returned = 0;
  return ok && returned > 0;
}

namespace {

// The enumeration's pointers are believed only when they point into its own bytes, and a text only
// up to the end of them.
class TJobBytes {
 public:
  explicit TJobBytes(const std::vector<uint8_t>& bytes) : begin_(bytes.data()), end_(bytes.data() + bytes.size()) {}
  bool Holds(const void* p, size_t size) const {
    const auto* b = static_cast<const uint8_t*>(p);
    return b >= begin_ && b <= end_ && size_t(end_ - b) >= size;
  }
  std::u16string Text(const wchar_t* p) const {
    if (!p || !Holds(p, 0)) return {};
    const auto* s = reinterpret_cast<const char16_t*>(p);
    const size_t room = size_t(end_ - reinterpret_cast<const uint8_t*>(p)) / 2;
    size_t n = 0;
    while (n < room && s[n]) ++n;
    return std::u16string(s, n);
  }

 private:
  const uint8_t* begin_;
  const uint8_t* end_;
};

}  // namespace

bool CopyJobInfo(const std::vector<uint8_t>& bytes, DWORD count, DWORD index, _JOBINFO& job) {
  if (index >= count || index >= bytes.size() / sizeof(JOB_INFO_2W)) return false;
  const TJobBytes in(bytes);
  JOB_INFO_2W j;
  std::memcpy(&j, bytes.data() + size_t(index) * sizeof j, sizeof j);
  job = _JOBINFO();
  job.JobId = j.JobId;
  job.PrinterName = in.Text(j.pPrinterName);
  job.MachineName = in.Text(j.pMachineName);
  job.UserName = in.Text(j.pUserName);
  job.Document = in.Text(j.pDocument);
  job.NotifyName = in.Text(j.pNotifyName);
  job.Datatype = in.Text(j.pDatatype);
  job.PrintProcessor = in.Text(j.pPrintProcessor);
  job.Parameters = in.Text(j.pParameters);
  job.DriverName = in.Text(j.pDriverName);
  if (j.pDevMode && in.Holds(j.pDevMode, offsetof(DEVMODEW, dmFields)) &&
      in.Holds(j.pDevMode, size_t(j.pDevMode->dmSize) + j.pDevMode->dmDriverExtra) &&
      j.pDevMode->dmSize >= offsetof(DEVMODEW, dmCollate)) {
    const auto* dm = reinterpret_cast<const uint8_t*>(j.pDevMode);
    job.DevMode.assign(dm, dm + j.pDevMode->dmSize + j.pDevMode->dmDriverExtra);
    job.Copies = uint16_t(j.pDevMode->dmCopies);
  }
  job.Status = in.Text(j.pStatus);
  if (j.pSecurityDescriptor && in.Holds(j.pSecurityDescriptor, sizeof(SECURITY_DESCRIPTOR_RELATIVE)) &&
      IsValidSecurityDescriptor(j.pSecurityDescriptor) &&
      in.Holds(j.pSecurityDescriptor, GetSecurityDescriptorLength(j.pSecurityDescriptor))) {
    const auto* sd = reinterpret_cast<const uint8_t*>(j.pSecurityDescriptor);
    job.SecurityDescriptor.assign(sd, sd + GetSecurityDescriptorLength(j.pSecurityDescriptor));
  }
  job.StatusCode = j.Status;
  job.Priority = j.Priority;
  job.Position = j.Position;
  job.StartTime = j.StartTime;
  job.UntilTime = j.UntilTime;
  job.TotalPages = j.TotalPages;
  job.Size = j.Size;
  job.Submitted = {j.Submitted.wYear,   j.Submitted.wMonth,  j.Submitted.wDayOfWeek, j.Submitted.wDay,
                   j.Submitted.wHour,   j.Submitted.wMinute, j.Submitted.wSecond,    j.Submitted.wMilliseconds};
  job.Time = j.Time;
  job.PagesPrinted = j.PagesPrinted;
  return true;
}

namespace {

template <class Call>
bool ListInto(Call call, std::vector<uint8_t>& bytes, DWORD& count, DWORD firstSize) {
  bytes.assign(firstSize, 0);
  DWORD needed = 0;
  count = 0;
  if (call(bytes.data(), DWORD(bytes.size()), &needed, &count)) return true;
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= bytes.size()) return false;
  bytes.assign(needed, 0);
  return call(bytes.data(), needed, &needed, &count) != FALSE;
}

}  // namespace

bool CorrectPrintProcessor(std::vector<uint8_t>& info) {
  const PRINTER_INFO_2W* p = PrinterInfo2(info);
  if (!p) return false;
  const bool nt = PrnSystem().IsWinNT;
  LPWSTR server = p->pServerName;
  std::u16string processor = FromWStr(p->pPrintProcessor), datatype = FromWStr(p->pDatatype);

  std::vector<uint8_t> processors;
  DWORD count = 0;
  if (!ListInto([&](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) { return Spooler().EnumPrintProcessors(server, PrinterEnvironmentArg(), 1, b, s, n, r); },
                processors, count, 512)) {
    // A list too long for the second call: take WinPrint and ask again.
    processor = u"WinPrint";
    if (!ListInto([&](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) { return Spooler().EnumPrintProcessors(server, PrinterEnvironmentArg(), 1, b, s, n, r); },
                  processors, count, 4096))
      return false;
  }
  const auto* list = reinterpret_cast<const PRINTPROCESSOR_INFO_1W*>(processors.data());
  std::u16string winPrint;
  for (DWORD i = 0; i < count && winPrint.empty(); ++i) {
    const std::u16string name = FromWStr(list[i].pName);
    if (PosW(u"WINPRINT", UpperCaseW(name)) > 0) winPrint = name;
  }
  if (!winPrint.empty() && (!nt || !SameTextW(winPrint, processor))) processor = winPrint;

  std::vector<uint8_t> datatypes;
  if (!ListInto([&](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) {
        return Spooler().EnumPrintProcessorDatatypes(server, const_cast<LPWSTR>(WStr(processor)), 1, b, s, n, r);
      },
                datatypes, count, 260))
    return false;
  const auto* types = reinterpret_cast<const DATATYPES_INFO_1W*>(datatypes.data());
  for (DWORD i = 0; i < count; ++i) {
    const std::u16string type = FromWStr(types[i].pName);
    if (!IsEmfDatatype(type)) continue;
    if (!nt || !SameTextW(type, datatype)) datatype = type;
    break;
  }
  // The record is rebuilt so that its texts live in its own bytes.
  PRINTER_INFO_2W changed = *p;
  changed.pPrintProcessor = const_cast<LPWSTR>(WStr(processor));
  changed.pDatatype = const_cast<LPWSTR>(WStr(datatype));
  TPackedRecords record(*PrinterInfoLayout(2));
  record.Add(&changed);
  DWORD needed = 0;
  record.Deliver(nullptr, 0, &needed);
  std::vector<uint8_t> rebuilt(needed);
  if (!record.Deliver(rebuilt.data(), needed, &needed)) return false;
  info.swap(rebuilt);
  return true;
}
