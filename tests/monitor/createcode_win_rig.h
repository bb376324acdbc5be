// The surroundings of a page coded end to end under Wine: the configuration the coding checks, a temp
// directory of the test's own (where the code pictures, the context store and the log land), and boxes
// kept instead of shown. Without a GUI the copies dialog answers as its countdown would.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "coding/cl_emfcoder_parse_win.h"
#include "coding/cl_macrolib_context.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "monitor/createcode_win.h"
#include "support/coder_fakes.h"
#include "support/e2e_page_win.h"

class TPageCodingRig : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    temp_ = std::filesystem::path(base) / ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
    std::filesystem::remove_all(temp_);
    std::filesystem::create_directories(temp_);
    oldTmp_ = GetEnv(L"TMP");
    oldTemp_ = GetEnv(L"TEMP");
    SetEnvironmentVariableW(L"TMP", temp_.c_str());
    SetEnvironmentVariableW(L"TEMP", temp_.c_str());
    oldVersion_ = store_.ReadTextA(kConfigKey, u"Version", "");
    oldLog_ = store_.ReadText(kConfigKey, u"LogFile", u"");
    store_.WriteText(kConfigKey, u"LogFile", (temp_ / L"client.log").u16string());
    store_.WriteTextA(kConfigKey, u"Version", std::string(kProgramVersion));
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      boxes_.push_back(r.Wide ? r.Text : AnsiToWide(r.TextA));
      return IDCANCEL;
    });
    SetDisableGUI(true);
  }
  void TearDown() override {
    SetDisableGUI(false);
    SetMessageBoxHook(nullptr);
    store_.DeleteValue(kConfigKey, u"ReDrawEMF");
    if (oldLog_.empty()) store_.DeleteValue(kConfigKey, u"LogFile");
    else store_.WriteText(kConfigKey, u"LogFile", oldLog_);
    if (oldVersion_.empty()) store_.DeleteValue(kConfigKey, u"Version");
    else store_.WriteTextA(kConfigKey, u"Version", oldVersion_);
    SetEnvironmentVariableW(L"TMP", oldTmp_.empty() ? nullptr : oldTmp_.c_str());
    SetEnvironmentVariableW(L"TEMP", oldTemp_.empty() ? nullptr : oldTemp_.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(temp_, ignored);
  }
  std::string LogText() const {
    std::ifstream file(temp_ / L"client.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }
  static std::wstring GetEnv(const wchar_t* name) {
    wchar_t value[MAX_PATH]{};
    return GetEnvironmentVariableW(name, value, MAX_PATH) ? value : L"";
  }
  std::set<std::wstring> TempFiles() const {
    std::set<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(temp_)) names.insert(entry.path().filename().wstring());
    return names;
  }
  // What a page's coding left in the temp directory besides the context store, which keeps the
  // document's answer, and the log.
  std::set<std::wstring> AddedTempFiles(const std::set<std::wstring>& before) const {
    const std::wstring contextStore(kContextStoreName.begin(), kContextStoreName.end());
    std::set<std::wstring> added;
    for (const std::wstring& f : TempFiles())
      if (!before.count(f) && f != contextStore && f != L"client.log") added.insert(f);
    return added;
  }

  TRegistryStore store_;
  std::filesystem::path temp_;
  std::wstring oldTmp_;
  std::wstring oldTemp_;
  std::string oldVersion_;
  std::u16string oldLog_;
  std::vector<std::u16string> boxes_;
};

// Where the type places its code on this page, worked out by the coder's own steps; the code's seeds
// pinned, since the symbol's size, and with it a place measured from the right or the bottom, follows
// the message's bit cost.
inline TPoint ExpectedPlace(HENHMETAFILE page, TSize sizeMm, const std::filesystem::path& dir) {
  TMemoryLog log;
  auto coder = ProcessDecode(0, nullptr, page, nullptr, log, 0, nullptr);
  if (!coder) return TPoint{-1, -1};
  const std::u16string name = (dir / L"expected.emf").u16string();
  {
    const TFixedSeeds seeds;
    if (!coder->MakeCode(static_cast<uint8_t>(coder->DefaultCharset))) return TPoint{-1, -1};
  }
  if (!coder->ExportCodeToFile(name)) return TPoint{-1, -1};
  std::filesystem::remove(name);
  return coder->CalcCodePlace(sizeMm);
}
