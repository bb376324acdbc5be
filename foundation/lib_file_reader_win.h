// A whole file mapped read-only, and the same read through the bounds-checked byte reader.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "foundation/lib_file_reader.h"
#include "foundation/lib_handle_win.h"

// The file, its mapping and its view, owned together. An empty file opens with no view and no bytes
// (an empty file cannot be mapped).
class TFileView {
 public:
  // 0, or the system error code (ERROR_FILE_TOO_LARGE above maxSize); share is FILE_SHARE_*.
  DWORD Open(const std::u16string& name, DWORD share, uint64_t maxSize);
  void Close();
  bool IsOpen() const { return file_.Valid(); }
  std::span<const uint8_t> Bytes() const { return bytes_; }
  HANDLE FileHandle() const { return file_.Get(); }
  HANDLE MappingHandle() const { return mapping_.Get(); }

 private:
  // Members go in reverse order: the view first, the file last.
  TFileHandle file_;
  TKernelHandle mapping_;
  TMappedView view_;
  std::span<const uint8_t> bytes_;
};

class TMappedFile : public TByteReader {
 public:
  TMappedFile();
  ~TMappedFile();
  TMappedFile(const TMappedFile&) = delete;
  TMappedFile& operator=(const TMappedFile&) = delete;

  // Closes whatever is open and starts empty.
  void Init();
  // Opens with read and write sharing and maps the whole file; the encoding is detected when asked
  // (the cursor then stands behind the mark), else ANSI. False for a missing or empty file, a file
  // of 4 GB or more, and any failure.
  bool Open(const std::u16string& name, bool detectEncoding);
  void Close();
  bool IsOpen() const { return view_.IsOpen(); }

  // INVALID_HANDLE_VALUE when closed, as CreateFile answers.
  HANDLE FileHandle() const { return IsOpen() ? view_.FileHandle() : INVALID_HANDLE_VALUE; }
  HANDLE MappingHandle() const { return view_.MappingHandle(); }

 private:
  TFileView view_;
};
