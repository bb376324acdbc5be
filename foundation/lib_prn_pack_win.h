// Lays spooler records out the way winspool answers them: fixed records first, the texts and blocks
// they point at behind them, all in the caller's one buffer. The stand-in spooler answers with it.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <cstddef>
#include <vector>

// What one pointer field of a record points at.
enum class TPackedKind { Text, MultiText, DevMode, Security, AnsiText, AnsiDevMode };
struct TPackedField {
  size_t Offset;
  TPackedKind Kind;
};
struct TPackedLayout {
  size_t RecordSize;
  std::vector<TPackedField> Fields;
};

// The layouts of the levels the stand-in answers; nullptr for another level.
const TPackedLayout* PrinterInfoLayout(DWORD level);
// The same records of the 8-bit calls (PRINTER_INFO_xA).
const TPackedLayout* PrinterInfoLayoutA(DWORD level);
const TPackedLayout* JobInfoLayout(DWORD level);
const TPackedLayout* DriverInfoLayout(DWORD level);

class TPackedRecords {
 public:
  explicit TPackedRecords(const TPackedLayout& layout) : layout_(layout) {}
  // Adds a copy of a record whose pointer fields point at live data (or are null).
  void Add(const void* record);
  DWORD Count() const { return DWORD(records_.size()); }
  // Copies the records into the buffer and points their fields into it. Needed size in *needed;
  // FALSE with ERROR_INSUFFICIENT_BUFFER when the buffer is too small.
  BOOL Deliver(LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned = nullptr) const;

 private:
  struct TFixup {
    size_t FieldAt;   // in the whole image
    size_t TargetAt;  // in the variable part
  };
  const TPackedLayout& layout_;
  std::vector<std::vector<BYTE>> records_;
  std::vector<BYTE> variable_;
  std::vector<TFixup> fixups_;
};
