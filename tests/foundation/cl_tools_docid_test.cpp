// Tests of the document-type identifier: packing, reading back and the "DC" equivalence.
#include "foundation/cl_tools_docid.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(DocId, PackingAndReadingBack) {
  struct Case {
    std::string code;
    uint32_t value;
    std::string text;
    int32_t chars;
    const char* why;
  };
  const Case cases[] = {
      {"AB", 0x42410000, "AB", 2, "two characters fill bytes 2 and 3"},
      {"ABCD", 0x44434241, "ABCD", 4, "four characters fill the word"},
      {"DCAB", 0x42414344, "AB", 2, "DC then two characters reads back as the two"},
      {"DC", 0x43440000, "DC", 2, "a bare DC packs like any two-character code"},
      {"A", 0x41000000, "\0A"s, 2, "one character reads back after a zero character"},
      {"ABC", 0x43424100, "\0ABC"s, 4, "three characters read back after a zero character"},
      {"DC\0\0"s, 0x00004344, "", 2, "the word that is exactly DC reads back empty"},
      {"\xC0\xC1", 0xC1C00000, "\xC0\xC1", 2, "code-page letters are plain bytes"},
      {"", 0, "", 2, "an empty code"},
      {"ABCDE", 0, "", 2, "five characters are too many"},
  };
  for (const auto& c : cases) {
    const TDocIdClass id = TDocIdClass::CreateFromText(c.code);
    EXPECT_EQ(id.Value(), c.value) << c.why;
    EXPECT_EQ(id.GetText(), c.text) << c.why;
    EXPECT_EQ(id.CharCount(), c.chars) << c.why;
    EXPECT_EQ(id.IsEmpty(), c.value == 0) << c.why;
  }
}

TEST(DocId, SameTexts) {
  struct Case {
    std::string a;
    std::string b;
    bool same;
    const char* why;
  };
  const Case cases[] = {
      {"DCAB", "AB", true, "DC before two characters names the same type"},
      {"DCAB", "DCAB", true, "identical"},
      {"DCAB", "DDAB", false, "only DC is dropped"},
      {"CDAB", "AB", false, "the prefix is D then C"},
      {"AB", "ab", false, "codes compare by their bytes"},
      {"ABCD", "ABCE", false, "four characters all count"},
      {"DC", "", false, "a bare DC is a code of its own"},
      {"DC\0\0"s, "", true, "the word that is exactly DC has an empty normal form"},
      {"", "ABCDE", true, "both pack to 0"},
      {"\0\0AB"s, "AB", true, "leading zero bytes pack like the short code"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TDocIdClass::SameTexts(c.a, c.b), c.same) << c.why;
    EXPECT_EQ(TDocIdClass::SameTexts(c.b, c.a), c.same) << c.why << " (swapped)";
    EXPECT_EQ(TDocIdClass::CreateFromText(c.a).SameAs(TDocIdClass::CreateFromText(c.b)), c.same) << c.why;
  }
}

TEST(DocId, SameAsText) {
  const TDocIdClass ab = TDocIdClass::CreateFromText("AB");
  EXPECT_TRUE(ab.SameAsText("AB"));
  EXPECT_TRUE(ab.SameAsText("DCAB"));
  EXPECT_FALSE(ab.SameAsText("ab"));
  EXPECT_FALSE(ab.SameAsText(""));
  const TDocIdClass dcab = TDocIdClass::CreateFromText("DCAB");
  EXPECT_TRUE(dcab.SameAsText("AB"));
  EXPECT_TRUE(TDocIdClass().SameAsText("")) << "an empty identifier reads as four zero bytes";
}

TEST(DocId, AssignCopyClearSetText) {
  TDocIdClass id = TDocIdClass::CreateFromText("ABCD");
  id.Assign(nullptr);
  EXPECT_EQ(id.GetText(), "ABCD") << "nil changes nothing";

  const TDocIdClass other = TDocIdClass::CreateFromText("XY");
  id.Assign(&other);
  EXPECT_EQ(id.Value(), other.Value());

  const TDocIdClass copy = TDocIdClass::CreateCopy(id);
  EXPECT_EQ(copy.GetText(), "XY");

  id.SetText("DCZZ");
  EXPECT_EQ(id.GetText(), "ZZ");
  EXPECT_TRUE(id.SameAs(TDocIdClass::CreateFromText("ZZ")));
  id.SetText("TOOLONG");
  EXPECT_TRUE(id.IsEmpty());
  id.SetText("AB");
  id.Clear();
  EXPECT_TRUE(id.IsEmpty());
  EXPECT_EQ(id.GetText(), "");
}
