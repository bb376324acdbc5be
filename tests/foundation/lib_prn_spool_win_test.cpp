// Tests of saving spool-file pages to files under Wine: NT pages written from the file's bytes,
// 9x pages copied from the metafile files their records name (ANSI names, code page 1251).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/lib_prn_spool.h"
#include "foundation/lib_prn_spoolwriter.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// A folder of its own in the temp directory, removed with everything in it.
struct TScratchDir {
  fs::path path;
  TScratchDir() {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    path = fs::path(temp) / (L"lib_prn_spool_" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(path);
  }
  ~TScratchDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

std::u16string U16(const fs::path& path) {
  const std::wstring wide = path.wstring();
  return std::u16string(wide.begin(), wide.end());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The system code page's bytes of a path, as a 9x page record holds them.
std::string Ansi(const fs::path& path) {
  const std::wstring wide = path.wstring();
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace

TEST(SpoolSavePage, NtPagesAreWrittenAndReplaceTheTarget) {
  TScratchDir dir;
  const Bytes pages[] = {Bytes(100, 0x41), Bytes(4, 0x42), {}};
  TEmfSpoolWriter writer(u"Doc");
  for (const Bytes& page : pages) writer.AddPage(page);
  TProcSPLFile reader;
  ASSERT_TRUE(reader.Open(writer.Bytes(), true));
  const fs::path target = dir.path / L"страница.emf";
  WriteFile(target, Bytes(5000, 0xFF));  // an older, longer file of that name
  size_t index = 0;
  do {
    ASSERT_LT(index, std::size(pages));
    EXPECT_EQ(reader.SavePage(U16(target)), 1) << index;
    EXPECT_EQ(ReadFile(target), pages[index]) << index;
    ++index;
  } while (reader.NextPage());
  EXPECT_EQ(index, std::size(pages));
  EXPECT_EQ(reader.SavePage(U16(target)), 0) << "past the last page";
}

TEST(SpoolSavePage, WriteFailures) {
  TScratchDir dir;
  TEmfSpoolWriter nt;
  nt.AddPage(Bytes(8, 1));
  const fs::path source = dir.path / L"стр1.emf";
  WriteFile(source, Bytes(12, 7));
  T9xSpoolWriter w9x;
  w9x.AddPage(Ansi(source));
  for (const Bytes* file : {&nt.Bytes(), &w9x.Bytes()}) {
    TProcSPLFile reader;
    ASSERT_TRUE(reader.Open(*file, file == &nt.Bytes()));
    reader.SpoolDirectory = U16(dir.path);
    EXPECT_EQ(reader.SavePage(U16(dir.path / L"missing" / L"p.emf")), 0) << "9x " << reader.Is9xFormat;
    EXPECT_EQ(reader.SavePage(U16(dir.path)), 0) << "a folder is no target; 9x " << reader.Is9xFormat;
  }
  TProcSPLFile closed;
  EXPECT_EQ(closed.SavePage(U16(dir.path / L"p.emf")), 0) << "nothing open";
}

TEST(SpoolSavePage, W9xPagesAreCopiedFromTheNamedFiles) {
  TScratchDir dir;
  const fs::path first = dir.path / L"~EMF0001 счёт.TMP";
  const fs::path second = dir.path / L"~EMF0002.TMP";
  WriteFile(first, Bytes(64, 0x31));
  WriteFile(second, Bytes(32, 0x32));
  T9xSpoolWriter writer;
  writer.AddPage(Ansi(first));
  writer.AddPage(Ansi(dir.path / L"deleted.TMP"));
  writer.AddPage(Ansi(dir.path));  // a folder is no metafile
  writer.AddPage("");
  writer.AddPage(Ansi(second));
  writer.EndDocument();
  const fs::path target = dir.path / L"page.emf";
  WriteFile(target, Bytes(500, 0xFF));
  struct Step {
    int result;
    Bytes content;
    const char* why;
  };
  const Step steps[] = {{1, Bytes(64, 0x31), "copied over the older target"},
                        {2, Bytes(64, 0x31), "deleted metafile: target untouched"},
                        {2, Bytes(64, 0x31), "the name is a folder"},
                        {2, Bytes(64, 0x31), "empty name"},
                        {1, Bytes(32, 0x32), "second metafile"}};
  TProcSPLFile reader;
  ASSERT_TRUE(reader.Open(writer.Bytes(), false));
  reader.SpoolDirectory = U16(dir.path);
  for (size_t i = 0; i < std::size(steps); ++i) {
    if (i > 0) {
      ASSERT_TRUE(reader.NextPage()) << steps[i].why;
    }
    EXPECT_EQ(reader.SavePage(U16(target)), steps[i].result) << steps[i].why;
    EXPECT_EQ(ReadFile(target), steps[i].content) << steps[i].why;
  }
  EXPECT_FALSE(reader.NextPage());
}

TEST(SpoolSavePage, W9xPagesOutsideTheSpoolDirectoryAreNotCopied) {
  TScratchDir dir;
  const fs::path spoolDir = dir.path / L"PRINTERS";
  fs::create_directories(spoolDir / L"sub");
  const fs::path inside = spoolDir / L"~EMF0001.TMP";
  const fs::path secret = dir.path / L"secret.txt";
  WriteFile(inside, Bytes(16, 0x31));
  WriteFile(secret, Bytes(16, 0x53));
  WriteFile(spoolDir / L"sub" / L"b.TMP", Bytes(16, 0x53));
  T9xSpoolWriter writer;
  writer.AddPage(Ansi(secret));
  writer.AddPage(Ansi(spoolDir / L".." / L"secret.txt"));
  writer.AddPage(Ansi(spoolDir / L"sub" / L"b.TMP"));
  writer.AddPage(Ansi(inside));
  const fs::path target = dir.path / L"page.emf";
  TProcSPLFile reader;
  ASSERT_TRUE(reader.Open(writer.Bytes(), false));
  reader.SpoolDirectory = U16(spoolDir);
  for (const char* why : {"a file in another folder", "climbing out of the spool directory", "a folder below it"}) {
    EXPECT_EQ(reader.SavePage(U16(target)), 2) << why;
    EXPECT_FALSE(fs::exists(target)) << why;
    ASSERT_TRUE(reader.NextPage());
  }
  EXPECT_EQ(reader.SavePage(U16(target)), 1);
  EXPECT_EQ(ReadFile(target), Bytes(16, 0x31));
}

TEST(SpoolOpenByName, MapsTheFileAndTellsItsDamage) {
  TScratchDir dir;
  TEmfSpoolWriter writer(u"Doc");
  writer.AddPage(Bytes(40, 0x41));
  writer.AddPage(Bytes(40, 0x42));
  const fs::path whole = dir.path / L"00001.spl";
  WriteFile(whole, writer.Bytes());
  Bytes cut = writer.Bytes();
  cut.resize(cut.size() - 30);  // into the second page
  const fs::path damaged = dir.path / L"00002.spl";
  WriteFile(damaged, cut);
  T9xSpoolWriter w9x;
  w9x.AddPage("a.emf");
  const fs::path old = dir.path / L"00003.spl";
  WriteFile(old, w9x.Bytes());

  TProcSPLFile reader;
  ASSERT_TRUE(reader.Open(U16(whole)));
  EXPECT_EQ(reader.DocumentName, u"Doc");
  EXPECT_TRUE(reader.NextPage());
  EXPECT_EQ(reader.PageData().size(), 40u);
  EXPECT_FALSE(reader.NextPage());
  EXPECT_EQ(reader.Damage(), TSpoolDamage::None);

  ASSERT_TRUE(reader.Open(U16(damaged)));
  EXPECT_FALSE(reader.NextPage());
  EXPECT_EQ(reader.Damage(), TSpoolDamage::CutOff);

  EXPECT_FALSE(reader.Open(U16(old))) << "the 9x format on the NT family";
  EXPECT_FALSE(reader.Open(U16(dir.path / L"missing.spl")));
  EXPECT_TRUE(IsNativeSpoolFile(U16(whole)));
  EXPECT_FALSE(IsNativeSpoolFile(U16(old)));
  EXPECT_FALSE(IsNativeSpoolFile(U16(dir.path / L"missing.spl")));
}
