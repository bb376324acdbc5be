// Spooler access at the Windows edge: the spooler environment, enumerations of printers, ports and
// drivers, printer information, the default printer, spool directories and files, the removal and
// security of a printer, the 9x DOS capture, job listing and the EMF datatype choice. Printer calls
// go through the spooler seam (lib_prn_seam_win.h); wide calls on the NT family, 8-bit on 9x.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/lib_prn.h"
#include "foundation/lib_str_lists.h"

// What the spooler units take from the registry, the system information and the message boxes: by
// default the registry helpers, the process's system information and the message-box routine;
// tests replace them (a member left empty keeps its default).
struct TPrnHooks {
  std::function<std::u16string(HKEY root, const std::u16string& path, const std::u16string& name)> ReadString;
  std::function<bool(HKEY root, const std::u16string& path)> KeyExists;
  std::function<bool(HKEY root, const std::u16string& path, const std::u16string& name, uint32_t& value)> ReadDword;
  std::function<bool(HKEY root, const std::u16string& path, const std::u16string& name, uint32_t value)> WriteDword;
  std::function<bool(HKEY root, const std::u16string& path, const std::u16string& name, std::vector<uint8_t>& value)>
      ReadBinary;
  std::function<bool(HKEY root, const std::u16string& path, const std::u16string& name,
                     const std::vector<uint8_t>& value)>
      WriteBinary;
  std::function<TPrnSystemFacts()> System;
  // A message box: text, caption, MB_* flags, owner; the button chosen.
  std::function<int(const std::u16string& text, const std::u16string& caption, UINT flags, HWND owner)> MessageBox;
  // The system error text of a code, as error boxes show it.
  std::function<std::u16string(DWORD code)> ErrorText;
};
TPrnHooks& PrnHooks();
void SetPrnHooks(TPrnHooks hooks);  // a missing member keeps its default
TPrnSystemFacts PrnSystem();

// Error and warning boxes of the spooler units (captions "Ошибка!" and "Внимание!").
void PrnErrorBox(const std::u16string& text, HWND owner = nullptr);
void PrnWarningBox(const std::u16string& text, HWND owner = nullptr);
int PrnQuestionBox(const std::u16string& text, UINT icon, HWND owner = nullptr);
// The printer-open error box: names the printer, with the last system error.
void PrnPrinterOpenErrorBox(const std::u16string& printer, DWORD error, HWND owner = nullptr);
void PrnFileErrorBox(const std::u16string& what, const std::u16string& file, DWORD error, HWND owner = nullptr);
// A job that could not be handed to the printer: names the printer, with the system error.
void PrnOutputErrorBox(const std::u16string& printer, DWORD error);
// A spool file damaged after pagesBefore pages: what stopped the walk, and where.
struct TProcSPLFile;
void PrnDamagedSpoolBox(const std::u16string& file, const TProcSPLFile& spool, int pagesBefore, HWND owner = nullptr);

// Environment. The override is "PrinterEnvironment" of the Config key.
bool InitPrinterEnvironment(const std::u16string& overrideName = {});
void GetPrinterEnvironmentName(std::string& name);
// The environment argument of the driver calls: nullptr (the spooler's own) or the decided name.
LPWSTR PrinterEnvironmentArg();

// Enumerations: the bytes of the record array and the entry count; false when the call failed.
bool ListPrinters2W(std::vector<uint8_t>& bytes, DWORD& count);
bool ListPrinters2A(std::vector<uint8_t>& bytes, DWORD& count);
bool ListPrinters5W(std::vector<uint8_t>& bytes, DWORD& count);
bool ListPrinters5A(std::vector<uint8_t>& bytes, DWORD& count);
bool ListPrinters2ByFlagsA(DWORD flags, std::vector<uint8_t>& bytes, DWORD& count);
bool ListPorts2W(std::vector<uint8_t>& bytes, DWORD& count);
bool ListPorts2A(std::vector<uint8_t>& bytes, DWORD& count);
bool ListDrivers2W(std::vector<uint8_t>& bytes, DWORD& count);
bool ListDrivers2A(std::vector<uint8_t>& bytes, DWORD& count);
bool ListDrivers3A(std::vector<uint8_t>& bytes, DWORD& count);

// Ports.
void ListHardwarePorts(TWideStringArray& list);
void FindDefaultLocalPort(std::u16string& name);
bool IsLocalPort(const std::u16string& name);
void GetPrinterPortName(const std::u16string& printer, std::u16string& port);
void GetPrinterLptComPort(const std::u16string& printer, std::u16string& port);

// Drivers.
void ListDriverNames(TWideStringArray& list);
void GetPrinterDriverName(const std::u16string& printer, std::u16string& driver);
int GetDriverVersionNumber();
void GetDriverVersionDir(std::u16string& text);
void GetDriverDirectoryPath(std::u16string& path);
DWORD InstallDriverFromPackage(const std::u16string& server, const std::u16string& infPath,
                               const std::u16string& driverName, const std::u16string& environment, DWORD flags);
std::string GetEpsonLqModelName();
bool AddEpsonLqDriver();

// Printers.
bool PrinterExists(const std::u16string& name);
bool GetPrinterInfo2(const std::u16string& name, std::vector<uint8_t>& bytes);
bool GetPrinterInfo2ByHandle(HANDLE printer, std::vector<uint8_t>& bytes);
bool GetPrinterJobCount(HANDLE printer, DWORD& count);
void GetDefaultPrinterName(std::u16string& name);
bool IsDefaultPrinter(const std::u16string& name);
void SetDefaultPrinterName(const std::u16string& name);
void BroadcastWindowsSettingChange();
void GetSpoolDirectory(const std::u16string& printer, std::u16string& directory);
void GetSpoolFileName(const std::u16string& printer, uint32_t jobId, std::u16string& file);
void ShowPrinterProperties(HWND owner, const std::u16string& printer, bool modal);
// 0 removed or no such printer, -1 it cannot be opened, else the system error code.
int32_t RemovePrinter(const std::u16string& name);
int32_t OpenPrinterAclToEveryone(const std::u16string& name);
// The 9x family's DOS spool mask (bit 0 for LPT1); 0 when it is not set.
uint32_t DosSpoolMask();
bool IsDosSpoolEnabled(int n);
bool EnableDosSpool(int n);

// Jobs: EnumJobs level 2 into bytes; true when it succeeded with at least one job.
bool ListPrintJobs(HANDLE printer, DWORD firstJob, DWORD count, DWORD& returned, std::vector<uint8_t>& bytes);
// Entry index of the count entries ListPrintJobs gave; false when the index is not one of them.
// Texts and blocks are taken only from inside the bytes.
bool CopyJobInfo(const std::vector<uint8_t>& bytes, DWORD count, DWORD index, _JOBINFO& job);

// Chooses the WinPrint processor and an EMF datatype for a printer's PRINTER_INFO_2 (bytes as
// GetPrinterInfo2 gives them); the bytes are rebuilt, the printer is not touched.
bool CorrectPrintProcessor(std::vector<uint8_t>& info);

// A security descriptor whose DACL grants Everyone (S-1-1-0) all printer rights (inherited by the
// printer) and the job rights (inherited by its jobs): 0xF0030 from NT 5 on, GENERIC_ALL before.
struct TEveryoneSecurity {
  SECURITY_DESCRIPTOR Descriptor{};
  std::vector<uint8_t> Acl;
  bool Build();
  const ACL* Dacl() const { return reinterpret_cast<const ACL*>(Acl.data()); }
};

// The PRINTER_INFO_2 held in bytes; nullptr when they are too short to hold one.
const PRINTER_INFO_2W* PrinterInfo2(const std::vector<uint8_t>& bytes);
