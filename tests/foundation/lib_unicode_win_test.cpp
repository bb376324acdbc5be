// File and window calls with the W/A choice: the real file system under Wine, Cyrillic names, and the
// 9x branch reached by injecting the platform identifier.
#include "foundation/lib_unicode_win.h"

#include <gtest/gtest.h>

#include <set>

#include "foundation/lib_unicode.h"
#include "support/win_fixtures.h"

TEST(Platform, NtByDefault) {
  EXPECT_EQ(GetPlatformId(), static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_TRUE(UseWideApi());
  TPlatformGuard nine(VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_FALSE(UseWideApi());
}

TEST(Files, ExistenceAndDirectoriesInBothBranches) {
  for (DWORD platform : {DWORD(VER_PLATFORM_WIN32_NT), DWORD(VER_PLATFORM_WIN32_WINDOWS)}) {
    TPlatformGuard guard(platform);
    TScratchDir scratch(u"Проверка каталогов");
    const std::u16string deep = scratch.Path() + u"\\Уровень 1\\Уровень 2\\";
    ASSERT_TRUE(ForceDirectoriesW(deep)) << platform;
    EXPECT_TRUE(DirectoryExistsW(ExcludeTrailingPathDelimiterW(deep)));
    EXPECT_TRUE(ForceDirectoriesW(deep));  // already there
    const std::u16string file = deep + u"Документ.txt";
    ASSERT_TRUE(WriteFixture(file, "x"));
    EXPECT_TRUE(FileExistsW(file));
    EXPECT_NE(FileAgeW(file), -1);
    EXPECT_FALSE(FileExistsW(ExcludeTrailingPathDelimiterW(deep)));  // a directory is no file
    EXPECT_EQ(FileAgeW(ExcludeTrailingPathDelimiterW(deep)), -1);
    EXPECT_FALSE(CreateDirW(ExcludeTrailingPathDelimiterW(deep)));
    EXPECT_TRUE(RemoveFileW(file));
    EXPECT_FALSE(FileExistsW(file));
    EXPECT_EQ(FileAgeW(file), -1);
  }
}

TEST(Files, ExistsWhateverItsTimeStamp) {
  TScratchDir scratch(u"stamp");
  ASSERT_TRUE(ForceDirectoriesW(scratch.Path()));
  const std::u16string file = scratch.Path() + u"\\old.txt";
  ASSERT_TRUE(WriteFixture(file, "x"));
  // 1601: no DOS date can hold it, so FileAgeW has nothing to report, but the file is there.
  HANDLE h = CreateFileW(WStr(file), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME ancient{1, 0};
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &ancient));
  CloseHandle(h);
  EXPECT_EQ(FileAgeW(file), -1);
  EXPECT_TRUE(FileExistsW(file));
}

TEST(Files, ForceDirectoriesOfEmptyNameRaises) {
  try {
    ForceDirectoriesW(u"");
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 3);
    EXPECT_STREQ(e.what(), "Unable to create directory");
  }
}

TEST(Files, SearchSkipsWhatWasNotAskedFor) {
  TScratchDir scratch(u"search");
  ASSERT_TRUE(ForceDirectoriesW(scratch.Path() + u"\\подкаталог"));
  ASSERT_TRUE(WriteFixture(scratch.Path() + u"\\a.pr", "12345"));
  ASSERT_TRUE(WriteFixture(scratch.Path() + u"\\б.pr", "1"));
  ASSERT_TRUE(WriteFixture(scratch.Path() + u"\\c.txt", "1"));

  auto names = [&](const std::u16string& mask, int32_t attr) {
    std::set<std::u16string> found;
    TSearchRecW rec;
    for (DWORD r = FindFirstW(scratch.Path() + mask, attr, rec); r == 0; r = FindNextW(rec)) found.insert(rec.Name);
    FindCloseW(rec);
    FindCloseW(rec);  // a second close does nothing
    return found;
  };
  EXPECT_EQ(names(u"\\*.pr", 0), (std::set<std::u16string>{u"a.pr", u"б.pr"}));
  const auto plain = names(u"\\*", 0);
  EXPECT_EQ(plain.count(u"подкаталог"), 0u);
  EXPECT_EQ(plain.count(u"c.txt"), 1u);
  EXPECT_EQ(names(u"\\*", faDirectory).count(u"подкаталог"), 1u);

  TSearchRecW rec;
  ASSERT_EQ(FindFirstW(scratch.Path() + u"\\a.pr", 0, rec), 0u);
  EXPECT_EQ(rec.Size, 5);
  EXPECT_NE(rec.Time, 0);
  FindCloseW(rec);
  EXPECT_NE(FindFirstW(scratch.Path() + u"\\*.none", 0, rec), 0u);
}

TEST(Resources, TextAtAnAddress) {
  static const char16_t kText[] = u"Текст ресурса";
  EXPECT_EQ(LoadResStringW(reinterpret_cast<UINT_PTR>(kText)), kText);
  EXPECT_EQ(LoadResStringW(65000), u"");  // no such string
}

TEST(Messages, DispatchersReachTheWindowInBothBranches) {
  for (DWORD platform : {DWORD(VER_PLATFORM_WIN32_NT), DWORD(VER_PLATFORM_WIN32_WINDOWS)}) {
    TPlatformGuard guard(platform);
    HWND wnd = CreateWindowExW(0, L"STATIC", L"t", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    UniSetWindowLong(wnd, GWLP_USERDATA, 1234);
    EXPECT_EQ(UniGetWindowLong(wnd, GWLP_USERDATA), 1234);
    EXPECT_TRUE(UniPostMessage(wnd, WM_USER + 1, 0, 0));
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, wnd, WM_USER + 1, WM_USER + 1, PM_REMOVE));
    DestroyWindow(wnd);
  }
}
