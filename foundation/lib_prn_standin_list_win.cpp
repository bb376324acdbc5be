// The stand-in spooler's listings: its printers after winspool's own in EnumPrinters (wide and
// 8-bit), and one printer's record for GetPrinter.
#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <deque>

#include "foundation/lib_prn_standin_session_win.h"
#include "foundation/lib_prn_standin_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

using namespace standin;

namespace {

// The enumeration the stand-in answers: local printers, all of them.
bool IsLocalListing(DWORD flags, bool noName) { return (flags & (PRINTER_ENUM_LOCAL | PRINTER_ENUM_NAME)) && noName; }

// Takes winspool's own records as they are.
template <class Call>
void AddWinspoolRecords(const TPackedLayout& layout, TPackedRecords& records, Call call) {
  DWORD needed = 0, count = 0;
  call(nullptr, 0, &needed, &count);
  std::vector<BYTE> real(needed);
  if (needed && call(real.data(), needed, &needed, &count))
    for (DWORD i = 0; i < count; ++i) records.Add(real.data() + i * layout.RecordSize);
}

// Copies wide printer records as the 8-bit calls give them: the records have the same layout, the
// texts and device settings are converted (and kept here until the records are delivered).
class TAnsiRecords {
 public:
  explicit TAnsiRecords(DWORD level) : wide_(*PrinterInfoLayout(level)), ansi_(*PrinterInfoLayoutA(level)) {}
  // Where 8-bit records are added as they are.
  TPackedRecords& Packed() { return ansi_; }
  // Every record of a delivered wide array.
  void AddWide(const std::vector<BYTE>& bytes, DWORD count) {
    for (DWORD i = 0; i < count; ++i) AddWide(bytes.data() + i * wide_.RecordSize);
  }
  void AddWide(const BYTE* wideRecord) {
    std::vector<BYTE> record(wideRecord, wideRecord + wide_.RecordSize);
    for (size_t i = 0; i < wide_.Fields.size(); ++i) {
      const size_t at = wide_.Fields[i].Offset;
      const void* target = nullptr;
      std::memcpy(&target, record.data() + at, sizeof target);
      if (!target) continue;
      const void* converted = target;
      if (wide_.Fields[i].Kind == TPackedKind::Text) {
        const std::string& text = texts_.emplace_back(WideToAnsi(Text(static_cast<LPCWSTR>(target))));
        converted = text.c_str();
      } else if (wide_.Fields[i].Kind == TPackedKind::DevMode) {
        converted = blocks_.emplace_back(DevModeToAnsi(*static_cast<const DEVMODEW*>(target))).data();
      }
      std::memcpy(record.data() + at, &converted, sizeof converted);
    }
    ansi_.Add(record.data());
  }
  BOOL Deliver(LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) const {
    return ansi_.Deliver(buffer, size, needed, returned);
  }

 private:
  const TPackedLayout& wide_;
  TPackedRecords ansi_;
  std::deque<std::string> texts_;  // a deque keeps its elements where they are
  std::deque<std::vector<uint8_t>> blocks_;
};

}  // namespace

bool TSpoolerStandIn::AddPrinterRecords(DWORD level, TPackedRecords& records) {
  TSession session(directory_);
  if (!session.Ok()) return false;
  for (const auto& p : session.State().Printers) {
    PRINTER_INFO_2W info{};
    info.pPrinterName = Ptr(p.Name);
    info.pShareName = Ptr(p.ShareName);
    info.pPortName = Ptr(p.PortName);
    info.pDriverName = Ptr(p.DriverName);
    info.pComment = Ptr(p.Comment);
    info.pLocation = Ptr(p.Location);
    info.pDevMode = DevModePtr(p.DevMode);
    info.pSepFile = Ptr(p.SepFile);
    info.pPrintProcessor = Ptr(p.PrintProcessor);
    info.pDatatype = Ptr(p.Datatype);
    info.pParameters = Ptr(p.Parameters);
    info.Attributes = p.Attributes;
    info.Priority = p.Priority;
    info.DefaultPriority = p.DefaultPriority;
    info.StartTime = p.StartTime;
    info.UntilTime = p.UntilTime;
    info.Status = p.Status;
    info.cJobs = DWORD(p.Jobs.size());
    const std::u16string description = p.Name + u"," + p.DriverName + u"," + p.Location;
    PRINTER_INFO_1W info1{PRINTER_ENUM_ICON8, Ptr(description), Ptr(p.Name), Ptr(p.Comment)};
    PRINTER_INFO_4W info4{Ptr(p.Name), nullptr, p.Attributes};
    PRINTER_INFO_5W info5{Ptr(p.Name), Ptr(p.PortName), p.Attributes, 15000, 45000};
    const void* record = level == 1 ? static_cast<const void*>(&info1)
                         : level == 2 ? static_cast<const void*>(&info)
                         : level == 4 ? static_cast<const void*>(&info4)
                                      : static_cast<const void*>(&info5);
    records.Add(record);
  }
  return true;
}

BOOL TSpoolerStandIn::EnumPrinters(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size,
                                   LPDWORD needed, LPDWORD returned) {
  const TPackedLayout* layout = PrinterInfoLayout(level);
  if (!layout || !IsLocalListing(flags, !name || !*name))
    return TSpoolerApi::EnumPrinters(flags, name, level, buffer, size, needed, returned);
  TPackedRecords records(*layout);
  AddWinspoolRecords(*layout, records, [&](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) {
    return TSpoolerApi::EnumPrinters(flags, name, level, b, s, n, r);
  });
  AddPrinterRecords(level, records);
  return records.Deliver(buffer, size, needed, returned);
}

BOOL TSpoolerStandIn::EnumPrintersA(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size,
                                    LPDWORD needed, LPDWORD returned) {
  const TPackedLayout* layout = PrinterInfoLayoutA(level);
  if (!layout || !IsLocalListing(flags, !name || !*name))
    return TSpoolerApi::EnumPrintersA(flags, name, level, buffer, size, needed, returned);
  TAnsiRecords records(level);
  AddWinspoolRecords(*layout, records.Packed(), [&](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) {
    return TSpoolerApi::EnumPrintersA(flags, name, level, b, s, n, r);
  });
  // The stand-in's own records are made wide, as for every other call, then converted.
  TPackedRecords wide(*PrinterInfoLayout(level));
  AddPrinterRecords(level, wide);
  DWORD wideSize = 0, wideCount = 0;
  wide.Deliver(nullptr, 0, &wideSize);
  std::vector<BYTE> wideBytes(wideSize);
  if (wide.Deliver(wideBytes.data(), wideSize, &wideSize, &wideCount)) records.AddWide(wideBytes, wideCount);
  return records.Deliver(buffer, size, needed, returned);
}

BOOL TSpoolerStandIn::GetPrinter(HANDLE handle, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::GetPrinter(handle, level, buffer, size, needed);
  const TPackedLayout* layout = PrinterInfoLayout(level);
  if (!layout) return Fail(ERROR_INVALID_LEVEL);
  // The enumeration of one printer, answered from the state.
  TPackedRecords mine(*layout);
  if (!AddPrinterRecords(level, mine)) return Fail(ERROR_INVALID_HANDLE);
  DWORD total = 0, count = 0;
  mine.Deliver(nullptr, 0, &total);
  std::vector<BYTE> all(total);
  if (!mine.Deliver(all.data(), total, &total, &count)) return FALSE;
  const size_t nameOffset = level == 1 ? offsetof(PRINTER_INFO_1W, pName)
                            : level == 2 ? offsetof(PRINTER_INFO_2W, pPrinterName)
                                         : 0;  // levels 4 and 5 lead with the name
  for (DWORD i = 0; i < count; ++i) {
    const BYTE* record = all.data() + i * layout->RecordSize;
    LPWSTR entryName = nullptr;
    std::memcpy(&entryName, record + nameOffset, sizeof entryName);
    if (!entryName || !SameTextW(Text(entryName), h->Printer)) continue;
    TPackedRecords one(*layout);
    one.Add(record);
    return one.Deliver(buffer, size, needed);
  }
  return Fail(ERROR_INVALID_HANDLE);
}
