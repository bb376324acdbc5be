// Spooler records laid out as winspool answers them.
#include "foundation/lib_prn_pack_win.h"

#include <cstring>
#include <cwchar>

namespace {

#define FIELD(type, member, kind) TPackedField{offsetof(type, member), TPackedKind::kind}

const TPackedLayout kPrinter1{sizeof(PRINTER_INFO_1W),
                              {FIELD(PRINTER_INFO_1W, pDescription, Text), FIELD(PRINTER_INFO_1W, pName, Text),
                               FIELD(PRINTER_INFO_1W, pComment, Text)}};
const TPackedLayout kPrinter2{
    sizeof(PRINTER_INFO_2W),
    {FIELD(PRINTER_INFO_2W, pServerName, Text), FIELD(PRINTER_INFO_2W, pPrinterName, Text),
     FIELD(PRINTER_INFO_2W, pShareName, Text), FIELD(PRINTER_INFO_2W, pPortName, Text),
     FIELD(PRINTER_INFO_2W, pDriverName, Text), FIELD(PRINTER_INFO_2W, pComment, Text),
     FIELD(PRINTER_INFO_2W, pLocation, Text), FIELD(PRINTER_INFO_2W, pDevMode, DevMode),
     FIELD(PRINTER_INFO_2W, pSepFile, Text), FIELD(PRINTER_INFO_2W, pPrintProcessor, Text),
     FIELD(PRINTER_INFO_2W, pDatatype, Text), FIELD(PRINTER_INFO_2W, pParameters, Text),
     FIELD(PRINTER_INFO_2W, pSecurityDescriptor, Security)}};
const TPackedLayout kPrinter4{sizeof(PRINTER_INFO_4W),
                              {FIELD(PRINTER_INFO_4W, pPrinterName, Text), FIELD(PRINTER_INFO_4W, pServerName, Text)}};
const TPackedLayout kPrinter5{sizeof(PRINTER_INFO_5W),
                              {FIELD(PRINTER_INFO_5W, pPrinterName, Text), FIELD(PRINTER_INFO_5W, pPortName, Text)}};
const TPackedLayout kJob1{sizeof(JOB_INFO_1W),
                          {FIELD(JOB_INFO_1W, pPrinterName, Text), FIELD(JOB_INFO_1W, pMachineName, Text),
                           FIELD(JOB_INFO_1W, pUserName, Text), FIELD(JOB_INFO_1W, pDocument, Text),
                           FIELD(JOB_INFO_1W, pDatatype, Text), FIELD(JOB_INFO_1W, pStatus, Text)}};
const TPackedLayout kJob2{
    sizeof(JOB_INFO_2W),
    {FIELD(JOB_INFO_2W, pPrinterName, Text), FIELD(JOB_INFO_2W, pMachineName, Text),
     FIELD(JOB_INFO_2W, pUserName, Text), FIELD(JOB_INFO_2W, pDocument, Text), FIELD(JOB_INFO_2W, pNotifyName, Text),
     FIELD(JOB_INFO_2W, pDatatype, Text), FIELD(JOB_INFO_2W, pPrintProcessor, Text),
     FIELD(JOB_INFO_2W, pParameters, Text), FIELD(JOB_INFO_2W, pDriverName, Text), FIELD(JOB_INFO_2W, pDevMode, DevMode),
     FIELD(JOB_INFO_2W, pStatus, Text), FIELD(JOB_INFO_2W, pSecurityDescriptor, Security)}};
const TPackedLayout kDriver2{sizeof(DRIVER_INFO_2W),
                             {FIELD(DRIVER_INFO_2W, pName, Text), FIELD(DRIVER_INFO_2W, pEnvironment, Text),
                              FIELD(DRIVER_INFO_2W, pDriverPath, Text), FIELD(DRIVER_INFO_2W, pDataFile, Text),
                              FIELD(DRIVER_INFO_2W, pConfigFile, Text)}};
const TPackedLayout kDriver3{
    sizeof(DRIVER_INFO_3W),
    {FIELD(DRIVER_INFO_3W, pName, Text), FIELD(DRIVER_INFO_3W, pEnvironment, Text),
     FIELD(DRIVER_INFO_3W, pDriverPath, Text), FIELD(DRIVER_INFO_3W, pDataFile, Text),
     FIELD(DRIVER_INFO_3W, pConfigFile, Text), FIELD(DRIVER_INFO_3W, pHelpFile, Text),
     FIELD(DRIVER_INFO_3W, pDependentFiles, MultiText), FIELD(DRIVER_INFO_3W, pMonitorName, Text),
     FIELD(DRIVER_INFO_3W, pDefaultDataType, Text)}};

#undef FIELD

// Bytes a pointer field's target takes; 0 for a null pointer.
size_t TargetSize(const void* p, TPackedKind kind) {
  if (!p) return 0;
  switch (kind) {
    case TPackedKind::Text: return (std::wcslen(static_cast<const wchar_t*>(p)) + 1) * sizeof(wchar_t);
    case TPackedKind::MultiText: {
      const wchar_t* s = static_cast<const wchar_t*>(p);
      while (*s) s += std::wcslen(s) + 1;
      return size_t(s - static_cast<const wchar_t*>(p) + 1) * sizeof(wchar_t);
    }
    case TPackedKind::DevMode: {
      const auto* dm = static_cast<const DEVMODEW*>(p);
      return size_t(dm->dmSize) + dm->dmDriverExtra;
    }
    case TPackedKind::AnsiText: return std::strlen(static_cast<const char*>(p)) + 1;
    case TPackedKind::AnsiDevMode: {
      const auto* dm = static_cast<const DEVMODEA*>(p);
      return size_t(dm->dmSize) + dm->dmDriverExtra;
    }
    case TPackedKind::Security:
      return IsValidSecurityDescriptor(const_cast<void*>(p)) ? GetSecurityDescriptorLength(const_cast<void*>(p)) : 0;
  }
  return 0;
}

}  // namespace

const TPackedLayout* PrinterInfoLayout(DWORD level) {
  switch (level) {
    case 1: return &kPrinter1;
    case 2: return &kPrinter2;
    case 4: return &kPrinter4;
    case 5: return &kPrinter5;
  }
  return nullptr;
}
namespace {

// PRINTER_INFO_xA and PRINTER_INFO_xW lay their fields out alike; only what the texts and device
// settings are made of differs.
static_assert(sizeof(PRINTER_INFO_1A) == sizeof(PRINTER_INFO_1W) && sizeof(PRINTER_INFO_2A) == sizeof(PRINTER_INFO_2W) &&
              sizeof(PRINTER_INFO_4A) == sizeof(PRINTER_INFO_4W) && sizeof(PRINTER_INFO_5A) == sizeof(PRINTER_INFO_5W) &&
              offsetof(PRINTER_INFO_2A, pSecurityDescriptor) == offsetof(PRINTER_INFO_2W, pSecurityDescriptor));

TPackedLayout AnsiLayout(const TPackedLayout& wide) {
  TPackedLayout ansi = wide;
  for (auto& field : ansi.Fields) {
    if (field.Kind == TPackedKind::Text) field.Kind = TPackedKind::AnsiText;
    if (field.Kind == TPackedKind::DevMode) field.Kind = TPackedKind::AnsiDevMode;
  }
  return ansi;
}

}  // namespace

const TPackedLayout* PrinterInfoLayoutA(DWORD level) {
  static const TPackedLayout layouts[] = {AnsiLayout(kPrinter1), AnsiLayout(kPrinter2), AnsiLayout(kPrinter4),
                                          AnsiLayout(kPrinter5)};
  switch (level) {
    case 1: return &layouts[0];
    case 2: return &layouts[1];
    case 4: return &layouts[2];
    case 5: return &layouts[3];
  }
  return nullptr;
}
const TPackedLayout* JobInfoLayout(DWORD level) { return level == 1 ? &kJob1 : level == 2 ? &kJob2 : nullptr; }
const TPackedLayout* DriverInfoLayout(DWORD level) { return level == 2 ? &kDriver2 : level == 3 ? &kDriver3 : nullptr; }

void TPackedRecords::Add(const void* record) {
  const size_t index = records_.size();
  std::vector<BYTE>& bytes = records_.emplace_back(layout_.RecordSize);
  std::memcpy(bytes.data(), record, layout_.RecordSize);
  for (const auto& field : layout_.Fields) {
    void* target = nullptr;
    std::memcpy(&target, bytes.data() + field.Offset, sizeof target);
    const size_t size = TargetSize(target, field.Kind);
    void* const none = nullptr;
    std::memcpy(bytes.data() + field.Offset, &none, sizeof none);
    if (size == 0) continue;
    // Blocks stay 4-byte aligned, as DEVMODE and security descriptors need.
    variable_.resize((variable_.size() + 3) & ~size_t(3));
    fixups_.push_back({index * layout_.RecordSize + field.Offset, variable_.size()});
    variable_.insert(variable_.end(), static_cast<const BYTE*>(target), static_cast<const BYTE*>(target) + size);
  }
}

BOOL TPackedRecords::Deliver(LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) const {
  const size_t fixed = records_.size() * layout_.RecordSize;
  const size_t total = fixed + variable_.size();
  if (needed) *needed = DWORD(total);
  if (returned) *returned = 0;
  if (size < total || (total > 0 && !buffer)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  for (size_t i = 0; i < records_.size(); ++i) std::memcpy(buffer + i * layout_.RecordSize, records_[i].data(), layout_.RecordSize);
  if (!variable_.empty()) std::memcpy(buffer + fixed, variable_.data(), variable_.size());
  for (const auto& f : fixups_) {
    void* target = buffer + fixed + f.TargetAt;
    std::memcpy(buffer + f.FieldAt, &target, sizeof target);
  }
  if (returned) *returned = Count();
  return TRUE;
}
