// Fuzz target of the registry export file reader: any bytes, in any of the three encodings.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <span>

#include "foundation/cl_tools_regimport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TRegFile file = ParseRegFile(std::span<const uint8_t>(data, size));
  // A file without a header asks for nothing; every value step follows the key it belongs to; no
  // key path or value name holds a NUL, which the system would take as its end.
  if (!file.Valid && !file.Ops.empty()) std::abort();
  bool keyOpen = false;
  for (const TRegFileOp& op : file.Ops) {
    switch (op.Kind) {
      case TRegFileOpKind::OpenKey:
        if (op.Path.empty() || op.Path.front() == u'\\' || op.Path.back() == u'\\') std::abort();
        if (op.Path.find(u'\0') != std::u16string::npos) std::abort();
        keyOpen = true;
        break;
      case TRegFileOpKind::DeleteKey:
        if (op.Path.empty()) std::abort();
        keyOpen = false;
        break;
      default:
        if (!keyOpen || op.Name.find(u'\0') != std::u16string::npos) std::abort();
        break;
    }
    if (op.Line == 0) std::abort();
  }
  // The same bytes as a name and a mask: the matcher must end on any pair.
  std::u16string includes(size / 2, u'\0');
  if (!includes.empty()) std::memcpy(includes.data(), data, includes.size() * 2);
  (void)MatchesIncludeMask(includes, includes.substr(0, includes.size() / 2));
  return 0;
}
