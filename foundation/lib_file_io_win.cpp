// File handles, whole-file reads and writes, text lines in a file's encoding, insertion into a file
// and template files.
#include <cstring>

#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_unicode_win.h"

namespace {
std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::u16string SystemAnsiToWide(std::string_view bytes) { return AnsiToWide(bytes); }
std::string SystemWideToAnsi(std::u16string_view text) { return WideToAnsi(text); }

// WriteFile counts in 32 bits; anything larger is written in pieces.
bool WriteAll(HANDLE handle, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size(), 0x40000000));
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), piece, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

bool ReadWholeFile(const std::u16string& name, size_t limit, std::string& out) {
  out.clear();
  TFileHandle file(CreateFileUni(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  if (!file.Valid()) return false;
  const int64_t size = GetHandleFileSize(file.Get());
  if (size < 0) return false;
  const uint64_t wanted = std::min<uint64_t>(static_cast<uint64_t>(size), limit);
  if (wanted > out.max_size() || wanted > 0x7FFFFFFF) return false;
  out.resize(static_cast<size_t>(wanted));
  size_t got = 0;
  // The file may shrink while it is read: what was there is kept.
  while (got < out.size()) {
    DWORD n = 0;
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(out.size() - got, 0x10000000));
    if (!ReadFile(file.Get(), out.data() + got, piece, &n, nullptr)) return false;
    if (n == 0) break;
    got += n;
  }
  out.resize(got);
  return true;
}
}  // namespace

DWORD OpenOrCreateFile(HANDLE& handle, const std::u16string& name, bool create) {
  handle = create ? CreateFileUni(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS)
                  : CreateFileUni(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (handle != INVALID_HANDLE_VALUE) return 0;
  handle = nullptr;
  return GetLastError();
}

DWORD OpenFileForWriting(HANDLE& handle, const std::u16string& name, bool keep) {
  handle = CreateFileUni(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         keep ? OPEN_ALWAYS : CREATE_ALWAYS);
  if (handle != INVALID_HANDLE_VALUE) return 0;
  handle = nullptr;
  return GetLastError();
}

DWORD SeekFileHandle(HANDLE handle, int64_t offset) {
  LARGE_INTEGER to{};
  to.QuadPart = offset;
  return SetFilePointerEx(handle, to, nullptr, FILE_BEGIN) ? 0 : GetLastError();
}

DWORD WriteToHandle(HANDLE handle, std::span<const uint8_t> buffer) {
  DWORD written = 0;
  const DWORD count = static_cast<DWORD>(std::min<size_t>(buffer.size(), 0xFFFFFFFF));
  return WriteFile(handle, buffer.data(), count, &written, nullptr) ? written : 0;
}

DWORD ReadFromHandle(HANDLE handle, std::span<uint8_t> buffer) {
  DWORD got = 0;
  const DWORD count = static_cast<DWORD>(std::min<size_t>(buffer.size(), 0xFFFFFFFF));
  return ReadFile(handle, buffer.data(), count, &got, nullptr) ? got : 0;
}

void CloseFileHandle(HANDLE& handle) {
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = nullptr;
}

bool SaveStringToFile(const std::u16string& name, std::string_view bytes) {
  return WriteBufferToFile(name, AsBytes(bytes));
}

bool WriteFileFromString(const std::u16string& name, std::string_view bytes) {
  TFileHandle file(CreateFileUni(name, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  if (!file.Valid()) return false;
  const bool written = WriteAll(file.Get(), AsBytes(bytes));
  file.Reset();
  const bool normal = UseWideApi() ? SetFileAttributesW(WStr(name), FILE_ATTRIBUTE_NORMAL) != 0
                                   : SetFileAttributesA(WideToAnsi(name).c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
  return written && normal;
}

bool WriteBufferToFile(const std::u16string& name, std::span<const uint8_t> bytes) {
  TFileHandle file(CreateFileUni(name, GENERIC_WRITE, 0, CREATE_ALWAYS));
  return file.Valid() && WriteAll(file.Get(), bytes);
}

std::string ReadFileToString(const std::u16string& name, size_t limit) {
  std::string bytes;
  if (!ReadWholeFile(name, limit, bytes)) bytes.clear();
  return bytes;
}

std::u16string ReadTextFile(const std::u16string& name) {
  return DecodeText(AsBytes(ReadFileToString(name)), SystemAnsiToWide);
}

bool AppendTextLine(const std::u16string& name, std::u16string_view text, TTextEncoding encoding) {
  TFileHandle file(CreateFileUni(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS));
  if (!file.Valid()) return false;
  uint8_t start[3] = {};
  DWORD got = 0;
  if (!ReadFile(file.Get(), start, sizeof start, &got, nullptr)) return false;
  std::string bytes;
  if (got == 0) {
    bytes = EncodingMarkBytes(encoding);
  } else {
    encoding = DetectTextEncoding(std::span<const uint8_t>(start, got)).Encoding;
  }
  bytes += EncodeTextLine(text, encoding, SystemWideToAnsi);
  LARGE_INTEGER zero{};
  // Mark and line go out in one write, so a reader never sees half of a line's start.
  return SetFilePointerEx(file.Get(), zero, nullptr, FILE_END) && WriteAll(file.Get(), AsBytes(bytes));
}

bool AppendTextLineA(const std::u16string& name, std::string_view bytes) {
  TFileHandle file(CreateFileUni(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS));
  if (!file.Valid()) return false;
  LARGE_INTEGER zero{};
  const std::string line = std::string(bytes) + "\r\n";
  return SetFilePointerEx(file.Get(), zero, nullptr, FILE_END) && WriteAll(file.Get(), AsBytes(line));
}

bool InsertIntoFile(const std::u16string& name, std::span<const uint8_t> data, int64_t offset) {
  TFileHandle file(CreateFileUni(name, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS));
  if (!file.Valid()) return false;
  const int64_t size = GetHandleFileSize(file.Get());
  // The whole file is mapped: it has to fit the 32-bit address space with room to spare.
  if (size < 0 || data.size() > 0x7FFFFFFF || size > 0x7FFFFFFF - static_cast<int64_t>(data.size())) return false;
  if (data.empty()) return true;
  const size_t oldSize = static_cast<size_t>(size);
  const size_t at = offset < 0 || offset > size ? oldSize : static_cast<size_t>(offset);
  const DWORD newSize = static_cast<DWORD>(oldSize + data.size());
  bool done = false, mapped = false;
  {
    const TKernelHandle mapping(CreateFileMappingW(file.Get(), nullptr, PAGE_READWRITE, 0, newSize, nullptr));
    if (!mapping) return false;
    const TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, newSize));
    if (view) {
      auto* bytes = static_cast<uint8_t*>(const_cast<void*>(view.Get()));
      std::memmove(bytes + at + data.size(), bytes + at, oldSize - at);
      std::memcpy(bytes + at, data.data(), data.size());
      done = FlushViewOfFile(bytes, 0) != 0;
      mapped = true;
    }
  }
  // The mapping grew the file already; the end is set for a system that rounds the mapping up, and
  // put back when nothing could be moved, so a failure leaves no zeros behind the old data.
  LARGE_INTEGER end{};
  end.QuadPart = mapped ? newSize : oldSize;
  const bool ended = SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get());
  return done && ended;
}

bool ReplaceInTemplateFile(const std::u16string& name, const std::vector<std::string>& placeholders,
                           const std::vector<std::string>& values) {
  std::string text;
  if (!ReadWholeFile(name, SIZE_MAX, text)) return false;
  if (!ReplacePlaceholders(text, placeholders, values)) return true;
  if (SaveStringToFile(name, text)) return true;
  ShowFileOpenError(name);
  return false;
}
