// The file layer under Wine against the real file system, with Cyrillic names, in the W branch and
// (where the routine has one) the 9x branch reached by injecting the platform identifier.
#include "foundation/lib_file_win.h"

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <thread>

#include "foundation/lib_api_win.h"
#include "foundation/lib_file_reader_win.h"
#include "foundation/lib_unicode.h"
#include "support/win_fixtures.h"

using namespace std::string_literals;

namespace {
const DWORD kPlatforms[] = {VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS};

// Boxes are recorded, never shown.
class BoxRecorder {
 public:
  BoxRecorder() {
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      texts.push_back(r.Text);
      return IDOK;
    });
  }
  ~BoxRecorder() { SetMessageBoxHook(nullptr); }
  std::vector<std::u16string> texts;
};

std::span<const uint8_t> AsBytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

class EnvGuard {
 public:
  explicit EnvGuard(const wchar_t* name) : name_(name) {
    wchar_t buf[32768];
    const DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    had_ = n > 0;
    old_.assign(buf, n);
  }
  ~EnvGuard() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const wchar_t* name_;
  bool had_;
  std::wstring old_;
};
}  // namespace

TEST(Directories, WellKnownPlaces) {
  for (DWORD platform : kPlatforms) {
    TPlatformGuard guard(platform);
    const std::u16string system = GetSystemDir();
    ASSERT_FALSE(system.empty());
    EXPECT_NE(system.back(), u'\\');
    EXPECT_TRUE(DirPresent(system));
    const std::u16string exe = GetExeName();
    EXPECT_TRUE(SameTextW(ExtractFileExtW(exe), u".exe")) << platform;
    EXPECT_TRUE(FilePresent(exe));
    EXPECT_EQ(GetProgramDir(), ExtractFilePathW(exe));
    EXPECT_EQ(GetProgramDir().back(), u'\\');
    EXPECT_NE(PosW(ExtractFileNameW(exe), GetCommandLineText()), 0);
    EXPECT_FALSE(GetWindowsDirA().empty());
    const std::u16string temp = GetTempPathDir();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), u'\\');
    EXPECT_TRUE(DirPresent(temp));
  }
}

TEST(Directories, EnvironmentAndPaths) {
  TScratchDir dir(u"Пути");
  EnvGuard guard(L"CLIENT_ПРОВЕРКА");
  SetEnvironmentVariableW(L"CLIENT_ПРОВЕРКА", L"значение");
  EXPECT_EQ(GetEnvVar(u"CLIENT_ПРОВЕРКА"), u"значение");
  const std::wstring longValue(5000, L'ж');
  SetEnvironmentVariableW(L"CLIENT_ПРОВЕРКА", longValue.c_str());
  EXPECT_EQ(GetEnvVar(u"CLIENT_ПРОВЕРКА").size(), 5000u) << "longer than a path buffer";
  SetEnvironmentVariableW(L"CLIENT_ПРОВЕРКА", nullptr);
  EXPECT_EQ(GetEnvVar(u"CLIENT_ПРОВЕРКА"), u"");

  EXPECT_EQ(GetFullPath(dir.Path() + u"\\Папка\\..\\файл.txt"), dir.Path() + u"\\файл.txt");
  EXPECT_EQ(GetShortPath(dir.File(u"нет.txt")), u"") << "missing file";
  ASSERT_TRUE(WriteFixture(dir.File(u"Длинное имя файла.txt"), "x"));
  const std::u16string shortName = GetShortPath(dir.File(u"Длинное имя файла.txt"));
  EXPECT_FALSE(shortName.empty());
  EXPECT_TRUE(FilePresent(shortName));
}

TEST(Directories, TempDirectoryTakesTheFirstUsableCandidate) {
  TScratchDir dir(u"Временный");
  EnvGuard tmp(L"TMP");
  EnvGuard temp(L"TEMP");
  BoxRecorder boxes;
  // TMP names a directory one level below an existing one: it is made.
  SetEnvironmentVariableW(L"TMP", WStr(dir.File(u"Новый")));
  EXPECT_EQ(GetTempDirectory(), dir.File(u"Новый\\"));
  EXPECT_TRUE(DirPresent(dir.File(u"Новый")));
  // Two missing levels cannot be made in one step: TEMP is next.
  SetEnvironmentVariableW(L"TMP", WStr(dir.File(u"нет\\нет")));
  SetEnvironmentVariableW(L"TEMP", WStr(dir.Path()));
  EXPECT_EQ(GetTempDirectory(), dir.Path() + u"\\");
  // Without both the system's temp path is next (it would read TMP and TEMP itself).
  SetEnvironmentVariableW(L"TMP", nullptr);
  SetEnvironmentVariableW(L"TEMP", nullptr);
  EXPECT_EQ(GetTempDirectory(), GetTempPathDir());
  EXPECT_TRUE(boxes.texts.empty());
  SetEnvironmentVariableW(L"TMP", WStr(dir.File(u"нет\\нет")));
  SetEnvironmentVariableW(L"TEMP", WStr(dir.File(u"нет\\нет")));
  EXPECT_EQ(GetTempDirectory(), u"");
  EXPECT_EQ(boxes.texts, std::vector<std::u16string>{u"Ошибка инициализации каталога временных файлов"});
}

TEST(TempNames, UniqueNamesAreCreatedAtomicallyAcrossThreads) {
  TScratchDir dir(u"Уникальные");
  std::mutex lock;
  std::set<std::u16string> names;
  bool allGood = true;
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 50; ++i) {
        const std::u16string name = MakeUniqueFileName(dir.Path(), u".emf");
        std::lock_guard guard(lock);
        allGood = allGood && !name.empty() && names.insert(name).second;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_TRUE(allGood);
  EXPECT_EQ(names.size(), 400u);
  for (const std::u16string& name : names) {
    EXPECT_TRUE(FilePresent(name));
    const std::u16string leaf = ExtractFileNameW(name);
    ASSERT_EQ(leaf.size(), 12u);
    EXPECT_EQ(leaf.substr(8), u".emf");
    EXPECT_EQ(leaf.find_first_not_of(u"0123456789ABCDEF"), 8u);
    EXPECT_LT(leaf[0], u'8') << "below 7FFFFFFF";
  }
  EXPECT_EQ(MakeUniqueFileName(dir.File(u"нет"), u".x"), u"") << "no directory: no endless drawing";
  const std::u16string bare = MakeUniqueFileName(dir.Path(), u"");
  EXPECT_EQ(ExtractFileNameW(bare).size(), 8u);
}

TEST(TempNames, TempFileNameInBothBranches) {
  for (DWORD platform : kPlatforms) {
    TPlatformGuard guard(platform);
    const std::u16string name = MakeTempFileName();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(ExtractFilePathW(name), GetTempPathDir());
    EXPECT_EQ(ExtractFileExtW(name), u".TMP");
    EXPECT_TRUE(FilePresent(name)) << "created, so no one else gets the name";
    EXPECT_TRUE(DeleteFileIfExists(name));
  }
}

TEST(Existence, FilesDirectoriesAndSizes) {
  TScratchDir dir(u"Наличие");
  const std::u16string file = dir.File(u"Документ.txt");
  ASSERT_TRUE(WriteFixture(file, "0123456789"));
  for (DWORD platform : kPlatforms) {
    TPlatformGuard guard(platform);
    EXPECT_TRUE(FilePresent(file)) << platform;
    EXPECT_TRUE(FilePresentA(WideToAnsi(file)));
    EXPECT_FALSE(FilePresent(dir.Path())) << "a directory is no file";
    EXPECT_FALSE(FilePresent(dir.File(u"нет.txt")));
    EXPECT_FALSE(FilePresent(u""));
    EXPECT_TRUE(DirPresent(dir.Path()));
    EXPECT_FALSE(DirPresent(file));
    EXPECT_EQ(GetFileSizeByName(file), 10);
    EXPECT_EQ(GetFileSizeByName(dir.File(u"нет.txt")), -1);
  }
}

TEST(Existence, CheckFileAccess) {
  TScratchDir dir(u"Доступ");
  const std::u16string file = dir.File(u"Файл.txt");
  EXPECT_EQ(CheckFileAccess(file, false), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(CheckFileAccess(file, true), 0u);
  EXPECT_FALSE(FilePresent(file)) << "the file made for the test is gone again";
  ASSERT_TRUE(WriteFixture(file, "x"));
  EXPECT_EQ(CheckFileAccess(file, false), 0u);
  EXPECT_EQ(CheckFileAccess(file, true), 0u);
  EXPECT_TRUE(FilePresent(file)) << "an existing file is kept";
  HANDLE exclusive = CreateFileW(WStr(file), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CheckFileAccess(file, false), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(exclusive);
}

TEST(Handles, OpenWriteSeekReadClose) {
  TScratchDir dir(u"Дескрипторы");
  const std::u16string file = dir.File(u"Данные.bin");
  HANDLE h = INVALID_HANDLE_VALUE;
  EXPECT_EQ(OpenOrCreateFile(h, file, false), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(h, nullptr);
  ASSERT_EQ(OpenOrCreateFile(h, file, true), 0u);
  EXPECT_EQ(WriteToHandle(h, AsBytes("abcdef")), 6u);
  EXPECT_EQ(GetHandleFileSize(h), 6);
  EXPECT_EQ(SeekFileHandle(h, 2), 0u);
  uint8_t buf[8] = {};
  EXPECT_EQ(ReadFromHandle(h, buf), 4u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "cdef");
  CloseFileHandle(h);
  EXPECT_EQ(h, nullptr);
  CloseFileHandle(h);  // a closed handle twice is harmless

  ASSERT_EQ(OpenOrCreateFile(h, file, false), 0u);
  EXPECT_EQ(WriteToHandle(h, AsBytes("x")), 0u) << "a handle opened for reading cannot write";
  CloseFileHandle(h);

  ASSERT_EQ(OpenFileForWriting(h, file, true), 0u);
  EXPECT_EQ(GetHandleFileSize(h), 6) << "kept";
  CloseFileHandle(h);
  ASSERT_EQ(OpenFileForWriting(h, file, false), 0u);
  EXPECT_EQ(GetHandleFileSize(h), 0) << "truncated";
  CloseFileHandle(h);
  EXPECT_EQ(OpenFileForWriting(h, dir.File(u"нет\\файл"), true), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(WholeFiles, WritesReportFailure) {
  TScratchDir dir(u"Запись");
  for (DWORD platform : kPlatforms) {
    TPlatformGuard guard(platform);
    const std::u16string file = dir.File(u"Строка.txt");
    EXPECT_TRUE(SaveStringToFile(file, "0123456789"));
    EXPECT_EQ(GetFileSizeByName(file), 10);
    EXPECT_TRUE(SaveStringToFile(file, ""));
    EXPECT_EQ(ReadFixture(file), "");
    EXPECT_FALSE(SaveStringToFile(dir.File(u"нет\\файл.txt"), "x"));
    // Read-only attributes mean nothing to Wine running as root; a file held without sharing does.
    HANDLE held = CreateFileW(WStr(file), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveStringToFile(file, "x")) << "a file in use";
    EXPECT_FALSE(WriteFileFromString(file, "x"));
    CloseHandle(held);

    EXPECT_TRUE(WriteFileFromString(file, "скрыто"));
    EXPECT_EQ(GetFileAttributesW(WStr(file)) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), 0u);
    EXPECT_EQ(ReadFixture(file), "скрыто");
    const std::string bin = "\0\1\2"s;
    EXPECT_TRUE(WriteBufferToFile(file, AsBytes(bin)));
    EXPECT_EQ(ReadFixture(file), bin);
    EXPECT_TRUE(DeleteFileIfExists(file));
  }
}

TEST(WholeFiles, ReadWithLimits) {
  TScratchDir dir(u"Чтение");
  const std::u16string file = dir.File(u"Файл.bin");
  ASSERT_TRUE(WriteFixture(file, "abc\0de"s));
  struct Case {
    size_t limit;
    std::string expected;
  } cases[] = {{SIZE_MAX, "abc\0de"s}, {6, "abc\0de"s}, {7, "abc\0de"s}, {5, "abc\0d"s}, {0, ""}};
  for (const auto& c : cases) EXPECT_EQ(ReadFileToString(file, c.limit), c.expected) << c.limit;
  EXPECT_EQ(ReadFileToString(dir.File(u"нет")), "");
  EXPECT_EQ(ReadFileToString(dir.Path()), "") << "a directory";
}

TEST(TextFiles, ReadInEveryEncoding) {
  TScratchDir dir(u"Тексты");
  struct Case {
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {"\xCF\xF0\xE8\xE2\xE5\xF2 \xB9", u"Привет №"},
      {"\xFF\xFE\x1F\x04\r\0\n\0"s, u"П\r\n"},
      {"\xEF\xBB\xBF\xD0\x9F", u"П"},
      {"", u""},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteFixture(dir.File(u"т.txt"), c.bytes));
    EXPECT_EQ(ReadTextFile(dir.File(u"т.txt")), c.text);
  }
}

TEST(TextFiles, AppendKeepsTheFileEncoding) {
  TScratchDir dir(u"Дописывание");
  struct Case {
    const char* why;
    std::string before;
    bool exists;
    TTextEncoding asked;
    std::string after;
  };
  const Case cases[] = {
      {"new file, UTF-16LE: mark and units", "", false, TTextEncoding::Utf16LE, "\xFF\xFE\x16\x04\r\0\n\0"s},
      {"new file, UTF-8", "", false, TTextEncoding::Utf8, "\xEF\xBB\xBF\xD0\x96\r\n"},
      {"new file, ANSI: no mark", "", false, TTextEncoding::Ansi, "\xC6\r\n"},
      {"empty file gets the mark asked for", "", true, TTextEncoding::Utf8, "\xEF\xBB\xBF\xD0\x96\r\n"},
      {"an ANSI file stays ANSI", "a\r\n", true, TTextEncoding::Utf16LE, "a\r\n\xC6\r\n"},
      {"a one-byte file is ANSI", "\xFF", true, TTextEncoding::Utf8, "\xFF\xC6\r\n"},
      {"a UTF-16LE file stays UTF-16LE", "\xFF\xFE", true, TTextEncoding::Ansi, "\xFF\xFE\x16\x04\r\0\n\0"s},
      {"a UTF-8 file stays UTF-8", "\xEF\xBB\xBFx", true, TTextEncoding::Ansi, "\xEF\xBB\xBFx\xD0\x96\r\n"},
  };
  for (DWORD platform : kPlatforms) {
    TPlatformGuard guard(platform);
    for (const Case& c : cases) {
      const std::u16string file = dir.File(u"Журнал.log");
      DeleteFileIfExists(file);
      if (c.exists) {
      ASSERT_TRUE(WriteFixture(file, c.before));
    }
      EXPECT_TRUE(AppendTextLine(file, u"Ж", c.asked)) << c.why;
      EXPECT_EQ(ReadFixture(file), c.after) << c.why << " " << platform;
    }
  }
  // Lines appended in turn read back as lines.
  const std::u16string log = dir.File(u"Строки.log");
  for (const char16_t* line : {u"первая", u"вторая", u""}) ASSERT_TRUE(AppendTextLine(log, line, TTextEncoding::Utf8));
  TMappedFile reader;
  ASSERT_TRUE(reader.Open(log, true));
  EXPECT_EQ(reader.ReadLine(), u"первая");
  EXPECT_EQ(reader.ReadLine(), u"вторая");
  EXPECT_EQ(reader.ReadLine(), u"");
  EXPECT_TRUE(reader.Eof());
  reader.Close();

  EXPECT_FALSE(AppendTextLine(dir.File(u"нет\\x.log"), u"x", TTextEncoding::Utf8));
  const std::u16string a = dir.File(u"Байты.txt");
  EXPECT_TRUE(AppendTextLineA(a, "one"));
  EXPECT_TRUE(AppendTextLineA(a, "\xE4\xE2\xE0"));
  EXPECT_EQ(ReadFixture(a), "one\r\n\xE4\xE2\xE0\r\n");
  EXPECT_FALSE(AppendTextLineA(dir.File(u"нет\\x.log"), "x"));
}

TEST(InsertIntoFile, AtEveryPlace) {
  TScratchDir dir(u"Вставка");
  const std::u16string file = dir.File(u"Метафайл.wmf");
  struct Case {
    std::string before;
    bool exists;
    std::string data;
    int64_t offset;
    std::string after;
    const char* why;
  };
  const Case cases[] = {
      {"abcdef", true, "XY", 0, "XYabcdef", "at the start (a placeable header)"},
      {"abcdef", true, "XY", 3, "abcXYdef", "in the middle"},
      {"abcdef", true, "XY", 6, "abcdefXY", "at the end"},
      {"abcdef", true, "XY", 7, "abcdefXY", "one past the end appends"},
      {"abcdef", true, "XY", -1, "abcdefXY", "a negative offset appends"},
      {"abcdef", true, "", 2, "abcdef", "nothing to insert"},
      {"", true, "XY", 0, "XY", "an empty file"},
      {"", false, "XY", 5, "XY", "a missing file is created"},
  };
  for (const Case& c : cases) {
    DeleteFileIfExists(file);
    if (c.exists) {
      ASSERT_TRUE(WriteFixture(file, c.before));
    }
    EXPECT_TRUE(InsertIntoFile(file, AsBytes(c.data), c.offset)) << c.why;
    EXPECT_EQ(ReadFixture(file), c.after) << c.why;
  }
  const std::string big(100000, 'b');
  ASSERT_TRUE(WriteFixture(file, big));
  ASSERT_TRUE(InsertIntoFile(file, AsBytes("HEAD"), 0));
  EXPECT_EQ(ReadFixture(file), "HEAD" + big);
  HANDLE busy = CreateFileW(WStr(file), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_FALSE(InsertIntoFile(file, AsBytes("x"), 0)) << "the file is opened without sharing";
  CloseHandle(busy);
  EXPECT_EQ(GetFileSizeByName(file), 100004);
}

TEST(Templates, PlaceholdersReplacedAndWriteFailureShown) {
  TScratchDir dir(u"Шаблоны");
  const std::u16string file = dir.File(u"Шаблон.inf");
  BoxRecorder boxes;
  ASSERT_TRUE(WriteFixture(file, "Path=%DIR%\r\nName=%NAME% %DIR%\r\n"));
  EXPECT_TRUE(ReplaceInTemplateFile(file, {"%DIR%", "%NAME%"}, {"C:\\Драйвер", "Tevoran"}));
  EXPECT_EQ(ReadFixture(file), "Path=C:\\Драйвер\r\nName=Tevoran C:\\Драйвер\r\n");
  EXPECT_TRUE(ReplaceInTemplateFile(file, {"%NONE%"}, {"x"})) << "nothing found, nothing written";
  EXPECT_FALSE(ReplaceInTemplateFile(dir.File(u"нет.inf"), {"%DIR%"}, {"x"}));
  EXPECT_TRUE(boxes.texts.empty());
  ASSERT_TRUE(WriteFixture(file, "%DIR%"));
  HANDLE reader = CreateFileW(WStr(file), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReplaceInTemplateFile(file, {"%DIR%"}, {"x"})) << "readable, but not writable while held";
  CloseHandle(reader);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0], u"Ошибка открытия файла: \"" + file + u"\"");
  EXPECT_EQ(ReadFixture(file), "%DIR%");
}

TEST(Management, MakeDir) {
  TScratchDir dir(u"Каталоги");
  struct Case {
    std::u16string in;
    bool ok;
    std::u16string out;
    const char* why;
  };
  const Case cases[] = {
      {u"C:", true, u"C:\\", "a bare drive tests C:\\"},
      {dir.Path(), true, dir.Path() + u"\\", "exists"},
      {dir.File(u"Новый"), true, dir.File(u"Новый\\"), "one level is made"},
      {dir.File(u"Два\\Уровня"), false, dir.File(u"Два\\Уровня\\"), "two levels are not"},
      {u"", false, u"", "empty"},
  };
  for (DWORD platform : kPlatforms) {
    TPlatformGuard guard(platform);
    for (const Case& c : cases) {
      std::u16string name = c.in;
      EXPECT_EQ(MakeDir(name), c.ok) << c.why;
      EXPECT_EQ(name, c.out) << c.why;
    }
    RemoveDirectoryW(WStr(dir.File(u"Новый")));
  }
}

TEST(Management, DeleteReadOnlyCopyMove) {
  TScratchDir dir(u"Управление");
  for (DWORD platform : kPlatforms) {
    TPlatformGuard guard(platform);
    const std::u16string a = dir.File(u"Исходный.txt");
    const std::u16string b = dir.File(u"Целевой.txt");
    ASSERT_TRUE(WriteFixture(a, "source"));
    ASSERT_TRUE(WriteFixture(b, "target"));
    EXPECT_TRUE(CopyFileReplace(a, b));
    EXPECT_EQ(ReadFixture(b), "source");
    EXPECT_FALSE(CopyFileReplace(dir.File(u"нет"), b));

    ASSERT_TRUE(WriteFixture(b, "old"));
    EXPECT_TRUE(MoveFileReplace(a, b)) << platform;
    EXPECT_FALSE(FilePresent(a));
    EXPECT_EQ(ReadFixture(b), "source");
    EXPECT_FALSE(MoveFileReplace(a, b)) << "no source";
    EXPECT_EQ(ReadFixture(b), "source") << "and the target is kept";

    EXPECT_FALSE(SetFileReadOnly(a, true)) << "missing";
    SetFileAttributesW(WStr(b), FILE_ATTRIBUTE_HIDDEN);
    const DWORD plain = GetFileAttributesW(WStr(b));
    EXPECT_TRUE(SetFileReadOnly(b, true));
    EXPECT_EQ(GetFileAttributesW(WStr(b)), plain | FILE_ATTRIBUTE_READONLY) << "the other bits are kept";
    EXPECT_TRUE(SetFileReadOnly(b, false));
    EXPECT_EQ(GetFileAttributesW(WStr(b)), plain);

    EXPECT_TRUE(DeleteFileIfExists(b));
    EXPECT_FALSE(FilePresent(b));
    EXPECT_TRUE(DeleteFileIfExists(b)) << "already gone";
    EXPECT_TRUE(DeleteFileIfExists(dir.File(u"нет\\файл"))) << "no directory either";
    EXPECT_FALSE(DeleteFileIfExists(dir.Path())) << "a directory is not deleted";
    EXPECT_TRUE(DeleteFileNowOrOnReboot(dir.File(u"нет.txt")));
  }
}

TEST(Management, DeleteOnRebootNtBranchQueuesTheName) {
  TScratchDir dir(u"Перезагрузка");
  const std::u16string file = dir.File(u"Занят.txt");
  ASSERT_TRUE(WriteFixture(file, "x"));
  const wchar_t* key = L"System\\CurrentControlSet\\Control\\Session Manager";
  const wchar_t* value = L"PendingFileRenameOperations";
  auto read = [&](std::vector<BYTE>& data, DWORD& type) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, value, RRF_RT_ANY, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    data.resize(size);
    return RegGetValueW(HKEY_LOCAL_MACHINE, key, value, RRF_RT_ANY, &type, data.data(), &size) == ERROR_SUCCESS;
  };
  std::vector<BYTE> before;
  DWORD type = REG_MULTI_SZ;
  const bool had = read(before, type);
  ASSERT_TRUE(DeleteFileOnReboot(file));
  std::vector<BYTE> after;
  DWORD afterType = 0;
  ASSERT_TRUE(read(after, afterType));
  const std::u16string list(reinterpret_cast<const char16_t*>(after.data()), after.size() / 2);
  EXPECT_NE(list.find(ExtractFileNameW(file)), std::u16string::npos);
  // Put the system's list back as it was.
  HKEY k;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
  if (had) {
    RegSetValueExW(k, value, 0, type, before.data(), static_cast<DWORD>(before.size()));
  } else {
    RegDeleteValueW(k, value);
  }
  RegCloseKey(k);
}

TEST(Management, DeleteOnReboot9xBranchAddsToWininit) {
  TScratchDir dir(u"Перезагрузка9x");
  const std::u16string file = dir.File(u"Длинное имя.txt");
  ASSERT_TRUE(WriteFixture(file, "x"));
  const std::u16string ini = AnsiToWide(GetWindowsDirA()) + u"\\WININIT.INI";
  const bool had = FilePresent(ini);
  const std::string before = ReadFixture(ini);
  {
    TPlatformGuard guard(VER_PLATFORM_WIN32_WINDOWS);
    ASSERT_TRUE(DeleteFileOnReboot(file));
    ASSERT_TRUE(DeleteFileOnReboot(file));
    EXPECT_FALSE(DeleteFileOnReboot(dir.File(u"нет.txt"))) << "no short name for a missing file";
  }
  const std::string after = ReadFixture(ini);
  const std::string line = "NUL=" + WideToAnsi(GetShortPath(file)) + "\r\n";
  EXPECT_NE(after.find("[rename]\r\n" + line + line), std::string::npos) << after;
  if (had) {
    WriteFixture(ini, before);
  } else {
    DeleteFileW(WStr(ini));
  }
}
