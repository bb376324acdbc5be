// The program's log file and its event-log entries.
#include "foundation/lib_log.h"

#include "foundation/lib_unicode.h"

namespace {
std::u16string AsciiToWide(std::string_view text) { return std::u16string(text.begin(), text.end()); }
}  // namespace

std::u16string ElapsedText(uint32_t startTick, uint32_t nowTick) {
  // Unsigned subtraction counts across the wrap of the 32-bit tick counter.
  return std::u16string(kElapsedText) + AsciiToWide(std::to_string(nowTick - startTick)) + u", ms";
}

bool LogDirectoryUsable(const TLogHost& host, const std::u16string& fileName) {
  const std::u16string dir = ExtractFilePathW(fileName);
  return !dir.empty() && host.DirectoryExists(dir);
}

TLogFile::TLogFile(TLogHost& host, const std::u16string& fileName, bool hold)
    : host_(host), fileName_(LogDirectoryUsable(host, fileName) ? fileName : std::u16string()), hold_(hold) {
  enabled_ = hold_ || !fileName_.empty();
  AddTimeStamp();
  Flush();
  if (host_.NTFamily()) eventSource_ = host_.OpenEventSource();
}

TLogFile::~TLogFile() { Close(); }

void TLogFile::AddLocked(std::u16string_view text) {
  if (!enabled_ || text.empty()) return;
  if (!text_.empty()) text_ += u"\r\n";
  text_ += text;
}

std::u16string TLogFile::FlushLocked() {
  std::u16string failed;
  if (hold_ || text_.empty()) return failed;
  if (!fileName_.empty() && !host_.AppendLine(fileName_, text_)) {
    failed = fileName_;
    fileName_.clear();
    enabled_ = false;
  }
  text_.clear();
  return failed;
}

void TLogFile::ShowWriteError(const std::u16string& failedFile) {
  if (!failedFile.empty()) host_.ShowFileWriteError(failedFile);
}

void TLogFile::AddWide(std::u16string_view text) {
  std::u16string failed;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!enabled_ || text.empty()) return;
    AddLocked(text);
    failed = FlushLocked();
  }
  ShowWriteError(failed);
}

void TLogFile::Add(std::string_view text) {
  if (text.empty()) return;
  AddWide(host_.FromAnsi(text));
}

void TLogFile::AddTimeStamp() { AddWide(u"[" + host_.DateText() + u" " + host_.TimeText() + u"]"); }

void TLogFile::AddElapsed(uint32_t startTick) { AddWide(ElapsedText(startTick, host_.TickCount())); }

void TLogFile::Flush() {
  std::u16string failed;
  {
    std::lock_guard<std::mutex> guard(lock_);
    failed = FlushLocked();
  }
  ShowWriteError(failed);
}

void TLogFile::Close() {
  std::u16string failed;
  std::unique_ptr<TEventSink> source;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (closed_) return;
    closed_ = true;
    fieldStatus_.clear();
  }
  AddTimeStamp();
  {
    std::lock_guard<std::mutex> guard(lock_);
    hold_ = false;
    failed = FlushLocked();
    enabled_ = false;
    source = std::move(eventSource_);
  }
  source.reset();
  ShowWriteError(failed);
}

bool TLogFile::Enabled() const {
  std::lock_guard<std::mutex> guard(lock_);
  return enabled_;
}

bool TLogFile::Hold() const {
  std::lock_guard<std::mutex> guard(lock_);
  return hold_;
}

std::u16string TLogFile::FileName() const {
  std::lock_guard<std::mutex> guard(lock_);
  return fileName_;
}

bool TLogFile::HasEventSource() const {
  std::lock_guard<std::mutex> guard(lock_);
  return eventSource_ != nullptr;
}

void TLogFile::AddFieldStatus(std::u16string_view name, std::u16string_view value, bool flag1, bool flag2) {
  std::lock_guard<std::mutex> guard(lock_);
  if (hold_) fieldStatus_.push_back({std::u16string(name), std::u16string(value), flag1, flag2});
}

void TLogFile::TruncateFieldStatus(size_t count) {
  std::lock_guard<std::mutex> guard(lock_);
  if (hold_ && fieldStatus_.size() > count) fieldStatus_.resize(count);
}

void TLogFile::ClearFieldStatus() {
  std::lock_guard<std::mutex> guard(lock_);
  fieldStatus_.clear();
}

std::vector<TFieldStatus> TLogFile::FieldStatus() const {
  std::lock_guard<std::mutex> guard(lock_);
  return fieldStatus_;
}

void TLogFile::Report(const TMessageEvent& event) {
  std::lock_guard<std::mutex> guard(lock_);
  if (eventSource_) eventSource_->Report(event);
}

void TLogFile::ReportStarted(bool service) {
  Report({kEventTypeSuccess, kCategoryStartStop, service ? kEventServiceStarted : kEventStarted, {}});
}

void TLogFile::ReportClosed(bool abnormal, bool service) {
  if (abnormal) {
    Report({kEventTypeError, kCategoryError, kEventAbnormalTermination, {}});
    return;
  }
  Report({kEventTypeSuccess, kCategoryStartStop, service ? kEventServiceClosed : kEventClosed, {}});
}

void TLogFile::ReportError(std::u16string_view text) {
  Report({kEventTypeError, kCategoryError, kEventErrorText, std::u16string(text)});
  AddWide(text);
}

void TLogFile::ReportDebugInfo() {
  const std::u16string description = host_.SystemDescription();
  Report({kEventTypeInformation, kCategorySystemInformation, kEventInfoText, description});
  AddWide(u"Debug Information:\r\n" + description);
}

void TLogFile::ReportEventText(uint16_t type, uint16_t category, std::u16string_view text, uint32_t eventId) {
  Report({type, category, eventId, std::u16string(text)});
}

void TLogFile::ErrorBoxW(std::u16string_view text) {
  AddWide(text);
  Report({kEventTypeError, kCategoryError, kEventErrorText, std::u16string(text)});
  host_.ShowError(text);
}

void TLogFile::ErrorBox(std::string_view text) { ErrorBoxW(host_.FromAnsi(text)); }
