// Tests of the spool-file reader on spool files of both families built by the writer, whole,
// truncated and damaged.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "foundation/lib_prn_spool.h"
#include "foundation/lib_prn_spoolwriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(value >> shift));
}

// A minimal enhanced metafile (header and end record); the mark goes into the bounds so that
// pages can be told apart.
Bytes MakeEmf(uint32_t mark) {
  Bytes emf;
  Put32(emf, 1);   // EMR_HEADER
  Put32(emf, 88);  // its size
  for (uint32_t v : {0u, 0u, mark, mark}) Put32(emf, v);        // rclBounds
  for (uint32_t v : {0u, 0u, 21000u, 29700u}) Put32(emf, v);    // rclFrame, 0.01 mm
  Put32(emf, 0x464D4520);                                       // " EMF"
  Put32(emf, 0x00010000);                                       // version
  Put32(emf, 108);                                              // bytes in the metafile
  Put32(emf, 2);                                                // records
  Put32(emf, 1);                                                // handles, reserved
  for (uint32_t v : {0u, 0u, 0u}) Put32(emf, v);                // description, palette
  for (uint32_t v : {2480u, 3508u, 210u, 297u}) Put32(emf, v);  // device size in pixels and mm
  for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) Put32(emf, v);    // EMR_EOF
  return emf;
}

struct TWalk {
  bool opened = false;
  std::vector<Bytes> pages;             // NT page data
  std::vector<std::string> pageFiles;   // 9x page file names
  TSpoolDamage damage = TSpoolDamage::None;
  uint64_t damageAt = 0;
};

// Reads the file as the family that writes its format would.
TWalk Walk(std::span<const uint8_t> file, bool isWinNT = true) {
  TWalk walk;
  TProcSPLFile reader;
  walk.opened = reader.Open(file, isWinNT);
  walk.damage = reader.Damage();
  walk.damageAt = reader.DamageOffset();
  if (!walk.opened) return walk;
  do {
    const std::span<const uint8_t> data = reader.PageData();
    if (!data.empty()) {
      // The page is a view into the file itself, never a copy.
      EXPECT_GE(data.data(), file.data());
      EXPECT_LE(data.data() + data.size(), file.data() + file.size());
    }
    walk.pages.emplace_back(data.begin(), data.end());
    walk.pageFiles.push_back(reader.PageFileName());
  } while (reader.NextPage());
  walk.damage = reader.Damage();
  walk.damageAt = reader.DamageOffset();
  EXPECT_FALSE(reader.NextPage()) << "the end of the pages stays the end";
  EXPECT_TRUE(reader.PageData().empty());
  EXPECT_EQ(reader.Damage(), walk.damage) << "and so does its damage";
  return walk;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// An NT spool record as raw bytes, its size field free to lie.
Bytes NtRecord(uint32_t type, uint32_t size, const Bytes& data) {
  Bytes out;
  Put32(out, type);
  Put32(out, size);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes NtHeader(uint32_t version, uint32_t headerSize, uint32_t nameOffset, const Bytes& rest = {}) {
  Bytes out;
  for (uint32_t v : {version, headerSize, nameOffset, 0u}) Put32(out, v);
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

Bytes Utf16(std::u16string_view text) {
  Bytes out;
  for (char16_t unit : text) {
    out.push_back(uint8_t(unit));
    out.push_back(uint8_t(unit >> 8));
  }
  return out;
}

const Bytes kPage1 = MakeEmf(1), kPage2 = MakeEmf(2), kPage3 = MakeEmf(3);

}  // namespace

TEST(SpoolReaderNT, PagesComeOutAsWrittenAroundEveryRecordThatIsNotAPage) {
  struct Case {
    std::vector<uint32_t> between;  // records written between the first and the second page
    const char* why;
  };
  std::vector<Case> cases = {{{}, "two plain pages"},
                             {{EMRI_DEVMODE}, "device settings"},
                             {{EMRI_ENGINE_FONT}, "an embedded TrueType font does not end the pages"},
                             {{EMRI_PRESTARTPAGE, EMRI_PS_JOB_DATA}, "PostScript records"}};
  for (uint32_t type = EMRI_ENGINE_FONT; type <= EMRI_EMBED_FONT_EXT; ++type) {
    if (SpoolRecordKindNT(type) == TSpoolRecordKind::Skipped) cases.push_back({{type}, "every defined non-page type"});
  }
  for (const Case& c : cases) {
    TEmfSpoolWriter writer(u"Doc");
    writer.AddDevMode(Bytes(156, 0x11));
    writer.AddPage(kPage1);
    for (uint32_t type : c.between) writer.AddRecord(type, Bytes(37, 0xEE));
    writer.AddPage(kPage2);
    const TWalk walk = Walk(writer.Bytes());
    EXPECT_TRUE(walk.opened) << c.why;
    EXPECT_EQ(walk.pages, (std::vector<Bytes>{kPage1, kPage2})) << c.why << " (type " << c.between[0] << ")";
  }
}

TEST(SpoolReaderNT, RecordKinds) {
  struct Case {
    uint32_t type;
    TSpoolRecordKind kind;
    const char* why;
  };
  const Case cases[] = {
      {EMRI_METAFILE, TSpoolRecordKind::Page, "metafile"},
      {EMRI_FORM_METAFILE, TSpoolRecordKind::Page, "form metafile"},
      {EMRI_BW_METAFILE, TSpoolRecordKind::Page, "black-and-white metafile"},
      {EMRI_BW_FORM_METAFILE, TSpoolRecordKind::Page, "black-and-white form metafile"},
      {EMRI_METAFILE_DATA, TSpoolRecordKind::Page, "metafile data"},
      {EMRI_UNNAMED_PAGE, TSpoolRecordKind::Page, "the unnamed page type"},
      {EMRI_ENGINE_FONT, TSpoolRecordKind::Skipped, "first defined non-page type"},
      {EMRI_METAFILE_EXT, TSpoolRecordKind::Skipped, "page offset"},
      {EMRI_EMBED_FONT_EXT, TSpoolRecordKind::Skipped, "last defined type"},
      {EMRI_EMBED_FONT_EXT + 1, TSpoolRecordKind::Unknown, "one past the defined types"},
      {0, TSpoolRecordKind::Unknown, "zero"},
      {SPOOL_NT_VERSION, TSpoolRecordKind::Unknown, "a header is no record"},
      {0xFFFFFFFF, TSpoolRecordKind::Unknown, "all ones"},
  };
  for (const Case& c : cases) EXPECT_EQ(SpoolRecordKindNT(c.type), c.kind) << c.why;
}

TEST(SpoolReaderNT, EveryPageTypeIsAPage) {
  TEmfSpoolWriter writer;
  const uint32_t types[] = {EMRI_METAFILE, EMRI_FORM_METAFILE, EMRI_BW_METAFILE, EMRI_BW_FORM_METAFILE,
                            EMRI_METAFILE_DATA, EMRI_UNNAMED_PAGE};
  std::vector<Bytes> expected;
  for (uint32_t type : types) {
    expected.push_back(MakeEmf(type));
    writer.AddRecord(type, expected.back());
  }
  EXPECT_EQ(Walk(writer.Bytes()).pages, expected);
}

TEST(SpoolReaderNT, WalkTellsACleanEndFromDamage) {
  const Bytes page1 = NtRecord(EMRI_METAFILE_DATA, uint32_t(kPage1.size()), kPage1);
  const Bytes page2 = NtRecord(EMRI_METAFILE_DATA, uint32_t(kPage2.size()), kPage2);
  const Bytes header = NtHeader(SPOOL_NT_VERSION, 16, 0);
  const uint64_t second = header.size() + page1.size();  // where the record after the first page starts
  using D = TSpoolDamage;
  struct Case {
    Bytes file;
    bool opened;
    size_t pages;
    TSpoolDamage damage;
    uint64_t damageAt;
    const char* why;
  };
  const Case cases[] = {
      {Concat({header, page1, page2}), true, 2, D::None, 0, "intact"},
      {Concat({NtHeader(SPOOL_NT_VERSION_ALT, 16, 0), page1}), true, 1, D::None, 0, "the second version word"},
      {Concat({header, page1, NtRecord(22, 0, {}), page2}), true, 1, D::UnknownRecord, second,
       "an unknown type between pages"},
      {Concat({header, NtRecord(22, 0, {}), page1}), false, 0, D::UnknownRecord, 16, "unknown type before the first page"},
      {Concat({header, NtRecord(EMRI_DEVMODE, 4, {0, 0, 0, 0})}), false, 0, D::None, 0, "no page at all"},
      {header, false, 0, D::None, 0, "header only"},
      {Concat({header, page1, Bytes(page2.begin(), page2.end() - 1)}), true, 1, D::CutOff, second,
       "last page one byte short"},
      {Concat({header, page1, Bytes(page2.begin(), page2.begin() + 7)}), true, 1, D::CutOff, second,
       "file ends inside a record head"},
      {Concat({header, page1, NtRecord(EMRI_METAFILE_DATA, 0xFFFFFFFF, kPage2)}), true, 1, D::CutOff, second,
       "size of 4 GB"},
      {Concat({header, page1, NtRecord(EMRI_ENGINE_FONT, 0xFFFFFFF8, {}), page2}), true, 1, D::CutOff, second,
       "skip runs off"},
      {Concat({header, NtRecord(EMRI_METAFILE_DATA, 0, {}), page1}), true, 2, D::None, 0, "an empty page is still a page"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 0x1000, 0), page1}), false, 0, D::BadHeader, 0, "header size past the end"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 0, 0), page1}), false, 0, D::BadHeader, 0,
       "header size 0 would read the header again"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 8, 0), page1}), false, 0, D::BadHeader, 0,
       "header size 8: its own words would be read as a record"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 15, 0, Bytes(3, 0)), page1}), false, 0, D::BadHeader, 0,
       "one byte below the header's own words"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 24, 4, Utf16(u"ABCD")), page1}), false, 0, D::BadHeader, 0,
       "a name offset inside the header's own words"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 24, 15, Utf16(u"ABCD")), page1}), false, 0, D::BadHeader, 0,
       "one byte below the names"},
      {Bytes(header.begin(), header.end() - 1), false, 0, D::CutOff, 0, "15 bytes: a header cut off"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 8, 0), Bytes(3, 0)}), false, 0, D::BadHeader, 0, "19 bytes, header size 8"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 16, 0), Bytes(3, 0)}), false, 0, D::CutOff, 16, "3 bytes after the header"},
      {kPage1, false, 0, D::None, 0, "a plain metafile is no spool file"},
      {{}, false, 0, D::None, 0, "empty"},
  };
  for (const Case& c : cases) {
    const TWalk walk = Walk(c.file);
    EXPECT_EQ(walk.opened, c.opened) << c.why;
    EXPECT_EQ(walk.pages.size(), c.pages) << c.why;
    EXPECT_EQ(walk.damage, c.damage) << c.why;
    EXPECT_EQ(walk.damageAt, c.damageAt) << c.why;
  }
}

TEST(SpoolReaderNT, EveryTruncationKeepsExactlyTheWholePagesBeforeIt) {
  TEmfSpoolWriter writer(u"Счёт 17");
  writer.AddDevMode(Bytes(220, 0x44));
  std::vector<size_t> pageEnds;  // file length at which each page record is complete
  const Bytes* pages[] = {&kPage1, &kPage2, &kPage3};
  for (const Bytes* page : pages) {
    writer.AddRecord(EMRI_ENGINE_FONT, Bytes(64, 0xF0));
    writer.AddPage(*page);
    pageEnds.push_back(writer.Bytes().size() - 16);  // less the page offset record after it
  }
  const Bytes& whole = writer.Bytes();
  for (size_t length = 0; length <= whole.size(); ++length) {
    const TWalk walk = Walk(std::span(whole).first(length));
    size_t complete = 0;
    while (complete < pageEnds.size() && pageEnds[complete] <= length) ++complete;
    ASSERT_EQ(walk.opened, complete > 0) << "length " << length;
    ASSERT_EQ(walk.pages.size(), complete) << "length " << length;
    for (size_t i = 0; i < complete; ++i) ASSERT_EQ(walk.pages[i], *pages[i]) << "length " << length;
    // A cut inside a page record is damage, never a clean end.
    const bool insidePage = complete < pageEnds.size() && length > pageEnds[complete] - pages[complete]->size() - 8;
    if (insidePage) {
      ASSERT_EQ(walk.damage, TSpoolDamage::CutOff) << "length " << length;
    }
  }
  EXPECT_EQ(Walk(whole).damage, TSpoolDamage::None);
}

TEST(SpoolReaderNT, DamagedBytesNeverLeadOutsideTheFile) {
  TEmfSpoolWriter writer(u"Doc");
  for (int i = 0; i < 4; ++i) {
    writer.AddRecord(EMRI_SUBSET_FONT, Bytes(40, uint8_t(i)));
    writer.AddPage(MakeEmf(uint32_t(i)));
  }
  std::mt19937 random(20240611);
  for (int round = 0; round < 2000; ++round) {
    Bytes damaged = writer.Bytes();
    for (int flips = 1 + round % 4; flips > 0; --flips) damaged[random() % damaged.size()] = uint8_t(random());
    Walk(damaged);  // the checks are in Walk and the sanitizers
  }
}

TEST(SpoolReaderNT, DocumentName) {
  struct Case {
    Bytes file;
    std::u16string name;
    const char* why;
  };
  const Bytes page = NtRecord(EMRI_METAFILE_DATA, uint32_t(kPage1.size()), kPage1);
  const Bytes nameBytes = Concat({Utf16(u"Акт №5"), Bytes{0, 0}, Utf16(u"LPT1:"), Bytes{0, 0}});
  const uint32_t named = uint32_t(16 + nameBytes.size());
  auto withPage = [](TEmfSpoolWriter writer) {
    writer.AddPage(kPage1);
    return writer.Bytes();
  };
  // The header size is also where the first record starts, so each header below is exactly that long.
  const Case cases[] = {
      {withPage(TEmfSpoolWriter(u"Акт №5", u"LPT1:")), u"Акт №5", "the writer's header"},
      {withPage(TEmfSpoolWriter(u"", u"LPT1:")), u"", "no name, offset 0"},
      {Concat({NtHeader(SPOOL_NT_VERSION, named, 16, nameBytes), page}), u"Акт №5", "name up to its NUL"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 24, 16, Utf16(u"ABCD")), page}), u"ABCD", "no NUL: up to the header end"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 21, 16, Bytes{'A', 0, 'B', 0, 'C'}), page}), u"AB",
       "21 bytes: whole units only"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 20, 16, Utf16(u"AB")), page}), u"", "a header of 20 bytes has no name"},
      {Concat({NtHeader(SPOOL_NT_VERSION, 24, 24, Utf16(u"ABCD")), page}), u"", "name offset at the header end"},
  };
  for (const Case& c : cases) {
    const Bytes& file = c.file;
    TProcSPLFile reader;
    ASSERT_TRUE(reader.Open(file, true)) << c.why;
    EXPECT_EQ(reader.DocumentName, c.name) << c.why;
    EXPECT_FALSE(reader.Is9xFormat);
    EXPECT_EQ(reader.PageFileName(), "") << "NT pages carry their metafile";
  }
}

TEST(SpoolReaderNT, FieldsOfTheCurrentRecord) {
  TEmfSpoolWriter writer(u"Doc", u"FILE:");
  writer.AddDevMode(Bytes(8, 1));
  writer.AddPage(kPage1);
  const Bytes& file = writer.Bytes();
  TProcSPLFile reader;
  ASSERT_TRUE(reader.Open(file, true));
  EXPECT_EQ(reader.Header[0], SPOOL_NT_VERSION);
  EXPECT_EQ(reader.Header[1], 36u) << "16 + \"Doc\" + \"FILE:\" with their NULs";
  EXPECT_EQ(reader.Header[2], 16u);
  EXPECT_EQ(reader.RecordType, EMRI_METAFILE_DATA);
  EXPECT_EQ(reader.RecordSize, kPage1.size());
  EXPECT_EQ(reader.PageOffset(), 36u + 16u);
  reader.Close();
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_TRUE(reader.PageData().empty());
  EXPECT_EQ(reader.DocumentName, u"");
}

TEST(SpoolReader9x, PagesNameTheirMetafiles) {
  T9xSpoolWriter writer;
  writer.AddRecord(SPL9X_DEVMODE, Bytes(148, 0x22));
  writer.AddPage("C:\\WINDOWS\\SPOOL\\PRINTERS\\~EMF0001.TMP");
  writer.AddPage("C:\\WINDOWS\\SPOOL\\PRINTERS\\~EMF0002.TMP");
  writer.EndDocument();
  TProcSPLFile reader;
  EXPECT_FALSE(reader.Open(writer.Bytes(), true)) << "not on the NT family";
  EXPECT_EQ(reader.Damage(), TSpoolDamage::None);
  ASSERT_TRUE(reader.Open(writer.Bytes(), false));
  EXPECT_TRUE(reader.Is9xFormat);
  EXPECT_EQ(reader.DocumentName, u"");
  const TWalk walk = Walk(writer.Bytes(), false);
  EXPECT_EQ(walk.pageFiles, (std::vector<std::string>{"C:\\WINDOWS\\SPOOL\\PRINTERS\\~EMF0001.TMP",
                                                      "C:\\WINDOWS\\SPOOL\\PRINTERS\\~EMF0002.TMP"}));
  EXPECT_EQ(walk.pages, (std::vector<Bytes>{{}, {}})) << "9x pages hold no metafile bytes";
}

TEST(SpoolReader9x, WalkEndsAtDamage) {
  const Bytes sig(std::begin(SPOOL_9X_SIGNATURE), std::end(SPOOL_9X_SIGNATURE));
  auto record = [](uint32_t type, uint32_t size, const Bytes& data) { return NtRecord(type, size, data); };
  const Bytes nameA = {'a', '.', 'e', 'm', 'f', 0};
  const Bytes pageA = record(SPL9X_PAGE, 14, nameA);
  const Bytes pageB = record(SPL9X_PAGE, 10, {'b', 0});
  using D = TSpoolDamage;
  struct Case {
    Bytes file;
    std::vector<std::string> pages;
    TSpoolDamage damage;
    const char* why;
  };
  const Case cases[] = {
      {Concat({sig, pageA, pageB}), {"a.emf", "b"}, D::None, "intact"},
      {Concat({sig, record(SPL9X_START_DOC, 8, {}), pageA, record(SPL9X_END_PAGE, 8, {}), pageB}),
       {"a.emf", "b"},
       D::None,
       "records of head size only are skipped"},
      {Concat({sig, pageA, record(SPL9X_END_PAGE, 7, {}), pageB}), {"a.emf"}, D::BadRecordSize, "size 7, below the head"},
      {Concat({sig, pageA, record(SPL9X_END_PAGE, 0, {}), pageB}), {"a.emf"}, D::BadRecordSize, "size 0 would not move"},
      {Concat({sig, pageA, record(0x02454E44, 8, {}), pageB}), {"a.emf"}, D::UnknownRecord, "unknown type"},
      {Concat({sig, pageA, record(SPL9X_DEVMODE, 0xFFFFFFFF, {}), pageB}), {"a.emf"}, D::CutOff, "skip runs off the end"},
      {Concat({sig, pageA, Bytes(pageB.begin(), pageB.end() - 1)}), {"a.emf"}, D::CutOff, "last page one byte short"},
      {Concat({sig, record(SPL9X_PAGE, 12, {'n', 'o', 'n', 'u'})}), {"nonu"}, D::None, "no NUL: the whole record"},
      {Concat({sig, record(SPL9X_PAGE, 8, {})}), {""}, D::None, "empty name: still a page"},
      {Concat({sig, record(SPL9X_PAGE, 10, {'x', 0}), Bytes(5, 0)}), {"x"}, D::CutOff,
       "trailing bytes shorter than a head"},
      {sig, {}, D::None, "signature only"},
      {Bytes(sig.begin(), sig.end() - 1), {}, D::None, "seven signature bytes"},
  };
  for (const Case& c : cases) {
    const TWalk walk = Walk(c.file, false);
    EXPECT_EQ(walk.opened, !c.pages.empty()) << c.why;
    EXPECT_EQ(walk.pageFiles, c.pages) << c.why;
    EXPECT_EQ(walk.damage, c.damage) << c.why;
    EXPECT_FALSE(Walk(c.file, true).opened) << c.why << ": never on the NT family";
  }
}

TEST(SpoolReader9x, RecordKinds) {
  for (uint32_t type : {SPL9X_DEVMODE, SPL9X_START_DOC, SPL9X_START_PAGE, SPL9X_END_PAGE, SPL9X_END_DOC}) {
    EXPECT_EQ(SpoolRecordKind9x(type), TSpoolRecordKind::Skipped) << type;
  }
  EXPECT_EQ(SpoolRecordKind9x(SPL9X_PAGE), TSpoolRecordKind::Page);
  EXPECT_EQ(SpoolRecordKind9x(EMRI_METAFILE_DATA), TSpoolRecordKind::Unknown) << "NT types mean nothing here";
}

TEST(SpoolReader, IsNativeSpoolFile) {
  TEmfSpoolWriter nt;
  nt.AddPage(kPage1);
  T9xSpoolWriter w9x;
  w9x.AddPage("p.emf");
  struct Case {
    Bytes file;
    bool isWinNT;
    bool native;
  };
  const Case cases[] = {
      {nt.Bytes(), true, true},         {nt.Bytes(), false, false},
      {w9x.Bytes(), false, true},       {w9x.Bytes(), true, false},
      {kPage1, true, false},            {kPage1, false, false},
      {TEmfSpoolWriter().Bytes(), true, false},  // a header without pages
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNativeSpoolFile(c.file, c.isWinNT), c.native) << c.file.size() << " bytes, NT " << c.isWinNT;
  }
}

TEST(SpoolReader9x, PageFilesOnlyInTheSpoolDirectory) {
  const std::u16string dir = u"C:\\WINDOWS\\SPOOL\\PRINTERS";
  const struct {
    std::u16string path;
    bool allowed;
    const char* why;
  } cases[] = {
      {dir + u"\\~EMF0001.TMP", true, "a file of the spool directory"},
      {u"c:\\windows\\spool\\printers\\~emf0001.tmp", true, "letters in either case"},
      {dir + u"\\Счёт.TMP", true, "a Cyrillic name"},
      {dir + u"\\sub\\~EMF0001.TMP", false, "a folder below it"},
      {dir + u"\\..\\..\\WIN.INI", false, "climbing out"},
      {dir + u"\\..", false, "the parent itself"},
      {dir + u"\\.", false, "the folder itself"},
      {dir + u"\\", false, "no name"},
      {dir, false, "the folder"},
      {dir + u"X\\a.tmp", false, "a folder whose name starts alike"},
      {u"C:\\WINDOWS\\WIN.INI", false, "another folder"},
      {u"\\\\server\\share\\a.tmp", false, "a network path"},
      {dir + u"\\a.tmp:stream", false, "a stream of a file"},
      {dir + u"\\*.tmp", false, "a wildcard"},
      {dir + u"\\a/../../b", false, "a forward slash"},
      {u"", false, "empty"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSpoolDirectoryFile(c.path, dir), c.allowed) << c.why;
    EXPECT_EQ(IsSpoolDirectoryFile(c.path, dir + u"\\"), c.allowed) << c.why << ", directory with its backslash";
  }
  EXPECT_FALSE(IsSpoolDirectoryFile(dir + u"\\a.tmp", u"")) << "no spool directory known";
}

// With CLIENT_WRITE_SPOOL_SEEDS naming a folder, writes the fuzz target's seed files there.
TEST(SpoolReader, WriteFuzzSeeds) {
  const char* folder = std::getenv("CLIENT_WRITE_SPOOL_SEEDS");
  if (folder == nullptr || *folder == '\0') GTEST_SKIP() << "seed writing not asked for";
  auto save = [&](const char* name, const Bytes& bytes) {
    std::ofstream out(std::filesystem::path(folder) / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  };
  TEmfSpoolWriter two(u"Doc", u"LPT1:");
  two.AddDevMode(Bytes(24, 0x11));
  two.AddPage(kPage1);
  two.AddPage(kPage2);
  save("nt_two_pages", two.Bytes());
  TEmfSpoolWriter font(u"Шрифт");
  font.AddPage(kPage1);
  font.AddRecord(EMRI_ENGINE_FONT, Bytes(12, 0xAB));
  font.AddRecord(EMRI_BW_METAFILE, kPage2);
  save("nt_font_between_pages", font.Bytes());
  Bytes cut = two.Bytes();
  cut.resize(cut.size() - 20);
  save("nt_truncated", cut);
  T9xSpoolWriter w9x;
  w9x.AddRecord(SPL9X_DEVMODE, Bytes(16, 0x22));
  w9x.AddPage("C:\\WINDOWS\\SPOOL\\PRINTERS\\~EMF0001.TMP");
  w9x.AddPage("b.emf");
  w9x.EndDocument();
  save("w9x_two_pages", w9x.Bytes());
  Bytes small = w9x.Bytes();
  small.resize(40);
  save("w9x_truncated", small);
}
