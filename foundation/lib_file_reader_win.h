// A whole file mapped read-only and read through the bounds-checked byte reader.
#pragma once

#include <windows.h>

#include <string>

#include "foundation/lib_file_reader.h"

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
  bool IsOpen() const { return base_ != nullptr; }

  HANDLE FileHandle() const { return file_; }
  HANDLE MappingHandle() const { return mapping_; }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  const uint8_t* base_ = nullptr;
};
