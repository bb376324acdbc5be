// File mapping for the byte reader: the view is handed over as a span and unmapped on Close.
#include "foundation/lib_file_reader_win.h"

#include "foundation/lib_unicode_win.h"

namespace {
std::u16string SystemAnsiToWide(std::string_view bytes) { return AnsiToWide(bytes); }
}  // namespace

TMappedFile::TMappedFile() { SetAnsiDecoder(SystemAnsiToWide); }

TMappedFile::~TMappedFile() { Close(); }

void TMappedFile::Init() { Close(); }

bool TMappedFile::Open(const std::u16string& name, bool detectEncoding) {
  Close();
  file_ = UseWideApi() ? CreateFileW(WStr(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                       : CreateFileA(WideToAnsi(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  // An empty file cannot be mapped; one of 4 GB or more would not fit the 32-bit view.
  if (!GetFileSizeEx(file_, &size) || size.QuadPart <= 0 || size.QuadPart > 0xFFFFFFFFLL) {
    Close();
    return false;
  }
  mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping_ != nullptr) base_ = static_cast<const uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
  if (base_ == nullptr) {
    Close();
    return false;
  }
  // The file may have changed size between the two calls: the view's own extent is what is safe.
  MEMORY_BASIC_INFORMATION info{};
  size_t length = static_cast<size_t>(size.QuadPart);
  if (VirtualQuery(base_, &info, sizeof info) == sizeof info && info.RegionSize < length) length = info.RegionSize;
  Assign(std::span<const uint8_t>(base_, length));
  if (detectEncoding) {
    DetectEncoding();
  } else {
    SetEncoding(TTextEncoding::Ansi);
  }
  return true;
}

void TMappedFile::Close() {
  if (base_ != nullptr) UnmapViewOfFile(base_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  base_ = nullptr;
  mapping_ = nullptr;
  file_ = INVALID_HANDLE_VALUE;
  TByteReader::Init();
}
