// Windows services of code generation.
#include "coding/cl_macrolib_code_win.h"

#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"

void TWinCodeServices::ShowError(std::u16string_view text) { ShowErrorMsg(text); }

void TWinCodeServices::SaveDebugData(std::string_view data) {
  // A debug aid only: a file that cannot be made or written leaves the code as it is.
  const std::u16string name = MakeTempFileName();
  if (!name.empty()) WriteFileFromString(name, data);
}
