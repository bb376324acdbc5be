// UTF-16 file, window and resource calls, each made in its W form on the NT family and in its A form
// (through the system code page) elsewhere; the platform identifier is read once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// wchar_t is 16-bit on Windows: the one adapter between the portable core's text and the W calls.
inline const wchar_t* WStr(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline std::u16string FromWStr(const wchar_t* s) {
  return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
}
inline std::u16string FromWStr(const wchar_t* s, size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}

// The platform identifier of GetVersionEx, read on first use; 2 (VER_PLATFORM_WIN32_NT) selects the W calls.
DWORD GetPlatformId();
bool UseWideApi();
// Tests reach the 9x branch by injecting the platform identifier; 0 returns to the real one.
void SetPlatformIdForTesting(DWORD platformId);

// Text through the system's ANSI code page (the A calls' side).
std::string WideToAnsi(std::u16string_view text);
std::u16string AnsiToWide(std::string_view text);

BOOL UniPostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT UniSendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
LONG_PTR UniGetWindowLong(HWND wnd, int index);
LONG_PTR UniSetWindowLong(HWND wnd, int index, LONG_PTR value);
LRESULT UniDefWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT UniDefFrameProc(HWND wnd, HWND client, UINT msg, WPARAM wParam, LPARAM lParam);

// A string resource of this module; an identifier of 65536 or more is the address of the text itself.
std::u16string LoadResStringW(UINT_PTR id);

enum class TMbcsByteType { mbSingleByte, mbLeadByte, mbTrailByte };
TMbcsByteType ByteTypeW(std::u16string_view text, int index);

// The input/output error ForceDirectoriesW raises for an empty name (code 3).
class EInOutError : public std::runtime_error {
 public:
  EInOutError(int code, const char* text) : std::runtime_error(text), ErrorCode(code) {}
  int ErrorCode;
};

// DOS date (high word) and time (low word) in local time; -1 when absent or a directory.
int32_t FileAgeW(const std::u16string& name);
bool FileExistsW(const std::u16string& name);
bool DirectoryExistsW(const std::u16string& name);
bool CreateDirW(const std::u16string& name);
bool RemoveFileW(const std::u16string& name);
bool ForceDirectoriesW(const std::u16string& path);

// File attribute bits of the search.
inline constexpr int32_t faReadOnly = 0x01;
inline constexpr int32_t faHidden = 0x02;
inline constexpr int32_t faSysFile = 0x04;
inline constexpr int32_t faVolumeID = 0x08;
inline constexpr int32_t faDirectory = 0x10;
inline constexpr int32_t faArchive = 0x20;
inline constexpr int32_t faAnyFile = 0x3F;

struct TSearchRecW {
  int32_t Time = 0;
  int32_t Size = 0;
  int32_t Attr = 0;
  std::u16string Name;
  int32_t ExcludeAttr = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW FindData{};
};

// 0, or the system error code (ERROR_FILE_NOT_FOUND, ERROR_NO_MORE_FILES, ...).
DWORD FindFirstW(const std::u16string& mask, int32_t attributes, TSearchRecW& rec);
DWORD FindNextW(TSearchRecW& rec);
void FindCloseW(TSearchRecW& rec);
