// The surroundings of a page coded end to end under Wine: the coding's machine (a temp directory of the
// suite's own, where the code pictures, the context store and the log land), and the code's expected place.
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
#include "support/coding_scope_win.h"
#include "support/e2e_page_win.h"

class TPageCodingRig : public ::testing::Test {
 protected:
  void TearDown() override { store_.DeleteValue(kConfigKey, u"ReDrawEMF"); }
  std::string LogText() const { return scope_.LogText(); }
  std::set<std::wstring> TempFiles() const { return scope_.Files(); }
  // What a page's coding left in the temp directory besides the context store, which keeps the
  // document's answer, and the log.
  std::set<std::wstring> AddedTempFiles(const std::set<std::wstring>& before) const {
    const std::wstring contextStore(kContextStoreName.begin(), kContextStoreName.end());
    std::set<std::wstring> added;
    for (const std::wstring& f : TempFiles())
      if (!before.count(f) && f != contextStore && f != L"client.log") added.insert(f);
    return added;
  }
  static std::wstring SuiteName() {
    const char* name = ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
    return std::wstring(name, name + std::char_traits<char>::length(name));
  }

  TCodingScope scope_{SuiteName()};
  TRegistryStore& store_ = scope_.Store;
  const std::filesystem::path& temp_ = scope_.Temp;
  std::vector<std::u16string>& boxes_ = scope_.Boxes;
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
