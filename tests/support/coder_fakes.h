// Stand-ins for the coder's surroundings in tests: the settings store kept in memory, a context host
// with files in memory, and a log that keeps its lines.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "coding/cl_macrolib.h"
#include "coding/cl_macrolib_code.h"
#include "coding/cl_macrolib_context.h"
#include "coding/cl_macrolib_payload.h"
#include "coding/lib_datcoder_random.h"
#include "foundation/lib_log.h"
#include "support/memory_store.h"

// Every seed drawn while it lives is the same: a tick of FFFFFFFF and its successor 0 both seed the
// register with 1, so the seed bytes, and with them the bit cost of a message, repeat. It leaves the
// last tick at 0, so the clock it restores goes on forward instead of being held at FFFFFFFF + 1.
class TFixedSeeds {
 public:
  TFixedSeeds() : previous_(SetTickSource([]() -> uint32_t { return 0xFFFFFFFFu; })) {}
  ~TFixedSeeds() {
    while (MonotonicTick() != 0) {
    }
    SetTickSource(previous_);
  }
  TFixedSeeds(const TFixedSeeds&) = delete;
  TFixedSeeds& operator=(const TFixedSeeds&) = delete;

 private:
  TTickSource previous_;
};

class TMemoryContextHost : public TContextHost {
 public:
  static constexpr std::u16string_view kDir = u"C:\\TEMP\\";

  std::u16string ReadValue(std::u16string_view section, std::u16string_view name, std::u16string_view def) override;
  void WriteValue(std::u16string_view section, std::u16string_view name, std::u16string_view value) override;
  std::u16string StoreDir() const override { return std::u16string(kDir); }
  std::u16string MakeContextFile() override;
  std::optional<std::string> ReadFileBytes(const std::u16string& name) override;
  bool WriteFileBytes(const std::u16string& name, std::string_view bytes) override;
  void DeleteFileByName(const std::u16string& name) override;
  void ShowError(std::u16string_view text) override;
  void Lock() override;
  void Unlock() override;
  std::string ToAnsi(std::u16string_view text) const override;
  std::u16string FromAnsi(std::string_view text) const override;

  std::map<std::pair<std::u16string, std::u16string>, std::u16string> Values;
  std::map<std::u16string, std::string> Files;
  std::vector<std::u16string> Errors;
  std::vector<std::string> FileReads;
  bool FailWrites = false;
  bool FailMake = false;
  int LockDepth = 0;
  // Store or file work done without the lock, or a box shown while holding it.
  int Violations = 0;
  uint32_t NextFile = 0x1A2B3C4D;
};

// The coder's borrowed services with the core's code pages, its boxes and debug data kept.
class TRecordingServices : public TCodeServices {
 public:
  const TCodePageSystem& CodePages() const override { return DefaultCodePages(); }
  void ShowError(std::u16string_view text) override { Boxes.emplace_back(text); }
  void SaveDebugData(std::string_view data) override { Debug.emplace_back(data); }
  std::vector<std::u16string> Boxes;
  std::vector<std::string> Debug;
};

// The system behind a log file that keeps its lines in memory.
class TMemoryLogHost : public TLogHost {
 public:
  bool NTFamily() const override { return true; }
  bool DirectoryExists(const std::u16string&) const override { return true; }
  std::u16string DateText() const override { return u"01.02.24"; }
  std::u16string TimeText() const override { return u"10:00:00"; }
  uint32_t TickCount() const override { return 0; }
  std::u16string FromAnsi(std::string_view text) const override { return DecodeCodePage(text, kCodePage1251); }
  bool AppendLine(const std::u16string&, std::u16string_view text) override {
    Lines.emplace_back(text);
    return true;
  }
  void ShowFileWriteError(const std::u16string&) override {}
  void ShowError(std::u16string_view) override {}
  std::unique_ptr<TEventSink> OpenEventSource() override { return nullptr; }
  std::u16string SystemDescription() override { return {}; }

  std::vector<std::u16string> Lines;
};

// A log file (enabled, or not when it has no name) whose lines land in Lines.
class TMemoryLog {
 public:
  explicit TMemoryLog(bool enabled = true) : file(host, enabled ? u"C:\\log\\client.log" : u"", false) {
    host.Lines.clear();  // the opening time stamp
  }
  TMemoryLog(const TMemoryLog&) = delete;
  TMemoryLog& operator=(const TMemoryLog&) = delete;
  operator TLogFile*() { return &file; }

  TMemoryLogHost host;
  TLogFile file;
  std::vector<std::u16string>& Lines = host.Lines;
};
