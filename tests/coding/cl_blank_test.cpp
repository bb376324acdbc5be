// The blank file layout, and blanks copied between their values (kept in memory here) and their files.
#include "coding/cl_blank.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "foundation/lib_codepage.h"

namespace {
// A blank's values as the registry would hold them: wide texts, read back in code page 1251.
struct TValues {
  std::map<std::u16string, std::u16string> Map;
  std::u16string FailOn;  // a name whose write fails

  TBlankValueReader Reader() const {
    return [this](std::u16string_view name) {
      const auto it = Map.find(std::u16string(name));
      return it == Map.end() ? std::string() : EncodeCodePage(it->second, kCodePage1251);
    };
  }
  TBlankValueWriter Writer() {
    return [this](std::u16string_view name, std::u16string_view value) {
      if (name == FailOn) return false;
      Map[std::u16string(name)] = value;
      return true;
    };
  }
};

std::string Ansi(std::u16string_view text) { return EncodeCodePage(text, kCodePage1251); }

int Import(std::string_view file, TValues& values) {
  const TIniFile ini = TIniFile::Parse({reinterpret_cast<const uint8_t*>(file.data()), file.size()});
  return ImportBlankValues(ini, values.Writer());
}

const std::u16string kBlankFile =
    u";Version=4.01.23\r\n[Main]\r\nHeader=1.00,Blank,Data\r\n[Data]\r\nSizeXY=21000,29700\r\n"
    u"Text1=100,200,900,300,1,Счёт\r\nText2=100,400,900,500,1,Итого\r\nLineH1=0,1000,21000,1000,1";
}  // namespace

TEST(BlankFormat, HeaderAndEntryLines) {
  EXPECT_EQ(MakeBlankHeader(kBlankKindPageData, 21000, 29700),
            ";Version=4.01.23\r\n[Main]\r\nHeader=1.00,Text,Data\r\n[Data]\r\nSizeXY=21000,29700");
  EXPECT_EQ(MakeBlankHeader(kBlankKindBlank, -1, 0),
            ";Version=4.01.23\r\n[Main]\r\nHeader=1.00,Blank,Data\r\n[Data]\r\nSizeXY=-1,0");

  std::string text;
  AddBlankTextEntry(1, 1, "10,20,30,40", Ansi(u"  Итого\r\n"), text);
  EXPECT_EQ(text, Ansi(u"Text1=10,20,30,40,1,Итого")) << "no line break before the first line; the text trimmed";
  AddBlankTextEntry(2, 255, "1,2,3,4", Ansi(u"Сумма\r\nпрописью\rи\nцифрами"), text);
  AddBlankLineEntry(1, kBlankLineH, 1, "0,5,100,5", text);
  AddBlankLineEntry(12, kBlankLineV, 0, "5,0,5,100", text);
  EXPECT_EQ(text, Ansi(u"Text1=10,20,30,40,1,Итого\r\n"
                       u"Text2=1,2,3,4,255,Сумма  прописью и цифрами\r\n"  // a break would end the entry
                       u"LineH1=0,5,100,5,1\r\n"
                       u"LineV12=5,0,5,100,0"));
}

TEST(BlankFormat, ExportListsEveryKindInOrderUpToItsFirstGap) {
  TValues blank;
  blank.Map = {{u"SizeXY", u"21000,29700"},
               {u"Text1", u"100,200,900,300,1,Счёт"},
               {u"Text2", u"100,400,900,500,1,Итого"},
               {u"LineH1", u"0,1000,21000,1000,1"},
               {u"LineV2", u"behind a gap: not listed"},
               {u"Text4", u"behind a gap: not listed"}};
  EXPECT_EQ(BlankTextFromValues(blank.Reader()), Ansi(kBlankFile))
      << "eight lines in code page 1251, CR LF between them and none after the last";

  blank.Map = {{u"SizeXY", u"abc,29700"}, {u"Link1", u"1,2"}, {u"LineV1", u"3,4,5,6,1"}};
  EXPECT_EQ(BlankTextFromValues(blank.Reader()),
            ";Version=4.01.23\r\n[Main]\r\nHeader=1.00,Blank,Data\r\n[Data]\r\nSizeXY=0,29700\r\n"
            "LineV1=3,4,5,6,1\r\nLink1=1,2")
      << "a size that is no number counts as 0";

  blank.Map = {{u"Text1", u"1,2,3,4,1,A"}};
  EXPECT_EQ(BlankTextFromValues(blank.Reader()), "") << "no SizeXY, no blank";
}

TEST(BlankFormat, ImportAcceptsOnlyBlanksOfAUsableSize) {
  struct Case {
    std::string header, size;
    int result;
    const char* why;
  } cases[] = {
      {"1.00,Blank,Data", "21000,29700", kBlankImported, "the file as exported"},
      {"9.99,bLaNk,Data", "21000,29700", kBlankImported, "the version is not looked at; the kind in any case"},
      {"1.00,Text,Data", "21000,29700", kBlankRejected, "page data is no blank"},
      {"1.00,Blanks,Data", "21000,29700", kBlankRejected, "the kind is compared whole"},
      {"1.00,Blank", "21000,29700", kBlankRejected, "no data section named"},
      {"1.00,Blank,Form", "21000,29700", kBlankRejected, "the named section holds no SizeXY"},
      {"1.00,Blank,Data", "100,29700", kBlankRejected, "width 100: each side must be above 100"},
      {"1.00,Blank,Data", "101,101", kBlankImported, "101 by 101 is the smallest blank"},
      {"1.00,Blank,Data", "29700,100", kBlankRejected, "height 100"},
      {"1.00,Blank,Data", "21000", kBlankRejected, "one field"},
      {"1.00,Blank,Data", "21000,29700,5", kBlankRejected, "the height field is no integer"},
      {"1.00,Blank,Data", "21000,29700mm", kBlankRejected, "a unit after the number"},
      {"1.00,Blank,Data", "21000,99999999999", kBlankRejected, "a height out of range"},
  };
  for (const Case& c : cases) {
    TValues values;
    const int result = Import(";Version=4.01.23\r\n[Main]\r\nHeader=" + c.header + "\r\n[Data]\r\nSizeXY=" + c.size +
                                  "\r\nText1=1,2,3,4,1,A\r\n",
                              values);
    EXPECT_EQ(result, c.result) << c.why;
    if (c.result == kBlankRejected) {
      EXPECT_TRUE(values.Map.empty()) << c.why << ": nothing written";
    }
  }

  TValues none;
  EXPECT_EQ(Import("", none), kBlankRejected) << "an empty file";
}

TEST(BlankFormat, ImportReadsTheNamedSectionWhateverTheCase) {
  TValues values;
  ASSERT_EQ(Import(";Version=4.01.23\r\n[Main]\r\nHeader=1.00,blank,Form\r\n"
                   "[Data]\r\nSizeXY=1000,1000\r\nText1=wrong section\r\n"
                   "[form]\r\nsizexy=21000,29700\r\nTEXT1=1,2,3,4,1,A\r\nlineh1=5,6,7,8,1\r\nLink1=x\r\n",
                   values),
            kBlankImported);
  EXPECT_EQ(values.Map, (std::map<std::u16string, std::u16string>{{u"SizeXY", u"21000,29700"},
                                                                    {u"Text1", u"1,2,3,4,1,A"},
                                                                    {u"Text2", u""},
                                                                    {u"LineH1", u"5,6,7,8,1"},
                                                                    {u"LineH2", u""},
                                                                    {u"LineV1", u""},
                                                                    {u"Link1", u"x"},
                                                                    {u"Link2", u""}}))
      << "values under the names the readers use; each list ends with an empty entry";
}

TEST(BlankFormat, ThreeTextsOverFiveAndBackAgain) {
  TValues values;
  values.Map = {{u"SizeXY", u"1000,1000"}, {u"Text1", u"1"}, {u"Text2", u"2"},
                {u"Text3", u"3"},          {u"Text4", u"4"}, {u"Text5", u"5"}};
  ASSERT_EQ(Import(";Version=4.01.23\r\n[Main]\r\nHeader=1.00,Blank,Data\r\n[Data]\r\nSizeXY=21000,29700\r\n"
                   "Text1=a\r\nText2=b\r\nText3=c\r\n",
                   values),
            kBlankImported);
  EXPECT_EQ(values.Map[u"Text3"], u"c");
  EXPECT_EQ(values.Map[u"Text4"], u"") << "the empty entry ends the list";
  EXPECT_EQ(values.Map[u"Text5"], u"5") << "values behind it are left as they were";
  EXPECT_EQ(BlankTextFromValues(values.Reader()),
            ";Version=4.01.23\r\n[Main]\r\nHeader=1.00,Blank,Data\r\n[Data]\r\nSizeXY=21000,29700\r\n"
            "Text1=a\r\nText2=b\r\nText3=c")
      << "readers see three texts";

  // Export, import into an empty blank, export again: the same text.
  TValues copy;
  values.Map = {{u"SizeXY", u"21000,29700"}, {u"Text1", u"100,200,900,300,1,Счёт"},
                {u"Text2", u"100,400,900,500,1,Итого"}, {u"LineH1", u"0,1000,21000,1000,1"}};
  const std::string exported = BlankTextFromValues(values.Reader());
  ASSERT_EQ(Import(exported, copy), kBlankImported);
  EXPECT_EQ(BlankTextFromValues(copy.Reader()), exported);
}

TEST(BlankFormat, AFailedWriteRejectsAndKeepsWhatWasWritten) {
  TValues values;
  values.FailOn = u"Text2";
  EXPECT_EQ(Import(Ansi(kBlankFile), values), kBlankRejected);
  EXPECT_EQ(values.Map, (std::map<std::u16string, std::u16string>{{u"SizeXY", u"21000,29700"},
                                                                    {u"Text1", u"100,200,900,300,1,Счёт"}}));
  TValues sizeFails;
  sizeFails.FailOn = u"SizeXY";
  EXPECT_EQ(Import(Ansi(kBlankFile), sizeFails), kBlankRejected);
  EXPECT_TRUE(sizeFails.Map.empty());
}
