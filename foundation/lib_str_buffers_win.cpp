// Windows edge of the byte buffer: saving its bytes to a file.
#include <windows.h>

#include "foundation/lib_handle_win.h"
#include "foundation/lib_str_buffers.h"

namespace {

const wchar_t* WidePtr(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

}  // namespace

int32_t TDataStream::SaveToFile(const std::u16string& name) const {
  // A name with an embedded null would silently name another file.
  if (name.empty() || name.find(u'\0') != std::u16string::npos) return 0;
  const wchar_t* path = WidePtr(name);
  bool written = false;
  {
    // Hidden and system while it is being written, so that nobody takes a half-written file for a whole one.
    const TFileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, nullptr));
    if (!file) return 0;
    DWORD done = 0;
    written = FSize == 0 || (WriteFile(file.Get(), FData.data(), static_cast<DWORD>(FSize), &done, nullptr) &&
                             done == static_cast<DWORD>(FSize));
  }
  if (!written) {
    DeleteFileW(path);
    return 0;
  }
  SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
  return FSize;
}
