// A Windows page handed in as a metafile handle: its bytes parsed on the reference device (the screen when
// none is given), redrawn on request, and tried against the document types.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "coding/cl_emfcoder.h"

// Parses the page for the coder's type; with a non-zero Mode and a reference device the page is then
// redrawn into it at the context's "DrawOutSize" and Mode becomes 0.
bool ParsePage(TEMFCoder& coder, HDC referenceDC, HENHMETAFILE page);

// The coder that took the page, or nil; the caller owns it. Every coder made reads HKEY_LOCAL_MACHINE and
// shows its errors in boxes.
std::unique_ptr<TEMFCoder> ProcessDecode(uint32_t jobRecordNo, HDC referenceDC, HENHMETAFILE page,
                                         const TLineSearchResult* lineSeeker, TLogFile* log, uint8_t mode,
                                         TContext* context);
