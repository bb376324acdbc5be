// Fuzz target: the context store's values and context file as another process left them, and the
// write path with a new context taken from page text. Input: the "Id" text up to the first byte 0x00,
// the bytes of the context file up to the next byte 0x00 (when there is one), then the new context:
// its name, byte 0x01, its value (code page 1251).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "coding/cl_macrolib_context.h"
#include "foundation/lib_codepage.h"

namespace {
class TFuzzHost : public TContextHost {
 public:
  std::u16string ReadValue(std::u16string_view, std::u16string_view name, std::u16string_view def) override {
    const auto it = values.find(std::u16string(name));
    return it == values.end() ? std::u16string(def) : it->second;
  }
  void WriteValue(std::u16string_view, std::u16string_view name, std::u16string_view value) override {
    values[std::u16string(name)] = std::u16string(value);
  }
  std::u16string StoreDir() const override { return u"C:\\T\\"; }
  std::u16string MakeContextFile() override { return u"C:\\T\\00000001.TMP"; }
  std::optional<std::string> ReadFileBytes(const std::u16string&) override { return file; }
  bool WriteFileBytes(const std::u16string&, std::string_view bytes) override {
    file = std::string(bytes);
    return true;
  }
  void DeleteFileByName(const std::u16string&) override {}
  void ShowError(std::u16string_view) override {}
  void Lock() override {}
  void Unlock() override {}
  std::string ToAnsi(std::u16string_view text) const override { return EncodeCodePage(text, kCodePage1251); }
  std::u16string FromAnsi(std::string_view text) const override { return DecodeCodePage(text, kCodePage1251); }

  std::map<std::u16string, std::u16string> values;
  std::string file;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\0');
  const std::string id = input.substr(0, cut);
  TFuzzHost host;
  host.values[u"Id"] = DecodeCodePage(id, kCodePage1251);
  host.values[u"Context"] = u"C:\\T\\0000ABCD.TMP";
  const std::string rest = cut == std::string::npos ? std::string() : input.substr(cut + 1);
  const size_t second = rest.find('\0');
  host.file = rest.substr(0, second);
  IsContextFileName(DecodeCodePage(id, kCodePage1251), u"C:\\T\\");
  {
    TContext context(host, u".Default");
    context.SetPage(2);
    context.NewContext = context.Context;
  }
  if (second == std::string::npos) return 0;
  // A new context from the page: written when the call ends, then read back by the next call.
  std::string fresh = rest.substr(second + 1);
  std::replace(fresh.begin(), fresh.end(), '\x01', '\0');
  {
    TContext context(host, u".Default");
    context.SetPage(1);
    context.NewContext = DecodeCodePage(fresh, kCodePage1251);
    context.UpdatePageCount();
    context.Commit();
  }
  TContext again(host, u".Default");
  again.SetPage(2);
  return 0;
}
