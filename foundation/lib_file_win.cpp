// Directories, names, temporary files, existence tests and file management, with the W/A choice.
#include "foundation/lib_file_win.h"

#include <random>

#include "foundation/lib_api_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

namespace {
// Calls a routine that fills a buffer and answers the length, growing the buffer while the answer says
// it was too small (the answer is then the size needed, or the buffer's size when it truncated).
template <class Char, class Fill>
std::basic_string<Char> FetchText(Fill fill) {
  std::vector<Char> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 8; ++attempt) {
    const DWORD n = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::basic_string<Char>(buffer.data(), n);
    buffer.resize(std::max<size_t>(n + 1, buffer.size() * 2));
  }
  return {};
}

std::u16string FromWide(const std::wstring& text) { return FromWStr(text.c_str(), text.size()); }

// The performance counter, or the tick count where there is none.
uint64_t CounterValue() {
  LARGE_INTEGER counter;
  if (QueryPerformanceCounter(&counter) && counter.QuadPart != 0) return static_cast<uint64_t>(counter.QuadPart);
  return GetTickCount();
}

// The thread's id keeps threads seeded in the same instant apart.
std::mt19937 SeededGenerator() {
  const uint64_t counter = CounterValue();
  std::seed_seq seed{static_cast<uint32_t>(counter), static_cast<uint32_t>(counter >> 32),
                     static_cast<uint32_t>(GetCurrentThreadId())};
  return std::mt19937(seed);
}

// One generator a thread, so names are drawn without a lock; CREATE_NEW settles any collision.
std::mt19937& Generator() {
  thread_local std::mt19937 generator = SeededGenerator();
  return generator;
}

uint32_t RandomNumber(uint32_t bound) { return std::uniform_int_distribution<uint32_t>(0, bound)(Generator()); }

// Creates the first free name the generator gives; a name taken by an existing file is drawn again.
template <class MakeName>
std::u16string CreateFreshFile(MakeName makeName) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::u16string name = makeName();
    TFileHandle file(CreateFileUni(name, GENERIC_WRITE, 0, CREATE_NEW));
    if (file.Valid()) return name;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

bool FindFile(const std::u16string& path, WIN32_FIND_DATAW& found) {
  TFindHandle search;
  if (UseWideApi()) {
    search.Reset(FindFirstFileW(WStr(path), &found));
  } else {
    WIN32_FIND_DATAA data{};
    search.Reset(FindFirstFileA(WideToAnsi(path).c_str(), &data));
    if (search) {
      found.dwFileAttributes = data.dwFileAttributes;
      found.nFileSizeHigh = data.nFileSizeHigh;
      found.nFileSizeLow = data.nFileSizeLow;
    }
  }
  return search.Valid();
}

DWORD AttributesOf(const std::u16string& name) {
  return UseWideApi() ? GetFileAttributesW(WStr(name)) : GetFileAttributesA(WideToAnsi(name).c_str());
}

bool SetAttributes(const std::u16string& name, DWORD attributes) {
  return UseWideApi() ? SetFileAttributesW(WStr(name), attributes) != 0
                      : SetFileAttributesA(WideToAnsi(name).c_str(), attributes) != 0;
}

bool DeleteOne(const std::u16string& name) {
  return UseWideApi() ? DeleteFileW(WStr(name)) != 0 : DeleteFileA(WideToAnsi(name).c_str()) != 0;
}
}  // namespace

HANDLE CreateFileUni(const std::u16string& name, DWORD access, DWORD share, DWORD disposition, DWORD attributes) {
  if (UseWideApi()) return CreateFileW(WStr(name), access, share, nullptr, disposition, attributes, nullptr);
  return CreateFileA(WideToAnsi(name).c_str(), access, share, nullptr, disposition, attributes, nullptr);
}

std::u16string GetSystemDir() {
  const std::u16string dir =
      UseWideApi() ? FromWide(FetchText<wchar_t>([](wchar_t* b, DWORD n) { return GetSystemDirectoryW(b, n); }))
                   : AnsiToWide(FetchText<char>([](char* b, DWORD n) { return GetSystemDirectoryA(b, n); }));
  return ExcludeTrailingPathDelimiterW(dir);
}

std::u16string GetExeName() {
  if (UseWideApi())
    return FromWide(FetchText<wchar_t>([](wchar_t* b, DWORD n) { return GetModuleFileNameW(nullptr, b, n); }));
  return AnsiToWide(FetchText<char>([](char* b, DWORD n) { return GetModuleFileNameA(nullptr, b, n); }));
}

std::u16string GetProgramDir() { return ExtractFilePathW(GetExeName()); }

std::u16string GetCommandLineText() {
  return UseWideApi() ? FromWStr(GetCommandLineW()) : AnsiToWide(GetCommandLineA());
}

std::string GetWindowsDirA() {
  return FetchText<char>([](char* b, DWORD n) { return GetWindowsDirectoryA(b, n); });
}

std::u16string GetEnvVar(const std::u16string& name) {
  if (UseWideApi()) {
    return FromWide(
        FetchText<wchar_t>([&](wchar_t* b, DWORD n) { return GetEnvironmentVariableW(WStr(name), b, n); }));
  }
  const std::string ansiName = WideToAnsi(name);
  return AnsiToWide(FetchText<char>([&](char* b, DWORD n) { return GetEnvironmentVariableA(ansiName.c_str(), b, n); }));
}

std::u16string GetTempPathDir() {
  const std::u16string dir =
      UseWideApi() ? FromWide(FetchText<wchar_t>([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); }))
                   : AnsiToWide(FetchText<char>([](char* b, DWORD n) { return GetTempPathA(n, b); }));
  return dir.empty() ? dir : IncludeTrailingPathDelimiterW(dir);
}

std::u16string GetTempDirectory() {
  for (std::u16string dir : {GetEnvVar(u"TMP"), GetEnvVar(u"TEMP"), GetTempPathDir()}) {
    if (MakeDir(dir)) return dir;
  }
  ShowErrorMsg(u"Ошибка инициализации каталога временных файлов");
  return {};
}

std::u16string GetFullPath(const std::u16string& path) {
  if (UseWideApi()) {
    return FromWide(
        FetchText<wchar_t>([&](wchar_t* b, DWORD n) { return GetFullPathNameW(WStr(path), n, b, nullptr); }));
  }
  const std::string ansiPath = WideToAnsi(path);
  return AnsiToWide(FetchText<char>([&](char* b, DWORD n) { return GetFullPathNameA(ansiPath.c_str(), n, b, nullptr); }));
}

std::u16string GetShortPath(const std::u16string& path) {
  if (UseWideApi()) {
    return FromWide(FetchText<wchar_t>([&](wchar_t* b, DWORD n) { return GetShortPathNameW(WStr(path), b, n); }));
  }
  const std::string ansiPath = WideToAnsi(path);
  return AnsiToWide(FetchText<char>([&](char* b, DWORD n) { return GetShortPathNameA(ansiPath.c_str(), b, n); }));
}

void SeedRandomGenerator() { Generator() = SeededGenerator(); }

std::u16string MakeUniqueFileName(const std::u16string& dir, const std::u16string& ext) {
  return CreateFreshFile([&] { return HexFileName(dir, RandomNumber(0x7FFFFFFE), ext); });
}

std::u16string MakeTempFileName() {
  const std::u16string dir = GetTempPathDir();
  if (dir.empty()) return {};
  return CreateFreshFile([&] { return HexFileName(dir, RandomNumber(0xFFFFFFFF), u".TMP"); });
}

bool FilePresent(const std::u16string& path) {
  WIN32_FIND_DATAW found{};
  return !path.empty() && FindFile(path, found) && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FilePresentA(const std::string& path) { return FilePresent(AnsiToWide(path)); }

bool DirPresent(const std::u16string& path) { return !path.empty() && DirectoryExistsW(path); }

int64_t GetFileSizeByName(const std::u16string& path) {
  WIN32_FIND_DATAW found{};
  if (path.empty() || !FindFile(path, found)) return -1;
  return (static_cast<int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

int64_t GetHandleFileSize(HANDLE handle) {
  LARGE_INTEGER size{};
  return GetFileSizeEx(handle, &size) ? size.QuadPart : -1;
}

DWORD CheckFileAccess(const std::u16string& name, bool allowCreate) {
  if (!allowCreate) {
    TFileHandle file(CreateFileUni(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    return file.Valid() ? 0 : GetLastError();
  }
  TFileHandle file(CreateFileUni(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS));
  if (!file.Valid()) return GetLastError();
  // OPEN_ALWAYS tells whether the file was there before: one made for the test goes again.
  const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
  file.Reset();
  if (created) DeleteOne(name);
  return 0;
}

bool MakeDir(std::u16string& dir) {
  if (dir.empty()) return false;
  dir = IncludeTrailingPathDelimiterW(dir);
  if (DirectoryExistsW(dir)) return true;
  CreateDirW(dir);
  return DirectoryExistsW(dir);
}

bool DeleteFileIfExists(const std::u16string& name) {
  if (DeleteOne(name)) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool DeleteFileNowOrOnReboot(const std::u16string& name) {
  return DeleteFileIfExists(name) || DeleteFileOnReboot(name);
}

bool DeleteFileOnReboot(const std::u16string& name) {
  if (UseWideApi()) return MoveFileExW(WStr(name), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  // The 9x family deletes at start-up what WININIT.INI lists as "NUL=<short name>".
  const std::u16string shortName = GetShortPath(name);
  const std::string windowsDir = GetWindowsDirA();
  if (shortName.empty() || windowsDir.empty()) return false;
  const std::u16string ini = IncludeTrailingPathDelimiterW(AnsiToWide(windowsDir)) + u"WININIT.INI";
  const std::string text = AddWininitRename(ReadFileToString(ini), "NUL=" + WideToAnsi(shortName));
  return SaveStringToFile(ini, text);
}

bool SetFileReadOnly(const std::u16string& name, bool readOnly) {
  const DWORD attributes = AttributesOf(name);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  const DWORD wanted =
      readOnly ? attributes | FILE_ATTRIBUTE_READONLY : attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  return SetAttributes(name, wanted);
}

bool CopyFileReplace(const std::u16string& source, const std::u16string& target) {
  if (UseWideApi()) return CopyFileW(WStr(source), WStr(target), FALSE) != 0;
  return CopyFileA(WideToAnsi(source).c_str(), WideToAnsi(target).c_str(), FALSE) != 0;
}

bool MoveFileReplace(const std::u16string& source, const std::u16string& target) {
  if (UseWideApi()) {
    return MoveFileExW(WStr(source), WStr(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
  }
  // The 9x family has no MoveFileEx: the target goes first, and only when the source is there.
  if (!FilePresent(source)) return false;
  if (!DeleteFileIfExists(target)) return false;
  return MoveFileA(WideToAnsi(source).c_str(), WideToAnsi(target).c_str()) != 0;
}
