// Builds NT EMF and 9x spool files from page metafiles.
#include "foundation/lib_prn_spoolwriter.h"

#include <cassert>
#include <iterator>

namespace {

void PutLE32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(value >> shift));
}

void PatchLE32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(value >> (8 * i));
}

void PutText(std::vector<uint8_t>& out, std::u16string_view text) {
  for (char16_t unit : text) {
    out.push_back(uint8_t(unit));
    out.push_back(uint8_t(unit >> 8));
  }
  out.push_back(0);
  out.push_back(0);
}

void PadTo4(std::vector<uint8_t>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

// Every size the formats store is 32-bit; fixtures and stand-in jobs stay far below that.
uint32_t Size32(uint64_t size) {
  assert(size <= UINT32_MAX);
  return uint32_t(size);
}

}  // namespace

TEmfSpoolWriter::TEmfSpoolWriter(std::u16string_view documentName, std::u16string_view outputDevice) {
  PutLE32(bytes_, SPOOL_NT_VERSION);
  PutLE32(bytes_, 0);  // header size, patched below
  PutLE32(bytes_, 0);  // document name offset; 0 means none
  PutLE32(bytes_, 0);  // output device offset; 0 means none
  if (!documentName.empty()) {
    PatchLE32(bytes_, 8, Size32(bytes_.size()));
    PutText(bytes_, documentName);
  }
  if (!outputDevice.empty()) {
    PatchLE32(bytes_, 12, Size32(bytes_.size()));
    PutText(bytes_, outputDevice);
  }
  PadTo4(bytes_);
  PatchLE32(bytes_, 4, Size32(bytes_.size()));
}

void TEmfSpoolWriter::AddRecord(uint32_t type, std::span<const uint8_t> data) {
  PutLE32(bytes_, type);
  PutLE32(bytes_, Size32((data.size() + 3) / 4 * 4));
  bytes_.insert(bytes_.end(), data.begin(), data.end());
  PadTo4(bytes_);
}

void TEmfSpoolWriter::AddPage(std::span<const uint8_t> metafile) {
  const uint64_t pageStart = bytes_.size();
  AddRecord(EMRI_METAFILE_DATA, metafile);
  const uint64_t back = bytes_.size() - pageStart;
  const uint8_t offset[8] = {uint8_t(back),       uint8_t(back >> 8),  uint8_t(back >> 16), uint8_t(back >> 24),
                             uint8_t(back >> 32), uint8_t(back >> 40), uint8_t(back >> 48), uint8_t(back >> 56)};
  AddRecord(EMRI_METAFILE_EXT, offset);
}

T9xSpoolWriter::T9xSpoolWriter() {
  bytes_.assign(std::begin(SPOOL_9X_SIGNATURE), std::end(SPOOL_9X_SIGNATURE));
  AddRecord(SPL9X_START_DOC, {});
}

void T9xSpoolWriter::AddRecord(uint32_t type, std::span<const uint8_t> data) {
  PutLE32(bytes_, type);
  PutLE32(bytes_, Size32(SPOOL_RECORD_HEAD + data.size()));
  bytes_.insert(bytes_.end(), data.begin(), data.end());
}

void T9xSpoolWriter::AddPage(std::string_view metafileName) {
  AddRecord(SPL9X_START_PAGE, {});
  std::vector<uint8_t> name(metafileName.begin(), metafileName.end());
  name.push_back(0);
  AddRecord(SPL9X_PAGE, name);
  AddRecord(SPL9X_END_PAGE, {});
}
