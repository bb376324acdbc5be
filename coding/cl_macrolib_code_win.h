// What code generation borrows from Windows: the system's code pages, the error box and the
// temporary file of a debug run.
#pragma once

#include "coding/cl_macrolib_code.h"
#include "coding/cl_macrolib_payload_win.h"

class TWinCodeServices : public TCodeServices {
 public:
  const TCodePageSystem& CodePages() const override { return pages_; }
  void ShowError(std::u16string_view text) override;
  // A new file in the temporary directory (eight hexadecimal digits, ".TMP"), left in place.
  void SaveDebugData(std::string_view data) override;

 private:
  TWinCodePages pages_;
};
