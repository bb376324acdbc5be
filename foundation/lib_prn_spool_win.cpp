// Windows edge of the spool-file reader: writes the current page's metafile to a file of its own.
#include <windows.h>

#include <algorithm>
#include <string>

#include "foundation/lib_handle_win.h"
#include "foundation/lib_prn_spool.h"

namespace {

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// The 9x page record names its file in the system code page.
std::wstring AnsiToWide(const std::string& text) {
  if (text.empty()) return {};
  const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring out(size_t(units > 0 ? units : 0), L'\0');
  if (units > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), out.data(), units);
  return out;
}

bool WriteWholeFile(const wchar_t* target, std::span<const uint8_t> bytes) {
  bool written = false;
  {
    const TFileHandle file(CreateFileW(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    written = true;
    for (size_t at = 0; at < bytes.size() && written;) {
      DWORD done = 0;
      const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - at, 1u << 24));
      written = WriteFile(file.Get(), bytes.data() + at, chunk, &done, nullptr) && done > 0;
      at += done;
    }
  }
  // A half-written page must not pass for a page.
  if (!written) DeleteFileW(target);
  return written;
}

}  // namespace

int TProcSPLFile::SavePage(const std::u16string& targetFile) const {
  if (!OnPage()) return 0;
  if (!Is9xFormat) return WriteWholeFile(Wide(targetFile), PageData()) ? 1 : 0;
  const std::wstring source = AnsiToWide(PageFileName());
  const DWORD attributes = source.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(source.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return 2;
  return CopyFileW(source.c_str(), Wide(targetFile), FALSE) ? 1 : 0;
}
