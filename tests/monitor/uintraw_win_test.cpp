// The DOS job coding on the system: a file coded through the machine's ConfigDos key into a ".TMP" file
// of the temp directory, the coding lock and the title left as they were, and the capture file's road
// to the destination printer, whose port file is read back.
#include "monitor/uintraw_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <set>
#include <string>

#include "foundation/cl_tools_app_win.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_unicode_win.h"
#include "monitor/createcode.h"
#include "support/dos_job_fakes.h"
#include "support/prn_test_support.h"
#include "support/win_fixtures.h"

namespace {
namespace fs = std::filesystem;

const std::u16string kDestination = u"Client Test PS";
const std::u16string kDestinationFile = u"C:\\client-print\\out.ps";
const std::u16string kModel = u"HP DosJob Test";

// ConfigDos values the test sets, as they were before it.
class TSavedValue {
 public:
  TSavedValue(TSettingsStore& store, std::u16string key, std::u16string name)
      : store_(store), key_(std::move(key)), name_(std::move(name)) {
    had_ = !store_.ReadText(key_, name_, u"\x01").starts_with(u"\x01");
    value_ = store_.ReadText(key_, name_, u"");
  }
  ~TSavedValue() {
    if (had_) store_.WriteText(key_, name_, value_);
    else store_.DeleteValue(key_, name_);
  }
  TSavedValue(const TSavedValue&) = delete;
  TSavedValue& operator=(const TSavedValue&) = delete;

 private:
  TSettingsStore& store_;
  std::u16string key_;
  std::u16string name_;
  bool had_ = false;
  std::u16string value_;
};

class DosJobWin : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_ = std::make_unique<TScratchDir>(u"uintraw_win_test");
    oldTmp_ = GetEnv(L"TMP");
    oldTemp_ = GetEnv(L"TEMP");
    SetEnvironmentVariableW(L"TMP", WStr(temp_->Path()));
    SetEnvironmentVariableW(L"TEMP", WStr(temp_->Path()));
    for (const char16_t* name : {u"Version", u"LogFile", u"DocOrder", u"FPrintTo"})
      saved_.push_back(std::make_unique<TSavedValue>(store_, DosSubKey(), name));
    saved_.push_back(std::make_unique<TSavedValue>(store_, DosSubKey(u"Printers"), u"Model"));
    store_.WriteTextA(DosSubKey(), u"Version", std::string(kProgramVersion));
    store_.WriteText(DosSubKey(), u"LogFile", temp_->File(u"dos.log"));
    store_.WriteText(DosSubKey(), u"DocOrder", u"DJ");
    store_.WriteText(DosSubKey(), u"FPrintTo", kDestination);
    WriteDosModel(store_, kModel, u"300,300,Rastr");
    WriteDosKeywordType(store_, u"DJ", u"AAA", u"CN", 0);
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      boxes_.push_back(r.Wide ? r.Text : AnsiToWide(r.TextA));
      return IDCANCEL;
    });
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(DosSubKey(u"DJ")));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(DosSubKey(u"Printers\\" + kModel)));
    saved_.clear();
    SetEnvironmentVariableW(L"TMP", oldTmp_.empty() ? nullptr : oldTmp_.c_str());
    SetEnvironmentVariableW(L"TEMP", oldTemp_.empty() ? nullptr : oldTemp_.c_str());
    temp_.reset();
  }
  static std::wstring GetEnv(const wchar_t* name) {
    wchar_t value[MAX_PATH]{};
    return GetEnvironmentVariableW(name, value, MAX_PATH) ? value : L"";
  }
  std::set<std::u16string> TempFiles() const {
    std::set<std::u16string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(temp_->Path())))
      if (entry.path().extension() == L".TMP") names.insert(entry.path().filename().u16string());
    return names;
  }
  std::u16string Input(const std::string& bytes) const {
    const std::u16string name = temp_->File(u"JOB.PRN");
    SetFileAttributesW(WStr(name), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(WriteFixture(name, bytes));
    return name;
  }

  TRegistryStore store_;
  std::unique_ptr<TScratchDir> temp_;
  std::wstring oldTmp_;
  std::wstring oldTemp_;
  std::vector<std::unique_ptr<TSavedValue>> saved_;
  std::vector<std::u16string> boxes_;
};

const std::string kDocument = "\x1B&l6DAAA 1 invoice\r\n\f";
}  // namespace

TEST_F(DosJobWin, CodesAFileThroughTheMachineConfiguration) {
  const std::u16string input = Input(kDocument + "XXX plain\r\n\f");
  const std::u16string title = GetProgramTitle();
  TDosCodeResultRec rec{};
  ASSERT_EQ(EncodeDosJob(5, nullptr, input.c_str(), rec), kDosJobCoded);
  const std::u16string output = RecordFileName(rec);
  EXPECT_EQ(output.substr(0, temp_->Path().size()), temp_->Path());
  EXPECT_TRUE(output.ends_with(u".TMP"));
  EXPECT_EQ(rec.Copies, std::string("C"));
  const std::string coded = ReadFixture(output);
  EXPECT_EQ(coded.substr(0, 12), "\x1B&l6DAAA 1 i");
  EXPECT_NE(coded.find("\x1B*r"), std::string::npos) << "the code as PCL raster";
  EXPECT_NE(coded.find(kDocument + "XXX plain\r\n\f"), std::string::npos) << "the plain copy, then the unknown document";
  EXPECT_EQ(GetProgramTitle(), title);
  EXPECT_TRUE(CodingLock().try_lock()) << "the lock is let go";
  CodingLock().unlock();
  const std::string log = ReadFixture(temp_->File(u"dos.log"));
  EXPECT_NE(log.find(WideToUtf8(u"Код возврата: \"\"2\"")), std::string::npos) << log;
  EXPECT_TRUE(boxes_.empty());
  DeleteFileW(WStr(output));

  // Nothing to code: nothing left behind.
  const std::u16string empty = Input("");
  EXPECT_EQ(EncodeDosJob(5, nullptr, empty.c_str(), rec), kDosJobCancelled);
  const std::u16string unknown = Input("XXX plain\r\n\f");
  EXPECT_EQ(EncodeDosJob(5, nullptr, unknown.c_str(), rec), kDosJobPrintAsIs);
  EXPECT_TRUE(TempFiles().empty());
}

// The capture file coded and printed raw on the destination of its kind; the input goes, or stays
// read-only; an unknown document prints as it came.
TEST_F(DosJobWin, ProcessDosFilePrintsOnTheDestination) {
  TClientApplication app;
  const struct {
    const char* name;
    std::string input;
    bool keep;
    bool coded;
  } cases[] = {{"coded, input deleted", kDocument, false, true}, {"unknown, kept read-only", "XXX plain\r\n\f", true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileW(WStr(kDestinationFile));  // a file port is not truncated before a job
    const std::u16string input = Input(c.input);
    ASSERT_TRUE(ProcessDosFile(app, input, c.keep, kDosFromCapture, nullptr, 0));
    const std::vector<uint8_t> printed = ReadFileBytes(kDestinationFile);
    const std::string got(printed.begin(), printed.end());
    if (c.coded) {
      EXPECT_EQ(got.substr(0, 12), c.input.substr(0, 12));
      EXPECT_NE(got.find("\x1B*r"), std::string::npos);
      EXPECT_NE(got.find(c.input), std::string::npos) << "the plain copy";
    } else {
      EXPECT_EQ(got, c.input);
    }
    const DWORD attributes = GetFileAttributesW(WStr(input));
    if (c.keep) {
      EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY));
    } else {
      EXPECT_EQ(attributes, INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_TRUE(TempFiles().empty()) << "the coded output is deleted after its send";
    SetFileAttributesW(WStr(input), FILE_ATTRIBUTE_NORMAL);
  }
  EXPECT_TRUE(boxes_.empty());
}

// Into the archive first; a missing archive directory stops everything, the file untouched.
TEST_F(DosJobWin, CopyAndProcessDosFileArchivesFirst) {
  TClientApplication app;
  DeleteFileW(WStr(kDestinationFile));
  const std::u16string input = Input(kDocument);
  EXPECT_FALSE(CopyAndProcessDosFile(app, input, temp_->File(u"missing"), kDosFromDirectory, nullptr, 0));
  EXPECT_EQ(boxes_, std::vector<std::u16string>{u"Каталог не найден: \"" + temp_->File(u"missing") + u"\""});
  EXPECT_EQ(ReadFixture(input), kDocument);

  const std::u16string archive = temp_->File(u"archive");
  CreateDirectoryW(WStr(archive), nullptr);
  ASSERT_TRUE(CopyAndProcessDosFile(app, input, archive, kDosFromDirectory, nullptr, 0));
  EXPECT_EQ(ReadFixture(archive + u"\\JOB.PRN"), kDocument);
  EXPECT_EQ(GetFileAttributesW(WStr(input)), INVALID_FILE_ATTRIBUTES);
  const std::vector<uint8_t> printed = ReadFileBytes(kDestinationFile);
  EXPECT_NE(std::string(printed.begin(), printed.end()).find("\x1B*r"), std::string::npos);
}
