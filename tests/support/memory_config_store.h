// A configuration store held in memory, for tests of the units that read the configuration: the settings
// store of the coder tests under the configuration store's names.
#pragma once

#include "support/coder_fakes.h"

class TMemoryConfigStore : public TMemoryStore {
 public:
  void Set(std::u16string_view key, std::u16string_view name, int32_t value) { SetInteger(key, name, value); }
  void Set(std::u16string_view key, std::u16string_view name, std::u16string_view value) {
    SetText(key, name, value);
  }
};
