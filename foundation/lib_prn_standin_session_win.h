// Inside the stand-in spooler (only its own sources include this): the state of an open handle, a
// call's session on the state directory, and the helpers its calls share.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "foundation/lib_handle_win.h"
#include "foundation/lib_prn_standin_win.h"

struct TSpoolerStandIn::THandle {
  std::u16string Printer;
  ACCESS_MASK Access = PRINTER_ACCESS_USE;
  uint32_t DocJob = 0;  // the job StartDocPrinter opened, 0 outside a document
  TFileHandle DocFile;
};

// Holds the directory's lock file (shared with other processes using the same directory) and the
// state read under it.
class TSpoolerStandIn::TSession {
 public:
  explicit TSession(const std::u16string& directory);
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  // A damaged or unreadable state is never written over.
  bool Ok() const { return ok_; }
  TStandInState& State() { return state_; }
  TStandInPrinter* Find(const std::u16string& name) { return ok_ ? state_.Find(name) : nullptr; }
  bool Save();

 private:
  std::u16string directory_;
  TFileHandle lock_;
  TStandInState state_;
  bool ok_ = false;
};

namespace standin {

inline constexpr DWORD kStatusPendingDeletion = 0x4;  // PRINTER_STATUS_PENDING_DELETION

// The device settings the stand-in writes into (orientation, paper size, copies) must lie inside a
// DEVMODE's own size, and its sizes inside the bytes that hold it.
inline constexpr size_t kDevModeFieldsEnd = offsetof(DEVMODEW, dmDefaultSource);
bool IsWholeDevMode(std::span<const uint8_t> bytes);
// A caller's DEVMODE as bytes; empty when it is null, false when it is too short for the fields.
bool TakeDevMode(const DEVMODEW* in, std::vector<uint8_t>& out);
std::vector<uint8_t> DefaultDevMode(const std::u16string& printer);
// The bytes as a DEVMODE, or nullptr when they are not a whole one.
DEVMODEW* DevModePtr(const std::vector<uint8_t>& bytes);
// The same DEVMODE as the 8-bit calls give it (names in the ANSI code page).
std::vector<uint8_t> DevModeToAnsi(const DEVMODEW& dm);

std::u16string Text(LPCWSTR s);
LPWSTR Ptr(const std::u16string& s);
std::vector<uint8_t> ToBytes(const void* p, size_t n);
TSystemTime NowUtc();
SYSTEMTIME ToSystemTime(const TSystemTime& t);
std::u16string ComputerName();
std::u16string UserName();
// Sets the last error and answers FALSE, as the spooler's calls fail.
BOOL Fail(DWORD error);

}  // namespace standin
