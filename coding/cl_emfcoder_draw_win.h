// The page model redrawn into a device context: a white page, optionally the page's own records, then the
// lines and texts of the coder's page model.
#pragma once

#include <windows.h>

#include "coding/cl_emfcoder.h"

// The page's metafile header into the coder's copy; a handle without one changes nothing.
void ReadHeader(HENHMETAFILE page, TEnhMetaHeader& header);

// Nothing happens for a nil DC or a coder mode of 0. With fit, the page's frame in the DC's own pixels;
// otherwise (0, 0, size). A DC that refuses the world transform gets scaled copies of the page objects.
void DrawPage(TEMFCoder& coder, HDC dc, HENHMETAFILE page, TSize size, bool fit);

// Tests: every world transform refused, as a 9x device would.
void SetWorldTransformRefusedForTesting(bool refused);
