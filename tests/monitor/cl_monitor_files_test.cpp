// The capture and watched-directory monitors' rules in tables: "MonitDirEx", the masks, which files a
// scan takes, the files that wait until they change, the capture's rest and the kept capture's name.
#include "monitor/cl_monitor_files.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>

#include "foundation/lib_codepage.h"

namespace {

TEST(MonitDirEx, ModeAndArchiveDirectory) {
  const struct {
    std::u16string_view text;
    TWatchedDirMode expected;
    const char* why;
  } cases[] = {
      {u"", {0, u""}, "empty: delete"},
      {u"0,", {0, u""}, "delete, no archive"},
      {u"1,", {1, u""}, "read-only"},
      {u"2,C:\\Archive", {2, u"C:\\Archive"}, "archive"},
      {u"2,C:\\A,B", {2, u"C:\\A,B"}, "only the first comma parts"},
      {u" 2 , C:\\Archive ", {2, u"C:\\Archive"}, "blanks around both"},
      {u"2", {2, u""}, "no comma: all of it is the mode"},
      {u"x,C:\\Archive", {0, u"C:\\Archive"}, "a mode that is not a number is 0"},
      {u"2x,C:\\A", {0, u"C:\\A"}, "trailing garbage"},
      {u"２,C:\\A", {0, u"C:\\A"}, "a full-width digit is not a number"},
      {u"99999999999,", {0, u""}, "out of range"},
      {u"-1,", {-1, u""}, "negative: a number, handled as delete by the scan"},
      {u",C:\\A", {0, u"C:\\A"}, "no mode"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseMonitDirEx(c.text), c.expected) << c.why;
}

TEST(MonitorMask, SplitTrimmedInOrder) {
  using V = std::vector<std::u16string>;
  const struct {
    std::u16string_view text;
    V expected;
    const char* why;
  } cases[] = {
      {u"*.pr", {u"*.pr"}, "one"},
      {u"a*.pr,b*.pr", {u"a*.pr", u"b*.pr"}, "comma"},
      {u"a*.pr;b*.pr", {u"a*.pr", u"b*.pr"}, "semicolon"},
      {u"b*.pr; a*.pr", {u"b*.pr", u"a*.pr"}, "as the dialog stores them, order kept"},
      {u" a*.pr ,\tb*.pr ;", {u"a*.pr", u"b*.pr"}, "blanks and a trailing separator"},
      {u";;,", {}, "only separators"},
      {u"", {}, "empty"},
      {u"..\\*.pr;*.txt", {u"*.txt"}, "a mask naming another directory"},
      {u"C:*.pr,/etc/*,ok.pr", {u"ok.pr"}, "a drive or a slash"},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitMonitorMasks(c.text), c.expected) << c.why;
}

TEST(WatchedFiles, TakenWhenNotEmptyAndNotReadOnly) {
  const struct {
    uint64_t size;
    uint32_t attributes;
    bool taken;
    const char* why;
  } cases[] = {
      {1, 0, true, "plain"},
      {1, 0x20, true, "archive attribute"},
      {0, 0x20, false, "empty"},
      {5, kAttrReadOnly, false, "read-only"},
      {5, kAttrReadOnly | 0x20, false, "read-only archive"},
      {5, kAttrHidden, false, "hidden"},
      {5, kAttrSystem, false, "system"},
      {5, kAttrDirectory, false, "directory"},
  };
  for (const auto& c : cases) EXPECT_EQ(TakesWatchedFile({u"f", c.size, 7, c.attributes}), c.taken) << c.why;
}

TEST(RememberedFiles, WaitUntilChangedOrGone) {
  TRememberedFiles set;
  const TWatchedFile a{u"C:\\in\\a.pr", 10, 100, 0};
  EXPECT_FALSE(set.Waits(a)) << "unknown";
  EXPECT_TRUE(set.Remember(a)) << "new: logged";
  EXPECT_FALSE(set.Remember(a)) << "known: not logged again";
  const struct {
    TWatchedFile file;
    bool waits;
    const char* why;
  } cases[] = {
      {a, true, "unchanged"},
      {{u"C:\\in\\b.pr", 10, 100, 0}, false, "another file"},
      {{a.Name, 10, 100, kAttrReadOnly}, true, "attributes are no change"},
  };
  for (const auto& c : cases) EXPECT_EQ(set.Waits(c.file), c.waits) << c.why;
  for (const TWatchedFile& changed : {TWatchedFile{a.Name, 11, 100, 0}, TWatchedFile{a.Name, 10, 101, 0}}) {
    set.Remember(a);
    EXPECT_FALSE(set.Waits(changed)) << "a change of size or time";
    EXPECT_FALSE(set.Waits(a)) << "and it is forgotten";
  }

  set.Remember(a);
  set.Remember({u"C:\\in\\b.pr", 1, 1, 0});
  set.BeginRound();
  set.Seen(a.Name);
  set.EndRound();
  EXPECT_EQ(set.Size(), 1u) << "a file not seen in a round is gone";
  EXPECT_TRUE(set.Waits(a));
}

// A directory in memory: the listing, which files are held open for writing, what processing does.
class TFakeDir : public TWatchedDirHost {
 public:
  std::vector<TWatchedFile> List(const std::u16string&, const std::u16string& mask) override {
    std::vector<TWatchedFile> listed;
    for (const auto& [name, file] : files)
      if (mask == u"*" || name.find(mask) != std::u16string::npos) listed.push_back(file);
    return listed;
  }
  bool IsReady(const std::u16string& name) override { return !held.contains(name); }
  bool Process(const std::u16string& name, int32_t mode, const std::u16string&) override {
    processed.push_back(name);
    if (!sendOk) return false;
    if (undeletable.contains(name)) return true;
    if (mode == kWatchReadOnly) files[name].Attributes |= kAttrReadOnly;
    else files.erase(name);
    return true;
  }
  std::optional<TWatchedFile> Stat(const std::u16string& name) override {
    const auto found = files.find(name);
    if (found == files.end()) return std::nullopt;
    return found->second;
  }
  // A stop once so many files were processed; it stays seen.
  bool StopSeen() override {
    stopped = stopped || (stopAfter >= 0 && static_cast<int>(processed.size()) >= stopAfter);
    return stopped;
  }
  void Log(std::u16string_view text) override { logged.emplace_back(text); }

  void Add(const std::u16string& name, uint64_t size = 10, uint32_t attributes = 0x20) {
    files[name] = {name, size, 1, attributes};
  }

  std::map<std::u16string, TWatchedFile> files;
  std::set<std::u16string> held;
  std::set<std::u16string> undeletable;
  bool sendOk = true;
  int stopAfter = -1;
  bool stopped = false;
  std::vector<std::u16string> processed;
  std::vector<std::u16string> logged;
};

TEST(ScanWatchedDir, WhatIsProcessedAndWhatWaits) {
  using V = std::vector<std::u16string>;
  const struct {
    const char* why;
    int32_t mode;
    std::function<void(TFakeDir&)> setup;
    V firstRound, secondRound, left;
    size_t logged;
  } cases[] = {
      {"mode 0: processed once, deleted", kWatchDelete, [](TFakeDir& d) { d.Add(u"a.pr"); }, {u"a.pr"}, {}, {}, 0},
      {"mode 1: processed once, stays read-only", kWatchReadOnly, [](TFakeDir& d) { d.Add(u"a.pr"); }, {u"a.pr"}, {},
       {u"a.pr"}, 0},
      {"empty and read-only files are never taken", kWatchDelete,
       [](TFakeDir& d) {
         d.Add(u"e.pr", 0);
         d.Add(u"r.pr", 4, kAttrReadOnly);
       },
       {}, {}, {u"e.pr", u"r.pr"}, 0},
      {"held for writing: left for a later scan", kWatchDelete,
       [](TFakeDir& d) {
         d.Add(u"a.pr");
         d.held.insert(u"a.pr");
       },
       {}, {}, {u"a.pr"}, 0},
      {"deletion fails: printed once, logged once", kWatchDelete,
       [](TFakeDir& d) {
         d.Add(u"a.pr");
         d.undeletable.insert(u"a.pr");
       },
       {u"a.pr"}, {}, {u"a.pr"}, 1},
      {"read-only marking fails: printed once", kWatchReadOnly,
       [](TFakeDir& d) {
         d.Add(u"a.pr");
         d.undeletable.insert(u"a.pr");
       },
       {u"a.pr"}, {}, {u"a.pr"}, 1},
      {"sending fails: kept, not retried", kWatchArchive,
       [](TFakeDir& d) {
         d.Add(u"a.pr");
         d.sendOk = false;
       },
       {u"a.pr"}, {}, {u"a.pr"}, 1},
      {"listing order", kWatchDelete,
       [](TFakeDir& d) {
         d.Add(u"a.pr");
         d.Add(u"b.pr");
       },
       {u"a.pr", u"b.pr"}, {}, {}, 0},
      {"a stop between files ends the scan", kWatchDelete,
       [](TFakeDir& d) {
         d.Add(u"a.pr");
         d.Add(u"b.pr");
         d.stopAfter = 1;
       },
       {u"a.pr"}, {}, {u"b.pr"}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    TFakeDir dir;
    c.setup(dir);
    TRememberedFiles remembered;
    ScanWatchedDir(dir, remembered, u"C:\\in", u"*", u"C:\\arch", c.mode);
    EXPECT_EQ(dir.processed, c.firstRound);
    dir.processed.clear();
    ScanWatchedDir(dir, remembered, u"C:\\in", u"*", u"C:\\arch", c.mode);
    EXPECT_EQ(dir.processed, c.secondRound);
    V left;
    for (const auto& entry : dir.files) left.push_back(entry.first);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(dir.logged.size(), c.logged);
  }
}

TEST(ScanWatchedDir, AKeptFileIsProcessedAgainOnceItChanges) {
  TFakeDir dir;
  dir.Add(u"a.pr");
  dir.sendOk = false;
  TRememberedFiles remembered;
  ScanWatchedDir(dir, remembered, u"C:\\in", u"*", u"", kWatchDelete);
  ScanWatchedDir(dir, remembered, u"C:\\in", u"*", u"", kWatchDelete);
  EXPECT_EQ(dir.processed.size(), 1u);
  dir.sendOk = true;
  dir.files[u"a.pr"].WriteTime = 2;
  ScanWatchedDir(dir, remembered, u"C:\\in", u"*", u"", kWatchDelete);
  EXPECT_EQ(dir.processed.size(), 2u);
  EXPECT_TRUE(dir.files.empty());
  ASSERT_EQ(dir.logged.size(), 1u);
  EXPECT_EQ(WideToUtf8(dir.logged[0]), WideToUtf8(u"Файл не напечатан; ждет его изменения: \"a.pr\""));
}

// A capture file's sizes and the directory's changes, as a script.
class TFakeCapture : public TCaptureHost {
 public:
  int64_t CaptureSize() override { return size; }
  TCaptureWait WaitChange(uint32_t ms) override {
    waits.push_back(ms);
    if (script.empty()) return TCaptureWait::Failed;
    const auto [result, newSize] = script.front();
    script.pop_front();
    size = newSize;
    return result;
  }
  int64_t size = -1;
  std::deque<std::pair<TCaptureWait, int64_t>> script;
  std::vector<uint32_t> waits;
};

TEST(CaptureRest, WaitsForContentThenForQuiet) {
  using W = TCaptureWait;
  constexpr uint32_t kNo = TCaptureHost::kNoLimit;
  const struct {
    const char* why;
    int64_t size;
    std::deque<std::pair<W, int64_t>> script;
    W result;
    std::vector<uint32_t> waits;
  } cases[] = {
      {"content already, rests at once", 5, {{W::TimeOut, 5}}, W::TimeOut, {300}},
      {"missing, then written, then quiet", -1, {{W::Change, 5}, {W::TimeOut, 5}}, W::TimeOut, {kNo, 300}},
      {"zero length waits without limit", 0, {{W::Change, 0}, {W::Change, 3}, {W::TimeOut, 3}}, W::TimeOut,
       {kNo, kNo, 300}},
      {"every write restarts the wait", 1, {{W::Change, 2}, {W::Change, 3}, {W::TimeOut, 3}}, W::TimeOut,
       {300, 300, 300}},
      {"a stop while empty", 0, {{W::Stop, 0}}, W::Stop, {kNo}},
      {"a stop while writes go on", 2, {{W::Change, 3}, {W::Stop, 3}}, W::Stop, {300, 300}},
      {"a failed wait", 2, {{W::Failed, 3}}, W::Failed, {300}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    TFakeCapture capture;
    capture.size = c.size;
    capture.script = c.script;
    EXPECT_EQ(WaitCaptureRest(capture, 300), c.result);
    EXPECT_EQ(capture.waits, c.waits);
  }
}

TEST(CaptureRest, FreeNameBesideTheWorkingName) {
  std::set<std::u16string> taken;
  const auto exists = [&](const std::u16string& name) { return taken.contains(name); };
  EXPECT_EQ(FreeCaptureName(u"C:\\Spool", exists), u"C:\\Spool\\PrnCap-1.raw");
  taken = {u"C:\\Spool\\PrnCap-1.raw", u"C:\\Spool\\PrnCap-2.raw"};
  EXPECT_EQ(FreeCaptureName(u"C:\\Spool", exists), u"C:\\Spool\\PrnCap-3.raw");
  EXPECT_EQ(FreeCaptureName(u"C:\\Spool", exists, 2), u"") << "every name up to the limit taken";
}

}  // namespace
