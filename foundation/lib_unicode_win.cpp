// UTF-16 file, window and resource calls with the W/A choice by platform identifier.
#include "foundation/lib_unicode_win.h"

#include <atomic>
#include <vector>

#include "foundation/lib_unicode.h"

namespace {
// Process-wide by nature: the platform never changes while the process runs.
std::atomic<DWORD> g_platformOverride{0};

DWORD ReadPlatformId() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) return VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
  return info.dwPlatformId;
}

bool IsDirectoryAttr(DWORD attr) { return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY); }

DWORD FileAttributesOf(const std::u16string& name) {
  if (UseWideApi()) return GetFileAttributesW(WStr(name));
  return GetFileAttributesA(WideToAnsi(name).c_str());
}

int32_t DosTimeOf(const FILETIME& utc) {
  FILETIME local;
  WORD date = 0;
  WORD time = 0;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return -1;
  return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
}

// Skips entries whose attributes were not asked for; fills the record from the current entry.
DWORD FindMatching(TSearchRecW& rec) {
  while (rec.FindData.dwFileAttributes & static_cast<DWORD>(rec.ExcludeAttr)) {
    if (!FindNextFileW(rec.FindHandle, &rec.FindData)) return GetLastError();
  }
  rec.Time = DosTimeOf(rec.FindData.ftLastWriteTime);
  rec.Size = static_cast<int32_t>(rec.FindData.nFileSizeLow);
  rec.Attr = static_cast<int32_t>(rec.FindData.dwFileAttributes);
  rec.Name = FromWStr(rec.FindData.cFileName);
  return 0;
}
}  // namespace

DWORD GetPlatformId() {
  const DWORD forced = g_platformOverride.load();
  if (forced != 0) return forced;
  static const DWORD platform = ReadPlatformId();
  return platform;
}

bool UseWideApi() { return GetPlatformId() == VER_PLATFORM_WIN32_NT; }

void SetPlatformIdForTesting(DWORD platformId) { g_platformOverride.store(platformId); }

std::string WideToAnsi(std::u16string_view text) {
  if (text.empty()) return {};
  const auto* src = reinterpret_cast<const wchar_t*>(text.data());
  const int n = WideCharToMultiByte(CP_ACP, 0, src, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, src, static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::u16string AnsiToWide(std::string_view text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

BOOL UniPostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return UseWideApi() ? PostMessageW(wnd, msg, wParam, lParam) : PostMessageA(wnd, msg, wParam, lParam);
}

LRESULT UniSendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return UseWideApi() ? SendMessageW(wnd, msg, wParam, lParam) : SendMessageA(wnd, msg, wParam, lParam);
}

LONG_PTR UniGetWindowLong(HWND wnd, int index) {
  return UseWideApi() ? GetWindowLongW(wnd, index) : GetWindowLongA(wnd, index);
}

LONG_PTR UniSetWindowLong(HWND wnd, int index, LONG_PTR value) {
  return UseWideApi() ? SetWindowLongW(wnd, index, static_cast<LONG>(value))
                      : SetWindowLongA(wnd, index, static_cast<LONG>(value));
}

LRESULT UniDefWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return UseWideApi() ? DefWindowProcW(wnd, msg, wParam, lParam) : DefWindowProcA(wnd, msg, wParam, lParam);
}

LRESULT UniDefFrameProc(HWND wnd, HWND client, UINT msg, WPARAM wParam, LPARAM lParam) {
  return UseWideApi() ? DefFrameProcW(wnd, client, msg, wParam, lParam)
                      : DefFrameProcA(wnd, client, msg, wParam, lParam);
}

std::u16string LoadResStringW(UINT_PTR id) {
  if (id >= 0x10000) return FromWStr(reinterpret_cast<const wchar_t*>(id));
  const HINSTANCE module = GetModuleHandleW(nullptr);
  if (UseWideApi()) {
    std::vector<wchar_t> buf(1024);
    const int n = LoadStringW(module, static_cast<UINT>(id), buf.data(), static_cast<int>(buf.size()));
    return n > 0 ? FromWStr(buf.data(), static_cast<size_t>(n)) : std::u16string();
  }
  std::vector<char> buf(1024);
  const int n = LoadStringA(module, static_cast<UINT>(id), buf.data(), static_cast<int>(buf.size()));
  return n > 0 ? AnsiToWide(std::string_view(buf.data(), static_cast<size_t>(n))) : std::u16string();
}

TMbcsByteType ByteTypeW(std::u16string_view text, int index) {
  if (!GetSystemMetrics(SM_DBCSENABLED) || index < 1 || static_cast<size_t>(index) > text.size())
    return TMbcsByteType::mbSingleByte;
  const char16_t c = text[index - 1];
  if (c >= 0xD800 && c <= 0xDBFF) return TMbcsByteType::mbLeadByte;
  if (c >= 0xDC00 && c <= 0xDFFF) return TMbcsByteType::mbTrailByte;
  return TMbcsByteType::mbSingleByte;
}

int32_t FileAgeW(const std::u16string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  BOOL ok;
  if (UseWideApi()) {
    ok = GetFileAttributesExW(WStr(name), GetFileExInfoStandard, &data);
  } else {
    ok = GetFileAttributesExA(WideToAnsi(name).c_str(), GetFileExInfoStandard, &data);
  }
  if (!ok || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return -1;
  return DosTimeOf(data.ftLastWriteTime);
}

bool FileExistsW(const std::u16string& name) {
  // Asked of the attributes, not of the time stamp: a file dated outside the DOS range still exists.
  const DWORD attr = FileAttributesOf(name);
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExistsW(const std::u16string& name) { return IsDirectoryAttr(FileAttributesOf(name)); }

bool CreateDirW(const std::u16string& name) {
  if (UseWideApi()) return CreateDirectoryW(WStr(name), nullptr) != 0;
  return CreateDirectoryA(WideToAnsi(name).c_str(), nullptr) != 0;
}

bool RemoveFileW(const std::u16string& name) {
  if (UseWideApi()) return DeleteFileW(WStr(name)) != 0;
  return DeleteFileA(WideToAnsi(name).c_str()) != 0;
}

bool ForceDirectoriesW(const std::u16string& path) {
  if (path.empty()) throw EInOutError(3, "Unable to create directory");
  const std::u16string dir = ExcludeTrailingPathDelimiterW(path);
  // A drive ("C:") or a share root, or a directory already there, ends the climb.
  if (dir.size() < 3 || DirectoryExistsW(dir) || ExtractFilePathW(dir) == dir) return true;
  const std::u16string parent = ExtractFileDirW(dir);
  if (!parent.empty() && parent != dir && !ForceDirectoriesW(parent)) return false;
  return CreateDirW(dir) || DirectoryExistsW(dir);
}

DWORD FindFirstW(const std::u16string& mask, int32_t attributes, TSearchRecW& rec) {
  rec.ExcludeAttr = ~attributes & (faHidden | faSysFile | faVolumeID | faDirectory);
  rec.FindHandle = FindFirstFileW(WStr(mask), &rec.FindData);
  if (rec.FindHandle == INVALID_HANDLE_VALUE) return GetLastError();
  const DWORD result = FindMatching(rec);
  if (result != 0) FindCloseW(rec);
  return result;
}

DWORD FindNextW(TSearchRecW& rec) {
  if (rec.FindHandle == INVALID_HANDLE_VALUE) return ERROR_NO_MORE_FILES;
  if (!FindNextFileW(rec.FindHandle, &rec.FindData)) return GetLastError();
  return FindMatching(rec);
}

void FindCloseW(TSearchRecW& rec) {
  if (rec.FindHandle != INVALID_HANDLE_VALUE) {
    FindClose(rec.FindHandle);
    rec.FindHandle = INVALID_HANDLE_VALUE;
  }
}
