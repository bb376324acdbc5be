// A page's metafile handle to the bytes the portable record walk reads.
#include "coding/enumemf2_records_win.h"

std::vector<uint8_t> EnhMetaFileBytes(HENHMETAFILE metafile) {
  const UINT size = metafile ? GetEnhMetaFileBits(metafile, 0, nullptr) : 0;
  if (size == 0) return {};
  std::vector<uint8_t> bytes(size);
  if (GetEnhMetaFileBits(metafile, size, bytes.data()) != size) return {};
  return bytes;
}
