// Registry values, keys and enumeration through the W calls on the NT family and the A calls elsewhere.
#include "foundation/lib_reg_win.h"

#include <algorithm>
#include <cstring>

#include "foundation/lib_api_win.h"
#include "foundation/lib_reg.h"
#include "foundation/lib_unicode_win.h"

namespace {
// A value's type and data; the size is asked first and asked again while another writer grows the value.
bool QueryRaw(HKEY key, const std::u16string& name, bool ansi, DWORD& type, std::vector<uint8_t>& data) {
  const std::string ansiName = ansi ? WideToAnsi(name) : std::string();
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD size = 0;
    LONG rc = ansi ? RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, nullptr, &size)
                   : RegQueryValueExW(key, WStr(name), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return false;
    data.assign(size, 0);
    if (size == 0) return true;
    rc = ansi ? RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, data.data(), &size)
              : RegQueryValueExW(key, WStr(name), nullptr, &type, data.data(), &size);
    if (rc == ERROR_SUCCESS) {
      data.resize(size);
      return true;
    }
    if (rc != ERROR_MORE_DATA) return false;
  }
  return false;
}

bool QueryRaw(HKEY key, const std::u16string& name, DWORD& type, std::vector<uint8_t>& data) {
  return QueryRaw(key, name, !UseWideApi(), type, data);
}

bool SetRaw(HKEY key, const std::u16string& name, bool ansi, DWORD type, const void* data, size_t size) {
  const auto* bytes = static_cast<const BYTE*>(data);
  const DWORD n = static_cast<DWORD>(size);
  const LONG rc = ansi ? RegSetValueExA(key, WideToAnsi(name).c_str(), 0, type, bytes, n)
                       : RegSetValueExW(key, WStr(name), 0, type, bytes, n);
  return rc == ERROR_SUCCESS;
}

bool SetRaw(HKEY key, const std::u16string& name, DWORD type, const void* data, size_t size) {
  return SetRaw(key, name, !UseWideApi(), type, data, size);
}

std::span<const uint8_t> AsBytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// The path routines open with the right access, call one routine on the key and close it.
// The enumerators step the caller's index whatever the call answers; a negative index has no entry.
bool AdvanceIndex(int32_t& index) {
  const int32_t at = index;
  if (at < INT32_MAX) index = at + 1;
  return at >= 0;
}

template <typename Fn>
bool WithOpenKey(HKEY root, const std::u16string& path, Fn fn) {
  TRegKey key;
  if (!RegOpenPath(root, path, key)) return false;
  return fn(key.Get());
}

template <typename Fn>
bool WithCreatedKey(HKEY root, const std::u16string& path, Fn fn) {
  TRegKey key;
  if (!RegCreatePath(root, path, key)) return false;
  return fn(key.Get());
}
}  // namespace

bool RegKeyWriteString(HKEY key, const std::u16string& name, const std::u16string& value) {
  if (UseWideApi()) return SetRaw(key, name, false, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(char16_t));
  const std::string text = WideToAnsi(value);
  return SetRaw(key, name, true, REG_SZ, text.c_str(), text.size() + 1);
}

bool RegKeyWriteStringA(HKEY key, const std::u16string& name, const std::string& value) {
  return SetRaw(key, name, true, REG_SZ, value.c_str(), value.size() + 1);
}

bool RegKeyWriteBinaryStr(HKEY key, const std::u16string& name, const std::string& bytes) {
  return SetRaw(key, name, REG_BINARY, bytes.data(), bytes.size());
}

bool RegKeyWriteBytes(HKEY key, const std::u16string& name, std::span<const uint8_t> bytes) {
  return SetRaw(key, name, REG_BINARY, bytes.data(), bytes.size());
}

bool RegKeyWriteInteger(HKEY key, const std::u16string& name, int32_t value) {
  return SetRaw(key, name, REG_DWORD, &value, sizeof value);
}

bool RegKeyReadString(HKEY key, const std::u16string& name, const std::u16string& def, std::u16string& out) {
  out = def;
  const bool ansi = !UseWideApi();
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!QueryRaw(key, name, ansi, type, data) || !IsRegTextType(type)) return false;
  out = ansi ? AnsiToWide(RegTextFromAnsiData(data)) : RegTextFromWideData(data);
  return true;
}

bool RegKeyReadStringA(HKEY key, const std::u16string& name, const std::string& def, std::string& out) {
  out = def;
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!QueryRaw(key, name, true, type, data) || !IsRegTextType(type)) return false;
  out = RegTextFromAnsiData(data);
  return true;
}

bool RegKeyReadBinaryStr(HKEY key, const std::u16string& name, const std::string& def, std::string& out) {
  out = def;
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!QueryRaw(key, name, type, data)) return false;
  out.assign(reinterpret_cast<const char*>(data.data()), data.size());
  return true;
}

bool RegKeyReadBytes(HKEY key, const std::u16string& name, const std::vector<uint8_t>& def,
                     std::vector<uint8_t>& out) {
  out = def;
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!QueryRaw(key, name, type, data)) return false;
  out = std::move(data);
  return true;
}

int32_t RegKeyReadInteger(HKEY key, const std::u16string& name, int32_t def) {
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!QueryRaw(key, name, type, data)) return def;
  return RegIntegerFromData(type, data).value_or(def);
}

double RegKeyReadFloat(HKEY key, const std::u16string& name, double def) {
  std::string text;
  RegKeyReadStringA(key, name, std::string(), text);
  double value = 0;
  return !text.empty() && TryParseRegFloat(text, value) ? value : def;
}

bool RegKeyQueryString(HKEY key, const std::u16string& name, std::u16string& out) {
  const bool ansi = !UseWideApi();
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!QueryRaw(key, name, ansi, type, data)) return false;
  if (ansi) {
    out = AnsiToWide(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
  } else {
    out.assign(data.size() / 2, u'\0');
    if (!out.empty()) std::memcpy(out.data(), data.data(), out.size() * sizeof(char16_t));
  }
  return true;
}

bool RegKeyQueryStringA(HKEY key, const std::u16string& name, std::string& out) {
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!QueryRaw(key, name, true, type, data)) return false;
  out.assign(reinterpret_cast<const char*>(data.data()), data.size());
  return true;
}

bool RegKeyQueryBytes(HKEY key, const std::u16string& name, std::vector<uint8_t>& out) {
  DWORD type = 0;
  return QueryRaw(key, name, type, out);
}

bool RegKeyNextSubKey(HKEY key, int32_t& index, std::u16string& name) {
  name.clear();
  const DWORD at = static_cast<DWORD>(index);
  if (!AdvanceIndex(index)) return false;
  // Key names have at most 255 characters.
  if (UseWideApi()) {
    wchar_t buf[260];
    if (RegEnumKeyW(key, at, buf, 260) != ERROR_SUCCESS) return false;
    buf[259] = 0;
    name = FromWStr(buf);
  } else {
    char buf[260];
    if (RegEnumKeyA(key, at, buf, 260) != ERROR_SUCCESS) return false;
    buf[259] = 0;
    name = AnsiToWide(buf);
  }
  return true;
}

std::vector<std::u16string> RegKeySubKeyNames(HKEY key) {
  std::vector<std::u16string> names;
  std::u16string name;
  for (int32_t index = 0; RegKeyNextSubKey(key, index, name);) names.push_back(name);
  return names;
}

bool RegKeyNextValue(HKEY key, int32_t& index, DWORD& type, std::u16string& name) {
  name.clear();
  type = REG_NONE;
  const DWORD at = static_cast<DWORD>(index);
  if (!AdvanceIndex(index)) return false;
  // Value names may reach 16383 characters: the usual buffer first, a full-size one when it is too small.
  for (DWORD capacity : {DWORD(261), DWORD(16384)}) {
    DWORD len = capacity;
    LONG rc;
    if (UseWideApi()) {
      std::vector<wchar_t> buf(capacity + 1, 0);
      rc = RegEnumValueW(key, at, buf.data(), &len, nullptr, &type, nullptr, nullptr);
      if (rc == ERROR_SUCCESS) name = FromWStr(buf.data(), std::min<DWORD>(len, capacity));
    } else {
      std::vector<char> buf(capacity + 1, 0);
      rc = RegEnumValueA(key, at, buf.data(), &len, nullptr, &type, nullptr, nullptr);
      if (rc == ERROR_SUCCESS) name = AnsiToWide(std::string_view(buf.data(), std::min<DWORD>(len, capacity)));
    }
    if (rc == ERROR_SUCCESS) return true;
    if (rc != ERROR_MORE_DATA) return false;
  }
  return false;
}

bool RegOpenPath(HKEY root, const std::u16string& path, TRegKey& key) {
  const LONG rc = UseWideApi() ? RegOpenKeyW(root, WStr(path), key.Receive())
                               : RegOpenKeyA(root, WideToAnsi(path).c_str(), key.Receive());
  if (rc != ERROR_SUCCESS) key.Release();  // the out-parameter holds nothing to close
  return rc == ERROR_SUCCESS;
}

bool RegCreatePath(HKEY root, const std::u16string& path, TRegKey& key) {
  HKEY* out = key.Receive();
  const LONG rc = UseWideApi() ? RegCreateKeyExW(root, WStr(path), 0, nullptr, 0, kRegWriteAccess, nullptr, out, nullptr)
                               : RegCreateKeyExA(root, WideToAnsi(path).c_str(), 0, nullptr, 0, kRegWriteAccess,
                                                 nullptr, out, nullptr);
  if (rc != ERROR_SUCCESS) key.Release();  // the out-parameter holds nothing to close
  return rc == ERROR_SUCCESS;
}

int32_t RegReadInteger(HKEY root, const std::string& path, const std::string& name, int32_t def) {
  return RegReadIntegerW(root, AnsiToWide(path), AnsiToWide(name), def);
}

int32_t RegReadIntegerW(HKEY root, const std::u16string& path, const std::u16string& name, int32_t def) {
  int32_t value = def;
  WithOpenKey(root, path, [&](HKEY key) {
    value = RegKeyReadInteger(key, name, def);
    return true;
  });
  return value;
}

bool RegWriteInteger(HKEY root, const std::string& path, const std::string& name, int32_t value) {
  return RegWriteIntegerW(root, AnsiToWide(path), AnsiToWide(name), value);
}

bool RegWriteIntegerW(HKEY root, const std::u16string& path, const std::u16string& name, int32_t value) {
  return WithCreatedKey(root, path, [&](HKEY key) { return RegKeyWriteInteger(key, name, value); });
}

bool RegReadString(HKEY root, const std::u16string& path, const std::u16string& name, std::u16string& out,
                   const std::u16string& def) {
  out = def;
  return WithOpenKey(root, path, [&](HKEY key) { return RegKeyReadString(key, name, def, out); });
}

bool RegReadStringA(HKEY root, const std::u16string& path, const std::u16string& name, std::string& out,
                    const std::string& def) {
  out = def;
  return WithOpenKey(root, path, [&](HKEY key) { return RegKeyReadStringA(key, name, def, out); });
}

bool RegWriteString(HKEY root, const std::u16string& path, const std::u16string& name, const std::u16string& value) {
  return WithCreatedKey(root, path, [&](HKEY key) { return RegKeyWriteString(key, name, value); });
}

bool RegWriteStringA(HKEY root, const std::u16string& path, const std::u16string& name, const std::string& value) {
  return WithCreatedKey(root, path, [&](HKEY key) { return RegKeyWriteStringA(key, name, value); });
}

bool RegReadBinaryStr(HKEY root, const std::u16string& path, const std::u16string& name, std::string& out,
                      const std::string& def) {
  out = def;
  return WithOpenKey(root, path, [&](HKEY key) { return RegKeyReadBinaryStr(key, name, def, out); });
}

bool RegReadBytes(HKEY root, const std::u16string& path, const std::u16string& name, std::vector<uint8_t>& out,
                  const std::vector<uint8_t>& def) {
  out = def;
  return WithOpenKey(root, path, [&](HKEY key) { return RegKeyReadBytes(key, name, def, out); });
}

bool RegWriteBinaryStr(HKEY root, const std::u16string& path, const std::u16string& name, const std::string& bytes) {
  return RegWriteBytes(root, path, name, AsBytes(bytes));
}

bool RegWriteBytes(HKEY root, const std::u16string& path, const std::u16string& name,
                   std::span<const uint8_t> bytes) {
  return WithCreatedKey(root, path, [&](HKEY key) { return RegKeyWriteBytes(key, name, bytes); });
}

void RegRemoveValue(HKEY root, const std::u16string& path, const std::u16string& name) {
  WithOpenKey(root, path, [&](HKEY key) {
    return (UseWideApi() ? RegDeleteValueW(key, WStr(name)) : RegDeleteValueA(key, WideToAnsi(name).c_str())) ==
           ERROR_SUCCESS;
  });
}

void RegRemoveSubKey(HKEY root, const std::u16string& parentPath, const std::u16string& subKey) {
  // Opened, not created: removing a subkey must not leave its parent behind where there was none.
  WithOpenKey(root, parentPath, [&](HKEY key) {
    return (UseWideApi() ? RegDeleteKeyW(key, WStr(subKey)) : RegDeleteKeyA(key, WideToAnsi(subKey).c_str())) ==
           ERROR_SUCCESS;
  });
}

LONG RegRemoveKey(HKEY root, const std::u16string& path) {
  return UseWideApi() ? RegDeleteKeyW(root, WStr(path)) : RegDeleteKeyA(root, WideToAnsi(path).c_str());
}

bool RegListSubKeys(HKEY root, const std::u16string& path, TWideStringArray& list) {
  bool added = false;
  WithOpenKey(root, path, [&](HKEY key) {
    for (DWORD index = 0;; ++index) {
      LONG rc;
      if (UseWideApi()) {
        wchar_t name[260];
        wchar_t cls[260];
        DWORD nameLen = 260;
        DWORD clsLen = 260;
        rc = RegEnumKeyExW(key, index, name, &nameLen, nullptr, cls, &clsLen, nullptr);
        if (rc == ERROR_SUCCESS) list.Add(FromWStr(name, std::min<DWORD>(nameLen, 259)));
      } else {
        char name[260];
        char cls[260];
        DWORD nameLen = 260;
        DWORD clsLen = 260;
        rc = RegEnumKeyExA(key, index, name, &nameLen, nullptr, cls, &clsLen, nullptr);
        if (rc == ERROR_SUCCESS) list.Add(AnsiToWide(std::string_view(name, std::min<DWORD>(nameLen, 259))));
      }
      if (rc != ERROR_SUCCESS) return true;
      added = true;
    }
  });
  return added;
}

bool IsMachineKeyReadOnly(const std::u16string& path) {
  TRegKey key;
  return !RegCreatePath(HKEY_LOCAL_MACHINE, path, key);
}

bool WarnIfMachineKeyReadOnly(const std::u16string& path) {
  if (!IsMachineKeyReadOnly(path)) return false;
  MsgBox(u"Настройки не могут быть сохранены.\r\nОбратитесь к администратору.", u"Внимание!",
         MB_ICONWARNING | MB_OK);
  return true;
}
