// The DOS job coding on the system: the registry's ConfigDos key, the mapped input file, the copies
// dialog, and the capture and watched-directory files sent to their destination.
#pragma once

#include <cstdint>

#include "foundation/lib_prn.h"
#include "monitor/uintraw.h"

// jobInfo may be nil; inputFile is NUL-terminated. Takes the coding lock. Answers the job status.
uint8_t EncodeDosJob(uint32_t jobRecordNo, const _JOBINFO* jobInfo, const char16_t* inputFile, TDosCodeResultRec& rec);
