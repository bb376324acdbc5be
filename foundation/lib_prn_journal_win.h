// The print-job journal: numbers the jobs the monitor handles and appends one line a job to the
// data file the configuration names.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "foundation/lib_prn.h"

class TPrintServerMonitor {
 public:
  std::u16string ConfigKey;
  std::u16string PrnMonKey;     // written as the last field of every line
  std::u16string DataFileName;  // the journal file
  bool Enabled = false;

  TPrintServerMonitor() = default;
  // Reads "PrnMonSvrDatFName" and "PrnMonKey" of the key (HKEY_LOCAL_MACHINE) and scans the file.
  void Open(const std::u16string& configKey);
  // The same with the two values given.
  void OpenWith(const std::u16string& configKey, const std::u16string& dataFileName, const std::u16string& prnMonKey);
  // The job's record number; its line is appended while the journal is enabled. The monitor's
  // threads share the journal: each number is given once.
  uint32_t AppendJob(const _JOBINFO& job);
  uint32_t LastRecordNo() const;

 private:
  mutable std::mutex lock_;
  uint32_t lastRecordNo_ = 0;
};

// A record of a job the program makes itself: this machine and user, submitted now (UTC).
_JOBINFO LocalJobInfo(std::u16string_view document, std::u16string_view printer);

// The UTC time in the local time of the given zone (the system's when zone is nullptr); unchanged
// when the conversion fails.
TSystemTime JournalLocalTime(const TSystemTime& utc, const TIME_ZONE_INFORMATION* zone = nullptr);
