// The stand-in spooler's state: virtual printers with their settings, paused state, printer data and
// jobs, the queue rules they follow, and the text file they are kept in. The calls are in
// lib_prn_standin_win.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/lib_prn.h"

// Job status bits of the platform.
constexpr uint32_t STANDIN_JOB_PAUSED = 0x1;
constexpr uint32_t STANDIN_JOB_DELETING = 0x4;
constexpr uint32_t STANDIN_JOB_SPOOLING = 0x8;
constexpr uint32_t STANDIN_JOB_PRINTED = 0x80;

struct TStandInJob {
  uint32_t JobId = 0;
  std::u16string Document, UserName, MachineName, NotifyName, Datatype, PrintProcessor, Parameters;
  uint32_t Status = 0;
  uint32_t Priority = 1;
  uint32_t TotalPages = 0;
  uint32_t PagesPrinted = 0;
  uint32_t Size = 0;
  TSystemTime Submitted;
  std::vector<uint8_t> DevMode;  // empty: the job has no device settings
};

struct TStandInPrinterData {
  std::u16string Name;
  uint32_t Type = 0;  // REG_*
  std::vector<uint8_t> Value;
};

struct TStandInPrinter {
  uint32_t Id = 0;  // names the printer's spool directory
  std::u16string Name, ShareName, PortName, DriverName, Comment, Location, SepFile, PrintProcessor, Datatype,
      Parameters;
  uint32_t Attributes = PRN_ATTR_QUEUED | PRN_ATTR_LOCAL;
  uint32_t Priority = 1;
  uint32_t DefaultPriority = 0;
  uint32_t StartTime = 0;
  uint32_t UntilTime = 0;
  uint32_t Status = 0;
  std::vector<uint8_t> DevMode;
  std::vector<TStandInPrinterData> Data;
  std::vector<TStandInJob> Jobs;  // in queue order

  TStandInJob* FindJob(uint32_t jobId);
  const TStandInPrinterData* FindData(std::u16string_view name) const;
  void SetData(std::u16string_view name, uint32_t type, std::vector<uint8_t> value);
  bool Paused() const { return (Status & PRN_STATUS_PAUSED) != 0; }
};

// Ids run from 1 up and are never reused while something holds them; a next id of 0 means the range
// is used up (it starts again at 1 once nothing holds an id).
struct TStandInState {
  uint32_t NextJobId = 1;
  uint32_t NextPrinterId = 1;
  std::vector<TStandInPrinter> Printers;

  // By name, ignoring case; nullptr when the stand-in does not keep that printer.
  TStandInPrinter* Find(std::u16string_view name);
  // Adds a printer and gives it an Id; false when the name is empty or already taken, or no id is free.
  bool NewPrinter(TStandInPrinter printer);
  // Queues the job on the printer under a new job id (ids are spooler-wide) and answers the id; 0,
  // and nothing queued, when no id is free.
  uint32_t QueueJob(TStandInPrinter& printer, TStandInJob job);
};

// What the spooler does with a queue that is not paused: every job that is not paused, not printed
// and no longer being spooled goes out to the port. With KEEPPRINTEDJOBS it stays, marked printed;
// otherwise it leaves the queue. Answers the ids of the jobs that left; their spool files go too.
std::vector<uint32_t> DespoolStandInQueue(TStandInPrinter& printer);
// Takes the job out of the queue; false when there is no such job.
bool RemoveStandInJob(TStandInPrinter& printer, uint32_t jobId);

// The state file: a version line, then "key=value" lines, "[Printer]" and "[Job]" opening a printer
// and a job of the printer before. Texts are UTF-8 with \\, \n and \r escaped, and a lone surrogate
// (which UTF-8 cannot carry) as \uXXXX; byte values are hex.
std::string FormatStandInState(const TStandInState& state);
// False with a reason ("line N: ...") when the text is not a state file of this version, a line is
// malformed, or the state contradicts itself: a printer name or id given twice (names ignoring case),
// a job id given twice (ids are spooler-wide), an id 0, or a next id not above the ids in use.
bool ParseStandInState(std::string_view text, TStandInState& state, std::string& error);
