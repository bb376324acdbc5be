// The DOS end-to-end configuration in the machine's ConfigDos key, for the Wine tests that print DOS
// files through the product's own road.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <string>

#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/e2e_dos.h"
#include "support/prn_test_support.h"

// The DOS configuration of a form in the machine's ConfigDos key, the invoices copied "CNN" without a
// dialog and printed on the destination printer; what it wrote is removed at the end.
class TMachineDosConfig {
 public:
  static constexpr std::u16string_view kDestination = u"Client Test PS";

  TMachineDosConfig(const TDosForm& form, const std::u16string& log) {
    ok_ = WriteDosConfig(store_, form);
    const std::u16string invoice = SubKeyPathA(store_, kConfigDosKey, kDosInvoiceId);
    store_.WriteText(invoice, u"Pages", u"CNN");
    store_.WriteInteger(invoice, u"AckPages", 0);
    store_.WriteTextA(kConfigDosKey, u"Version", std::string(kProgramVersion));
    store_.WriteText(kConfigDosKey, u"LogFile", log);
    store_.WriteText(kConfigDosKey, u"FPrintTo", kDestination);
  }
  ~TMachineDosConfig() {
    const std::u16string printers = SubKeyPath(kConfigDosKey, u"Printers");
    for (const char* id : {"TORG", "SCHT"}) Remove(SubKeyPathA(store_, kConfigDosKey, id));
    for (const TDosForm& form : DosForms()) Remove(SubKeyPath(printers, form.Model));
    for (const char16_t* name : {u"Model", u"Pitch", u"Spacing", u"TabSize"}) store_.DeleteValue(printers, name);
    for (const char16_t* name : {u"Version", u"LogFile", u"FPrintTo", u"DocOrder"})
      store_.DeleteValue(kConfigDosKey, name);
  }
  TMachineDosConfig(const TMachineDosConfig&) = delete;
  TMachineDosConfig& operator=(const TMachineDosConfig&) = delete;

  bool Ok() const { return ok_; }
  TSettingsStore& Store() { return store_; }

 private:
  static void Remove(const std::u16string& key) { RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(key)); }

  TRegistryStore store_{HKEY_LOCAL_MACHINE};
  bool ok_ = false;
};

#endif
