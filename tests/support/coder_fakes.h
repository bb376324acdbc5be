// Stand-ins for the coder's surroundings in tests: a settings store kept in memory that records every
// read in order, a context host with files in memory, and a log that keeps its lines.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "coding/cl_macrolib.h"
#include "coding/cl_macrolib_context.h"
#include "coding/cl_macrolib_store.h"
#include "coding/lib_datcoder_random.h"
#include "foundation/lib_log.h"

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

class TMemoryStore : public TSettingsStore {
 public:
  struct Value {
    enum Kind { Integer, Text, Bytes } Kind = Integer;
    int32_t Int = 0;
    std::u16string Str;
    std::string Raw;
  };

  // Setting a value creates its key and the key's parents; subkeys list in the order they were made.
  void AddKey(std::u16string_view key);
  void SetInteger(std::u16string_view key, std::u16string_view name, int32_t value);
  void SetText(std::u16string_view key, std::u16string_view name, std::u16string_view value);
  void SetBytes(std::u16string_view key, std::u16string_view name, std::string_view value);
  std::optional<Value> Get(std::u16string_view key, std::u16string_view name) const;

  bool KeyExists(std::u16string_view key) const override;
  int32_t ReadInteger(std::u16string_view key, std::u16string_view name, int32_t def) const override;
  std::u16string ReadText(std::u16string_view key, std::u16string_view name, std::u16string_view def) const override;
  std::string ReadTextA(std::u16string_view key, std::u16string_view name, std::string_view def) const override;
  std::string ReadBytes(std::u16string_view key, std::u16string_view name, std::string_view def) const override;
  std::vector<std::u16string> SubKeyNames(std::u16string_view key) const override;
  std::vector<std::u16string> ValueNames(std::u16string_view key) const override;
  bool CreateKey(std::u16string_view key) override;
  std::vector<std::string> SubKeyNamesA(std::u16string_view key) const override;
  void WriteInteger(std::u16string_view key, std::u16string_view name, int32_t value) override;
  void WriteText(std::u16string_view key, std::u16string_view name, std::u16string_view value) override;
  void WriteTextA(std::u16string_view key, std::u16string_view name, std::string_view value) override;

  // Every read as "<kind> <key>[|<name>]" (kinds K, I, T, A, B, S, V), UTF-8, in order.
  mutable std::vector<std::string> Reads;
  // Keys that cannot be created.
  std::set<std::u16string> Unwritable;

 private:
  void Record(char kind, std::u16string_view key, std::u16string_view name = {}) const;
  const std::vector<std::pair<std::u16string, Value>>* Values(std::u16string_view key) const;

  std::vector<std::u16string> keys_;
  std::map<std::u16string, std::vector<std::pair<std::u16string, Value>>> values_;
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
