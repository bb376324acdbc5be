// Tests of saving the byte buffer to a file, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "foundation/lib_str_buffers.h"

using namespace std::string_literals;

namespace {

std::u16string TempName(const std::u16string& name) {
  wchar_t dir[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, dir);
  return std::u16string(reinterpret_cast<const char16_t*>(dir)) + name;
}

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

std::string ReadAll(const std::u16string& name) {
  HANDLE file = CreateFileW(W(name), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD done = 0;
  if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(file);
  bytes.resize(done);
  return bytes;
}

}  // namespace

TEST(DataStreamFile, SavesTheBytesInUseUnderAUnicodeName) {
  const std::u16string name = TempName(u"поток_данных.bin");
  TDataStream stream(4);
  stream.Write("\x00\xFF\x01old tail"s);
  stream.SetSize(3);
  EXPECT_EQ(stream.SaveToFile(name), 3);
  EXPECT_EQ(ReadAll(name), "\x00\xFF\x01"s) << "only Size bytes, not the reserve";
  // Wine reports a normal file as archive; what matters is that it is no longer hidden or system.
  EXPECT_EQ(GetFileAttributesW(W(name)) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), 0u);

  TDataStream shorter;
  shorter.Write("x"s);
  EXPECT_EQ(shorter.SaveToFile(name), 1);
  EXPECT_EQ(ReadAll(name), "x") << "an existing file is replaced, not overwritten in place";

  TDataStream empty;
  EXPECT_EQ(empty.SaveToFile(name), 0);
  EXPECT_EQ(ReadAll(name), "");
  DeleteFileW(W(name));
}

TEST(DataStreamFile, FailuresAnswerZero) {
  TDataStream stream;
  stream.Write("abc"s);
  EXPECT_EQ(stream.SaveToFile(TempName(u"no such dir\\file.bin")), 0);
  EXPECT_EQ(stream.SaveToFile(u""), 0);
  const std::u16string cut = TempName(u"cut");
  EXPECT_EQ(stream.SaveToFile(cut + u'\0' + u"rest"), 0) << "an embedded null must not name another file";
  EXPECT_EQ(GetFileAttributesW(W(cut)), INVALID_FILE_ATTRIBUTES);
}
