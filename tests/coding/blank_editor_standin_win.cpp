// The blank editor's stand-in for the blank debugging test: started as "editor" "blank" "page data", it
// keeps what it was handed in the directory CLIENT_EDITOR_RECORD names (its command line, copies of both
// files), rewrites the blank at once when CLIENT_EDITOR_REWRITE is set, and exits with CLIENT_EDITOR_EXIT.
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {
// The test's edit: a blank of another size with one text.
constexpr char kEditedBlank[] =
    ";Version=4.01.23\r\n[Main]\r\nHeader=1.00,Blank,Data\r\n[Data]\r\nSizeXY=20000,28000\r\n"
    "Text1=100,200,9000,700,1,\xD0\xE5\xE4\xE0\xEA\xF6\xE8\xFF\r\n";

std::wstring Env(const wchar_t* name) {
  wchar_t buf[1024] = {};
  const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
  return n > 0 && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

bool WriteAll(const std::wstring& name, const void* data, DWORD size) {
  const HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(h, data, size, &written, nullptr);
  CloseHandle(h);
  return ok && written == size;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int argc = 0;
  const wchar_t* commandLine = GetCommandLineW();
  LPWSTR* argv = CommandLineToArgvW(commandLine, &argc);
  if (!argv || argc != 3) return 100;
  const std::wstring record = Env(L"CLIENT_EDITOR_RECORD");
  if (!record.empty()) {
    WriteAll(record + L"\\cmdline.txt", commandLine, static_cast<DWORD>(wcslen(commandLine) * sizeof(wchar_t)));
    CopyFileW(argv[1], (record + L"\\handed.bln").c_str(), FALSE);
    CopyFileW(argv[2], (record + L"\\handed.tdc").c_str(), FALSE);
  }
  if (!Env(L"CLIENT_EDITOR_REWRITE").empty() && !WriteAll(argv[1], kEditedBlank, sizeof kEditedBlank - 1)) return 101;
  const int code = _wtoi(Env(L"CLIENT_EDITOR_EXIT").c_str());
  LocalFree(argv);
  return code;
}
