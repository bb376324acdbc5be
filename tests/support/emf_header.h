// A page's metafile header as the tests need it: its reference device and, when it matters, its frame.
#pragma once

#include "coding/enumemf2.h"

inline TEnhMetaHeader MakePageHeader(TSize device, TSize millimeters, TRect frame = {}) {
  TEnhMetaHeader header;
  header.iType = 1;
  header.nSize = 108;
  header.rclFrame = frame;
  header.dSignature = 0x464D4520;
  header.szlDeviceCx = device.cx;
  header.szlDeviceCy = device.cy;
  header.szlMillimetersCx = millimeters.cx;
  header.szlMillimetersCy = millimeters.cy;
  return header;
}

// A4 recorded at 600 dpi.
inline TEnhMetaHeader A4At600Dpi() { return MakePageHeader({4960, 7016}, {210, 297}, {0, 0, 20999, 29699}); }
