// The machine a Wine test codes pages on: the configuration's version and log file the page coding
// checks, a temp directory of the test's own as TMP and TEMP, and message boxes taken instead of shown
// (without a GUI the copies dialog answers as its countdown would). All is put back at the end.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_unicode_win.h"

class TCodingScope {
 public:
  explicit TCodingScope(const std::wstring& leaf) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    Temp = std::filesystem::path(base) / leaf;
    std::filesystem::remove_all(Temp);
    std::filesystem::create_directories(Temp);
    oldTmp_ = GetEnv(L"TMP");
    oldTemp_ = GetEnv(L"TEMP");
    SetEnvironmentVariableW(L"TMP", Temp.c_str());
    SetEnvironmentVariableW(L"TEMP", Temp.c_str());
    oldVersion_ = Store.ReadTextA(kConfigKey, u"Version", "");
    oldLog_ = Store.ReadText(kConfigKey, u"LogFile", u"");
    Store.WriteText(kConfigKey, u"LogFile", (Temp / L"client.log").u16string());
    Store.WriteTextA(kConfigKey, u"Version", std::string(kProgramVersion));
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      Boxes.push_back(r.Wide ? r.Text : AnsiToWide(r.TextA));
      return IDCANCEL;
    });
    SetDisableGUI(true);
  }
  ~TCodingScope() {
    SetDisableGUI(false);
    SetMessageBoxHook(nullptr);
    if (oldLog_.empty()) Store.DeleteValue(kConfigKey, u"LogFile");
    else Store.WriteText(kConfigKey, u"LogFile", oldLog_);
    if (oldVersion_.empty()) Store.DeleteValue(kConfigKey, u"Version");
    else Store.WriteTextA(kConfigKey, u"Version", oldVersion_);
    SetEnvironmentVariableW(L"TMP", oldTmp_.empty() ? nullptr : oldTmp_.c_str());
    SetEnvironmentVariableW(L"TEMP", oldTemp_.empty() ? nullptr : oldTemp_.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(Temp, ignored);
  }
  TCodingScope(const TCodingScope&) = delete;
  TCodingScope& operator=(const TCodingScope&) = delete;

  std::string LogText() const {
    std::ifstream file(Temp / L"client.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }
  std::set<std::wstring> Files() const {
    std::set<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(Temp)) names.insert(entry.path().filename().wstring());
    return names;
  }

  TRegistryStore Store;
  std::filesystem::path Temp;
  std::vector<std::u16string> Boxes;

 private:
  static std::wstring GetEnv(const wchar_t* name) {
    wchar_t value[MAX_PATH]{};
    return GetEnvironmentVariableW(name, value, MAX_PATH) ? value : L"";
  }

  std::wstring oldTmp_, oldTemp_;
  std::string oldVersion_;
  std::u16string oldLog_;
};
