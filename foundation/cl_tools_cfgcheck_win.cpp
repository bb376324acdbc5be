// The configuration check on the registry, with message boxes and the import of the export files.
#include "foundation/cl_tools_cfgcheck_win.h"

#include "foundation/cl_tools_cfgcheck.h"
#include "foundation/cl_tools_cfgkey_win.h"
#include "foundation/cl_tools_regimport_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_reg_win.h"

namespace {
class TRegistryCheckHost : public TConfigCheckHost {
 public:
  explicit TRegistryCheckHost(const TConfigSite& site) : site_(site) {}
  std::string Version() override { return ReadConfigVersion(site_.Key, site_.Root); }
  bool AskRestore(std::u16string_view text) override {
    return MsgBox(text, kCaptionWarning, MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
  void ShowError(std::u16string_view text) override { ShowErrorMsg(text); }
  bool KeyWritable() override {
    if (site_.Root == HKEY_LOCAL_MACHINE) return !IsMachineKeyReadOnly(site_.Key);
    TRegKey key;
    return RegCreatePath(site_.Root, site_.Key, key);
  }
  bool Import() override { return ImportConfigFiles(site_.ExportFile, site_.Key, u"Include", false, site_.Root); }

 private:
  const TConfigSite& site_;
};
}  // namespace

TConfigSite ConfigSiteOfProduct(uint8_t side) {
  return {HKEY_LOCAL_MACHINE, ConfigKeyOfProduct(side), RegExportFilePath(side)};
}

bool HasConfigVersion(const std::u16string& keyPath, HKEY root) { return !ReadConfigVersion(keyPath, root).empty(); }

bool IsConfigVersionValid(const std::u16string& keyPath, HKEY root) {
  return IsConfigVersionTextValid(ReadConfigVersion(keyPath, root));
}

bool CheckConfiguration(uint8_t side, bool offerRestore, bool strict) {
  return CheckConfigurationAt(ConfigSiteOfProduct(side), offerRestore, strict);
}

bool CheckConfigurationAt(const TConfigSite& site, bool offerRestore, bool strict) {
  TRegistryCheckHost host(site);
  const bool restoreMode = offerRestore && FilePresent(site.ExportFile);
  return RunConfigurationCheck(host, restoreMode, strict);
}
