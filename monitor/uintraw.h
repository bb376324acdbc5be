// A DOS print file coded document by document into a new raw file that holds every copy, the code
// commands in the copies that carry the code. The status tells the caller what to print.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint8_t kDosJobProgramError = 0;  // print the input unchanged
inline constexpr uint8_t kDosJobPrintAsIs = 1;     // print the input unchanged
inline constexpr uint8_t kDosJobCoded = 2;         // print the output file
inline constexpr uint8_t kDosJobCancelled = 3;     // print nothing

inline constexpr size_t kDosOutputFileUnits = 261;  // 260 characters and the terminator
inline constexpr size_t kDosCopiesBytes = 66;

// Crosses the export boundary: the layout is fixed. On entry OutputFile may carry a printer model name.
#pragma pack(push, 1)
struct TDosCodeResultRec {
  char16_t OutputFile[kDosOutputFileUnits];
  char Copies[kDosCopiesBytes];
};
#pragma pack(pop)

static_assert(sizeof(TDosCodeResultRec) == 588);
static_assert(offsetof(TDosCodeResultRec, OutputFile) == 0);
static_assert(offsetof(TDosCodeResultRec, Copies) == 522);
