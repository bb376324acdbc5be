// Page reader of spool files: walks an NT EMF spool file or a 9x spool file held in memory and
// stands on one page record at a time.
#include "foundation/lib_prn_spool.h"

#include <algorithm>
#include <cstring>

#include "foundation/lib_str.h"

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

bool TProcSPLFile::Open(std::span<const uint8_t> file, bool isWinNT) {
  Close();
  file_ = file;
  if (!ReadHeader(isWinNT)) {
    const TSpoolDamage damage = damage_;
    const uint64_t at = damageAt_;
    Close();
    damage_ = damage;
    damageAt_ = at;
    return false;
  }
  open_ = true;
  return true;
}

void TProcSPLFile::Close() {
  *this = TProcSPLFile();
}

bool TProcSPLFile::Damaged(TSpoolDamage damage, uint64_t at) {
  damage_ = damage;
  damageAt_ = at;
  onPage_ = false;
  return false;
}

bool TProcSPLFile::ReadHeader(bool isWinNT) {
  if (file_.size() < SPOOL_RECORD_HEAD) return false;
  RecordType = ReadLE32(file_, 0);
  RecordSize = ReadLE32(file_, 4);
  if (RecordType == SPOOL_NT_VERSION || RecordType == SPOOL_NT_VERSION_ALT) {
    if (file_.size() < SPOOL_NT_FIXED_HEADER) return Damaged(TSpoolDamage::CutOff, 0);
    // The fifth word lies beyond the published header: a file of the header alone lacks it.
    for (size_t i = 0; i < 5 && 4 * i + 4 <= file_.size(); ++i) Header[i] = ReadLE32(file_, 4 * i);
    const uint64_t headerSize = Header[1];
    const uint64_t nameOffset = Header[2];
    // A smaller header would have its own words read as records; a name offset inside the words
    // (0 means no name) would read them as text.
    if (headerSize < SPOOL_NT_FIXED_HEADER || headerSize > file_.size() ||
        (nameOffset != 0 && nameOffset < SPOOL_NT_FIXED_HEADER)) {
      return Damaged(TSpoolDamage::BadHeader, 0);
    }
    if (headerSize > SPOOL_NT_HEADER_SIZE && nameOffset != 0 && nameOffset < headerSize) {
      // The name runs to its NUL, at most to the end of the header record.
      for (uint64_t at = nameOffset; at + 2 <= headerSize; at += 2) {
        const char16_t unit = char16_t(file_[at] | file_[at + 1] << 8);
        if (unit == 0) break;
        DocumentName.push_back(unit);
      }
    }
    cursor_ = headerSize;
    return SeekPage();
  }
  if (!isWinNT && std::memcmp(file_.data(), SPOOL_9X_SIGNATURE, sizeof SPOOL_9X_SIGNATURE) == 0) {
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
  // Every pass moves the cursor forward by at least a record head, so the walk ends. The cursor
  // never passes the end of the file: every step is checked against it first.
  while (ReadRecordHead()) {
    const TSpoolRecordKind kind = Is9xFormat ? SpoolRecordKind9x(RecordType) : SpoolRecordKindNT(RecordType);
    if (kind == TSpoolRecordKind::Unknown) return Damaged(TSpoolDamage::UnknownRecord, recordStart_);
    // A 9x size below its own head would step backwards (or loop).
    if (Is9xFormat && RecordSize < SPOOL_RECORD_HEAD) return Damaged(TSpoolDamage::BadRecordSize, recordStart_);
    if (DataSize() > file_.size() - cursor_) return Damaged(TSpoolDamage::CutOff, recordStart_);
    if (kind == TSpoolRecordKind::Page) {
      onPage_ = true;
      return true;
    }
    cursor_ += DataSize();
  }
  // Bytes left that cannot hold a record head: the file was cut inside one.
  if (cursor_ != file_.size()) return Damaged(TSpoolDamage::CutOff, cursor_);
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
  return reader.Open(file, isWinNT) && reader.Is9xFormat != isWinNT;
}

bool IsSpoolDirectoryFile(std::u16string_view path, std::u16string_view spoolDirectory) {
  while (!spoolDirectory.empty() && spoolDirectory.back() == u'\\') spoolDirectory.remove_suffix(1);
  if (spoolDirectory.empty() || path.size() <= spoolDirectory.size() + 1) return false;
  if (path[spoolDirectory.size()] != u'\\' || LowerCaseW(path.substr(0, spoolDirectory.size())) != LowerCaseW(spoolDirectory)) {
    return false;
  }
  const std::u16string_view name = path.substr(spoolDirectory.size() + 1);
  // A name of dots alone climbs out of the folder (or names it); the others name another file.
  if (name.find_first_not_of(u'.') == std::u16string_view::npos) return false;
  return name.find_first_of(u"\\/:*?\"<>|") == std::u16string_view::npos &&
         std::none_of(name.begin(), name.end(), [](char16_t c) { return c < u' '; });
}
