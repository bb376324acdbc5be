// Where the code picture goes on the sheet, the code picture's file, and the page model as page-data
// text for blank debugging: the Windows-page coder's work after recognition that needs no Windows call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "coding/cl_macrolib_payload.h"
#include "coding/cl_macrotools.h"
#include "coding/enumemf2.h"
#include "foundation/lib_sys.h"

// What placing the code takes; lengths in 0.01 mm unless named otherwise.
struct TCodePlaceRequest {
  TSize Sheet;             // millimetres; (0, 0) for the page's own size
  TEnhMetaHeader Page;
  TSize Code;              // the code picture's size
  bool RealSize = false;   // Code is the exported picture's size, not the format's largest
  uint32_t PicTop = 0;     // 0 lower half, 1 upper half, 2 and more the output area
  uint32_t PicPlace = 0;   // four fraction bytes: x numerator, x denominator, y numerator, y denominator
  TRect OutputArea;        // device pixels of the page
  TSmallPoint FileType;
};

struct TCodePlace {
  TPoint Place;
  std::vector<std::u16string> LogLines;  // the output area's line (PicTop 2 and more), then the type's line
};

// The code picture's top-left corner from the sheet's top-left corner; nothing when the place cannot be
// computed (a sheet or an output area whose lengths leave 32 bits, a page header without a device size).
std::optional<TCodePlace> PlaceCode(const TCodePlaceRequest& request);

// Device pixels of the page to 0.01 mm, rounded; 0 for a page without a device size.
TRect PageRectToHundredths(const TRect& rect, const TEnhMetaHeader& page);

// The page model as page-data text: the texts, then the horizontal and the vertical lines, each entry
// through the system code page (characters outside it arrive as "?").
std::u16string PageDataText(const TObjectList& texts, const TObjectList& hLines, const TObjectList& vLines,
                            const TEnhMetaHeader& page, const TCodePageSystem& pages);

inline constexpr std::u16string_view kCodePlaceErrorText =
    u"Ошибка при вычислении местоположения вывода графического кода.";
inline constexpr std::u16string_view kCodeExportErrorText =
    u"Формирование графического кода окончилось\r\nнеудачей или нет возможности сохранить его\r\nв файле \"%s\".";
