// The DOS job coding on the system: the registry's ConfigDos key, the mapped input file, the copies
// dialog, and the capture and watched-directory files sent to their destination.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/lib_prn.h"
#include "monitor/uintraw.h"

class TClientApplication;

// jobInfo may be nil; inputFile is NUL-terminated. Takes the coding lock. Answers the job status.
uint8_t EncodeDosJob(uint32_t jobRecordNo, const _JOBINFO* jobInfo, const char16_t* inputFile, TDosCodeResultRec& rec);

// The file coded into outputFile (made new) by the request's copies, the code at placeOverride (-1: the
// types' place); false, and no output, on any failure. Takes the coding lock.
bool ProcessFileDos(const std::u16string& inputFile, const std::u16string& outputFile, const TDosFileRequest& request,
                    const std::u16string& model, int32_t placeOverride);

// Destination kinds of the files the monitors take.
inline constexpr uint8_t kDosFromDirectory = 4;
inline constexpr uint8_t kDosFromCapture = 8;

// Codes the file and sends the result (or the file unchanged) raw to the current user's destination of
// the kind; then the file is made read-only (keepReadOnly) or deleted. False when the send failed: the
// file is then kept as it is, for the caller to try again.
bool ProcessDosFile(TClientApplication& app, const std::u16string& fileName, bool keepReadOnly, uint8_t kind,
                    const _JOBINFO* jobInfo, uint32_t jobRecordNo);
// The same for a file first copied into the archive directory under its own name; the file is deleted
// after a good send. False when the archive or the send failed.
bool CopyAndProcessDosFile(TClientApplication& app, const std::u16string& fileName, const std::u16string& archiveDir,
                           uint8_t kind, const _JOBINFO* jobInfo, uint32_t jobRecordNo);
