// The print-job journal's lines and the scan for the last record number.
#include "foundation/lib_prn_journal.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

namespace {

std::u16string Number(uint64_t v) {
  std::u16string out;
  for (char c : std::to_string(v)) out += char16_t(c);
  return out;
}

// Whoever prints chooses the document name (and more): a line break or a bar in it would start a
// forged record or shift the fields after it.
std::u16string FieldText(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c == u'\r' || c == u'\n' || c == kJournalSeparator) c = u' ';
  }
  return out;
}

}  // namespace

std::u16string FormatJournalTime(const TSystemTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%02u.%02u.%02u %02u:%02u", unsigned(t.Day % 100), unsigned(t.Month % 100),
                unsigned(t.Year % 100), unsigned(t.Hour % 100), unsigned(t.Minute % 100));
  std::u16string out;
  for (const char* p = text; *p; ++p) out += char16_t(*p);
  return out;
}

std::u16string FormatJournalLine(uint32_t recordNo, const _JOBINFO& job, const TSystemTime& localSubmitted,
                                 std::u16string_view prnMonKey) {
  const std::u16string machine =
      job.MachineName.rfind(u"\\\\", 0) == 0 ? job.MachineName : u"\\\\" + job.MachineName;
  const std::u16string fields[] = {
      Number(recordNo),               Number(job.JobId),          FieldText(job.PrinterName),
      FieldText(machine),             FieldText(job.UserName),    FieldText(job.Document),
      FieldText(job.NotifyName),      FieldText(job.Datatype),    FieldText(job.PrintProcessor),
      FieldText(job.Parameters),      FieldText(job.DriverName),  FieldText(job.Status),
      Number(job.StatusCode),         Number(job.Priority),       Number(job.Position),
      Number(job.StartTime),          Number(job.UntilTime),      Number(job.TotalPages),
      Number(job.Size),               FormatJournalTime(localSubmitted), Number(job.Time),
      Number(job.PagesPrinted),       Number(job.Copies),         FieldText(prnMonKey),
  };
  std::u16string line;
  for (const auto& field : fields) {
    if (&field != &fields[0]) line += kJournalSeparator;
    line += field;
  }
  return line;
}

bool JournalRecordNo(std::string_view line, uint32_t& recordNo) {
  const std::string_view first = line.substr(0, line.find('|'));
  const auto [end, ec] = std::from_chars(first.data(), first.data() + first.size(), recordNo);
  return !first.empty() && ec == std::errc() && end == first.data() + first.size();
}

uint32_t ScanJournalRecordNo(std::string_view file, uint32_t last) {
  // A new journal is written behind a UTF-8 mark: its first record is a record like the others.
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (file.substr(0, kUtf8Mark.size()) == kUtf8Mark) file.remove_prefix(kUtf8Mark.size());
  while (!file.empty()) {
    const size_t end = file.find('\n');
    std::string_view line = file.substr(0, end);
    file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    uint32_t n = 0;
    if (JournalRecordNo(line, n) && n > last) last = n;
  }
  return last;
}

uint32_t NextJournalRecordNo(uint32_t last) { return last == UINT32_MAX ? last : last + 1; }
