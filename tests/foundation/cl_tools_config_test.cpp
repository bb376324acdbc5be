// The configuration accessors against a store in memory: defaults, clamps, the document-type order,
// the component mask and the range texts.
#include "foundation/cl_tools_config.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/memory_store.h"

namespace {
std::u16string Sub(std::u16string_view key, std::u16string_view id) { return std::u16string(key) + u"\\" + std::u16string(id); }
}  // namespace

TEST(ConfigInteger, DefaultsAndClampsAtEveryBound) {
  struct Case {
    TConfigInteger value;
    std::optional<int32_t> stored;
    int32_t expected;
    const char* why;
  } cases[] = {
      {cfgMonitorTimeOut, std::nullopt, 2000, "missing: the default"},
      {cfgMonitorTimeOut, 99, 100, "below the lower bound"},
      {cfgMonitorTimeOut, 100, 100, "at the lower bound"},
      {cfgMonitorTimeOut, 101, 101, "above the lower bound"},
      {cfgMonitorTimeOut, 29998, 29998, "below the upper bound"},
      {cfgMonitorTimeOut, 29999, 29999, "at the upper bound"},
      {cfgMonitorTimeOut, 30000, 29999, "above the upper bound"},
      {cfgMonitorTimeOut, INT32_MIN, 100, "most negative"},
      {cfgMonitorTimeOut, INT32_MAX, 29999, "largest"},
      {cfgJoinTimeOut, std::nullopt, 0, "missing: the default"},
      {cfgJoinTimeOut, -1, 0, "below the lower bound"},
      {cfgJoinTimeOut, 0, 0, "at the lower bound"},
      {cfgJoinTimeOut, 1, 1, "above the lower bound"},
      {cfgJoinTimeOut, 29999, 29999, "at the upper bound"},
      {cfgJoinTimeOut, 30000, 29999, "above the upper bound"},
      {cfgIsMonit, std::nullopt, 0, "missing"},
      {cfgIsMonit, -1, 0, "a negative value reads as 0"},
      {cfgIsMonit, 0, 0, "at the lower bound"},
      {cfgIsMonit, 2, 2, "at the upper bound"},
      {cfgIsMonit, 3, 2, "above the upper bound"},
      {cfgIsMonit, 7, 2, "a stored 7 reads as 2"},
      {cfgIsCap, 3, 2, "above"},
      {cfgIsCmd, -5, 0, "below"},
      {cfgUseWin, 3, 2, "above"},
      {cfgUseWin, 1, 1, "inside"},
      {cfgPrnMonServEnable, 5, 2, "above"},
      {cfgPrnMonServEnable, -1, 0, "below"},
      {cfgLogLevel, std::nullopt, 3, "missing"},
      {cfgLogLevel, 255, 255, "no clamp"},
      {cfgLogLevel, -1, -1, "no clamp below either"},
      {cfgAckPages, std::nullopt, 1, "missing"},
      {cfgDrawWidth, std::nullopt, 9, "missing"},
      {cfgRestSize, std::nullopt, 511, "missing"},
      {cfgRestSize, 100000, 100000, "no clamp"},
      {cfgCreateCpy, std::nullopt, 1, "missing"},
      {cfgDebug, std::nullopt, 0, "missing"},
  };
  for (const Case& c : cases) {
    TMemoryStore store;
    const std::u16string_view name = ConfigName(c.value.Name);
    if (c.stored) store.Set(kConfigKey, name, *c.stored);
    EXPECT_EQ(ReadConfigInteger(store, kConfigKey, c.value), c.expected)
        << std::string(name.begin(), name.end()) << ": " << c.why;
  }
}

TEST(ConfigInteger, NamedAccessorsReadTheirSide) {
  TMemoryStore store;
  store.Set(kConfigDosKey, u"IsMonit", 7);
  store.Set(kConfigDosKey, u"IsCap", 1);
  store.Set(kConfigDosKey, u"IsCmd", -3);
  store.Set(kConfigDosKey, u"UseDOS", 5);
  store.Set(kConfigKey, u"UseWin", 9);
  store.Set(kConfigKey, u"PrnMonServEnable", 1);
  store.Set(kConfigKey, u"IsMonit", 1);  // the wrong side: not read
  EXPECT_EQ(GetIsMonit(store), 2);
  EXPECT_EQ(GetIsCap(store), 1);
  EXPECT_EQ(GetIsCmd(store), 0);
  EXPECT_TRUE(GetUseDOS(store));
  EXPECT_EQ(GetUseWin(store), 2);
  EXPECT_EQ(GetPrnMonServEnable(store), 1);

  TMemoryStore empty;
  EXPECT_EQ(GetIsMonit(empty), 0);
  EXPECT_FALSE(GetUseDOS(empty));
  EXPECT_EQ(GetMonitorMask(empty), u"*.pr");
  EXPECT_EQ(GetMonitorDir(empty), u"");
  EXPECT_EQ(GetLogFileName(empty, kConfigKey), u"");
  EXPECT_EQ(GetLogLevel(empty, kConfigKey), 3);
}

TEST(ConfigText, WritersAndReadersMeet) {
  TMemoryStore store;
  SetIsMonit(store, 2);
  SetMonitorDir(store, u"C:\\Входящие");
  SetMonitDirEx(store, u"del");
  SetMonitorMask(store, u"*.prn;*.txt");
  EXPECT_EQ(GetIsMonit(store), 2);
  EXPECT_EQ(GetMonitorDir(store), u"C:\\Входящие");
  EXPECT_EQ(GetMonitDirEx(store), u"del");
  EXPECT_EQ(GetMonitorMask(store), u"*.prn;*.txt");
  SetMonitorMask(store, u"");
  EXPECT_EQ(GetMonitorMask(store), u"") << "a stored empty mask is not a missing one";
  store.Set(kConfigDosKey, u"LogFile", u"C:\\log\\dos.log");
  EXPECT_EQ(GetLogFileName(store, kConfigDosKey), u"C:\\log\\dos.log");
  EXPECT_EQ(GetLogFileName(store, kConfigKey), u"");
}

TEST(DocTypes, EnabledUnlessTheLowByteIsOne) {
  struct Case {
    std::optional<int32_t> disabled;
    bool enabled;
    const char* why;
  } cases[] = {
      {std::nullopt, true, "missing"}, {0, true, "0"},       {1, false, "1 disables"},
      {2, true, "2 enables"},          {0x101, false, "low byte 1"}, {0x100, true, "low byte 0"},
  };
  for (const Case& c : cases) {
    TMemoryStore store;
    store.AddKey(Sub(kConfigKey, u"A1"));
    if (c.disabled) store.Set(Sub(kConfigKey, u"A1"), u"Disabled", *c.disabled);
    EXPECT_EQ(IsDocTypeEnabled(store, kConfigKey, "A1"), c.enabled) << c.why;
  }
}

namespace {
// Document types A1, B2, C3 and the four-character TTN1; subkeys that are no document type beside them.
TMemoryStore DocTypeStore(std::u16string_view order) {
  TMemoryStore store;
  for (auto id : {u"C3", u"A1", u"TTN1", u"B2"}) store.AddKey(Sub(kConfigKey, id));
  for (auto other : {u"Graphi", u"Printers", u"X", u"ABC", u"ABCDE"}) store.AddKey(Sub(kConfigKey, other));
  store.AddKey(Sub(kConfigKey, u"A1\\Model"));
  if (!order.empty()) store.Set(kConfigKey, u"DocOrder", order);
  return store;
}
}  // namespace

TEST(DocTypes, ListHasTwoAndFourCharacterNamesSorted) {
  EXPECT_EQ(ListDocTypes(DocTypeStore(u""), kConfigKey), "A1,B2,C3,TTN1");
  TMemoryStore empty;
  EXPECT_EQ(ListDocTypes(empty, kConfigKey), "");
}

TEST(DocTypes, OrderFollowsDocOrder) {
  struct Case {
    std::u16string_view order;
    const char16_t* disabled;
    const char* expected;
    const char* why;
  } cases[] = {
      {u"", nullptr, "A1,B2,C3,TTN1", "no order: all, sorted"},
      {u"*", nullptr, "A1,B2,C3,TTN1", "star alone: all, sorted"},
      {u"B2,*,A1", nullptr, "B2,C3,TTN1,A1", "before the star first, after it last"},
      {u"*,C3", nullptr, "A1,B2,TTN1,C3", "star then X puts X last"},
      {u"TTN1,C3", nullptr, "TTN1,C3,A1,B2", "listed first, the rest sorted after"},
      {u"ZZ,B2,QQQQ", nullptr, "B2,A1,C3,TTN1", "identifiers that are no subkey are ignored"},
      {u"B2,B2,*,B2", nullptr, "B2,A1,C3,TTN1", "an identifier is taken once"},
      {u"B2,*,A1", u"A1", "B2,C3,TTN1", "a disabled type is left out after the star"},
      {u"B2,*,A1", u"B2", "C3,TTN1,A1", "and before it"},
      {u"", u"C3", "A1,B2,TTN1", "and from the rest"},
      {u" B2 ,,A1", nullptr, "B2,A1,C3,TTN1", "blanks around items and empty items"},
      {u"X,ABC", nullptr, "A1,B2,C3,TTN1", "names of other lengths are never document types"},
  };
  for (const Case& c : cases) {
    TMemoryStore store = DocTypeStore(c.order);
    if (c.disabled) store.Set(Sub(kConfigKey, c.disabled), u"Disabled", 1);
    EXPECT_EQ(GetDocOrder(store, kConfigKey), c.expected) << c.why;
  }
}

TEST(Service, RunAsServiceOnlyOnNT) {
  struct Case {
    std::optional<int32_t> stored;
    bool serverEdition;
    bool nt;
    bool expected;
    const char* why;
  } cases[] = {
      {std::nullopt, false, true, false, "default: workstation"},
      {std::nullopt, true, true, true, "default: server edition"},
      {0, true, true, false, "switched off on a server"},
      {1, false, true, true, "switched on"},
      {1, false, false, false, "never outside the NT family"},
      {std::nullopt, true, false, false, "server flag outside NT"},
  };
  for (const Case& c : cases) {
    TMemoryStore store;
    if (c.stored) store.Set(kConfigKey, u"AsService", *c.stored);
    EXPECT_EQ(IsRunAsService(store, c.serverEdition, c.nt), c.expected) << c.why;
  }
  TMemoryStore store;
  EXPECT_TRUE(GetTServer(store, true));
  store.Set(kConfigKey, u"TServer", 0);
  EXPECT_FALSE(GetTServer(store, true));
}

TEST(Service, MonitServiceCountsAsRunning) {
  EXPECT_TRUE(MonitServiceRunningFrom(true, true, true, true, true));
  EXPECT_FALSE(MonitServiceRunningFrom(true, true, true, true, false)) << "stopped";
  EXPECT_TRUE(MonitServiceRunningFrom(true, true, true, false, false)) << "state unreadable";
  EXPECT_FALSE(MonitServiceRunningFrom(true, true, false, false, false)) << "not installed";
  EXPECT_FALSE(MonitServiceRunningFrom(true, false, true, true, true)) << "not configured as the service";
  EXPECT_FALSE(MonitServiceRunningFrom(false, true, true, true, true)) << "9x";
}

TEST(ProgramModes, MaskAndTitle) {
  struct Case {
    std::u16string_view winVersion, dosVersion;
    int32_t useWin, useDos, isMonit, isCap, isCmd;
    uint32_t mask;
    std::u16string_view title;
    const char* why;
  } cases[] = {
      {u"", u"", 0, 0, 0, 0, 0, 0, kProgramTitle, "nothing configured"},
      {u"4.01.23", u"", 0, 0, 0, 0, 0, kModeWin, kProgramTitle, "Windows side"},
      {u"  ", u"", 0, 0, 0, 0, 0, 0, kProgramTitle, "a blank version is none"},
      {u"", u"4.01.23", 0, 0, 0, 0, 0, kModeDos, kProgramTitleDos, "DOS side only"},
      {u"", u"", 0, 0, 1, 0, 0, kModeMonitorDir, kProgramTitleDos, "watched directory alone"},
      {u"", u"", 0, 0, 0, 2, 0, kModeCapture, kProgramTitleDos, "capture alone"},
      {u"", u"", 0, 0, 0, 0, 1, kModeCommand, kProgramTitleDos, "command line alone"},
      {u"", u"", 1, 0, 0, 0, 0, kModeWin, kProgramTitle, "UseWin forces Windows"},
      {u"", u"", 0, 3, 0, 0, 0, kModeDos, kProgramTitleDos, "UseDOS forces DOS"},
      {u"4.01.23", u"4.01.23", 0, 0, 2, 1, 1, 31, kProgramTitle, "everything"},
      {u"", u"", 0, 0, -1, 0, 0, 0, kProgramTitle, "a negative switch clamps to off"},
  };
  for (const Case& c : cases) {
    TMemoryStore store;
    if (!c.winVersion.empty()) store.Set(kConfigKey, u"Version", c.winVersion);
    if (!c.dosVersion.empty()) store.Set(kConfigDosKey, u"Version", c.dosVersion);
    store.Set(kConfigKey, u"UseWin", c.useWin);
    store.Set(kConfigDosKey, u"UseDOS", c.useDos);
    store.Set(kConfigDosKey, u"IsMonit", c.isMonit);
    store.Set(kConfigDosKey, u"IsCap", c.isCap);
    store.Set(kConfigDosKey, u"IsCmd", c.isCmd);
    const TProgramModes modes = GetProgramModes(store);
    EXPECT_EQ(modes.Mask, c.mask) << c.why;
    EXPECT_EQ(modes.Title, c.title) << c.why;
  }
  // The configuration check decides what a valid version is.
  TMemoryStore store;
  store.Set(kConfigKey, u"Version", u"3.00");
  EXPECT_EQ(GetProgramModes(store, [](const TSettingsStore&, std::u16string_view) { return false; }).Mask, 0u);
}

TEST(TextToRange, MinInLowWordMaxInHighWord) {
  struct Case {
    const char* text;
    uint32_t expected;
    const char* why;
  } cases[] = {
      {"5-20", 20u * 65536 + 5, "both bounds"},
      {"7", 7, "no dash: min only"},
      {"-9", 9u << 16, "max only"},
      {"3-", 3, "min only, dash kept"},
      {"", 0, "empty"},
      {"a-b", 0, "not numbers"},
      {"x-12", 12u << 16, "each bound on its own"},
      {"65535-65535", 0xFFFFFFFFu, "largest bounds"},
      {"65536-1", 1u << 16, "a bound past 16 bits is no number"},
      {" 5 - 20 ", 20u * 65536 + 5, "blanks around the numbers"},
      {"1-2-3", 1, "only the first dash splits; 2-3 is no number"},
  };
  for (const Case& c : cases) EXPECT_EQ(TextToRange(c.text), c.expected) << c.why;
}

TEST(ConfigNames, TableTexts) {
  EXPECT_EQ(ConfigName(TConfigName::Debug), u"Debug");
  EXPECT_EQ(ConfigName(TConfigName::DefaultMonitorMask), u"*.pr");
  EXPECT_EQ(ConfigName(TConfigName::DefaultFieldDelim), u"\t");
  EXPECT_EQ(ConfigName(TConfigName::ModelKey), u"\\Model");
  EXPECT_EQ(ConfigName(TConfigName::PageMacro), u"%Page%");
  EXPECT_EQ(ConfigName(TConfigName::Count), u"");
  EXPECT_EQ(SpoolerName(TSpoolerName::DefaultName), u"По умолчанию");
  EXPECT_EQ(SpoolerName(TSpoolerName::DeviceSettings), u"DeviceSettings.");
}
