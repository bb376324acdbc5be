// Tests of spooler access under Wine: enumerations and the default printer against Wine's own
// spooler, and spool files, job records and printer removal on stand-in printers.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include "foundation/lib_codepage.h"
#include "foundation/lib_prn_pack_win.h"
#include "foundation/lib_prn_seam_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"
#include "support/prn_test_support.h"

namespace {

// The destination printer scripts/setup creates in the test prefix.
const std::u16string kDestination = u"Client Test PS";
const std::u16string kVirtual = u"Виртуальный принтер";

TStandInPrinter VirtualPrinter() {
  TStandInPrinter p;
  p.Name = kVirtual;
  p.PortName = u"LPT1:";
  p.DriverName = u"Wine PostScript Driver";
  p.Datatype = u"RAW";
  p.Status = PRN_STATUS_PAUSED;
  return p;
}

TEST(SpoolerAccess, EnumerationsAnswerWhatWinesSpoolerHas) {
  DWORD needed = 0, direct = 0;
  EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &direct);
  std::vector<uint8_t> bytes(needed);
  ASSERT_TRUE(EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, bytes.data(), needed, &needed, &direct));
  EXPECT_GE(direct, 1u);
  DWORD count = 0;
  ASSERT_TRUE(ListPrinters2W(bytes, count));
  EXPECT_EQ(count, direct);
  ASSERT_TRUE(ListPrinters5W(bytes, count));
  EXPECT_EQ(count, direct);
  ASSERT_TRUE(ListPrinters2A(bytes, count));
  EXPECT_EQ(count, direct);
  bool found = false;
  for (DWORD i = 0; i < count; ++i)
    found |= AnsiToWide(reinterpret_cast<const PRINTER_INFO_2A*>(bytes.data())[i].pPrinterName) == kDestination;
  EXPECT_TRUE(found) << "scripts/setup creates the destination printer";

  TWideStringArray ports;
  ListHardwarePorts(ports);
  int32_t at = -1;
  EXPECT_TRUE(ports.Find(u"LPT1:", at));
  EXPECT_TRUE(ports.Find(u"COM1:", at));
  EXPECT_FALSE(ports.Find(u"FILE:", at)) << "not a hardware port";
  std::u16string port;
  FindDefaultLocalPort(port);
  EXPECT_EQ(port, u"LPT1:");
  EXPECT_TRUE(IsLocalPort(u"LPT1:"));
  EXPECT_FALSE(IsLocalPort(u"LPT9:"));
  GetPrinterLptComPort(kDestination, port);
  EXPECT_EQ(port, u"") << "the destination prints to a file";

  TWideStringArray drivers;
  ListDriverNames(drivers);
  EXPECT_TRUE(drivers.Find(u"Wine PostScript Driver", at));
  std::u16string driver;
  GetPrinterDriverName(kDestination, driver);
  EXPECT_EQ(driver, u"Wine PostScript Driver");
  ASSERT_TRUE(ListDrivers3A(bytes, count));
  EXPECT_GE(count, 1u);

  std::string env;
  GetPrinterEnvironmentName(env);
  // The environment and driver directory of the architecture the program runs on.
#ifdef _WIN64
  EXPECT_EQ(env, "Windows x64");
  const std::u16string driverFolder = u"\\x64\\";
#else
  EXPECT_EQ(env, "Windows NT x86");
  const std::u16string driverFolder = u"\\w32x86\\";
#endif
  InitPrinterEnvironment();
  EXPECT_EQ(PrinterEnvironmentArg(), nullptr) << "the spooler's own environment";
  EXPECT_EQ(GetDriverVersionNumber(), 3);
  std::u16string path;
  GetDriverDirectoryPath(path);
  EXPECT_EQ(path.back(), u'\\');
  EXPECT_NE(path.find(driverFolder), std::u16string::npos) << WideToUtf8(path);
}

TEST(SpoolerAccess, DefaultPrinterIsReadAndSet) {
  std::u16string before;
  GetDefaultPrinterName(before);
  SetDefaultPrinterName(kDestination);
  std::u16string now;
  GetDefaultPrinterName(now);
  EXPECT_EQ(now, kDestination);
  wchar_t direct[260];
  DWORD size = 260;
  ASSERT_TRUE(GetDefaultPrinterW(direct, &size));
  EXPECT_EQ(FromWStr(direct), kDestination);
  EXPECT_TRUE(IsDefaultPrinter(u"client test ps")) << "ignoring case";
  EXPECT_FALSE(IsDefaultPrinter(u"Another"));
  if (!before.empty() && before != kDestination) SetDefaultPrinterName(before);
}

TEST(SpoolerAccess, PrinterInformationAndExistence) {
  EXPECT_FALSE(PrinterExists(u""));
  EXPECT_FALSE(PrinterExists(u"No such printer"));
  EXPECT_TRUE(PrinterExists(kDestination));
  std::vector<uint8_t> info;
  ASSERT_TRUE(GetPrinterInfo2(kDestination, info));
  EXPECT_EQ(FromWStr(PrinterInfo2(info)->pPrinterName), kDestination);
  EXPECT_FALSE(GetPrinterInfo2(u"No such printer", info));
  EXPECT_TRUE(info.empty());
  EXPECT_EQ(RemovePrinter(u"No such printer"), 0);
  EXPECT_EQ(OpenPrinterAclToEveryone(u"No such printer"), 0);
}

class SpoolerOnStandIn : public ::testing::Test {
 protected:
  TStandInScope scope{u"lib_prn_win_test"};
  void SetUp() override { ASSERT_TRUE(scope.StandIn->AddStandInPrinter(VirtualPrinter())); }
};

TEST_F(SpoolerOnStandIn, SpoolFilesLieInThePrintersSpoolDirectory) {
  std::u16string dir, file;
  GetSpoolDirectory(kVirtual, dir);
  EXPECT_EQ(dir.rfind(scope.Directory.Path, 0), 0u) << "the stand-in's own directory";
  GetSpoolFileName(kVirtual, 17, file);
  EXPECT_EQ(file, dir + u"\\00017.spl");
  const uint32_t id = scope.StandIn->SubmitRawJob(kVirtual, u"raw", std::vector<uint8_t>{1, 2, 3});
  GetSpoolFileName(kVirtual, id, file);
  EXPECT_EQ(ReadFileBytes(file), (std::vector<uint8_t>{1, 2, 3}));

  GetSpoolDirectory(kDestination, dir);
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  // Wine keeps "DefaultSpoolDirectory" (lower case) and no value of the printer's own.
  EXPECT_TRUE(SameTextW(dir, FromWStr(system) + u"\\Spool\\PRINTERS")) << WideToAnsi(dir);
}

TEST_F(SpoolerOnStandIn, JobRecordsCarryTheCopyCountAndOwnTheirDeviceSettings) {
  const auto page = MakePageMetafile({1000, 1000, 5000, 5000});
  const uint32_t emf = scope.StandIn->SubmitEmfJob(kVirtual, u"Накладная", {page}, 4);
  const uint32_t raw = scope.StandIn->SubmitRawJob(kVirtual, u"raw", std::vector<uint8_t>{1});
  HANDLE printer = nullptr;
  ASSERT_TRUE(Spooler().OpenPrinter(const_cast<LPWSTR>(WStr(kVirtual)), &printer, nullptr));
  DWORD jobs = 0;
  EXPECT_TRUE(GetPrinterJobCount(printer, jobs));
  EXPECT_EQ(jobs, 2u);
  _JOBINFO first, second;
  {
    std::vector<uint8_t> bytes;
    DWORD count = 0;
    ASSERT_TRUE(ListPrintJobs(printer, 0, 10, count, bytes));
    ASSERT_EQ(count, 2u);
    ASSERT_TRUE(CopyJobInfo(bytes, count, 0, first));
    ASSERT_TRUE(CopyJobInfo(bytes, count, 1, second));
    _JOBINFO none;
    EXPECT_FALSE(CopyJobInfo(bytes, count, 2, none)) << "one past the last entry";
  }  // the enumeration buffer is gone; the records keep their own device settings
  EXPECT_EQ(first.JobId, emf);
  EXPECT_EQ(first.Document, u"Накладная");
  EXPECT_EQ(first.Copies, 4);
  ASSERT_GE(first.DevMode.size(), sizeof(DEVMODEW));
  EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(first.DevMode.data())->dmCopies, 4);
  EXPECT_EQ(first.TotalPages, 1u);
  EXPECT_EQ(first.Position, 1u);
  EXPECT_EQ(second.JobId, raw);
  EXPECT_EQ(second.Copies, 1) << "a job without device settings";
  EXPECT_TRUE(second.DevMode.empty());
  std::vector<uint8_t> bytes;
  DWORD count = 0;
  EXPECT_FALSE(ListPrintJobs(printer, 2, 10, count, bytes)) << "no job from the third on";
  Spooler().ClosePrinter(printer);
}

TEST_F(SpoolerOnStandIn, RemovePrinterCancelsEveryJobNotOnlyTheFirstEight) {
  std::vector<std::u16string> files;
  for (int i = 0; i < 11; ++i) {
    const uint32_t id = scope.StandIn->SubmitRawJob(kVirtual, u"job", std::vector<uint8_t>{uint8_t(i)});
    files.push_back(u"");
    GetSpoolFileName(kVirtual, id, files.back());
  }
  EXPECT_EQ(RemovePrinter(kVirtual), 0);
  EXPECT_FALSE(PrinterExists(kVirtual));
  for (const auto& file : files) EXPECT_EQ(GetFileAttributesW(WStr(file)), INVALID_FILE_ATTRIBUTES);
}

// A stand-in whose spooler refuses to open a printer for every right, or to delete it, with an error.
class TRefusingStandIn : public TSpoolerStandIn {
 public:
  using TSpoolerStandIn::TSpoolerStandIn;
  DWORD OpenError = 0, DeleteError = 0;
  BOOL OpenPrinter(LPWSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSW defaults) override {
    if (OpenError && defaults && defaults->DesiredAccess == PRINTER_ALL_ACCESS) return SetLastError(OpenError), FALSE;
    return TSpoolerStandIn::OpenPrinter(name, handle, defaults);
  }
  BOOL DeletePrinter(HANDLE handle) override {
    if (DeleteError) return SetLastError(DeleteError), FALSE;
    return TSpoolerStandIn::DeletePrinter(handle);
  }
};

TEST(RemovePrinter, AnswersMinusOneWhenItCannotOpenAndTheSpoolersCodeWhenTheDeletionFails) {
  const struct {
    DWORD openError, deleteError;
    int32_t expected;
    bool remains;
  } cases[] = {
      {0, 0, 0, false},
      {ERROR_ACCESS_DENIED, 0, -1, true},
      {0, ERROR_ACCESS_DENIED, int32_t(ERROR_ACCESS_DENIED), true},
      {0, ERROR_PRINTER_DELETED, int32_t(ERROR_PRINTER_DELETED), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    TScratchDirectory dir(u"remove_printer");
    TRefusingStandIn standIn(dir.Path);
    UseSpooler(&standIn);
    ASSERT_TRUE(standIn.AddStandInPrinter(VirtualPrinter()));
    standIn.OpenError = c.openError;
    standIn.DeleteError = c.deleteError;
    EXPECT_EQ(RemovePrinter(kVirtual), c.expected);
    EXPECT_EQ(standIn.IsStandInPrinter(kVirtual), c.remains);
    UseSpooler(nullptr);
  }
}

// Wine cannot list a print processor's datatypes; this stand-in lists those of Windows' WinPrint.
class TWinPrintDatatypes : public TSpoolerStandIn {
 public:
  using TSpoolerStandIn::TSpoolerStandIn;
  std::vector<const wchar_t*> Types = {L"RAW", L"RAW [FF appended]", L"NT EMF 1.003", L"NT EMF 1.008", L"TEXT"};
  BOOL EnumPrintProcessorDatatypes(LPWSTR, LPWSTR processor, DWORD, LPBYTE buffer, DWORD size, LPDWORD needed,
                                   LPDWORD returned) override {
    if (!SameTextW(FromWStr(processor), u"winprint")) return SetLastError(ERROR_UNKNOWN_PRINTPROCESSOR), FALSE;
    TPackedLayout layout{sizeof(DATATYPES_INFO_1W), {{0, TPackedKind::Text}}};
    TPackedRecords records(layout);
    for (const wchar_t* t : Types) {
      DATATYPES_INFO_1W info{const_cast<LPWSTR>(t)};
      records.Add(&info);
    }
    return records.Deliver(buffer, size, needed, returned);
  }
};

TEST(CorrectPrintProcessor, ChoosesWinPrintAndTheFirstEmfDatatypeInMemoryOnly) {
  TScratchDirectory dir(u"correct_processor");
  TWinPrintDatatypes spooler(dir.Path);
  UseSpooler(&spooler);
  TStandInPrinter p = VirtualPrinter();
  p.PrintProcessor = u"wineps";
  ASSERT_TRUE(spooler.AddStandInPrinter(p));
  std::vector<uint8_t> info;
  ASSERT_TRUE(GetPrinterInfo2(kVirtual, info));
  ASSERT_TRUE(CorrectPrintProcessor(info));
  const PRINTER_INFO_2W* corrected = PrinterInfo2(info);
  EXPECT_EQ(FromWStr(corrected->pPrinterName), kVirtual) << "the other fields survive the rebuild";
  EXPECT_EQ(FromWStr(corrected->pPortName), u"LPT1:");
  EXPECT_EQ(FromWStr(corrected->pPrintProcessor), u"winprint") << "Wine's name of WinPrint";
  EXPECT_EQ(FromWStr(corrected->pDatatype), u"NT EMF 1.003");
  std::vector<uint8_t> stored;
  ASSERT_TRUE(GetPrinterInfo2(kVirtual, stored));
  EXPECT_EQ(FromWStr(PrinterInfo2(stored)->pDatatype), u"RAW") << "the printer itself is not changed";

  spooler.Types = {L"RAW"};
  ASSERT_TRUE(CorrectPrintProcessor(stored));
  EXPECT_EQ(FromWStr(PrinterInfo2(stored)->pDatatype), u"RAW") << "no EMF datatype: it stays";
  UseSpooler(nullptr);
  EXPECT_FALSE(CorrectPrintProcessor(stored)) << "Wine's spooler cannot list the datatypes";
}

TEST(SpoolerAccess, NineXBranchesByInjectedFacts) {
  TPrnHooks hooks;
  uint32_t dosMask = 0x2;
  std::vector<uint8_t> printersMask;
  hooks.System = [] { return TPrnSystemFacts{false, 4, 10, 0, false}; };
  hooks.ReadDword = [&](HKEY, const std::u16string&, const std::u16string& name, uint32_t& v) {
    if (name != u"DOSSpoolMask") return false;
    v = dosMask;
    return true;
  };
  hooks.WriteDword = [&](HKEY, const std::u16string&, const std::u16string&, uint32_t v) {
    dosMask = v;
    return true;
  };
  hooks.WriteBinary = [&](HKEY, const std::u16string&, const std::u16string&, const std::vector<uint8_t>& v) {
    printersMask = v;
    return true;
  };
  SetPrnHooks(hooks);
  EXPECT_TRUE(IsDosSpoolEnabled(2));
  EXPECT_FALSE(IsDosSpoolEnabled(1));
  EXPECT_TRUE(EnableDosSpool(1));
  EXPECT_EQ(dosMask, 0x3u);
  EXPECT_EQ(printersMask, std::vector<uint8_t>{1});
  EXPECT_EQ(OpenPrinterAclToEveryone(kDestination), -1);
  EXPECT_EQ(GetDriverVersionNumber(), 0);
  std::string env;
  GetPrinterEnvironmentName(env);
  EXPECT_EQ(env, "Windows 4.0");
  SetPrnHooks({});
  EXPECT_TRUE(IsDosSpoolEnabled(1)) << "always on the NT family";
}

}  // namespace
