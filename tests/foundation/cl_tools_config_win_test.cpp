// The configuration accessors on the real registry: value types as stored, subkeys, texts in both
// directions, and the monitor service that the test prefix does not have.
#include "foundation/cl_tools_config_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/lib_unicode_win.h"
#include "support/win_fixtures.h"

namespace {
class ConfigRegistry : public testing::Test {
 protected:
  void SetRaw(const std::u16string& sub, const std::u16string& name, DWORD type, const std::vector<uint8_t>& data) {
    HKEY k = nullptr;
    const std::u16string path = sub.empty() ? key_ : key_ + u"\\" + sub;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, WStr(path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(k, WStr(name), 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(k);
  }

  std::u16string key_ = u"Software\\ClientTests\\cl_tools_" + FromWStr(std::to_wstring(GetCurrentProcessId()).c_str());
  TTestKey testKey_{key_};
  TRegistryStore store_{HKEY_CURRENT_USER};
};
}  // namespace

TEST_F(ConfigRegistry, IntegerByStoredTypeAndSize) {
  struct Case {
    DWORD type;
    std::vector<uint8_t> data;
    int32_t expected;
    const char* why;
  } cases[] = {
      {REG_DWORD, {1, 0, 0, 0}, 1, "inside the range"},
      {REG_DWORD, {7, 0, 0, 0}, 2, "a stored 7 reads as 2"},
      {REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, 0, "-1 reads as 0"},
      {REG_BINARY, {2, 0, 0, 0}, 2, "four bytes of binary data"},
      {REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}, 0, "longer than 4 bytes: missing, the default"},
      {REG_SZ, {'1', 0, 0, 0}, 0, "a text is no number"},
  };
  for (const Case& c : cases) {
    SetRaw(u"", u"IsMonit", c.type, c.data);
    EXPECT_EQ(ReadConfigInteger(store_, key_, cfgIsMonit), c.expected) << c.why;
  }
  EXPECT_EQ(ReadConfigInteger(store_, key_, cfgMonitorTimeOut), 2000) << "missing value";
  EXPECT_EQ(ReadConfigInteger(store_, key_ + u"\\NoSuchKey", cfgMonitorTimeOut), 2000) << "missing key";
  SetRaw(u"", u"TimeOut", REG_DWORD, {0x30, 0x75, 0, 0});  // 30000
  EXPECT_EQ(ReadConfigInteger(store_, key_, cfgMonitorTimeOut), 29999);
}

TEST_F(ConfigRegistry, DocumentTypesFromSubkeys) {
  for (auto id : {u"C3", u"A1", u"B2", u"XYZ", u"Graphi"}) SetRaw(id, u"Id", REG_DWORD, {0, 0, 0, 0});
  SetRaw(u"C3", u"Disabled", REG_DWORD, {1, 0, 0, 0});
  store_.WriteText(key_, u"DocOrder", u"B2,*,A1");
  EXPECT_EQ(ListDocTypes(store_, key_), "A1,B2,C3");
  EXPECT_EQ(GetDocOrder(store_, key_), "B2,A1") << "C3 disabled, after the star only A1";
}

TEST_F(ConfigRegistry, TextsBothWays) {
  EXPECT_EQ(ReadConfigText(store_, key_, TConfigName::MonitorMask, u"*.pr"), u"*.pr");
  store_.WriteText(key_, u"LogFile", u"C:\\Журнал\\client.log");
  EXPECT_EQ(GetLogFileName(store_, key_), u"C:\\Журнал\\client.log");
  store_.WriteInteger(key_, u"LogLevel", 15);
  EXPECT_EQ(GetLogLevel(store_, key_), 15);
  store_.WriteText(key_, u"DocOrder", u"Б1");
  EXPECT_EQ(store_.ReadTextA(key_, u"DocOrder", ""), WideToAnsi(u"Б1")) << "8-bit text in the system code page";
}

TEST(MonitService, NotInstalledInTheTestPrefix) {
  EXPECT_FALSE(IsMonitServiceInstalled());
  EXPECT_FALSE(IsMonitServiceRunning(true)) << "a service that does not exist does not run";
}
