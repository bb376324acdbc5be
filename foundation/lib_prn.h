// Spooler access, the portable part: the job record, port and datatype rules, the spooler
// environment and driver tables, and spool file names. The spooler calls are in lib_prn_win.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// SYSTEMTIME, field for field.
struct TSystemTime {
  uint16_t Year = 0, Month = 0, DayOfWeek = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Milliseconds = 0;
  friend bool operator==(const TSystemTime&, const TSystemTime&) = default;
};

// A spooler job: the fields of JOB_INFO_2 in their order, texts as wide strings, then the copy count
// of the job's device settings. The record keeps its own copies of the device settings and the
// security descriptor (empty when the job has none), so it outlives the enumeration it came from.
struct _JOBINFO {
  uint32_t JobId = 0;
  std::u16string PrinterName;
  std::u16string MachineName;
  std::u16string UserName;
  std::u16string Document;
  std::u16string NotifyName;
  std::u16string Datatype;
  std::u16string PrintProcessor;
  std::u16string Parameters;
  std::u16string DriverName;
  std::vector<uint8_t> DevMode;
  std::u16string Status;
  std::vector<uint8_t> SecurityDescriptor;
  uint32_t StatusCode = 0;
  uint32_t Priority = 0;
  uint32_t Position = 0;
  uint32_t StartTime = 0;
  uint32_t UntilTime = 0;
  uint32_t TotalPages = 0;
  uint32_t Size = 0;
  TSystemTime Submitted;  // UTC
  uint32_t Time = 0;
  uint32_t PagesPrinted = 0;
  uint16_t Copies = 1;
};

// Printer attribute and status bits (the platform's values).
constexpr uint32_t PRN_ATTR_QUEUED = 0x1;
constexpr uint32_t PRN_ATTR_DIRECT = 0x2;
constexpr uint32_t PRN_ATTR_DEFAULT = 0x4;
constexpr uint32_t PRN_ATTR_LOCAL = 0x40;
constexpr uint32_t PRN_ATTR_ENABLE_DEVQ = 0x80;
constexpr uint32_t PRN_ATTR_KEEPPRINTEDJOBS = 0x100;
constexpr uint32_t PRN_ATTR_DO_COMPLETE_FIRST = 0x200;
constexpr uint32_t PRN_ATTR_WORK_OFFLINE = 0x400;
constexpr uint32_t PRN_ATTR_RAW_ONLY = 0x1000;
constexpr uint32_t PRN_STATUS_PAUSED = 0x1;

// True when name is prefix (case-sensitive), then at least one decimal digit, then ":" exactly when
// withColon is set.
bool MatchPortName(std::u16string_view name, std::u16string_view prefix, bool withColon);

// The number after the prefix of a port name MatchPortName accepted; INT_MAX when it is too long.
int PortNumber(std::u16string_view name, size_t prefixLength);
// Whether DOS programs' printing to LPT port lpt is queued: always on the NT family, on the 9x family
// when the port's bit (bit 0 for LPT1) of the system's DOS spool mask is set.
bool DosSpoolQueued(bool isWinNT, uint32_t dosSpoolMask, int lpt);

struct TPortEntry {
  std::u16string Name;
  uint32_t PortType = 0;  // PORT_INFO_2 fPortType
};
// The ports that are LPTn:, COMn: or USBnnn and neither network-attached (4) nor redirected (8).
std::vector<std::u16string> SelectHardwarePorts(const std::vector<TPortEntry>& ports);
// The LPT port with the lowest number, else the COM port with the lowest number, else empty.
std::u16string ChooseDefaultLocalPort(const std::vector<std::u16string>& hardwarePorts);

// "EMF" or beginning with "NT EMF", case-sensitive.
bool IsEmfDatatype(std::u16string_view datatype);
// The datatype a virtual printer's queue must have on the given family.
std::u16string WantedEmfDatatype(bool isWinNT);

// The system facts the spooler routines choose by.
struct TPrnSystemFacts {
  bool IsWinNT = true;
  uint32_t Major = 6;
  uint32_t Minor = 1;
  uint16_t ProcessorArchitecture = 0;  // PROCESSOR_ARCHITECTURE_*
  bool IsWin95 = false;
};

// The spooler environment's name; x64KeyExists says whether the "Windows x64" environment key opens.
std::string PrinterEnvironmentNameFor(const TPrnSystemFacts& sys, bool x64KeyExists);
// 3 on NT 5 and later, 2 on NT 4, 1 on NT 3, else 0.
int DriverVersionNumberFor(const TPrnSystemFacts& sys);
std::string EpsonLqModelNameFor(const TPrnSystemFacts& sys);

// The driver record AddEpsonLqDriver adds before Vista; Version 0 when there is none to add.
struct TEpsonLqDriver {
  uint32_t Version = 0;
  std::string DriverPath, DataFile, ConfigFile, HelpFile;
  std::string DependentFiles;  // NUL-terminated names closed by an empty name
  bool EmptyMonitorAndEmfDatatype = false;
};
TEpsonLqDriver EpsonLqDriverFor(const TPrnSystemFacts& sys);

// Format("%s\%.5d.spl", [directory, job id]).
std::u16string FormatSpoolFileName(std::u16string_view directory, uint32_t jobId);

// The profile's "Device" entry is "name,driver,port": the default printer is the part before the
// first comma; a new default keeps the old driver and port part.
std::u16string DeviceEntryPrinter(std::u16string_view device);
std::u16string ReplaceDeviceEntryPrinter(std::u16string_view device, std::u16string_view printer);
