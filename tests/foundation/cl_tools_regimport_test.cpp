// Registry export file reader on whole files in both formats and encodings, malformed lines included,
// and the include walk over a directory held in memory.
#include "foundation/cl_tools_regimport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>

#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"
#include "support/include_dir_fake.h"

namespace {
std::vector<uint8_t> Ansi(std::u16string_view text) {
  const std::string bytes = EncodeCodePage(text, kCodePage1251);
  return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> Utf16WithMark(std::u16string_view text) {
  std::vector<uint8_t> out = {0xFF, 0xFE};
  for (const char16_t c : text) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  return out;
}

// One line per step, then one per problem, easy to read in a failure: "open A\B", "sz name=text", ...
std::string Describe(const TRegFile& file) {
  std::string out;
  const auto u8 = [](std::u16string_view s) { return WideToUtf8(s); };
  for (const TRegFileOp& op : file.Ops) {
    switch (op.Kind) {
      case TRegFileOpKind::OpenKey: out += "open " + u8(op.Path); break;
      case TRegFileOpKind::DeleteKey: out += "delete " + u8(op.Path); break;
      case TRegFileOpKind::SetString: out += "sz " + u8(op.Name) + "=" + u8(op.Text); break;
      case TRegFileOpKind::SetDword: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%X", op.Dword);
        out += "dword " + u8(op.Name) + "=" + buf;
        break;
      }
      case TRegFileOpKind::SetBinary: {
        out += "bin " + u8(op.Name) + "=";
        for (const unsigned char b : op.Bytes) {
          char buf[4];
          std::snprintf(buf, sizeof buf, "%02X", b);
          out += buf;
        }
        break;
      }
      case TRegFileOpKind::DeleteValue: out += "unset " + u8(op.Name); break;
    }
    out += "\n";
  }
  for (const TRegFileProblem& p : file.Problems) out += "problem " + std::to_string(p.Line) + ": " + p.Reason + "\n";
  return out;
}

struct ParseCase {
  const char* why;
  std::u16string text;  // after a REGEDIT4 header line unless it starts with '!'
  bool valid;
  std::string expected;
};

std::u16string WithHeader(const std::u16string& body) {
  if (!body.empty() && body[0] == u'!') return body.substr(1);
  return u"REGEDIT4\r\n\r\n" + body;
}
}  // namespace

TEST(RegFileParse, CasesInBothEncodings) {
  const ParseCase cases[] = {
      {"empty file: nothing to import, not an error", u"!", true, ""},
      {"blank lines only", u"!\r\n  \r\n\t\r\n", true, ""},
      {"first non-empty line a comment", u"!; REGEDIT4\r\nREGEDIT4\r\n", false, "problem 1: not a registry export file\n"},
      {"header case matters", u"!regedit4\r\n", false, "problem 1: not a registry export file\n"},
      {"header after blank lines, version 5", u"!\r\n\r\n  Windows Registry Editor Version 5.00  \r\n[HKEY_LOCAL_MACHINE\\A]\r\n",
       true, "open A\n"},
      {"string, dword, hex and kinds the reader leaves",
       u"[HKEY_LOCAL_MACHINE\\Software\\Kavrel\\Client\\Config]\r\n"
       u"\"Version\"=\"4.01.23\"\r\n@=\"default\"\r\n; comment\r\n\"N\"=dword:0000001f\r\n"
       u"\"Q\"=qword:1\r\n\"B\"=hex:01,ff,0A\r\n",
       true, "open Software\\Kavrel\\Client\\Config\nsz Version=4.01.23\ndword N=1F\nbin B=01FF0A\n"},
      {"doubled backslashes and escaped quotes in values and names",
       u"[HKEY_LOCAL_MACHINE\\A]\r\n\"Dir\"=\"C:\\\\Dir\\\\\"\r\n\"Say \\\"hi\\\"\"=\"a\\\"b\"\r\n\"Tail\"=\"x\\\"\r\n",
       true, "open A\nsz Dir=C:\\Dir\\\nsz Say \"hi\"=a\"b\nsz Tail=x\\\n"},
      {"Cyrillic names and texts", u"[HKEY_LOCAL_MACHINE\\Ключ]\r\n\"Имя\"=\"Значение №1\"\r\n", true,
       "open Ключ\nsz Имя=Значение №1\n"},
      {"root compared without case and read from the start only",
       u"[hkey_local_machine\\A]\r\n[HKEY_CURRENT_USER\\HKEY_LOCAL_MACHINE\\B]\r\n\"x\"=\"skipped\"\r\n"
       u"[HKEY_LOCAL_MACHINEX\\C]\r\n\"y\"=\"skipped\"\r\n",
       true, "open A\n"},
      {"other roots are skipped with their values",
       u"[HKEY_CURRENT_USER\\Software]\r\n\"x\"=\"1\"\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"y\"=\"2\"\r\n", true,
       "open A\nsz y=2\n"},
      {"separator doubled after the root: an empty name", u"[HKEY_LOCAL_MACHINE\\\\A\\B]\r\n\"x\"=\"1\"\r\n", true,
       "problem 3: key path with an empty name\n"},
      {"empty names inside and at the end of a path",
       u"[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n[HKEY_LOCAL_MACHINE\\A\\\\]\r\n[-HKEY_LOCAL_MACHINE\\A\\\\B]\r\n", true,
       "problem 3: key path with an empty name\nproblem 4: key path with an empty name\n"
       "problem 5: key path with an empty name\n"},
      {"root alone is never opened", u"[HKEY_LOCAL_MACHINE]\r\n\"x\"=\"1\"\r\n[HKEY_LOCAL_MACHINE\\]\r\n", true, ""},
      {"deletion of a key; its values are not written",
       u"[-HKEY_LOCAL_MACHINE\\A\\B]\r\n\"x\"=\"1\"\r\n[ - HKEY_LOCAL_MACHINE\\A\\C\\ ]\r\n", true,
       "delete A\\B\ndelete A\\C\n"},
      {"deletion of a value", u"[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=-\r\n\"y\"=-1\r\n", true, "open A\nunset x\n"},
      {"values before any section are skipped", u"\"x\"=\"1\"\r\n", true, ""},
      {"section without closing bracket", u"[HKEY_LOCAL_MACHINE\\A\r\n\"x\"=\"1\"\r\n", true,
       "problem 3: key line without closing bracket at its end\n"},
      {"text after the closing bracket is no part of the key's name",
       u"[HKEY_LOCAL_MACHINE\\A]\r\n[HKEY_LOCAL_MACHINE\\B]junk\r\n\"x\"=\"1\"\r\n[HKEY_CURRENT_USER\\C]x\r\n", true,
       "open A\nproblem 4: key line without closing bracket at its end\n"
       "problem 6: key line without closing bracket at its end\n"},
      {"a broken continuation does not swallow the next key: its values stay in their key",
       u"[HKEY_LOCAL_MACHINE\\A]\r\n\"B\"=hex:01,\\\r\n[HKEY_LOCAL_MACHINE\\C]\r\n\"x\"=\"1\"\r\n", true,
       "open A\nopen C\nsz x=1\nproblem 4: hex value continued into the next key or value line\n"},
      {"nor the next value",
       u"[HKEY_LOCAL_MACHINE\\A]\r\n\"B\"=hex:01,\\\r\n  \"C\"=\"x\"\r\n", true,
       "open A\nsz C=x\nproblem 4: hex value continued into the next key or value line\n"},
      {"hex with a type in parentheses is binary", u"[HKEY_LOCAL_MACHINE\\A]\r\n\"M\"=hex(7):61,00,00,00\r\n"
       u"\"E\"=hex(2):25,00\r\n\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n\"Z\"=hex:\r\n",
       true, "open A\nbin M=61000000\nbin E=2500\nbin Q=0100000000000000\nbin Z=\n"},
      {"hex continued over lines",
       u"[HKEY_LOCAL_MACHINE\\A]\r\n\"B\"=hex:01,02,\\\r\n   03,04,\\\r\n  05\r\n\"C\"=\"after\"\r\n", true,
       "open A\nbin B=0102030405\nsz C=after\n"},
      {"continuation at the end of the file", u"[HKEY_LOCAL_MACHINE\\A]\r\n\"B\"=hex:01,\\", true, "open A\nbin B=01\n"},
      {"dword: prefix read by its first letter, short digits padded",
       u"[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=DWORD:1\r\n\"b\"=dword:\r\n\"c\"=dword:FFFFFFFF\r\n", true,
       "open A\ndword a=1\ndword b=0\ndword c=FFFFFFFF\n"},
      {"malformed dwords are left out and reported",
       u"[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=dword:100000000\r\n\"b\"=dword:12G\r\n\"c\"=dword\r\n\"d\"=dword:7\r\n",
       true,
       "open A\ndword d=7\nproblem 4: dword value of more than eight digits\n"
       "problem 5: dword value with a character that is no hexadecimal digit\nproblem 6: dword value without ':'\n"},
      {"malformed hex lists are left out and reported",
       u"[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=hex:1,,2\r\n\"b\"=hex:123\r\n\"c\"=hex:zz\r\n\"d\"=hex:1,2,\r\n", true,
       "open A\nbin d=0102\nproblem 4: hex value with an item that is no byte\n"
       "problem 5: hex value with an item that is no byte\nproblem 6: hex value with an item that is no byte\n"},
      {"malformed value lines",
       u"[HKEY_LOCAL_MACHINE\\A]\r\n\"open\r\n\"noeq\" \"x\"\r\n\"nodata\"=\r\n\"esc\\\"=\"1\"\r\n", true,
       "open A\nproblem 4: value name without closing quotation mark\nproblem 5: value without '='\n"
       "problem 6: value without data\nproblem 7: value without '='\n"},
      {"lone LF and lone CR end lines too", u"[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\r\"y\"=\"2\"", true,
       "open A\nsz x=1\nsz y=2\n"},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.why);
    const std::u16string text = WithHeader(c.text);
    for (const bool utf16 : {false, true}) {
      SCOPED_TRACE(utf16 ? "UTF-16LE" : "ANSI 1251");
      const TRegFile file = ParseRegFile(utf16 ? Utf16WithMark(text) : Ansi(text));
      EXPECT_EQ(file.Valid, c.valid);
      EXPECT_EQ(Describe(file), c.expected);
    }
  }
}

TEST(RegFileParse, Utf16KeepsWhatTheAnsiCodePageLacks) {
  const TRegFile file =
      ParseRegFile(Utf16WithMark(u"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\Ω]\r\n\"€Ω\"=\"Ωmega\"\r\n"));
  EXPECT_EQ(Describe(file), "open Ω\nsz €Ω=Ωmega\n");
}

TEST(RegFileParse, StepsCarryTheirLines) {
  const TRegFile file = ParseRegFile(Ansi(u"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"B\"=hex:01,\\\r\n02\r\n\"C\"=\"x\"\r\n"));
  ASSERT_EQ(file.Ops.size(), 3u);
  EXPECT_EQ(file.Ops[0].Line, 2u);
  EXPECT_EQ(file.Ops[1].Line, 3u);  // the line the value starts on
  EXPECT_EQ(file.Ops[2].Line, 5u);
}

TEST(IncludeMask, Matching) {
  struct Case {
    const char16_t* name;
    const char16_t* mask;
    bool match;
  } cases[] = {
      {u"extra.reg", u"*.reg", true},        {u"EXTRA.REG", u"*.reg", true},   {u"extra.regold", u"*.reg", false},
      {u"a.reg", u"?.reg", true},            {u"ab.reg", u"?.reg", false},     {u".reg", u"?.reg", false},
      {u"Настройка.reg", u"НАСТ*.REG", true}, {u"x", u"*", true},             {u"", u"*", true},
      {u"abcabd", u"*abd", true},            {u"abcab", u"*abd", false},       {u"a.b.reg", u"*.*.reg", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesIncludeMask(c.name, c.mask), c.match) << WideToUtf8(c.name) << " ~ " << WideToUtf8(c.mask);
  }
}


TEST(IncludeList, Walk) {
  struct Case {
    const char* why;
    std::u16string includes;
    std::vector<std::u16string> files;
    std::set<std::u16string> failing;
    std::vector<std::u16string> imported;
    bool ok;
  } cases[] = {
      {"a mask imports every other file once and never the first again", u"*.reg",
       {u"Config.reg", u"Extra.reg", u"More.reg", u"notes.txt"}, {}, {u"Extra.reg", u"More.reg"}, true},
      {"names are compared whole: a part of an imported name is still imported", u"fig.reg,Config.reg,CONFIG.REG",
       {u"Config.reg", u"fig.reg"}, {}, {u"fig.reg"}, true},
      {"a name and a mask naming the same file import it once", u"Extra.reg, *.reg",
       {u"Config.reg", u"Extra.reg"}, {}, {u"Extra.reg"}, true},
      {"found names go before the rest of the list", u"b*.reg,a.reg", {u"Config.reg", u"a.reg", u"b1.reg"}, {},
       {u"b1.reg", u"a.reg"}, true},
      {"missing files are passed over, empty items too", u",missing.reg,,a.reg,", {u"Config.reg", u"a.reg"}, {},
       {u"a.reg"}, true},
      {"a failure makes the answer false and the walk goes on", u"a.reg,b.reg", {u"Config.reg", u"a.reg", u"b.reg"},
       {u"a.reg"}, {u"a.reg", u"b.reg"}, false},
      {"nothing to include", u"", {u"Config.reg"}, {}, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TMemoryIncludeDir dir;
    dir.files = c.files;
    dir.failing = c.failing;
    EXPECT_EQ(ImportIncludeList(c.includes, u"Config.reg", dir), c.ok);
    EXPECT_EQ(dir.imported, c.imported);
  }
}

TEST(RegFileParse, NulCharacters) {
  // '#' stands for a NUL. Trimming takes a NUL for a blank, so it must be looked for before.
  const struct {
    const char* why;
    std::u16string text;
    bool valid;
    std::string expected;
  } cases[] = {
      {"a header followed by a NUL is no header", u"REGEDIT4#\r\n[HKEY_LOCAL_MACHINE\\A]\r\n", false,
       "problem 1: not a registry export file\n"},
      {"a string value would end at its NUL", u"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"a#b\"\r\n", true,
       "open A\nproblem 3: string value with a NUL character\n"},
      {"a line of NULs alone counts as blank", u"REGEDIT4\r\n##\r\n[HKEY_LOCAL_MACHINE\\A]\r\n##", true, "open A\n"},
  };
  for (const auto& c : cases) {
    std::u16string text = c.text;
    for (char16_t& ch : text) {
      if (ch == u'#') ch = u'\0';
    }
    const TRegFile file = ParseRegFile(Utf16WithMark(text));
    EXPECT_EQ(file.Valid, c.valid) << c.why;
    EXPECT_EQ(Describe(file), c.expected) << c.why;
  }
}

TEST(RegFileParse, ImportableOnlyWithoutProblems) {
  EXPECT_TRUE(ParseRegFile(Ansi(u"")).Importable());
  EXPECT_TRUE(ParseRegFile(Ansi(u"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"1\"\r\n")).Importable());
  EXPECT_FALSE(ParseRegFile(Ansi(u"REGEDIT5\r\n")).Importable());
  EXPECT_FALSE(ParseRegFile(Ansi(u"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=dword:1G\r\n")).Importable());
}

TEST(RegFileParse, NulInsideAKeyPathOrValueName) {
  // The system would end the name at the NUL and act on another key or value.
  std::u16string text = u"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A#B]\r\n\"x\"=\"1\"\r\n[HKEY_LOCAL_MACHINE\\C]\r\n\"n#m\"=\"2\"\r\n";
  for (char16_t& c : text) {
    if (c == u'#') c = u'\0';
  }
  EXPECT_EQ(Describe(ParseRegFile(Utf16WithMark(text))),
            "open C\nproblem 2: key path with a NUL character\nproblem 5: value name with a NUL character\n");
}

TEST(RegFileParse, StoredFilesStillImport) {
  // The bundled configuration and the well-formed seeds of the reader's fuzz target.
  const std::string root = std::string(CLIENT_SOURCE_DIR) + "/";
  for (const char* name : {"resources/demo/Config.reg", "fuzz/corpus/cl_tools_regimport_fuzz/regedit4_config.reg",
                           "fuzz/corpus/cl_tools_regimport_fuzz/version5_utf16.reg"}) {
    std::ifstream in(root + name, std::ios::binary);
    ASSERT_TRUE(in) << name;
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const TRegFile file = ParseRegFile(bytes);
    EXPECT_TRUE(file.Importable()) << name << "\n" << Describe(file);
    EXPECT_FALSE(file.Ops.empty()) << name;
  }
}
