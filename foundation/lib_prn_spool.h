// Page reader of spool files: walks an NT EMF spool file or a 9x spool file held in memory (the
// Windows edge maps the file) and stands on one page record at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// Record types of the NT EMF spool format (MS-EMFSPOOL 2.1.1).
constexpr uint32_t EMRI_METAFILE = 0x00000001;
constexpr uint32_t EMRI_ENGINE_FONT = 0x00000002;
constexpr uint32_t EMRI_DEVMODE = 0x00000003;
constexpr uint32_t EMRI_TYPE1_FONT = 0x00000004;
constexpr uint32_t EMRI_PRESTARTPAGE = 0x00000005;
constexpr uint32_t EMRI_DESIGNVECTOR = 0x00000006;
constexpr uint32_t EMRI_SUBSET_FONT = 0x00000007;
constexpr uint32_t EMRI_DELTA_FONT = 0x00000008;
constexpr uint32_t EMRI_FORM_METAFILE = 0x00000009;
constexpr uint32_t EMRI_BW_METAFILE = 0x0000000A;
constexpr uint32_t EMRI_BW_FORM_METAFILE = 0x0000000B;
constexpr uint32_t EMRI_METAFILE_DATA = 0x0000000C;
constexpr uint32_t EMRI_METAFILE_EXT = 0x0000000D;
constexpr uint32_t EMRI_BW_METAFILE_EXT = 0x0000000E;
constexpr uint32_t EMRI_PS_JOB_DATA = 0x00000014;
constexpr uint32_t EMRI_EMBED_FONT_EXT = 0x00000015;
// A page type that spool files carry though the published format does not name it.
constexpr uint32_t EMRI_UNNAMED_PAGE = 0x10101010;

// First word of an NT spool file: the published version, and a second value accepted as well.
constexpr uint32_t SPOOL_NT_VERSION = 0x00010000;
constexpr uint32_t SPOOL_NT_VERSION_ALT = 0x10504211;
constexpr size_t SPOOL_NT_HEADER_SIZE = 20;  // the five header words kept in Header
// The published header's own four words (version, size, two name offsets); names follow them.
constexpr size_t SPOOL_NT_FIXED_HEADER = 16;

// The 9x spool file: an 8-byte signature, then records whose size includes their 8-byte head.
constexpr uint8_t SPOOL_9X_SIGNATURE[8] = {0x1A, 0x1B, 0x1B, 'S', 'p', 'o', 'o', 'l'};
constexpr uint32_t SPL9X_DEVMODE = 0x02000005;
constexpr uint32_t SPL9X_START_DOC = 0x02445453;   // "STD"
constexpr uint32_t SPL9X_START_PAGE = 0x02505453;  // "STP"
constexpr uint32_t SPL9X_PAGE = 0x024D5446;        // "FTM": the page's metafile file name
constexpr uint32_t SPL9X_END_PAGE = 0x02504E45;    // "ENP"
constexpr uint32_t SPL9X_END_DOC = 0x02444E45;     // "END"

constexpr size_t SPOOL_RECORD_HEAD = 8;

// How one record of either format is walked.
enum class TSpoolRecordKind { Page, Skipped, Unknown };
TSpoolRecordKind SpoolRecordKindNT(uint32_t recordType);
TSpoolRecordKind SpoolRecordKind9x(uint32_t recordType);

// Why a walk over a spool file stopped before the end of its bytes. A damaged file has lost pages
// that a clean end would not show: printing it is a failure, never a short print.
enum class TSpoolDamage : uint8_t {
  None,
  BadHeader,      // an NT header shorter than its own words, past the file's end, or naming itself
  UnknownRecord,  // a record of a type neither format defines
  BadRecordSize,  // a 9x record smaller than its own head
  CutOff,         // a record head or record data running past the end of the file
};

// The reader borrows the file's bytes (or, opened by name, maps the file and owns the view). Every
// offset and size read from the file is checked against its end, so any byte sequence is safe.
struct TProcSPLFile {
  uint32_t Header[5] = {};  // the first 20 bytes of an NT-format file
  uint32_t RecordType = 0;  // type of the current record
  uint32_t RecordSize = 0;  // size of the current record as stored
  bool Is9xFormat = false;
  std::u16string DocumentName;  // NT format: the document name of the header
  // 9x format: the directory a page's metafile file must lie in (opening by name sets the spooler's);
  // a page record naming any other file is not copied.
  std::u16string SpoolDirectory;

  // True when the bytes are a spool file with at least one page; the reader then stands on the
  // first page. The 9x format is read only on the 9x family (isWinNT false): on the NT family no
  // spooler writes it, and its page records name files by path. Otherwise the reader is closed
  // again, and Damage() tells whether a spool file was recognised but damaged before its first page.
  bool Open(std::span<const uint8_t> file, bool isWinNT);
  // Windows build only (lib_prn_spool_win.cpp): maps the file and opens it for the running family.
  bool Open(const std::u16string& fileName);
  void Close();
  bool IsOpen() const { return open_; }
  // True while the reader stands on a page record.
  bool OnPage() const { return onPage_; }
  // Moves to the next page record; false at the end of the pages (and from then on). Damage() then
  // tells a clean end from damage.
  bool NextPage();
  TSpoolDamage Damage() const { return damage_; }
  // Where the damage was found: the offset of the header or of the record head that stopped the walk.
  uint64_t DamageOffset() const { return damageAt_; }

  // NT format: the current page's enhanced metafile, a view into the file; empty for 9x.
  std::span<const uint8_t> PageData() const;
  // 9x format: the 8-bit (ANSI) name of the current page's metafile file; empty for NT.
  std::string PageFileName() const;
  // Offset of the current page record's head in the file.
  uint64_t PageOffset() const { return recordStart_; }

  // Windows build only (lib_prn_spool_win.cpp): writes the current page's metafile to the target
  // file, replacing it. 1 written; 0 not on a page, or writing or copying failed; 2 (9x format)
  // the page's metafile file does not exist or lies outside SpoolDirectory.
  int SavePage(const std::u16string& targetFile) const;

 private:
  bool ReadHeader(bool isWinNT);
  bool SeekPage();
  bool ReadRecordHead();
  bool Damaged(TSpoolDamage damage, uint64_t at);
  uint64_t DataSize() const;

  std::span<const uint8_t> file_;
  std::shared_ptr<const void> owner_;  // the mapping of a file opened by name
  uint64_t cursor_ = 0;       // the next byte to read
  uint64_t recordStart_ = 0;  // head of the current record
  bool open_ = false;
  bool onPage_ = false;
  TSpoolDamage damage_ = TSpoolDamage::None;
  uint64_t damageAt_ = 0;
};

// The bytes open as a spool file of the running system's own format: NT format on the NT family,
// 9x format on the 9x family.
bool IsNativeSpoolFile(std::span<const uint8_t> file, bool isWinNT);
// Windows build only: the same for a file by name, on the running family.
bool IsNativeSpoolFile(const std::u16string& fileName);

// A 9x page record's metafile name is used only when it is a plain file name directly inside the
// spooler's directory (letters compared as the system folds them): no other folder, no "..", no
// wildcard, no stream name, no forward slash.
bool IsSpoolDirectoryFile(std::u16string_view path, std::u16string_view spoolDirectory);
