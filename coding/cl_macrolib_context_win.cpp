// Context store edge: the INI file through the private-profile calls (wide on the NT family), the
// context files beside it, and the named mutex that keeps a section's load and store whole.
#include "coding/cl_macrolib_context_win.h"

#include <vector>

#include "foundation/lib_api_win.h"
#include "foundation/os_win32_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

namespace {
// Long enough for the longest line a profile holds; a value that fills the buffer is read again larger.
constexpr DWORD kFirstBuffer = 1024;
constexpr DWORD kLastBuffer = 1u << 20;
// A holder that never lets go (a hung process) must not stop every other page for ever.
constexpr DWORD kLockWaitMs = 10000;

template <class Char, class Call>
std::basic_string<Char> ReadProfile(Call call) {
  for (DWORD size = kFirstBuffer;; size *= 2) {
    std::vector<Char> buf(size, 0);
    const DWORD n = call(buf.data(), size);
    // The calls answer size - 1 when the value was cut.
    if (n + 1 < size || size >= kLastBuffer) return std::basic_string<Char>(buf.data(), std::min(n, size - 1));
  }
}
}  // namespace

std::string ContextMutexName() { return MakeKernelObjectName(kContextMutexName, false); }

TContextFile::TContextFile() {
  std::u16string dir = GetTempDirectory();
  if (!dir.empty() && CheckFileAccess(IncludeTrailingPathDelimiterW(dir) + std::u16string(kContextStoreName), true) == 0) {
    Open(dir);
    return;
  }
  Open(AnsiToWide(GetWindowsDirA()) + u"\\temp");
}

TContextFile::TContextFile(std::u16string storeDir) { Open(std::move(storeDir)); }

void TContextFile::Open(std::u16string dir) {
  MakeDir(dir);
  dir_ = IncludeTrailingPathDelimiterW(dir);
  fileName_ = dir_ + std::u16string(kContextStoreName);
  // The section ".Default" is shared by the threads and processes that code raw jobs. The store sits in
  // the user's temporary directory, so the lock is one of the session's own.
  mutex_.Reset(CreateMutexA(nullptr, FALSE, ContextMutexName().c_str()));
}

TContextFile::~TContextFile() {
  if (locked_) Unlock();
}

std::u16string TContextFile::ReadValue(std::u16string_view section, std::u16string_view name,
                                       std::u16string_view def) {
  const std::u16string s(section), n(name), d(def);
  if (UseWideApi()) {
    return FromWStr(ReadProfile<wchar_t>([&](wchar_t* buf, DWORD size) {
                      return GetPrivateProfileStringW(WStr(s), WStr(n), WStr(d), buf, size, WStr(fileName_));
                    }).c_str());
  }
  const std::string sa = WideToAnsi(s), na = WideToAnsi(n), da = WideToAnsi(d), fa = WideToAnsi(fileName_);
  return AnsiToWide(ReadProfile<char>([&](char* buf, DWORD size) {
    return GetPrivateProfileStringA(sa.c_str(), na.c_str(), da.c_str(), buf, size, fa.c_str());
  }));
}

void TContextFile::WriteValue(std::u16string_view section, std::u16string_view name, std::u16string_view value) {
  const std::u16string s(section), n(name), v(value);
  if (UseWideApi()) {
    WritePrivateProfileStringW(WStr(s), WStr(n), WStr(v), WStr(fileName_));
  } else {
    WritePrivateProfileStringA(WideToAnsi(s).c_str(), WideToAnsi(n).c_str(), WideToAnsi(v).c_str(),
                               WideToAnsi(fileName_).c_str());
  }
}

std::u16string TContextFile::MakeContextFile() { return MakeUniqueFileName(dir_, u".TMP"); }

std::optional<std::string> TContextFile::ReadFileBytes(const std::u16string& name) {
  if (!FilePresent(name)) return std::nullopt;
  TFileHandle file(CreateFileUni(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  if (!file.Valid()) return std::nullopt;
  const int64_t size = GetHandleFileSize(file.Get());
  // A context is a few fields of one page; anything near this size is not ours.
  if (size < 0 || size > (int64_t{1} << 24)) return std::nullopt;
  std::string bytes(static_cast<size_t>(size), '\0');
  if (size > 0 &&
      ReadFromHandle(file.Get(), {reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()}) != bytes.size())
    return std::nullopt;
  return bytes;
}

bool TContextFile::WriteFileBytes(const std::u16string& name, std::string_view bytes) {
  return SaveStringToFile(name, bytes);
}

void TContextFile::DeleteFileByName(const std::u16string& name) { DeleteFileIfExists(name); }

void TContextFile::ShowError(std::u16string_view text) { ShowErrorMsg(text); }

void TContextFile::Lock() {
  if (!mutex_ || locked_) return;
  const DWORD rc = WaitForSingleObject(mutex_.Get(), kLockWaitMs);
  // An abandoned mutex is ours now; its section may be half written, which the readers tolerate.
  locked_ = rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED;
}

void TContextFile::Unlock() {
  if (!locked_) return;
  ReleaseMutex(mutex_.Get());
  locked_ = false;
}

std::string TContextFile::ToAnsi(std::u16string_view text) const { return WideToAnsi(text); }
std::u16string TContextFile::FromAnsi(std::string_view text) const { return AnsiToWide(text); }
