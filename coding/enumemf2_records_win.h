// A page's metafile as bytes for the record walk.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// GetEnhMetaFileBits; empty when the handle gives none.
std::vector<uint8_t> EnhMetaFileBytes(HENHMETAFILE metafile);
