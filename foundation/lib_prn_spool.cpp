// Page reader of spool files: walks an NT EMF spool file or a 9x spool file held in memory and
// stands on one page record at a time.
#include "foundation/lib_prn_spool.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t ReadLE32(std::span<const uint8_t> bytes, uint64_t at) {
  const uint8_t* p = bytes.data() + at;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

TSpoolRecordKind SpoolRecordKindNT(uint32_t recordType) {
  switch (recordType) {
    case EMRI_METAFILE:
    case EMRI_FORM_METAFILE:
    case EMRI_BW_METAFILE:
    case EMRI_BW_FORM_METAFILE:
    case EMRI_METAFILE_DATA:
    case EMRI_UNNAMED_PAGE:
      return TSpoolRecordKind::Page;
  }
  // Fonts, design vectors, device settings, page offsets and PostScript data: every other type
  // the format defines. Taking one of them for the end would drop the pages after an embedded
  // font, and by then the job is already gone from the queue.
  if (recordType >= EMRI_ENGINE_FONT && recordType <= EMRI_EMBED_FONT_EXT) return TSpoolRecordKind::Skipped;
  return TSpoolRecordKind::Unknown;
}

TSpoolRecordKind SpoolRecordKind9x(uint32_t recordType) {
  switch (recordType) {
    case SPL9X_PAGE:
      return TSpoolRecordKind::Page;
    case SPL9X_DEVMODE:
    case SPL9X_START_DOC:
    case SPL9X_START_PAGE:
    case SPL9X_END_PAGE:
    case SPL9X_END_DOC:
      return TSpoolRecordKind::Skipped;
  }
  return TSpoolRecordKind::Unknown;
}

bool TProcSPLFile::Open(std::span<const uint8_t> file) {
  Close();
  file_ = file;
  if (!ReadHeader()) {
    Close();
    return false;
  }
  open_ = true;
  return true;
}

void TProcSPLFile::Close() {
  *this = TProcSPLFile();
}

bool TProcSPLFile::ReadHeader() {
  if (file_.size() < SPOOL_RECORD_HEAD) return false;
  RecordType = ReadLE32(file_, 0);
  RecordSize = ReadLE32(file_, 4);
  if (RecordType == SPOOL_NT_VERSION || RecordType == SPOOL_NT_VERSION_ALT) {
    if (file_.size() < SPOOL_NT_HEADER_SIZE) return false;
    for (int i = 0; i < 5; ++i) Header[i] = ReadLE32(file_, 4 * i);
    const uint64_t headerSize = Header[1];
    const uint64_t nameOffset = Header[2];
    if (headerSize > SPOOL_NT_HEADER_SIZE && nameOffset < headerSize) {
      // The name runs to its NUL, at most to the end of the header record (or of the file).
      const uint64_t end = std::min<uint64_t>(headerSize, file_.size());
      for (uint64_t at = nameOffset; at + 2 <= end; at += 2) {
        const char16_t unit = char16_t(file_[at] | file_[at + 1] << 8);
        if (unit == 0) break;
        DocumentName.push_back(unit);
      }
    }
    cursor_ = headerSize;
    return SeekPage();
  }
  if (std::memcmp(file_.data(), SPOOL_9X_SIGNATURE, sizeof SPOOL_9X_SIGNATURE) == 0) {
    Is9xFormat = true;
    cursor_ = sizeof SPOOL_9X_SIGNATURE;
    return SeekPage();
  }
  return false;
}

bool TProcSPLFile::ReadRecordHead() {
  if (cursor_ > file_.size() || file_.size() - cursor_ < SPOOL_RECORD_HEAD) return false;
  recordStart_ = cursor_;
  RecordType = ReadLE32(file_, cursor_);
  RecordSize = ReadLE32(file_, cursor_ + 4);
  cursor_ += SPOOL_RECORD_HEAD;
  return true;
}

uint64_t TProcSPLFile::DataSize() const {
  // A 9x record's size counts its head; SeekPage never stops on one smaller than that.
  return Is9xFormat ? uint64_t(RecordSize) - SPOOL_RECORD_HEAD : RecordSize;
}

bool TProcSPLFile::SeekPage() {
  onPage_ = false;
  // Every pass moves the cursor forward by at least a record head, so the walk ends.
  while (ReadRecordHead()) {
    const TSpoolRecordKind kind = Is9xFormat ? SpoolRecordKind9x(RecordType) : SpoolRecordKindNT(RecordType);
    if (kind == TSpoolRecordKind::Unknown) return false;
    // A 9x size below its own head would step backwards (or loop): the file is damaged here.
    if (Is9xFormat && RecordSize < SPOOL_RECORD_HEAD) return false;
    // A record that runs past the end of the file is cut off: neither a page nor a way on.
    if (DataSize() > file_.size() - cursor_) return false;
    if (kind == TSpoolRecordKind::Page) {
      onPage_ = true;
      return true;
    }
    cursor_ += DataSize();
  }
  return false;
}

bool TProcSPLFile::NextPage() {
  if (!onPage_) return false;
  cursor_ += DataSize();
  return SeekPage();
}

std::span<const uint8_t> TProcSPLFile::PageData() const {
  if (!onPage_ || Is9xFormat) return {};
  return file_.subspan(size_t(cursor_), size_t(DataSize()));
}

std::string TProcSPLFile::PageFileName() const {
  if (!onPage_ || !Is9xFormat) return {};
  const std::span<const uint8_t> data = file_.subspan(size_t(cursor_), size_t(DataSize()));
  const auto nul = std::find(data.begin(), data.end(), uint8_t(0));
  return std::string(data.begin(), nul);
}

bool IsNativeSpoolFile(std::span<const uint8_t> file, bool isWinNT) {
  TProcSPLFile reader;
  return reader.Open(file) && reader.Is9xFormat != isWinNT;
}
