// A machine key saved into a backup key, emptied for the test, and put back (or removed) at the end:
// the tests that run the program use its own configuration keys.
#pragma once

#include <windows.h>

#include <string>

#include "foundation/cl_tools_regimport_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode_win.h"

class TSavedKey {
 public:
  TSavedKey(const std::u16string& key, const std::u16string& owner)
      : key_(key), parent_(u"Software\\ClientTests\\" + owner + u"_" + FromWStr(std::to_wstring(GetCurrentProcessId()).c_str())),
        backup_(parent_ + u"\\" + key) {
    TRegKey probe;
    existed_ = RegOpenPath(HKEY_LOCAL_MACHINE, key_, probe);
    probe.Reset();
    if (existed_) CopyRegistryKey(HKEY_LOCAL_MACHINE, key_, backup_, false);
    RemoveRegistryTree(HKEY_LOCAL_MACHINE, key_);
  }
  ~TSavedKey() {
    RemoveRegistryTree(HKEY_LOCAL_MACHINE, key_);
    if (existed_) CopyRegistryKey(HKEY_LOCAL_MACHINE, backup_, key_, true);
    RemoveRegistryTree(HKEY_LOCAL_MACHINE, parent_);
  }
  TSavedKey(const TSavedKey&) = delete;
  TSavedKey& operator=(const TSavedKey&) = delete;

 private:
  std::u16string key_, parent_, backup_;
  bool existed_ = false;
};
