// Version numbers and the rounds of the configuration check, against a scripted side.
#include "foundation/cl_tools_cfgcheck.h"

#include <gtest/gtest.h>

#include <deque>

#include "support/memory_store.h"

TEST(ConfigVersion, Numbers) {
  struct Case {
    const char* text;
    uint32_t number;
  } cases[] = {
      {"2.32.09", 0x23209},       {"4.01.23", 0x40123},          {"2..32.09", 0x23209}, {"v2.32.09 beta", 0x23209},
      {"", 0},                    {"abc", 0},                     {"12345678", 0x12345678},
      {"123456789", 0x23456789},  // the ninth digit pushes the first out
  };
  for (const Case& c : cases) EXPECT_EQ(VersionToNumber(c.text), c.number) << c.text;
}

TEST(ConfigVersion, Validity) {
  struct Case {
    const char* text;
    bool valid;
  } cases[] = {
      {"2.32.09", true},  {"2.32.08", false}, {"2.31.99", false}, {"2.40.00", true}, {"9.99.99", true},
      {"4.01.23", true},  {"2..32.09", true}, {"", false},        {"x.y.z", false},  {"0.00.00", false},
      {"80000000", false},  // a negative number is below the oldest
  };
  for (const Case& c : cases) EXPECT_EQ(IsConfigVersionTextValid(c.text), c.valid) << c.text;
}

TEST(ConfigVersion, OnTheStoreDecidesTheProgramModes) {
  TMemoryStore store;
  store.Set(kConfigKey, u"Version", u" 4.01.23 ");
  store.Set(kConfigDosKey, u"Version", u"2.31.99");
  EXPECT_TRUE(IsConfigVersionValid(store, kConfigKey));
  EXPECT_FALSE(IsConfigVersionValid(store, kConfigDosKey));
  EXPECT_FALSE(IsConfigVersionValid(store, u"Software\\Kavrel\\Client\\None"));
  // An old DOS configuration does not count as configured.
  EXPECT_EQ(GetProgramModes(store, IsConfigVersionValid).Mask & (kModeWin | kModeDos), kModeWin);
}

namespace {
// Answers from a script; an import sets the version the script gives it.
class TScriptedSide : public TConfigCheckHost {
 public:
  std::string version;
  std::deque<bool> answers;
  bool writable = true;
  std::string versionAfterImport = "4.01.23";
  std::string log;

  std::string Version() override { return version; }
  bool AskRestore(std::u16string_view text) override {
    log += text == kAskRestoreMismatch ? "ask-mismatch " : text == kAskRestoreMissing ? "ask-missing " : "ask-? ";
    const bool yes = !answers.empty() && answers.front();
    if (!answers.empty()) answers.pop_front();
    return yes;
  }
  void ShowError(std::u16string_view text) override {
    log += text == kMsgConfigVersionMismatch ? "error-mismatch "
           : text == kMsgConfigMissing       ? "error-missing "
           : text == kMsgRegistryUnavailable ? "error-registry "
                                             : "error-? ";
  }
  bool KeyWritable() override { return writable; }
  bool Import() override {
    log += "import ";
    version = versionAfterImport;
    return true;
  }
};
}  // namespace

TEST(ConfigCheck, Rounds) {
  struct Case {
    const char* why;
    std::string version;
    bool restore;
    bool strict;
    std::deque<bool> answers;
    bool writable;
    std::string afterImport;
    bool result;
    std::string log;
  } cases[] = {
      {"valid, no restore", "4.01.23", false, true, {}, true, "", true, ""},
      {"old version, no restore", "2.31.99", false, true, {}, true, "", false, "error-mismatch "},
      {"no version, no restore", "", false, true, {}, true, "", false, "error-missing "},
      {"valid with restore: no question", "2.40.00", true, false, {}, true, "", true, ""},
      {"old version restored", "1.00.00", true, false, {true}, true, "4.01.23", true, "ask-mismatch import "},
      {"old version, restore declined, lenient", "1.00.00", true, false, {false}, true, "", true, "ask-mismatch "},
      {"old version, restore declined, strict", "1.00.00", true, true, {false}, true, "", false, "ask-mismatch "},
      {"missing, restored", "", true, false, {true}, true, "4.01.23", true, "ask-missing import "},
      {"missing, declined", "", true, false, {false}, true, "", false, "ask-missing "},
      {"missing, registry read-only three times", "", true, false, {true, true, true}, false, "", false,
       "ask-missing error-registry ask-missing error-registry ask-missing error-registry "},
      {"a restore that never helps ends after three rounds", "1.00.00", true, false, {true, true, true}, true,
       "1.00.00", false, "ask-mismatch import ask-mismatch import ask-mismatch import "},
      {"a file that brings an old version is offered again", "", true, false, {true, false}, true, "1.00.00", true,
       "ask-missing import ask-mismatch "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TScriptedSide side;
    side.version = c.version;
    side.answers = c.answers;
    side.writable = c.writable;
    side.versionAfterImport = c.afterImport;
    EXPECT_EQ(RunConfigurationCheck(side, c.restore, c.strict), c.result);
    EXPECT_EQ(side.log, c.log);
  }
}
