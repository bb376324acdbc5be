// Fuzz target of the print journal: the scan of a journal file as anyone may have edited it, and lines
// whose text fields come from whoever printed. Input: the journal's bytes; the same bytes as UTF-16LE
// give the text fields, separated by U+0001.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/lib_codepage.h"
#include "foundation/lib_prn_journal.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  const uint32_t last = ScanJournalRecordNo(file, 0);
  if (ScanJournalRecordNo(file, last) != last) std::abort();

  const std::vector<std::u16string> fields = FuzzPieces<char16_t>(FuzzUtf16(data, size), u'\x01');
  auto field = [&](size_t i) { return i < fields.size() ? fields[i] : std::u16string(); };
  _JOBINFO job;
  job.PrinterName = field(0);
  job.MachineName = field(1);
  job.UserName = field(2);
  job.Document = field(3);
  job.Status = field(4);
  const uint32_t recordNo = NextJournalRecordNo(last);
  const std::u16string line = FormatJournalLine(recordNo, job, {}, field(5));
  // One line of 24 fields whatever the texts hold, and the scan finds its number again.
  if (line.find_first_of(u"\r\n") != std::u16string::npos) std::abort();
  if (std::count(line.begin(), line.end(), kJournalSeparator) != 23) std::abort();
  const std::string bytes = "\xEF\xBB\xBF" + WideToUtf8(line) + "\r\n";
  if (ScanJournalRecordNo(bytes, 0) != recordNo) std::abort();
  return 0;
}
