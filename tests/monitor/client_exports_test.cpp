// The batch DOS run's command line: which arguments make a batch run, the options' values, the code
// place packed for the export and the copies letters.
#include "monitor/client_exports.h"

#include <gtest/gtest.h>

#include <vector>

TEST(DosBatchArgs, OptionsAndTheirValues) {
  const std::vector<std::u16string> args = {u"-ConfigDos", u"-I\"C:\\in put.prn\"", u"-oC:\\out.prn", u"-P\"Laser\"",
                                            u"-TEpson LQ",  u"-N3",                 u"-c1,3",        u"-H5000",
                                            u"-V-5000",     u"-F",                  u"-K"};
  const auto o = ParseDosBatchArgs(args);
  ASSERT_TRUE(o);
  EXPECT_EQ(o->Input, u"C:\\in put.prn");
  EXPECT_EQ(o->Output, u"C:\\out.prn");
  EXPECT_EQ(o->Printer, u"Laser");
  EXPECT_EQ(o->Model, u"Epson LQ");
  EXPECT_TRUE(o->HasCount);
  EXPECT_EQ(o->Count, 3);
  EXPECT_EQ(o->CopiesList, "1,3");
  EXPECT_EQ(o->H, 999) << "clamped";
  EXPECT_EQ(o->V, -999) << "clamped";
  EXPECT_TRUE(o->Forming);
  EXPECT_TRUE(o->DeleteInput);
  EXPECT_EQ(DosBatchCopies(*o), "CNC");
  EXPECT_EQ(DosBatchCodePlace(*o), static_cast<int32_t>(0xFC19u << 16 | 999u)) << "vertical -999 in the high half";
}

TEST(DosBatchArgs, WhatIsNoBatchRun) {
  const struct {
    std::vector<std::u16string> args;
    bool batch;
    const char* why;
  } cases[] = {
      {{u"/ConfigDos", u"-Ia"}, false, "the switch word written with \"/\""},
      {{u"-ConfigDos", u"Ia"}, false, "an argument without \"-\""},
      {{u"-ConfigDos", u"-Xa"}, false, "an unknown letter"},
      {{u"-ConfigDos", u"-"}, false, "no letter"},
      {{}, false, "no arguments"},
      {{u"-ConfigDos"}, false, "the switch word alone: the settings"},
      {{u"-ConfigDirDos", u"-Ia"}, true, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDosBatchArgs(c.args).has_value(), c.batch) << c.why;
}

// The switch word is no -C: without -N and -C the document types decide; -C alone uses its list.
TEST(DosBatchArgs, RoadAndCopies) {
  const auto typesRoad = ParseDosBatchArgs(std::vector<std::u16string>{u"-ConfigDos", u"-Ia"});
  ASSERT_TRUE(typesRoad);
  EXPECT_FALSE(UsesFileCopies(*typesRoad));
  EXPECT_EQ(DosBatchCodePlace(*typesRoad), -1);
  const auto listOnly = ParseDosBatchArgs(std::vector<std::u16string>{u"-ConfigDos", u"-C2", u"-H10"});
  ASSERT_TRUE(listOnly);
  EXPECT_TRUE(UsesFileCopies(*listOnly));
  EXPECT_EQ(DosBatchCopies(*listOnly), "NC") << "cut after the last C";
  EXPECT_EQ(DosBatchCodePlace(*listOnly), 10);
  const auto bad = ParseDosBatchArgs(std::vector<std::u16string>{u"-ConfigDos", u"-Nx", u"-V+20"});
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->Count, 0);
  EXPECT_EQ(DosBatchCodePlace(*bad), 20 << 16);
}
