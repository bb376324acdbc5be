// The program's log: a text file written line by line (or held and written at the end), and the entries
// it reports to the Windows event log. The system behind it (file, clock, boxes, event source) is a host
// the Windows edge supplies and tests replace.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/lib_api.h"

// Event types (the Windows values; error and warning come with the message boxes) and the categories and
// events of the program's message table.
inline constexpr uint16_t kEventTypeSuccess = 0x0000;
inline constexpr uint16_t kEventTypeInformation = 0x0004;

inline constexpr uint16_t kCategoryStartStop = 1;
inline constexpr uint16_t kCategorySystemInformation = 2;
inline constexpr uint16_t kCategoryDebugInformation = 3;
inline constexpr uint16_t kCategoryError = 4;
inline constexpr uint16_t kCategoryWarning = 5;
inline constexpr uint32_t kEventCategoryCount = 5;

inline constexpr uint32_t kEventStarted = 256;
inline constexpr uint32_t kEventClosed = 257;
inline constexpr uint32_t kEventAbnormalTermination = 258;
inline constexpr uint32_t kEventErrorText = 264;
inline constexpr uint32_t kEventInfoText = 265;
inline constexpr uint32_t kEventWarningText = 272;
inline constexpr uint32_t kEventServiceStarted = 273;
inline constexpr uint32_t kEventServiceClosed = 274;

// A registered event source: the real event log on Windows, a list in tests. Closing it deregisters it.
// An entry's Text is its one insertion string (none when empty).
class TEventSink {
 public:
  virtual ~TEventSink() = default;
  virtual void Report(const TMessageEvent& event) = 0;
};

// What a log needs of the system.
class TLogHost {
 public:
  virtual ~TLogHost() = default;
  virtual bool NTFamily() const = 0;
  virtual bool DirectoryExists(const std::u16string& dir) const = 0;
  // The system's short date and long time formats.
  virtual std::u16string DateText() const = 0;
  virtual std::u16string TimeText() const = 0;
  virtual uint32_t TickCount() const = 0;
  // 8-bit text in the system code page.
  virtual std::u16string FromAnsi(std::string_view text) const = 0;
  // Appends the text and CR LF as one write: on the NT family in the file's own encoding (a new file is
  // UTF-8 with its byte-order mark), else as 8-bit text. False when the file could not be written.
  virtual bool AppendLine(const std::u16string& fileName, std::u16string_view text) = 0;
  virtual void ShowFileWriteError(const std::u16string& fileName) = 0;
  virtual void ShowError(std::u16string_view text) = 0;
  // Registers the program's event source; nullptr when there is none (9x family, no rights).
  virtual std::unique_ptr<TEventSink> OpenEventSource() = 0;
  // The system description of the debug report.
  virtual std::u16string SystemDescription() = 0;
};

// The status of one extracted field, kept while the log is held.
struct TFieldStatus {
  std::u16string Name;
  std::u16string Value;
  bool Flag1 = false;
  bool Flag2 = false;
  friend bool operator==(const TFieldStatus&, const TFieldStatus&) = default;
};

inline constexpr std::u16string_view kElapsedText = u"- время выполнения: ";

// "- время выполнения: %d, ms" for the ticks from start to now, across the wrap of the counter.
std::u16string ElapsedText(uint32_t startTick, uint32_t nowTick);
// The directory a log file may be written to: its own, when it exists; a bare name has none.
bool LogDirectoryUsable(const TLogHost& host, const std::u16string& fileName);

// Every method may be called from several threads: one lock keeps lines whole and in order, and boxes
// are shown outside it.
class TLogFile {
 public:
  // fileName is the "LogFile" value of the configuration; a file whose directory is missing is not
  // written. Writes the opening time stamp (unless held) and registers the event source.
  TLogFile(TLogHost& host, const std::u16string& fileName, bool hold);
  // Closes the log when Close was not called.
  ~TLogFile();
  TLogFile(const TLogFile&) = delete;
  TLogFile& operator=(const TLogFile&) = delete;

  void Add(std::string_view text);
  void AddWide(std::u16string_view text);
  void AddTimeStamp();
  void AddElapsed(uint32_t startTick);
  // The host's tick now, the start of a stage timed with AddElapsed.
  uint32_t TickCount() const { return host_.TickCount(); }
  void Flush();
  // Drops the field records, writes the closing time stamp and everything held, deregisters the source.
  void Close();

  bool Enabled() const;
  bool Hold() const;
  std::u16string FileName() const;
  bool HasEventSource() const;

  void AddFieldStatus(std::u16string_view name, std::u16string_view value, bool flag1, bool flag2);
  void TruncateFieldStatus(size_t count);
  void ClearFieldStatus();
  std::vector<TFieldStatus> FieldStatus() const;

  void ReportStarted(bool service);
  // An abnormal end is reported as the abnormal termination, a normal one as closed (or service closed).
  void ReportClosed(bool abnormal, bool service);
  void ReportError(std::u16string_view text);
  void ReportDebugInfo();
  void ReportEventText(uint16_t type, uint16_t category, std::u16string_view text, uint32_t eventId);
  void ErrorBox(std::string_view text);
  void ErrorBoxW(std::u16string_view text);

 private:
  void AddLocked(std::u16string_view text);
  // Writes what is pending; the name of a file that failed, for the box shown after the lock is left.
  std::u16string FlushLocked();
  void Report(const TMessageEvent& event);
  void ShowWriteError(const std::u16string& failedFile);

  TLogHost& host_;
  mutable std::mutex lock_;
  std::u16string fileName_;
  bool hold_;
  bool enabled_;
  bool closed_ = false;
  std::u16string text_;
  std::vector<TFieldStatus> fieldStatus_;
  std::unique_ptr<TEventSink> eventSource_;
};
