// Fixtures of the tests under Wine: a fresh directory removed with everything in it at the end, a test
// registry key removed at both ends, the injected platform identifier (the 9x branch), and small
// helpers to write and read fixture files.
#pragma once

#include <windows.h>

#include <string>

#include "foundation/lib_unicode_win.h"

class TScratchDir {
 public:
  explicit TScratchDir(const std::u16string& leaf) {
    wchar_t buf[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH, buf);
    path_ = FromWStr(buf, n) + leaf + u"_" + FromWStr(std::to_wstring(GetCurrentProcessId()).c_str());
    Remove();
    CreateDirectoryW(WStr(path_), nullptr);
  }
  ~TScratchDir() { Remove(); }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;

  const std::u16string& Path() const { return path_; }
  std::u16string File(const std::u16string& name) const { return path_ + u"\\" + name; }

 private:
  void Remove() {
    // SHFileOperation wants a list ending in two zeros.
    std::u16string from = path_ + u'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = WStr(from);
    op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationW(&op);
  }
  std::u16string path_;
};

// A test key under HKEY_CURRENT_USER, removed at both ends. The shared parent stays: removing it could pull the path from
// under another test program while it creates its own key.
class TTestKey {
 public:
  explicit TTestKey(std::u16string path) : path_(std::move(path)) { Remove(); }
  ~TTestKey() { Remove(); }
  TTestKey(const TTestKey&) = delete;
  TTestKey& operator=(const TTestKey&) = delete;
  void Remove() const { RegDeleteTreeW(HKEY_CURRENT_USER, WStr(path_)); }

 private:
  std::u16string path_;
};

// The platform identifier for one scope; the real one comes back at its end.
class TPlatformGuard {
 public:
  explicit TPlatformGuard(DWORD id) { SetPlatformIdForTesting(id); }
  ~TPlatformGuard() { SetPlatformIdForTesting(0); }
  TPlatformGuard(const TPlatformGuard&) = delete;
  TPlatformGuard& operator=(const TPlatformGuard&) = delete;
};

inline bool WriteFixture(const std::u16string& name, const std::string& bytes) {
  HANDLE h = CreateFileW(WStr(name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

// The file's bytes, or "<missing>" when it cannot be opened.
inline std::string ReadFixture(const std::u16string& name) {
  HANDLE h = CreateFileW(WStr(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string out;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(h);
  return out;
}
