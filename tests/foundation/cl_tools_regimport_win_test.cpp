// Registry export files imported into Wine's registry (both formats, an "Include" list, deletions,
// malformed files) and key trees copied and removed, under HKCU\Software\ClientTests\config-import.
#include "foundation/cl_tools_regimport_win.h"

#include <gtest/gtest.h>

#include <aclapi.h>

#include <cstring>

#include "foundation/lib_reg_win.h"
#include "support/regimport_fixtures.h"

namespace {
const std::u16string kImportTestKey = ImportTestKey(u"regimport");
const std::u16string kImportTestSection = ImportTestSection(u"regimport");
const std::u16string kConfig = kImportTestKey + u"\\Config";

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> list) { return list; }
}  // namespace

TEST(RegImport, ConfigWithIncludeListReadBack) {
  TTestKey testKey(kImportTestKey);
  TScratchDir dir(u"cfgimport");
  // Stale state the import must change: a key the file deletes (with a subkey of its own) under a key it keeps.
  RegWriteString(HKEY_CURRENT_USER, kConfig + u"\\A\\B\\Deep", u"x", u"old");
  RegWriteString(HKEY_CURRENT_USER, kConfig, u"Gone", u"old");
  const std::u16string section = kImportTestSection + u"\\Config";
  ASSERT_TRUE(WriteRegFileAnsi(dir.File(u"Config.reg"),
                               u"REGEDIT4\r\n\r\n[" + section + u"]\r\n"
                               u"\"Version\"=\"4.01.23\"\r\n"
                               u"\"Include\"=\"Extra.reg,*.inc.reg,Missing.reg\"\r\n"
                               u"\"LogFile\"=\"C:\\\\Tevoran\\\\Журнал.log\"\r\n"
                               u"\"TimeOut\"=dword:000007d0\r\n"
                               u"\"Gone\"=-\r\n"
                               u"\"Multi\"=hex(7):41,00,00,00,\\\r\n  00,00\r\n"
                               u"[-" + section + u"\\A\\B]\r\n"
                               u"[HKEY_CURRENT_USER\\Software\\ClientTests\\config-import\\Skipped]\r\n"
                               u"\"x\"=\"1\"\r\n"));
  ASSERT_TRUE(WriteRegFileUtf16(dir.File(u"Extra.reg"),
                                u"Windows Registry Editor Version 5.00\r\n\r\n[" + section + u"\\Документ]\r\n"
                                u"\"Название\"=\"Счёт Ω\"\r\n"));
  ASSERT_TRUE(WriteRegFileAnsi(dir.File(u"Part.inc.reg"),
                               u"REGEDIT4\r\n[" + section + u"]\r\n\"FromMask\"=dword:1\r\n"));
  // A directory that matches the mask is no file to import.
  ASSERT_TRUE(CreateDirectoryW(WStr(dir.File(u"Dir.inc.reg")), nullptr));

  ASSERT_TRUE(ImportConfigFiles(dir.File(u"Config.reg"), kConfig, u"Include", false, HKEY_CURRENT_USER));

  std::u16string text;
  EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, kConfig, u"Version", text, u""));
  EXPECT_EQ(text, u"4.01.23");
  EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, kConfig, u"LogFile", text, u""));
  EXPECT_EQ(text, u"C:\\Tevoran\\Журнал.log");
  EXPECT_EQ(RegReadIntegerW(HKEY_CURRENT_USER, kConfig, u"TimeOut", 0), 2000);
  EXPECT_FALSE(ReadRawValue(kConfig, u"Gone").Found);
  const TRawValue multi = ReadRawValue(kConfig, u"Multi");
  EXPECT_EQ(multi.Type, DWORD(REG_BINARY));  // whatever type the parentheses name
  EXPECT_EQ(multi.Data, Bytes({0x41, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(KeyExists(kConfig + u"\\A"));
  EXPECT_FALSE(KeyExists(kConfig + u"\\A\\B"));
  EXPECT_FALSE(KeyExists(kImportTestKey + u"\\Skipped"));
  // From the included files: the UTF-16 one keeps a letter the ANSI code page lacks.
  EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, kConfig + u"\\Документ", u"Название", text, u""));
  EXPECT_EQ(text, u"Счёт Ω");
  EXPECT_EQ(RegReadIntegerW(HKEY_CURRENT_USER, kConfig, u"FromMask", 0), 1);
  // The files stay unless deletion is asked.
  EXPECT_NE(ReadFixture(dir.File(u"Config.reg")), "<missing>");
}

TEST(RegImport, NineXBranchWritesThroughTheCodePage) {
  TTestKey testKey(kImportTestKey);
  TScratchDir dir(u"cfgimport9x");
  TPlatformGuard platform(VER_PLATFORM_WIN32_WINDOWS);
  ASSERT_TRUE(WriteRegFileAnsi(dir.File(u"Config.reg"), u"REGEDIT4\r\n[" + kImportTestSection +
                                                            u"\\Config]\r\n\"Имя\"=\"Значение\"\r\n\"N\"=dword:ff\r\n"));
  ASSERT_TRUE(ImportRegFile(dir.File(u"Config.reg"), true, HKEY_CURRENT_USER));
  std::u16string text;
  EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, kConfig, u"Имя", text, u""));
  EXPECT_EQ(text, u"Значение");
  EXPECT_EQ(RegReadIntegerW(HKEY_CURRENT_USER, kConfig, u"N", 0), 255);
  EXPECT_EQ(ReadFixture(dir.File(u"Config.reg")), "<missing>");  // deleted after the import, as asked
}

TEST(RegImport, FilesThatFail) {
  TTestKey testKey(kImportTestKey);
  TScratchDir dir(u"cfgimportbad");
  const std::u16string head = u"REGEDIT4\r\n[" + kImportTestSection + u"\\Config]\r\n";
  struct Case {
    const char* why;
    std::u16string text;
    bool ok;
    bool written;  // "Good" is written
  } cases[] = {
      {"a comment before the header", u"; exported\r\n" + head + u"\"Good\"=\"1\"\r\n", false, false},
      {"blank lines only", u"\r\n   \r\n", true, false},
      {"a malformed line: nothing is written", head + u"\"Good\"=\"1\"\r\n\"Bad\"=dword:xyz\r\n", false, false},
      {"a broken continuation leaves the registry as it was",
       head + u"\"Good\"=\"1\"\r\n\"B\"=hex:01,\\\r\n[" + kImportTestSection + u"\\Config]\r\n\"Never\"=\"1\"\r\n",
       false, false},
      {"a key that cannot be created stops the import", head + u"\"Good\"=\"1\"\r\n[" + kImportTestSection +
       u"\\" + std::u16string(300, u'k') + u"]\r\n\"Never\"=\"1\"\r\n", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    testKey.Remove();
    ASSERT_TRUE(WriteRegFileAnsi(dir.File(u"case.reg"), c.text));
    EXPECT_EQ(ImportRegFile(dir.File(u"case.reg"), false, HKEY_CURRENT_USER), c.ok);
    EXPECT_EQ(ReadRawValue(kConfig, u"Good").Found, c.written);
    EXPECT_FALSE(ReadRawValue(kConfig, u"Never").Found);
  }
  EXPECT_FALSE(ImportRegFile(dir.File(u"missing.reg"), true, HKEY_CURRENT_USER));
  // The include walk does not run after a failed first file, but the answer tells.
  ASSERT_TRUE(WriteRegFileAnsi(dir.File(u"bad.reg"), u"REGEDIT5\r\n"));
  EXPECT_FALSE(ImportConfigFiles(dir.File(u"bad.reg"), kConfig, u"Include", false, HKEY_CURRENT_USER));
  // An included file that fails makes the whole import false.
  ASSERT_TRUE(WriteRegFileAnsi(dir.File(u"Config.reg"), head + u"\"Include\"=\"bad.reg\"\r\n"));
  EXPECT_FALSE(ImportConfigFiles(dir.File(u"Config.reg"), kConfig, u"Include", false, HKEY_CURRENT_USER));
}

TEST(RegImport, FindIncludeFilesMatchesWholeNames) {
  TScratchDir dir(u"cfgfind");
  for (const char16_t* name : {u"a.reg", u"b.reg", u"c.regold", u"ab.reg"}) ASSERT_TRUE(WriteFixture(dir.File(name), ""));
  ASSERT_TRUE(CreateDirectoryW(WStr(dir.File(u"d.reg")), nullptr));
  std::vector<std::u16string> all = FindIncludeFileList(dir.Path(), u"*.reg");
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (std::vector<std::u16string>{u"a.reg", u"ab.reg", u"b.reg"}));
  std::u16string list;
  FindIncludeFiles(dir.Path(), u"?.reg", list);
  EXPECT_TRUE(list == u"a.reg,b.reg" || list == u"b.reg,a.reg") << WideToAnsi(list);
  FindIncludeFiles(dir.Path(), u"none*.reg", list);
  EXPECT_EQ(list, u"");
}

namespace {
const std::u16string kSource = kImportTestKey + u"\\Source";
const std::u16string kTarget = kImportTestKey + u"\\Target";

void PutValue(const std::u16string& path, const std::u16string& name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, WStr(path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, WStr(name), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(key);
}

void FillSource() {
  const wchar_t sz[] = L"Текст";
  const wchar_t expand[] = L"%TEMP%\\x";
  const wchar_t multi[] = L"a\0bb\0";
  const DWORD dword = 0x12345678;
  const uint8_t bin[] = {0, 1, 0xFF};
  PutValue(kSource, u"", REG_SZ, sz, sizeof sz);
  PutValue(kSource, u"Sz", REG_SZ, sz, sizeof sz);
  PutValue(kSource, u"Expand", REG_EXPAND_SZ, expand, sizeof expand);
  PutValue(kSource, u"Multi", REG_MULTI_SZ, multi, sizeof multi);
  PutValue(kSource, u"Dword", REG_DWORD, &dword, sizeof dword);
  PutValue(kSource, u"Bin", REG_BINARY, bin, sizeof bin);
  PutValue(kSource + u"\\Ветка\\Лист", u"Deep", REG_DWORD, &dword, sizeof dword);
  PutValue(kSource + u"\\Empty", u"Bin0", REG_BINARY, bin, 0);
}

void ExpectSameValue(const std::u16string& relative, const std::u16string& name) {
  const TRawValue a = ReadRawValue(kSource + relative, name);
  const TRawValue b = ReadRawValue(kTarget + relative, name);
  EXPECT_TRUE(b.Found) << WideToAnsi(relative + u"\\" + name);
  EXPECT_EQ(a.Type, b.Type) << WideToAnsi(relative + u"\\" + name);
  EXPECT_EQ(a.Data, b.Data) << WideToAnsi(relative + u"\\" + name);
}

void ExpectTreeCopied() {
  for (const char16_t* name : {u"", u"Sz", u"Expand", u"Multi", u"Dword", u"Bin"}) ExpectSameValue(u"", name);
  ExpectSameValue(u"\\Ветка\\Лист", u"Deep");
  ExpectSameValue(u"\\Empty", u"Bin0");
}

// Takes all access to the key away (its owner can still give it back).
void LockKey(const std::u16string& path, bool locked) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, WStr(path), 0, WRITE_DAC, &key), ERROR_SUCCESS);
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  ACL emptyAcl;
  InitializeAcl(&emptyAcl, sizeof emptyAcl, ACL_REVISION);
  // An empty list grants nothing; no list at all grants everything.
  SetSecurityDescriptorDacl(&sd, TRUE, locked ? &emptyAcl : nullptr, FALSE);
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd), ERROR_SUCCESS);
  RegCloseKey(key);
}
}  // namespace

TEST(RegCopy, WholeTreeWithTypesInBothBranches) {
  for (const DWORD platform : {DWORD(VER_PLATFORM_WIN32_NT), DWORD(VER_PLATFORM_WIN32_WINDOWS)}) {
    SCOPED_TRACE(platform);
    TTestKey testKey(kImportTestKey);
    FillSource();
    TPlatformGuard guard(platform);
    ASSERT_TRUE(CopyRegistryKey(HKEY_CURRENT_USER, kSource, kTarget, false));
    ExpectTreeCopied();
    // A copy onto an existing target merges into it.
    EXPECT_TRUE(CopyRegistryKey(HKEY_CURRENT_USER, kSource, kTarget, false));
    ExpectTreeCopied();
  }
}

TEST(RegCopy, ValuesOnlyAndSourceDeletion) {
  TTestKey testKey(kImportTestKey);
  const DWORD one = 1;
  PutValue(kSource, u"One", REG_DWORD, &one, sizeof one);
  // A key without subkeys copies too, and the answer says so.
  EXPECT_TRUE(CopyRegistryKey(HKEY_CURRENT_USER, kSource, kTarget, true));
  EXPECT_EQ(RegReadIntegerW(HKEY_CURRENT_USER, kTarget, u"One", 0), 1);
  EXPECT_FALSE(KeyExists(kSource));
  // A missing source copies nothing and leaves no target behind.
  EXPECT_FALSE(CopyRegistryKey(HKEY_CURRENT_USER, kSource, kImportTestKey + u"\\Other", false));
  EXPECT_FALSE(KeyExists(kImportTestKey + u"\\Other"));
}

TEST(RegCopy, LoopsAreRefusedAndNothingChanges) {
  TTestKey testKey(kImportTestKey);
  FillSource();
  struct Case {
    std::u16string target;
    const char* why;
  } cases[] = {
      {kSource + u"\\Copy", "target inside the source: the copy would feed itself"},
      {kSource, "target is the source"},
      {u"\\" + kSource + u"\\", "the same key written with separators around it"},
      {kSource.substr(0, kSource.rfind(u'\\')), "source inside the target: deleting it would remove the copy"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_FALSE(CopyRegistryKey(HKEY_CURRENT_USER, kSource, c.target, true));
    EXPECT_TRUE(KeyExists(kSource + u"\\Ветка\\Лист"));
    EXPECT_FALSE(KeyExists(kSource + u"\\Copy"));
  }
  // Letters compared without case.
  EXPECT_FALSE(CopyRegistryKey(HKEY_CURRENT_USER, kSource, kSource + u"\\ВЕТКА\\x", false));
  EXPECT_FALSE(KeyExists(kSource + u"\\Ветка\\x"));
}

TEST(RegCopy, FailedCopyKeepsTheSource) {
  TTestKey testKey(kImportTestKey);
  FillSource();
  // A key of the target that cannot be opened makes the copy fail half-way.
  RegWriteIntegerW(HKEY_CURRENT_USER, kTarget + u"\\Ветка", u"x", 1);
  LockKey(kTarget + u"\\Ветка", true);
  EXPECT_FALSE(CopyRegistryKey(HKEY_CURRENT_USER, kSource, kTarget, true));
  LockKey(kTarget + u"\\Ветка", false);
  EXPECT_TRUE(KeyExists(kSource + u"\\Ветка\\Лист"));
  EXPECT_TRUE(ReadRawValue(kSource, u"Sz").Found);
}

TEST(RegRemoveTree, NestedKeysInBothBranches) {
  for (const DWORD platform : {DWORD(VER_PLATFORM_WIN32_NT), DWORD(VER_PLATFORM_WIN32_WINDOWS)}) {
    SCOPED_TRACE(platform);
    TTestKey testKey(kImportTestKey);
    FillSource();
    TPlatformGuard guard(platform);
    EXPECT_TRUE(RemoveRegistryTree(HKEY_CURRENT_USER, kSource));
    EXPECT_FALSE(KeyExists(kSource));
    EXPECT_TRUE(KeyExists(kImportTestKey));
    EXPECT_TRUE(RemoveRegistryTree(HKEY_CURRENT_USER, kSource));  // already gone
    EXPECT_FALSE(RemoveRegistryTree(HKEY_CURRENT_USER, u"\\"));   // never a root
  }
}
