// Tests of the spool-file writer's byte layout against the published EMF spool format and the 9x
// record layout the reader expects.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/lib_prn_spoolwriter.h"

namespace {

std::string Hex(std::span<const uint8_t> bytes) {
  std::string out;
  char cell[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(cell, sizeof cell, "%02X", bytes[i]);
    out += (i == 0 ? "" : i % 16 == 0 ? "\n" : " ");
    out += cell;
  }
  return out;
}

}  // namespace

TEST(EmfSpoolWriter, HeaderMatchesThePublishedExample) {
  // The header example of MS-EMFSPOOL 3.2.1: document "Microsoft Word - Document1" on port "Ne02:".
  const TEmfSpoolWriter writer(u"Microsoft Word - Document1", u"Ne02:");
  EXPECT_EQ(Hex(writer.Bytes()),
            "00 00 01 00 54 00 00 00 10 00 00 00 46 00 00 00\n"
            "4D 00 69 00 63 00 72 00 6F 00 73 00 6F 00 66 00\n"
            "74 00 20 00 57 00 6F 00 72 00 64 00 20 00 2D 00\n"
            "20 00 44 00 6F 00 63 00 75 00 6D 00 65 00 6E 00\n"
            "74 00 31 00 00 00 4E 00 65 00 30 00 32 00 3A 00\n"
            "00 00 00 00");
}

TEST(EmfSpoolWriter, HeaderWithoutNames) {
  struct Case {
    std::u16string document, output;
    const char* hex;
  };
  const Case cases[] = {
      {u"", u"", "00 00 01 00 10 00 00 00 00 00 00 00 00 00 00 00"},
      {u"", u"P:", "00 00 01 00 18 00 00 00 00 00 00 00 10 00 00 00\n50 00 3A 00 00 00 00 00"},
      {u"D", u"", "00 00 01 00 14 00 00 00 10 00 00 00 00 00 00 00\n44 00 00 00"},
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(TEmfSpoolWriter(c.document, c.output).Bytes()), c.hex);
}

TEST(EmfSpoolWriter, RecordsArePaddedToFourBytes) {
  struct Case {
    std::vector<uint8_t> data;
    const char* hex;  // the record after the 16-byte header
  };
  const Case cases[] = {
      {{}, "03 00 00 00 00 00 00 00"},
      {{1, 2, 3, 4}, "03 00 00 00 04 00 00 00 01 02 03 04"},
      {{1, 2, 3, 4, 5}, "03 00 00 00 08 00 00 00 01 02 03 04 05 00 00 00"},
  };
  for (const Case& c : cases) {
    TEmfSpoolWriter writer;
    writer.AddDevMode(c.data);
    EXPECT_EQ(Hex(std::span(writer.Bytes()).subspan(16)), c.hex);
  }
}

TEST(EmfSpoolWriter, PageIsFollowedByItsOffsetRecord) {
  TEmfSpoolWriter writer;
  const std::vector<uint8_t> page(12, 0xAA);
  writer.AddPage(page);
  // The offset record points 20 bytes back: the page record's 8-byte head and 12 bytes of data.
  EXPECT_EQ(Hex(std::span(writer.Bytes()).subspan(16)),
            "0C 00 00 00 0C 00 00 00 AA AA AA AA AA AA AA AA\n"
            "AA AA AA AA 0D 00 00 00 08 00 00 00 14 00 00 00\n"
            "00 00 00 00");
}

TEST(SpoolWriter9x, Layout) {
  T9xSpoolWriter writer;
  writer.AddPage("a.emf");
  writer.EndDocument();
  EXPECT_EQ(Hex(writer.Bytes()),
            "1A 1B 1B 53 70 6F 6F 6C 53 54 44 02 08 00 00 00\n"  // signature, "STD"
            "53 54 50 02 08 00 00 00 46 54 4D 02 0E 00 00 00\n"  // "STP", "FTM" of 14 bytes
            "61 2E 65 6D 66 00 45 4E 50 02 08 00 00 00 45 4E\n"  // "a.emf", "ENP"
            "44 02 08 00 00 00");                                // "END"
}
