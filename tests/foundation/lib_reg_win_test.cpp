// Registry access against Wine's real registry, under HKCU\Software\ClientTests\registry (and HKLM for
// the machine-key checks), in the NT (W) branch and the injected 9x (A) branch, with Cyrillic names.
#include "foundation/lib_reg_win.h"

#include <gtest/gtest.h>

#include <aclapi.h>

#include <set>

#include "foundation/lib_api_win.h"
#include "foundation/lib_unicode_win.h"

namespace {
const std::u16string kTestRoot = u"Software\\ClientTests\\registry";

class PlatformGuard {
 public:
  explicit PlatformGuard(DWORD id) { SetPlatformIdForTesting(id); }
  ~PlatformGuard() { SetPlatformIdForTesting(0); }
};

constexpr DWORD kPlatforms[] = {VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS};

// A fresh test key under HKCU, removed with everything below it at the end.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, WStr(kTestRoot), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                              nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    Clean();
  }
  static void Clean() { RegDeleteTreeW(HKEY_CURRENT_USER, WStr(kTestRoot)); }

  // Stores data exactly as given, as another program might.
  void PutRaw(const std::u16string& name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(key_, WStr(name), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }

  HKEY key_ = nullptr;
};

std::string Cp1251(std::u16string_view text) { return WideToAnsi(text); }
}  // namespace

TEST_F(RegistryTest, ValuesRoundTripInBothBranches) {
  const std::u16string path = kTestRoot + u"\\Значения";
  for (DWORD platform : kPlatforms) {
    PlatformGuard guard(platform);
    SCOPED_TRACE(platform);
    const std::u16string text = u"Настройка Tevoran №1";
    const std::string bytes("\x00\xFF\xCF\x01", 4);
    const std::vector<uint8_t> array = {0, 1, 0xFE, 0xFF, 0};
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, path, u"Текст", text));
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, path, u"Пусто", u""));
    ASSERT_TRUE(RegWriteStringA(HKEY_CURRENT_USER, path, u"Текст8", Cp1251(u"Ёлка")));
    ASSERT_TRUE(RegWriteIntegerW(HKEY_CURRENT_USER, path, u"Число", INT32_MIN));
    ASSERT_TRUE(RegWriteInteger(HKEY_CURRENT_USER, Cp1251(path), Cp1251(u"Ещё"), 7));
    ASSERT_TRUE(RegWriteBinaryStr(HKEY_CURRENT_USER, path, u"Байты", bytes));
    ASSERT_TRUE(RegWriteBytes(HKEY_CURRENT_USER, path, u"Массив", array));
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, path, u"", u"без имени"));

    std::u16string wide;
    std::string narrow;
    std::vector<uint8_t> out;
    EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, path, u"Текст", wide, u"def"));
    EXPECT_EQ(wide, text);
    EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, path, u"Пусто", wide, u"def"));
    EXPECT_EQ(wide, u"");  // exists with no characters: empty, not the default
    EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, path, u"", wide, u"def"));
    EXPECT_EQ(wide, u"без имени");
    EXPECT_TRUE(RegReadStringA(HKEY_CURRENT_USER, path, u"Текст8", narrow, "def"));
    EXPECT_EQ(narrow, Cp1251(u"Ёлка"));
    EXPECT_TRUE(RegReadStringA(HKEY_CURRENT_USER, path, u"Текст", narrow, "def"));
    EXPECT_EQ(narrow, Cp1251(text));
    EXPECT_EQ(RegReadIntegerW(HKEY_CURRENT_USER, path, u"Число", 5), INT32_MIN);
    EXPECT_EQ(RegReadInteger(HKEY_CURRENT_USER, Cp1251(path), Cp1251(u"Ещё"), 5), 7);
    EXPECT_TRUE(RegReadBinaryStr(HKEY_CURRENT_USER, path, u"Байты", narrow, "def"));
    EXPECT_EQ(narrow, bytes);
    EXPECT_TRUE(RegReadBytes(HKEY_CURRENT_USER, path, u"Массив", out, {9}));
    EXPECT_EQ(out, array);

    // Stored data: REG_SZ with its NUL, 2 bytes a character on NT, 1 byte on 9x; REG_DWORD; REG_BINARY.
    TRegKey key;
    ASSERT_TRUE(RegOpenPath(HKEY_CURRENT_USER, path, key));
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(key.Get(), L"Текст", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(size, (text.size() + 1) * 2);  // Wine keeps values as UTF-16 whichever call wrote them
    ASSERT_EQ(RegQueryValueExW(key.Get(), L"Число", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(size, 4u);
    ASSERT_EQ(RegQueryValueExW(key.Get(), L"Массив", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(size, array.size());
    std::string stored;
    ASSERT_TRUE(RegKeyQueryStringA(key.Get(), u"Текст", stored));
    EXPECT_EQ(stored, Cp1251(text) + std::string(1, '\0'));
    std::u16string storedWide;
    ASSERT_TRUE(RegKeyQueryString(key.Get(), u"Текст", storedWide));
    EXPECT_EQ(storedWide, text + std::u16string(1, u'\0'));
    key.Reset();
    ASSERT_EQ(RegRemoveKey(HKEY_CURRENT_USER, path), 0);
  }
}

TEST_F(RegistryTest, TextWithoutItsNulKeepsItsLastCharacter) {
  const std::u16string bare = u"Строка";
  PutRaw(u"bare", REG_SZ, bare.data(), DWORD(bare.size() * 2));
  const std::u16string padded(u"ab\0\0", 4);
  PutRaw(u"padded", REG_SZ, padded.data(), DWORD(padded.size() * 2));
  PutRaw(u"nodata", REG_SZ, nullptr, 0);
  PutRaw(u"expand", REG_EXPAND_SZ, L"%TEMP%", 14);
  const DWORD number = 5;
  PutRaw(u"number", REG_DWORD, &number, 4);
  for (DWORD platform : kPlatforms) {
    PlatformGuard guard(platform);
    std::u16string out;
    EXPECT_TRUE(RegKeyReadString(key_, u"bare", u"def", out));
    EXPECT_EQ(out, bare) << platform;
    RegKeyReadString(key_, u"padded", u"def", out);
    EXPECT_EQ(out, u"ab") << platform;
    EXPECT_TRUE(RegKeyReadString(key_, u"nodata", u"def", out));
    EXPECT_EQ(out, u"") << platform;
    RegKeyReadString(key_, u"expand", u"def", out);
    EXPECT_EQ(out, u"%TEMP%") << platform;
    EXPECT_FALSE(RegKeyReadString(key_, u"number", u"def", out));
    EXPECT_EQ(out, u"def") << platform;  // a DWORD's bytes are no text
    EXPECT_FALSE(RegKeyReadString(key_, u"missing", u"def", out));
    EXPECT_EQ(out, u"def") << platform;
    std::string narrow;
    RegKeyReadStringA(key_, u"bare", "def", narrow);
    EXPECT_EQ(narrow, Cp1251(bare)) << platform;
  }
}

TEST_F(RegistryTest, IntegersOnlyFromFourByteNumbers) {
  const DWORD dword = 0x12345678;
  PutRaw(u"dword", REG_DWORD, &dword, 4);
  PutRaw(u"bin4", REG_BINARY, "\x01\x00\x00\x00", 4);
  PutRaw(u"bin5", REG_BINARY, "\x01\x00\x00\x00\x00", 5);
  PutRaw(u"bin3", REG_BINARY, "\x01\x00\x00", 3);
  PutRaw(u"text", REG_SZ, L"1", 4);  // four bytes, but a text
  PutRaw(u"short", REG_DWORD, "\x01\x00", 2);
  struct Case {
    const char16_t* name;
    int32_t expected;
  } cases[] = {{u"dword", 0x12345678}, {u"bin4", 1},   {u"bin5", -3},  {u"bin3", -3},
               {u"text", -3},          {u"short", -3}, {u"missing", -3}};
  for (DWORD platform : kPlatforms) {
    PlatformGuard guard(platform);
    for (const auto& c : cases) EXPECT_EQ(RegKeyReadInteger(key_, c.name, -3), c.expected) << platform;
  }
}

TEST_F(RegistryTest, FloatsReadAsPointText) {
  RegKeyWriteString(key_, u"point", u"12.5");
  RegKeyWriteString(key_, u"comma", u"12,5");
  RegKeyWriteString(key_, u"empty", u"");
  RegKeyWriteInteger(key_, u"dword", 3);
  for (DWORD platform : kPlatforms) {
    PlatformGuard guard(platform);
    EXPECT_DOUBLE_EQ(RegKeyReadFloat(key_, u"point", 1.0), 12.5);
    EXPECT_DOUBLE_EQ(RegKeyReadFloat(key_, u"comma", 1.0), 1.0);
    EXPECT_DOUBLE_EQ(RegKeyReadFloat(key_, u"empty", 1.0), 1.0);
    EXPECT_DOUBLE_EQ(RegKeyReadFloat(key_, u"dword", 1.0), 1.0);
    EXPECT_DOUBLE_EQ(RegKeyReadFloat(key_, u"missing", 1.0), 1.0);
  }
}

TEST_F(RegistryTest, EnumerationGoesPastTheUnnamedValue) {
  RegKeyWriteString(key_, u"", u"default");
  RegKeyWriteString(key_, u"Первое", u"1");
  RegKeyWriteInteger(key_, u"Второе", 2);
  const std::u16string longName(300, u'Ж');  // beyond the usual 261-character buffer
  RegKeyWriteInteger(key_, longName, 3);
  for (const char16_t* sub : {u"Подраздел А", u"Подраздел Б"}) {
    TRegKey created;
    ASSERT_TRUE(RegCreatePath(key_, sub, created));
  }
  for (DWORD platform : kPlatforms) {
    PlatformGuard guard(platform);
    std::set<std::u16string> values;
    int32_t index = 0;
    DWORD type = 0;
    std::u16string name;
    while (RegKeyNextValue(key_, index, type, name)) values.insert(name);
    EXPECT_EQ(values, (std::set<std::u16string>{u"", u"Первое", u"Второе", longName})) << platform;
    EXPECT_EQ(index, 5);  // four entries, then the call that found none
    EXPECT_TRUE(name.empty());

    std::set<std::u16string> subkeys;
    index = 0;
    while (RegKeyNextSubKey(key_, index, name)) subkeys.insert(name);
    EXPECT_EQ(subkeys, (std::set<std::u16string>{u"Подраздел А", u"Подраздел Б"})) << platform;
    EXPECT_EQ(index, 3);
    index = -1;
    EXPECT_FALSE(RegKeyNextSubKey(key_, index, name));
    EXPECT_EQ(index, 0);
  }
}

TEST_F(RegistryTest, ListSubKeysAppendsAndAnswersWhetherItAdded) {
  const std::u16string parent = kTestRoot + u"\\Список";
  for (DWORD platform : kPlatforms) {
    PlatformGuard guard(platform);
    TWideStringArray list;
    list.Add(u"прежний");
    EXPECT_FALSE(RegListSubKeys(HKEY_CURRENT_USER, parent, list));  // no such key
    TRegKey created;
    ASSERT_TRUE(RegCreatePath(HKEY_CURRENT_USER, parent, created));
    EXPECT_FALSE(RegListSubKeys(HKEY_CURRENT_USER, parent, list));  // no subkeys
    EXPECT_EQ(list.Count(), 1);
    ASSERT_TRUE(RegCreatePath(HKEY_CURRENT_USER, parent + u"\\Принтер 1", created));
    ASSERT_TRUE(RegCreatePath(HKEY_CURRENT_USER, parent + u"\\Принтер 2", created));
    created.Reset();
    EXPECT_TRUE(RegListSubKeys(HKEY_CURRENT_USER, parent, list));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(0), u"прежний");
    EXPECT_EQ(list.Get(1), u"Принтер 1");
    EXPECT_EQ(list.Get(2), u"Принтер 2");
    RegDeleteTreeW(HKEY_CURRENT_USER, WStr(parent));
  }
}

TEST_F(RegistryTest, RemovalNeverCreatesAndReportsTheSystemCode) {
  for (DWORD platform : kPlatforms) {
    PlatformGuard guard(platform);
    const std::u16string parent = kTestRoot + u"\\Нет такого";
    RegRemoveSubKey(HKEY_CURRENT_USER, parent, u"дочерний");
    TRegKey probe;
    EXPECT_FALSE(RegOpenPath(HKEY_CURRENT_USER, parent, probe)) << platform;

    const std::u16string owner = kTestRoot + u"\\Владелец";
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, owner + u"\\Дочерний", u"v", u"1"));
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, owner, u"Значение", u"1"));
    RegRemoveValue(HKEY_CURRENT_USER, owner, u"Значение");
    std::u16string out;
    EXPECT_FALSE(RegReadString(HKEY_CURRENT_USER, owner, u"Значение", out, u"нет"));
    EXPECT_EQ(out, u"нет");
    RegRemoveSubKey(HKEY_CURRENT_USER, owner, u"Дочерний");
    EXPECT_FALSE(RegOpenPath(HKEY_CURRENT_USER, owner + u"\\Дочерний", probe));
    EXPECT_EQ(RegRemoveKey(HKEY_CURRENT_USER, owner), 0);
    EXPECT_EQ(RegRemoveKey(HKEY_CURRENT_USER, owner), ERROR_FILE_NOT_FOUND);
  }
}

TEST_F(RegistryTest, PathReadersGiveTheDefaultForAMissingKey) {
  const std::u16string missing = kTestRoot + u"\\Отсутствует";
  std::u16string wide = u"x";
  std::string narrow = "x";
  std::vector<uint8_t> bytes = {1};
  EXPECT_FALSE(RegReadString(HKEY_CURRENT_USER, missing, u"v", wide, u"умолчание"));
  EXPECT_EQ(wide, u"умолчание");
  EXPECT_FALSE(RegReadStringA(HKEY_CURRENT_USER, missing, u"v", narrow, "d"));
  EXPECT_EQ(narrow, "d");
  EXPECT_FALSE(RegReadBinaryStr(HKEY_CURRENT_USER, missing, u"v", narrow, "b"));
  EXPECT_EQ(narrow, "b");
  EXPECT_FALSE(RegReadBytes(HKEY_CURRENT_USER, missing, u"v", bytes, {7, 8}));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{7, 8}));
  EXPECT_EQ(RegReadIntegerW(HKEY_CURRENT_USER, missing, u"v", 42), 42);
  TRegKey probe;
  EXPECT_FALSE(RegOpenPath(HKEY_CURRENT_USER, missing, probe));  // readers create nothing
}

namespace {
// The boxes the warning shows, answered without showing them.
class RecordedBoxes {
 public:
  RecordedBoxes() {
    SetMessageBoxHook([this](const TMessageBoxRequest& request) {
      boxes_.push_back(request);
      return IDOK;
    });
  }
  ~RecordedBoxes() { SetMessageBoxHook(nullptr); }
  std::vector<TMessageBoxRequest>& Boxes() { return boxes_; }

 private:
  std::vector<TMessageBoxRequest> boxes_;
};

bool EndsWith(const std::u16string& text, std::u16string_view tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A machine key that everyone, administrators included, may only read; its owner can still reset it.
void LockKey(const std::u16string& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, WStr(path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  BYTE aclBuf[256];
  auto* acl = reinterpret_cast<PACL>(aclBuf);
  InitializeAcl(acl, sizeof aclBuf, ACL_REVISION);
  AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone);
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd), ERROR_SUCCESS);
  RegCloseKey(key);
  FreeSid(everyone);
}

void RemoveLockedKey(const std::u16string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WStr(path), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);  // no DACL: anyone
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    RegCloseKey(key);
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(path));
}
}  // namespace

TEST(MachineKey, WritableKeyIsCreatedAndLockedKeyWarns) {
  const std::u16string base = u"Software\\ClientTests\\registry";
  const std::u16string fresh = base + u"\\Новый";
  const std::u16string locked = base + u"\\Закрытый";
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(fresh));
  RemoveLockedKey(locked);
  RecordedBoxes recorded;
  for (DWORD platform : kPlatforms) {
    PlatformGuard guard(platform);
    EXPECT_FALSE(IsMachineKeyReadOnly(fresh)) << platform;
    TRegKey probe;
    EXPECT_TRUE(RegOpenPath(HKEY_LOCAL_MACHINE, fresh, probe));  // the test created it
    probe.Reset();
    EXPECT_FALSE(WarnIfMachineKeyReadOnly(fresh));
    EXPECT_TRUE(recorded.Boxes().empty());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(fresh));
  }

  LockKey(locked);
  for (DWORD platform : kPlatforms) {
    PlatformGuard guard(platform);
    EXPECT_TRUE(IsMachineKeyReadOnly(locked)) << platform;
    TRegKey reader;
    EXPECT_TRUE(RegOpenPath(HKEY_LOCAL_MACHINE, locked, reader));  // reading still works
    recorded.Boxes().clear();
    EXPECT_TRUE(WarnIfMachineKeyReadOnly(locked));
    ASSERT_EQ(recorded.Boxes().size(), 1u);
    const TMessageBoxRequest& box = recorded.Boxes()[0];
    EXPECT_TRUE(EndsWith(box.Text, u"Настройки не могут быть сохранены.\r\nОбратитесь к администратору."));
    EXPECT_TRUE(EndsWith(box.Caption, u"Внимание!"));
    EXPECT_EQ(box.Flags & 0xFF, 48u);  // warning icon, OK button
  }
  RemoveLockedKey(locked);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(base));
}
