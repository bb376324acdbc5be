// The stand-in spooler's state and its text file.
#include "foundation/lib_prn_standin.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>

#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

namespace {

constexpr std::string_view kVersionLine = "StandInSpooler 1";

template <class T>
struct TTextField {
  const char* Key;
  std::u16string T::*Member;
};
template <class T>
struct TNumberField {
  const char* Key;
  uint32_t T::*Member;
};

const TTextField<TStandInPrinter> kPrinterTexts[] = {
    {"Name", &TStandInPrinter::Name},         {"ShareName", &TStandInPrinter::ShareName},
    {"PortName", &TStandInPrinter::PortName}, {"DriverName", &TStandInPrinter::DriverName},
    {"Comment", &TStandInPrinter::Comment},   {"Location", &TStandInPrinter::Location},
    {"SepFile", &TStandInPrinter::SepFile},   {"PrintProcessor", &TStandInPrinter::PrintProcessor},
    {"Datatype", &TStandInPrinter::Datatype}, {"Parameters", &TStandInPrinter::Parameters},
};
const TNumberField<TStandInPrinter> kPrinterNumbers[] = {
    {"Id", &TStandInPrinter::Id},
    {"Attributes", &TStandInPrinter::Attributes},
    {"Priority", &TStandInPrinter::Priority},
    {"DefaultPriority", &TStandInPrinter::DefaultPriority},
    {"StartTime", &TStandInPrinter::StartTime},
    {"UntilTime", &TStandInPrinter::UntilTime},
    {"Status", &TStandInPrinter::Status},
};
const TTextField<TStandInJob> kJobTexts[] = {
    {"Document", &TStandInJob::Document},     {"UserName", &TStandInJob::UserName},
    {"MachineName", &TStandInJob::MachineName}, {"NotifyName", &TStandInJob::NotifyName},
    {"Datatype", &TStandInJob::Datatype},     {"PrintProcessor", &TStandInJob::PrintProcessor},
    {"Parameters", &TStandInJob::Parameters},
};
const TNumberField<TStandInJob> kJobNumbers[] = {
    {"JobId", &TStandInJob::JobId},         {"Status", &TStandInJob::Status},
    {"Priority", &TStandInJob::Priority},   {"TotalPages", &TStandInJob::TotalPages},
    {"PagesPrinted", &TStandInJob::PagesPrinted}, {"Size", &TStandInJob::Size},
};

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// A surrogate without its partner: UTF-8 has no spelling for it.
bool IsLoneSurrogate(std::u16string_view text, size_t i) {
  const char16_t c = text[i];
  if (IsHighSurrogate(c)) return i + 1 == text.size() || !IsLowSurrogate(text[i + 1]);
  if (IsLowSurrogate(c)) return i == 0 || !IsHighSurrogate(text[i - 1]);
  return false;
}

void AppendEscapedBytes(std::string& out, std::string_view utf8) {
  for (char c : utf8) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
}

std::string Escape(std::u16string_view text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  size_t run = 0;  // start of the text not yet written
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsLoneSurrogate(text, i)) continue;
    AppendEscapedBytes(out, WideToUtf8(text.substr(run, i - run)));
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(text[i] >> shift) & 15];
    run = i + 1;
  }
  AppendEscapedBytes(out, WideToUtf8(text.substr(run)));
  return out;
}

bool Unescape(std::string_view text, std::u16string& out) {
  out.clear();
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\': bytes += '\\'; break;
      case 'n': bytes += '\n'; break;
      case 'r': bytes += '\r'; break;
      case 'u': {
        // Only a surrogate is spelt so; anything else has its UTF-8 spelling.
        uint16_t unit = 0;
        const auto [end, ec] = std::from_chars(text.data() + i + 1, text.data() + std::min(text.size(), i + 5), unit, 16);
        if (ec != std::errc() || end != text.data() + i + 5 || !(IsHighSurrogate(unit) || IsLowSurrogate(unit)))
          return false;
        out += Utf8ToWide(bytes);
        bytes.clear();
        out += char16_t(unit);
        i += 4;
        break;
      }
      default: return false;
    }
  }
  out += Utf8ToWide(bytes);
  return true;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (uint8_t b : bytes) out += digits[b >> 4], out += digits[b & 15];
  return out;
}

bool FromHex(std::string_view text, std::vector<uint8_t>& out) {
  if (text.size() % 2) return false;
  out.clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    uint8_t b = 0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + i + 2, b, 16);
    if (ec != std::errc() || end != text.data() + i + 2) return false;
    out.push_back(b);
  }
  return true;
}

bool ParseNumber(std::string_view text, uint32_t& out) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string TimeText(const TSystemTime& t) {
  std::string out;
  for (uint16_t v : {t.Year, t.Month, t.DayOfWeek, t.Day, t.Hour, t.Minute, t.Second, t.Milliseconds}) {
    if (!out.empty()) out += ' ';
    out += std::to_string(v);
  }
  return out;
}

bool ParseTime(std::string_view text, TSystemTime& t) {
  uint16_t* fields[] = {&t.Year, &t.Month, &t.DayOfWeek, &t.Day, &t.Hour, &t.Minute, &t.Second, &t.Milliseconds};
  for (size_t i = 0; i < 8; ++i) {
    const size_t space = text.find(' ');
    const std::string_view part = text.substr(0, space);
    uint32_t v = 0;
    if (!ParseNumber(part, v) || v > 0xFFFF || (space == std::string_view::npos) != (i == 7)) return false;
    *fields[i] = uint16_t(v);
    text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
  }
  return true;
}

template <class T, size_t NT, size_t NN>
void FormatFields(std::string& out, const T& rec, const TTextField<T> (&texts)[NT], const TNumberField<T> (&numbers)[NN]) {
  for (const auto& f : numbers) out += std::string(f.Key) + "=" + std::to_string(rec.*f.Member) + "\n";
  for (const auto& f : texts) out += std::string(f.Key) + "=" + Escape(rec.*f.Member) + "\n";
}

// 1 taken, 0 not a field of the table, -1 malformed value.
template <class T, size_t NT, size_t NN>
int ParseField(std::string_view key, std::string_view value, T& rec, const TTextField<T> (&texts)[NT],
               const TNumberField<T> (&numbers)[NN]) {
  for (const auto& f : numbers)
    if (key == f.Key) return ParseNumber(value, rec.*f.Member) ? 1 : -1;
  for (const auto& f : texts)
    if (key == f.Key) return Unescape(value, rec.*f.Member) ? 1 : -1;
  return 0;
}

}  // namespace

TStandInJob* TStandInPrinter::FindJob(uint32_t jobId) {
  for (auto& job : Jobs)
    if (job.JobId == jobId) return &job;
  return nullptr;
}

const TStandInPrinterData* TStandInPrinter::FindData(std::u16string_view name) const {
  for (const auto& d : Data)
    if (SameTextW(d.Name, name)) return &d;
  return nullptr;
}

void TStandInPrinter::SetData(std::u16string_view name, uint32_t type, std::vector<uint8_t> value) {
  for (auto& d : Data)
    if (SameTextW(d.Name, name)) {
      d.Type = type, d.Value = std::move(value);
      return;
    }
  Data.push_back({std::u16string(name), type, std::move(value)});
}

TStandInPrinter* TStandInState::Find(std::u16string_view name) {
  for (auto& p : Printers)
    if (SameTextW(p.Name, name)) return &p;
  return nullptr;
}

bool TStandInState::NewPrinter(TStandInPrinter printer) {
  if (printer.Name.empty() || Find(printer.Name)) return false;
  // Id 0 means "none"; after the last id the count starts again only when no printer holds one.
  if (NextPrinterId == 0 && Printers.empty()) NextPrinterId = 1;
  if (NextPrinterId == 0) return false;
  printer.Id = NextPrinterId++;
  Printers.push_back(std::move(printer));
  return true;
}

uint32_t TStandInState::QueueJob(TStandInPrinter& printer, TStandInJob job) {
  // Job id 0 means "no job" to every caller; after the last id the count starts again only when no
  // job holds one, so that the next id stays above every id in use.
  if (NextJobId == 0 && std::all_of(Printers.begin(), Printers.end(), [](const auto& p) { return p.Jobs.empty(); }))
    NextJobId = 1;
  if (NextJobId == 0) return 0;
  job.JobId = NextJobId++;
  printer.Jobs.push_back(std::move(job));
  return printer.Jobs.back().JobId;
}

std::vector<uint32_t> DespoolStandInQueue(TStandInPrinter& printer) {
  std::vector<uint32_t> gone;
  if (printer.Paused()) return gone;
  const bool keep = (printer.Attributes & PRN_ATTR_KEEPPRINTEDJOBS) != 0;
  for (auto& job : printer.Jobs) {
    if (job.Status & (STANDIN_JOB_PAUSED | STANDIN_JOB_PRINTED | STANDIN_JOB_SPOOLING)) continue;
    job.Status |= STANDIN_JOB_PRINTED;
    job.PagesPrinted = job.TotalPages;
    if (!keep) gone.push_back(job.JobId);
  }
  for (uint32_t id : gone) RemoveStandInJob(printer, id);
  return gone;
}

bool RemoveStandInJob(TStandInPrinter& printer, uint32_t jobId) {
  const auto it = std::find_if(printer.Jobs.begin(), printer.Jobs.end(), [&](const auto& j) { return j.JobId == jobId; });
  if (it == printer.Jobs.end()) return false;
  printer.Jobs.erase(it);
  return true;
}

std::string FormatStandInState(const TStandInState& state) {
  std::string out(kVersionLine);
  out += "\nNextJobId=" + std::to_string(state.NextJobId) + "\nNextPrinterId=" + std::to_string(state.NextPrinterId) + "\n";
  for (const auto& p : state.Printers) {
    out += "[Printer]\n";
    FormatFields(out, p, kPrinterTexts, kPrinterNumbers);
    out += "DevMode=" + ToHex(p.DevMode) + "\n";
    for (const auto& d : p.Data)
      out += "DataName=" + Escape(d.Name) + "\nDataType=" + std::to_string(d.Type) + "\nDataValue=" + ToHex(d.Value) + "\n";
    for (const auto& j : p.Jobs) {
      out += "[Job]\n";
      FormatFields(out, j, kJobTexts, kJobNumbers);
      out += "Submitted=" + TimeText(j.Submitted) + "\nDevMode=" + ToHex(j.DevMode) + "\n";
    }
  }
  return out;
}

namespace {

// Where the parser met each printer's name and id and each job's id, for the cross-check.
struct TStateLines {
  std::vector<size_t> Printer;           // its "[Printer]" line
  std::vector<std::vector<size_t>> Job;  // per printer, each "[Job]" line
  size_t NextJobId = 1, NextPrinterId = 1;  // the version line when the file does not give them
};

// Case-folded as SameTextW compares, so that equal names meet in one set.
std::u16string FoldedName(std::u16string_view name) {
  std::u16string out(name);
  for (auto& c : out) c = LowerCharW(c);
  return out;
}

bool FailAt(size_t line, const char* why, std::string& error) {
  error = "line " + std::to_string(line) + ": " + why;
  return false;
}

// The next id must be above every id in use; 0 stands for "after the last".
bool NextIdAbove(uint32_t next, uint32_t highest) { return next == 0 || next > highest; }

bool CrossCheck(const TStandInState& state, const TStateLines& lines, std::string& error) {
  std::unordered_set<std::u16string> names;
  std::unordered_set<uint32_t> printerIds, jobIds;
  uint32_t highestPrinter = 0, highestJob = 0;
  for (size_t i = 0; i < state.Printers.size(); ++i) {
    const TStandInPrinter& p = state.Printers[i];
    if (p.Name.empty()) return FailAt(lines.Printer[i], "a printer without a name", error);
    if (!names.insert(FoldedName(p.Name)).second) return FailAt(lines.Printer[i], "a printer name given twice", error);
    if (p.Id == 0) return FailAt(lines.Printer[i], "printer id 0", error);
    if (!printerIds.insert(p.Id).second) return FailAt(lines.Printer[i], "a printer id given twice", error);
    highestPrinter = std::max(highestPrinter, p.Id);
    for (size_t j = 0; j < p.Jobs.size(); ++j) {
      const uint32_t id = p.Jobs[j].JobId;
      if (id == 0) return FailAt(lines.Job[i][j], "job id 0", error);
      if (!jobIds.insert(id).second) return FailAt(lines.Job[i][j], "a job id given twice", error);
      highestJob = std::max(highestJob, id);
    }
  }
  if (!NextIdAbove(state.NextPrinterId, highestPrinter))
    return FailAt(lines.NextPrinterId, "NextPrinterId is not above every printer id", error);
  if (!NextIdAbove(state.NextJobId, highestJob)) return FailAt(lines.NextJobId, "NextJobId is not above every job id", error);
  return true;
}

}  // namespace

bool ParseStandInState(std::string_view text, TStandInState& state, std::string& error) {
  state = TStandInState();
  TStateLines lines;
  TStandInPrinter* printer = nullptr;
  TStandInJob* job = nullptr;
  TStandInPrinterData* data = nullptr;
  size_t lineNo = 0;
  bool first = true;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto fail = [&](const char* why) {
      error = "line " + std::to_string(lineNo) + ": " + why;
      return false;
    };
    if (first) {
      if (line != kVersionLine) return fail("not a stand-in spooler state file");
      first = false;
      continue;
    }
    if (line.empty()) continue;
    if (line == "[Printer]") {
      printer = &state.Printers.emplace_back();
      lines.Printer.push_back(lineNo);
      lines.Job.emplace_back();
      job = nullptr, data = nullptr;
      continue;
    }
    if (line == "[Job]") {
      if (!printer) return fail("a job outside a printer");
      job = &printer->Jobs.emplace_back();
      lines.Job.back().push_back(lineNo);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return fail("no '='");
    const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    int taken = 0;
    if (job) {
      taken = ParseField(key, value, *job, kJobTexts, kJobNumbers);
      if (!taken && key == "Submitted") taken = ParseTime(value, job->Submitted) ? 1 : -1;
      if (!taken && key == "DevMode") taken = FromHex(value, job->DevMode) ? 1 : -1;
    } else if (printer) {
      taken = ParseField(key, value, *printer, kPrinterTexts, kPrinterNumbers);
      if (!taken && key == "DevMode") taken = FromHex(value, printer->DevMode) ? 1 : -1;
      if (!taken && key == "DataName") {
        data = &printer->Data.emplace_back();
        taken = Unescape(value, data->Name) ? 1 : -1;
      }
      if (!taken && data && key == "DataType") taken = ParseNumber(value, data->Type) ? 1 : -1;
      if (!taken && data && key == "DataValue") taken = FromHex(value, data->Value) ? 1 : -1;
    } else {
      if (key == "NextJobId") taken = ParseNumber(value, state.NextJobId) ? 1 : -1, lines.NextJobId = lineNo;
      if (key == "NextPrinterId")
        taken = ParseNumber(value, state.NextPrinterId) ? 1 : -1, lines.NextPrinterId = lineNo;
    }
    if (taken < 0) return fail("malformed value");
    if (taken == 0) return fail("unknown key");
  }
  if (first) {
    error = "empty file";
    return false;
  }
  return CrossCheck(state, lines, error);
}
