// File mapping: a whole file's view, and the byte reader over it (the view is handed over as a span
// and unmapped on Close).
#include "foundation/lib_file_reader_win.h"

#include "foundation/lib_unicode_win.h"

namespace {
std::u16string SystemAnsiToWide(std::string_view bytes) { return AnsiToWide(bytes); }
}  // namespace

TMappedFile::TMappedFile() { SetAnsiDecoder(SystemAnsiToWide); }

TMappedFile::~TMappedFile() { Close(); }

void TMappedFile::Init() { Close(); }

DWORD TFileView::Open(const std::u16string& name, DWORD share, uint64_t maxSize) {
  Close();
  file_.Reset(UseWideApi() ? CreateFileW(WStr(name), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                         nullptr)
                           : CreateFileA(WideToAnsi(name).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) return GetLastError();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_.Get(), &size) || uint64_t(size.QuadPart) > maxSize) {
    Close();
    return ERROR_FILE_TOO_LARGE;
  }
  if (size.QuadPart == 0) return 0;
  mapping_.Reset(CreateFileMappingW(file_.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (mapping_) view_.Reset(MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, 0));
  if (!view_) {
    const DWORD error = GetLastError();
    Close();
    return error ? error : ERROR_NOT_ENOUGH_MEMORY;
  }
  // The file may have changed size between the two calls: the view's own extent is what is safe.
  MEMORY_BASIC_INFORMATION info{};
  size_t length = static_cast<size_t>(size.QuadPart);
  if (VirtualQuery(view_.Get(), &info, sizeof info) == sizeof info && info.RegionSize < length) length = info.RegionSize;
  bytes_ = std::span(static_cast<const uint8_t*>(view_.Get()), length);
  return 0;
}

void TFileView::Close() {
  view_.Reset();
  mapping_.Reset();
  file_.Reset();
  bytes_ = {};
}

bool TMappedFile::Open(const std::u16string& name, bool detectEncoding) {
  Close();
  // An empty file gives nothing to read; one of 4 GB or more would not fit the 32-bit view.
  if (view_.Open(name, FILE_SHARE_READ | FILE_SHARE_WRITE, 0xFFFFFFFFull) != 0 || view_.Bytes().empty()) {
    Close();
    return false;
  }
  Assign(view_.Bytes());
  if (detectEncoding) {
    DetectEncoding();
  } else {
    SetEncoding(TTextEncoding::Ansi);
  }
  return true;
}

void TMappedFile::Close() {
  view_.Close();
  TByteReader::Init();
}
