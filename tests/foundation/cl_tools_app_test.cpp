// The application object's flags from the component mask, the journal switch and the service mode.
#include "foundation/cl_tools_app.h"

#include <gtest/gtest.h>

TEST(ClientApplication, ModeFlagsOfTheMask) {
  struct Case {
    uint32_t mask;
    TModeFlags flags;
  };
  const Case cases[] = {
      {0, {false, false, false, false}},  {1, {true, false, false, true}},  {2, {true, false, true, false}},
      {4, {false, true, true, false}},    {8, {false, true, true, false}},  {16, {false, true, false, false}},
      {31, {true, true, true, true}},
  };
  for (const auto& c : cases) EXPECT_EQ(DeriveModeFlags(c.mask), c.flags) << c.mask;
}

TEST(ClientApplication, JournalNeedsThePrintServerType) {
  struct Case {
    int32_t enable;
    const char *config, *dos;
    bool on;
    const char* why;
  };
  const Case cases[] = {
      {1, "AB,@@", "", true, "in the Windows order"},
      {1, "", "X,@@", true, "in the DOS order"},
      {1, "AB,DC@@", "", true, "the four-character form counts"},
      {1, "AB,CD", "EF", false, "no print-server type"},
      {0, "@@", "@@", false, "switched off"},
      {2, "@", "", false, "a near miss"},
  };
  for (const auto& c : cases) EXPECT_EQ(IsJournalEnabled(c.enable, c.config, c.dos), c.on) << c.why;
}

TEST(ClientApplication, ServiceMode) {
  EXPECT_FALSE(IsServiceModeFrom(true, false, false, true)) << "LocalSystem without the service registered";
  EXPECT_TRUE(IsServiceModeFrom(true, false, true, true));
  EXPECT_TRUE(IsServiceModeFrom(false, true, true, true));
  EXPECT_FALSE(IsServiceModeFrom(false, true, true, false)) << "not configured as service";
  EXPECT_FALSE(IsServiceModeFrom(false, false, true, true));
}
