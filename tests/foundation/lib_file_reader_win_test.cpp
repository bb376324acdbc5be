// Mapped files under Wine: Cyrillic names in both call branches, lines of the three encodings with
// the system's ANSI conversion, and the files that cannot be opened.
#include "foundation/lib_file_reader_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/win_fixtures.h"

using namespace std::string_literals;

namespace {
std::vector<std::u16string> Lines(TMappedFile& file) {
  std::vector<std::u16string> out;
  while (!file.Eof() && out.size() < 100) out.push_back(file.ReadLine());
  return out;
}
}  // namespace

TEST(MappedFile, ReadsLinesOfEveryEncodingInBothBranches) {
  TScratchDir dir(u"Чтение файлов");
  using L = std::vector<std::u16string>;
  struct Case {
    std::u16string name;
    std::string bytes;
    TTextEncoding encoding;
    L lines;
  };
  const Case cases[] = {
      {u"Анси.txt", "\xCF\xF0\xE8\xE2\xE5\xF2\r\n\xB9 1\n\x88", TTextEncoding::Ansi, {u"Привет", u"№ 1", u"€"}},
      {u"Юникод.txt", "\xFF\xFE\x1F\x04\x40\x04\r\x00\n\x00!\x00"s, TTextEncoding::Utf16LE, {u"Пр", u"!"}},
      {u"Утф8.txt", "\xEF\xBB\xBF\xD0\x9F\n\xD1\x80", TTextEncoding::Utf8, {u"П", u"р"}},
  };
  for (DWORD platform : {DWORD(VER_PLATFORM_WIN32_NT), DWORD(VER_PLATFORM_WIN32_WINDOWS)}) {
    TPlatformGuard guard(platform);
    for (const Case& c : cases) {
      ASSERT_TRUE(WriteFixture(dir.File(c.name), c.bytes));
      TMappedFile file;
      ASSERT_TRUE(file.Open(dir.File(c.name), true)) << platform;
      EXPECT_EQ(file.Encoding(), c.encoding);
      EXPECT_EQ(file.Size(), c.bytes.size());
      EXPECT_EQ(Lines(file), c.lines) << platform;
      file.Close();
      EXPECT_FALSE(file.IsOpen());
      EXPECT_EQ(file.Size(), 0u);
    }
  }
}

TEST(MappedFile, WithoutDetectionTheMarkIsStillSkippedByReadLine) {
  TScratchDir dir(u"Чтение метки");
  ASSERT_TRUE(WriteFixture(dir.File(u"a.txt"), "\xEF\xBB\xBFx"));
  TMappedFile file;
  ASSERT_TRUE(file.Open(dir.File(u"a.txt"), false));
  EXPECT_EQ(file.Encoding(), TTextEncoding::Ansi);
  EXPECT_EQ(file.Position(), 0u);
  uint8_t first = 0;
  ASSERT_TRUE(file.ReadByte(first));
  EXPECT_EQ(first, 0xEF);
  ASSERT_TRUE(file.Seek(0));
  EXPECT_EQ(file.ReadLine(), u"x");
}

TEST(MappedFile, OpenFailures) {
  TScratchDir dir(u"Чтение ошибок");
  ASSERT_TRUE(WriteFixture(dir.File(u"пусто.txt"), ""));
  TMappedFile file;
  EXPECT_FALSE(file.Open(dir.File(u"пусто.txt"), true)) << "an empty file cannot be mapped";
  EXPECT_FALSE(file.Open(dir.File(u"нет.txt"), true));
  EXPECT_FALSE(file.Open(dir.Path(), true)) << "a directory";
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.FileHandle(), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(file.Eof());
  EXPECT_EQ(file.ReadLine(), u"");
}

TEST(MappedFile, OpensAFileAnotherHandleWritesAndReopensCleanly) {
  TScratchDir dir(u"Чтение общего");
  const std::u16string name = dir.File(u"журнал.log");
  ASSERT_TRUE(WriteFixture(name, "one\r\ntwo"));
  HANDLE writer = CreateFileW(WStr(name), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  TMappedFile file;
  ASSERT_TRUE(file.Open(name, true));
  EXPECT_EQ(Lines(file), (std::vector<std::u16string>{u"one", u"two"}));
  // A second Open on the same object releases the first mapping.
  ASSERT_TRUE(file.Open(name, true));
  EXPECT_EQ(file.ReadLine(), u"one");
  file.Init();
  EXPECT_FALSE(file.IsOpen());
  CloseHandle(writer);
  // Nothing of ours holds the file any more: it can be deleted.
  EXPECT_TRUE(DeleteFileW(WStr(name)));
}
