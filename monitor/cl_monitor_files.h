// The rules of the capture and watched-directory monitors: the watched directory's mode and masks, which
// files a scan takes, which failed files wait until they change, the capture file's wait until it rests
// and the free name a capture that could not be sent is kept under. The system stays behind hosts.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// What happens to a watched file once it was handled.
inline constexpr int32_t kWatchDelete = 0;
inline constexpr int32_t kWatchReadOnly = 1;
inline constexpr int32_t kWatchArchive = 2;

// "MonitDirEx": "%d,%s". The mode is the number before the first comma, 0 when it is not one; the archive
// directory the rest, without surrounding blanks.
struct TWatchedDirMode {
  int32_t Mode = kWatchDelete;
  std::u16string ArchiveDir;
  friend bool operator==(const TWatchedDirMode&, const TWatchedDirMode&) = default;
};
TWatchedDirMode ParseMonitDirEx(std::u16string_view text);

// "MonitorMask": masks between "," or ";", in their order, each without surrounding blanks; empty ones
// and masks naming another directory (a path separator or a drive) are dropped.
std::vector<std::u16string> SplitMonitorMasks(std::u16string_view text);

// File attribute bits as the search reports them.
inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;
inline constexpr uint32_t kAttrDirectory = 0x10;

// A listed file: its full name, size, last write time (the system's 100 ns units) and attributes.
struct TWatchedFile {
  std::u16string Name;
  uint64_t Size = 0;
  uint64_t WriteTime = 0;
  uint32_t Attributes = 0;
};

// A scan takes plain and archived files that are not empty and not read-only: a read-only one was
// handled in mode 1 or is not ours to touch.
bool TakesWatchedFile(const TWatchedFile& file);

// Files whose sending, deletion or read-only marking failed, as they were then: skipped until their size
// or write time changes, so that a file is neither printed again nor retried every round.
class TRememberedFiles {
 public:
  // True while the file is remembered unchanged; a changed one is forgotten.
  bool Waits(const TWatchedFile& file);
  // True when the file was not remembered yet (the caller logs it once).
  bool Remember(const TWatchedFile& file);
  // The files seen by a round's scans; those not seen are gone and forgotten at its end.
  void BeginRound();
  void Seen(const std::u16string& name);
  void EndRound();
  size_t Size() const { return files_.size(); }

 private:
  struct TState {
    uint64_t Size = 0;
    uint64_t WriteTime = 0;
  };
  std::map<std::u16string, TState> files_;
  std::set<std::u16string> seen_;
};

// What a scan of one mask asks of the system.
class TWatchedDirHost {
 public:
  virtual ~TWatchedDirHost() = default;
  virtual std::vector<TWatchedFile> List(const std::u16string& dir, const std::u16string& mask) = 0;
  // Whether it opens without sharing write access: no other handle still writes it.
  virtual bool IsReady(const std::u16string& name) = 0;
  // Codes and sends the file, then handles it after the mode; false when it was not sent (it stays).
  virtual bool Process(const std::u16string& name, int32_t mode, const std::u16string& archiveDir) = 0;
  // The file as it is now; nothing when it is gone.
  virtual std::optional<TWatchedFile> Stat(const std::u16string& name) = 0;
  virtual bool StopSeen() = 0;
  virtual void Log(std::u16string_view text) = 0;
};

// One scan of one mask: every file taken, ready and not waiting is processed, in the listing's order;
// one that is left afterwards where its mode says it should not be is remembered. False once a stop was
// seen between files.
bool ScanWatchedDir(TWatchedDirHost& host, TRememberedFiles& remembered, const std::u16string& dir,
                    const std::u16string& mask, const std::u16string& archiveDir, int32_t mode);

// How a wait for the capture file ended.
enum class TCaptureWait { Stop, Change, TimeOut, Failed };

// What the capture's wait asks of the system.
class TCaptureHost {
 public:
  static constexpr uint32_t kNoLimit = 0xFFFFFFFFu;
  virtual ~TCaptureHost() = default;
  // The capture file's size; -1 when it is missing.
  virtual int64_t CaptureSize() = 0;
  // Waits for the stop or a change in the directory (the watch is armed again after a change).
  virtual TCaptureWait WaitChange(uint32_t ms) = 0;
};

// Waits until the capture file has content, then until it has gone unchanged for timeOutMs. Stop or
// Failed when the wait ended so, TimeOut when the file rests.
TCaptureWait WaitCaptureRest(TCaptureHost& host, uint32_t timeOutMs);

// The name a complete capture (kCaptureFileName, foundation/cl_tools_cfgkey.h) is processed under.
inline constexpr std::u16string_view kCaptureWorkName = u"PrnCap.raw";

// A free name beside the capture's working name, "PrnCap-<n>.raw" from 1, for a capture that could not
// be sent; empty when every one up to the limit is taken.
std::u16string FreeCaptureName(const std::u16string& dir, const std::function<bool(const std::u16string&)>& exists,
                               uint32_t limit = 9999);
