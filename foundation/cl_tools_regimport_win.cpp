// Registry export files and key trees written through the registry layer.
#include "foundation/cl_tools_regimport_win.h"

#include "foundation/cl_tools_regimport.h"
#include "foundation/lib_file_reader_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_security_win.h"
#include "foundation/lib_str.h"
#include "foundation/lib_str_lists.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

namespace {
// The registry nests keys 512 levels deep at most; deeper means a loop through links.
constexpr int kMaxKeyDepth = 512;

// A file with problems writes nothing: a step after a damaged line may land in the wrong key.
bool ApplyRegFile(const TRegFile& file, HKEY root) {
  if (!file.Importable()) return false;
  bool ok = true;
  TRegKey key;
  std::u16string keyPath;
  for (const TRegFileOp& op : file.Ops) {
    switch (op.Kind) {
      case TRegFileOpKind::OpenKey:
        key.Reset();
        if (!RegCreatePath(root, op.Path, key)) return false;
        keyPath = op.Path;
        break;
      case TRegFileOpKind::DeleteKey:
        key.Reset();
        if (!RemoveRegistryTree(root, op.Path)) ok = false;
        break;
      case TRegFileOpKind::SetString:
        if (!key || !RegKeyWriteString(key.Get(), op.Name, op.Text)) return false;
        break;
      case TRegFileOpKind::SetDword:
        if (!key || !RegKeyWriteInteger(key.Get(), op.Name, static_cast<int32_t>(op.Dword))) return false;
        break;
      case TRegFileOpKind::SetBinary:
        if (!key || !RegKeyWriteBinaryStr(key.Get(), op.Name, op.Bytes)) return false;
        break;
      case TRegFileOpKind::DeleteValue:
        if (key) RegRemoveValue(root, keyPath, op.Name);
        break;
    }
  }
  return ok;
}

class TDirIncludeHost : public TIncludeImportHost {
 public:
  TDirIncludeHost(std::u16string dir, bool deleteAfter, HKEY root)
      : dir_(std::move(dir)), deleteAfter_(deleteAfter), root_(root) {}
  std::vector<std::u16string> FindFiles(std::u16string_view mask) override {
    return FindIncludeFileList(dir_, std::u16string(mask));
  }
  bool Exists(std::u16string_view name) override { return FilePresent(dir_ + std::u16string(name)); }
  bool Import(std::u16string_view name) override {
    return ImportRegFile(dir_ + std::u16string(name), deleteAfter_, root_);
  }

 private:
  std::u16string dir_;
  bool deleteAfter_;
  HKEY root_;
};

std::u16string ComparableKeyPath(std::u16string_view path) {
  while (!path.empty() && path.front() == u'\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  return LowerCaseW(path);
}

bool KeyPathWithin(const std::u16string& inner, const std::u16string& outer) {
  return inner == outer || outer.empty() ||
         (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 && inner[outer.size()] == u'\\');
}

// Type and data exactly as read: the read and the write take the same (W or A) side.
bool SetRawValue(HKEY key, const std::u16string& name, DWORD type, const std::vector<uint8_t>& data) {
  const DWORD size = static_cast<DWORD>(data.size());
  const LONG rc = UseWideApi() ? RegSetValueExW(key, WStr(name), 0, type, data.data(), size)
                               : RegSetValueExA(key, WideToAnsi(name).c_str(), 0, type, data.data(), size);
  return rc == ERROR_SUCCESS;
}

bool CopyKeyLevel(HKEY source, HKEY target, int depth) {
  if (depth >= kMaxKeyDepth) return false;
  for (const std::u16string& sub : RegKeySubKeyNames(source)) {
    TRegKey from;
    TRegKey to;
    if (!RegOpenPath(source, sub, from) || !RegCreatePath(target, sub, to)) return false;
    if (!CopyKeyLevel(from.Get(), to.Get(), depth + 1)) return false;
  }
  std::u16string name;
  DWORD type = 0;
  for (int32_t index = 0; RegKeyNextValue(source, index, type, name);) {
    std::vector<uint8_t> data;
    if (!RegKeyQueryBytes(source, name, data) || !SetRawValue(target, name, type, data)) return false;
  }
  return true;
}

bool RemoveTreeLevel(HKEY root, const std::u16string& path, int depth) {
  if (depth >= kMaxKeyDepth) return false;
  TWideStringArray subKeys;
  RegListSubKeys(root, path, subKeys);
  for (int32_t i = 0; i < subKeys.Count(); ++i) RemoveTreeLevel(root, path + u"\\" + subKeys.Get(i), depth + 1);
  const LONG rc = RegRemoveKey(root, path);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}
}  // namespace

bool ImportRegFile(const std::u16string& file, bool deleteAfter, HKEY root) {
  TMappedFile mapped;
  if (!mapped.Open(file, false)) return false;
  const TRegFile parsed = ParseRegFile(mapped.Bytes(), &AnsiToWide);
  const bool ok = ApplyRegFile(parsed, root);
  mapped.Close();
  if (deleteAfter) DeleteFileIfExists(file);
  return ok;
}

bool ImportConfigFiles(const std::u16string& file, const std::u16string& keyPath, const std::u16string& valueName,
                       bool deleteAfter, HKEY root) {
  bool ok = ImportRegFile(file, deleteAfter, root);
  if (ok) {
    std::u16string includes;
    RegReadString(root, keyPath, valueName, includes, u"");
    TDirIncludeHost host(ExtractFilePathW(file), deleteAfter, root);
    ok = ImportIncludeList(includes, ExtractFileNameW(file), host);
  }
  OpenRegistryTreeToEveryone(root, keyPath);
  return ok;
}

std::vector<std::u16string> FindIncludeFileList(const std::u16string& dir, const std::u16string& mask) {
  std::vector<std::u16string> names;
  TSearchRecW rec;
  for (DWORD rc = FindFirstW(IncludeTrailingPathDelimiterW(dir) + mask, faAnyFile, rec); rc == 0;
       rc = FindNextW(rec)) {
    // The system also matches masks against short names ("*.reg" finds "a.regold"): match again.
    if (!(rec.Attr & faDirectory) && MatchesIncludeMask(rec.Name, mask)) names.push_back(rec.Name);
  }
  FindCloseW(rec);
  return names;
}

void FindIncludeFiles(const std::u16string& dir, const std::u16string& mask, std::u16string& list) {
  list.clear();
  for (const std::u16string& name : FindIncludeFileList(dir, mask)) AppendWithSeparatorW(u",", name, list);
}

bool CopyRegistryKey(HKEY root, const std::u16string& source, const std::u16string& target, bool deleteSource) {
  const std::u16string from = ComparableKeyPath(source);
  const std::u16string to = ComparableKeyPath(target);
  if (KeyPathWithin(to, from) || KeyPathWithin(from, to)) return false;
  TRegKey sourceKey;
  TRegKey targetKey;
  if (!RegOpenPath(root, source, sourceKey) || !RegCreatePath(root, target, targetKey)) return false;
  const bool copied = CopyKeyLevel(sourceKey.Get(), targetKey.Get(), 0);
  sourceKey.Reset();
  targetKey.Reset();
  OpenRegistryTreeToEveryone(root, target);
  if (!copied) return false;
  return !deleteSource || RemoveRegistryTree(root, source);
}

bool RemoveRegistryTree(HKEY root, const std::u16string& path) {
  if (ComparableKeyPath(path).empty()) return false;
  return RemoveTreeLevel(root, path, 0);
}
