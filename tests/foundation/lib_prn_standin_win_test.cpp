// Tests of the stand-in spooler under Wine: the calls the spooler units make on its virtual printers
// behave as on the Windows spooler, and other printers still reach Wine's spooler.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include "foundation/lib_prn.h"
#include "foundation/lib_prn_spool.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"
#include "support/prn_test_support.h"

namespace {

const std::u16string kPrinter = u"Виртуальный принтер";

TStandInPrinter VirtualPrinter(uint32_t status = PRN_STATUS_PAUSED, uint32_t attributes = PRN_ATTR_QUEUED | PRN_ATTR_LOCAL) {
  TStandInPrinter p;
  p.Name = kPrinter;
  p.PortName = u"LPT1:";
  p.DriverName = u"Wine PostScript Driver";
  p.Datatype = u"NT EMF 1.008";
  p.Attributes = attributes;
  p.Status = status;
  return p;
}

struct TOpen {
  HANDLE Handle = nullptr;
  explicit TOpen(const std::u16string& name, ACCESS_MASK access = 0) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    if (!Spooler().OpenPrinter(const_cast<LPWSTR>(WStr(name)), &Handle, access ? &defaults : nullptr)) Handle = nullptr;
  }
  ~TOpen() {
    if (Handle) Spooler().ClosePrinter(Handle);
  }
};

std::vector<BYTE> Jobs(HANDLE h, DWORD level, DWORD& count) {
  DWORD needed = 0;
  Spooler().EnumJobs(h, 0, 100, level, nullptr, 0, &needed, &count);
  std::vector<BYTE> bytes(needed);
  if (!Spooler().EnumJobs(h, 0, 100, level, bytes.data(), needed, &needed, &count)) count = 0;
  return bytes;
}

std::vector<BYTE> Info2(HANDLE h) {
  DWORD needed = 0;
  Spooler().GetPrinter(h, 2, nullptr, 0, &needed);
  std::vector<BYTE> bytes(needed);
  if (!Spooler().GetPrinter(h, 2, bytes.data(), needed, &needed)) bytes.clear();
  return bytes;
}

class StandIn : public ::testing::Test {
 protected:
  TStandInScope scope{u"standin_test"};
  TSpoolerStandIn& standIn = *scope.StandIn;
};

TEST_F(StandIn, PausedQueueKeepsAWindowsJobWithItsSpoolFileAndCopiesUntilCancelled) {
  ASSERT_TRUE(standIn.AddStandInPrinter(VirtualPrinter()));
  EXPECT_FALSE(standIn.AddStandInPrinter(VirtualPrinter())) << "a name is taken once";
  const auto page = MakePageMetafile({2000, 2000, 8000, 6000});
  const uint32_t id = standIn.SubmitEmfJob(kPrinter, u"Счёт №5", {page, page}, 3);
  ASSERT_NE(id, 0u);

  TOpen printer(kPrinter);
  ASSERT_TRUE(printer.Handle);
  DWORD count = 0;
  const auto bytes = Jobs(printer.Handle, 2, count);
  ASSERT_EQ(count, 1u);
  const auto& job = *reinterpret_cast<const JOB_INFO_2W*>(bytes.data());
  EXPECT_EQ(job.JobId, id);
  EXPECT_EQ(FromWStr(job.pDocument), u"Счёт №5");
  EXPECT_EQ(FromWStr(job.pPrinterName), kPrinter);
  EXPECT_EQ(FromWStr(job.pDatatype), u"NT EMF 1.008");
  EXPECT_EQ(FromWStr(job.pDriverName), u"Wine PostScript Driver");
  EXPECT_EQ(job.TotalPages, 2u);
  EXPECT_EQ(job.Position, 1u);
  EXPECT_EQ(job.Status, 0u);
  EXPECT_EQ(FromWStr(job.pMachineName).substr(0, 2), u"\\\\");
  ASSERT_NE(job.pDevMode, nullptr);
  EXPECT_EQ(job.pDevMode->dmCopies, 3);
  EXPECT_TRUE(job.pDevMode->dmFields & DM_COPIES);

  std::u16string dir;
  ASSERT_TRUE(Spooler().SpoolDirectoryOf(kPrinter, dir));
  const std::u16string spoolFile = FormatSpoolFileName(dir, id);
  const auto spool = ReadFileBytes(spoolFile);
  EXPECT_EQ(job.Size, spool.size());
  {
    // Read and closed again: a file still mapped by a reader cannot leave with its job.
    TProcSPLFile reader;
    ASSERT_TRUE(reader.Open(spoolFile));
    EXPECT_EQ(reader.DocumentName, u"Счёт №5");
    int pages = 1;
    while (reader.NextPage()) ++pages;
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(reader.Damage(), TSpoolDamage::None);
  }

  ASSERT_TRUE(Spooler().SetJob(printer.Handle, id, 0, nullptr, JOB_CONTROL_CANCEL));
  Jobs(printer.Handle, 2, count);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(GetFileAttributesW(WStr(spoolFile)), INVALID_FILE_ATTRIBUTES) << "the spool file leaves with the job";
  SetLastError(0);
  EXPECT_FALSE(Spooler().SetJob(printer.Handle, id, 0, nullptr, JOB_CONTROL_CANCEL));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(StandIn, PausingNeedsAdministerAccessAndResumingSendsTheWaitingJobsOut) {
  ASSERT_TRUE(standIn.AddStandInPrinter(VirtualPrinter(0, PRN_ATTR_QUEUED | PRN_ATTR_LOCAL | PRN_ATTR_KEEPPRINTEDJOBS)));
  {
    TOpen user(kPrinter);
    SetLastError(0);
    EXPECT_FALSE(Spooler().SetPrinter(user.Handle, 0, nullptr, PRINTER_CONTROL_PAUSE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  }
  TOpen admin(kPrinter, PRINTER_ACCESS_ADMINISTER);
  ASSERT_TRUE(Spooler().SetPrinter(admin.Handle, 0, nullptr, PRINTER_CONTROL_PAUSE));
  EXPECT_TRUE(reinterpret_cast<const PRINTER_INFO_2W*>(Info2(admin.Handle).data())->Status & PRINTER_STATUS_PAUSED);

  const std::string data = "\x1b@raw";
  const uint32_t id = standIn.SubmitRawJob(kPrinter, u"raw", std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
  DWORD count = 0;
  auto bytes = Jobs(admin.Handle, 1, count);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(reinterpret_cast<const JOB_INFO_1W*>(bytes.data())->Status, 0u) << "waits in the paused queue";
  EXPECT_EQ(FromWStr(reinterpret_cast<const JOB_INFO_1W*>(bytes.data())->pDatatype), u"RAW");

  ASSERT_TRUE(Spooler().SetPrinter(admin.Handle, 0, nullptr, PRINTER_CONTROL_RESUME));
  bytes = Jobs(admin.Handle, 2, count);
  ASSERT_EQ(count, 1u) << "kept: the printer keeps printed jobs";
  const auto& job = *reinterpret_cast<const JOB_INFO_2W*>(bytes.data());
  EXPECT_EQ(job.JobId, id);
  EXPECT_TRUE(job.Status & JOB_STATUS_PRINTED);
  EXPECT_EQ(job.pDevMode, nullptr) << "a raw job without device settings";
}

TEST_F(StandIn, AJobSentToAnUnpausedQueueIsPrintedAndLeaves) {
  ASSERT_TRUE(standIn.AddStandInPrinter(VirtualPrinter(0)));
  TOpen printer(kPrinter);
  DOC_INFO_1W doc{const_cast<LPWSTR>(L"written"), nullptr, const_cast<LPWSTR>(L"RAW")};
  const DWORD id = Spooler().StartDocPrinter(printer.Handle, 1, reinterpret_cast<LPBYTE>(&doc));
  ASSERT_NE(id, 0u);
  DWORD count = 0;
  Jobs(printer.Handle, 2, count);
  EXPECT_EQ(count, 1u) << "visible while it is spooled";
  char data[] = "abc";
  DWORD written = 0;
  EXPECT_TRUE(Spooler().WritePrinter(printer.Handle, data, 3, &written));
  EXPECT_EQ(written, 3u);
  EXPECT_TRUE(Spooler().EndDocPrinter(printer.Handle));
  Jobs(printer.Handle, 2, count);
  EXPECT_EQ(count, 0u);
}

TEST_F(StandIn, BuffersAreSizedAsWinspoolSizesThem) {
  ASSERT_TRUE(standIn.AddStandInPrinter(VirtualPrinter()));
  standIn.SubmitRawJob(kPrinter, u"one", {});
  standIn.SubmitRawJob(kPrinter, u"two", {});
  TOpen printer(kPrinter);
  DWORD needed = 0, count = 7;
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(Spooler().EnumJobs(printer.Handle, 0, 10, 2, nullptr, 0, &needed, &count));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(count, 0u);
  std::vector<BYTE> bytes(needed);
  DWORD again = 0;
  EXPECT_FALSE(Spooler().EnumJobs(printer.Handle, 0, 10, 2, bytes.data(), needed - 1, &again, &count)) << "one byte short";
  EXPECT_TRUE(Spooler().EnumJobs(printer.Handle, 0, 10, 2, bytes.data(), needed, &again, &count));
  EXPECT_EQ(count, 2u);
  EXPECT_TRUE(Spooler().EnumJobs(printer.Handle, 1, 10, 2, bytes.data(), needed, &again, &count));
  ASSERT_EQ(count, 1u) << "from the second job on";
  EXPECT_EQ(FromWStr(reinterpret_cast<const JOB_INFO_2W*>(bytes.data())->pDocument), u"two");
  EXPECT_EQ(reinterpret_cast<const JOB_INFO_2W*>(bytes.data())->Position, 2u);

  DWORD type = 0;
  DWORD value = 1;
  EXPECT_EQ(Spooler().SetPrinterData(printer.Handle, const_cast<LPWSTR>(L"EmfDespoolingSetting"), REG_DWORD,
                                     reinterpret_cast<LPBYTE>(&value), 4),
            DWORD(ERROR_ACCESS_DENIED));
  TOpen admin(kPrinter, PRINTER_ALL_ACCESS);
  EXPECT_EQ(Spooler().SetPrinterData(admin.Handle, const_cast<LPWSTR>(L"EmfDespoolingSetting"), REG_DWORD,
                                     reinterpret_cast<LPBYTE>(&value), 4),
            DWORD(ERROR_SUCCESS));
  DWORD read = 0;
  EXPECT_EQ(Spooler().GetPrinterData(printer.Handle, const_cast<LPWSTR>(L"emfdespoolingsetting"), &type,
                                     reinterpret_cast<LPBYTE>(&read), 3, &needed),
            DWORD(ERROR_MORE_DATA));
  EXPECT_EQ(Spooler().GetPrinterData(printer.Handle, const_cast<LPWSTR>(L"EmfDespoolingSetting"), &type,
                                     reinterpret_cast<LPBYTE>(&read), 4, &needed),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(read, 1u);
  EXPECT_EQ(Spooler().GetPrinterData(printer.Handle, const_cast<LPWSTR>(L"Missing"), &type, nullptr, 0, &needed),
            DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(StandIn, APrinterWithJobsIsDeletedWhenItsLastJobLeaves) {
  ASSERT_TRUE(standIn.AddStandInPrinter(VirtualPrinter()));
  const uint32_t id = standIn.SubmitRawJob(kPrinter, u"job", {});
  TOpen printer(kPrinter, PRINTER_ALL_ACCESS);
  ASSERT_TRUE(Spooler().DeletePrinter(printer.Handle));
  EXPECT_TRUE(standIn.IsStandInPrinter(kPrinter)) << "pending deletion while a job waits";
  ASSERT_TRUE(Spooler().SetJob(printer.Handle, id, 0, nullptr, JOB_CONTROL_DELETE));
  EXPECT_FALSE(standIn.IsStandInPrinter(kPrinter));
  HANDLE h = nullptr;
  EXPECT_FALSE(Spooler().OpenPrinter(const_cast<LPWSTR>(WStr(kPrinter)), &h, nullptr));
}

TEST_F(StandIn, EnumerationListsWinspoolPrintersAndTheStandInsTogether) {
  DWORD needed = 0, realCount = 0;
  EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &realCount);
  std::vector<BYTE> real(needed);
  ASSERT_TRUE(needed == 0 || EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, real.data(), needed, &needed, &realCount));

  ASSERT_TRUE(standIn.AddStandInPrinter(VirtualPrinter()));
  for (DWORD level : {1u, 2u, 4u, 5u}) {
    DWORD count = 0;
    Spooler().EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, level, nullptr, 0, &needed, &count);
    std::vector<BYTE> bytes(needed);
    ASSERT_TRUE(Spooler().EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, level, bytes.data(), needed, &needed, &count));
    EXPECT_EQ(count, realCount + 1) << "level " << level;
  }
  DWORD count = 0;
  Spooler().EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> bytes(needed);
  ASSERT_TRUE(Spooler().EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, bytes.data(), needed, &needed, &count));
  const auto* last = reinterpret_cast<const PRINTER_INFO_2W*>(bytes.data()) + (count - 1);
  EXPECT_EQ(FromWStr(last->pPrinterName), kPrinter);
  EXPECT_EQ(FromWStr(last->pDatatype), u"NT EMF 1.008");
  EXPECT_TRUE(last->Status & PRINTER_STATUS_PAUSED);
  ASSERT_NE(last->pDevMode, nullptr);
  EXPECT_EQ(last->pDevMode->dmSize, sizeof(DEVMODEW));

  // A second stand-in on the same directory, as in another process, sees the same printer.
  TSpoolerStandIn other(standIn.Directory());
  EXPECT_TRUE(other.IsStandInPrinter(kPrinter));
  // A name the stand-in does not keep goes to winspool.
  HANDLE h = nullptr;
  EXPECT_FALSE(Spooler().OpenPrinter(const_cast<LPWSTR>(L"No such printer"), &h, nullptr));
}

// A DEVMODE cut after dmFields holds no orientation, paper size or copies; the stand-in took 76 bytes
// and wrote the copy count behind them.
std::vector<uint8_t> ShortDevMode(size_t size) {
  DEVMODEW dm{};
  dm.dmSize = WORD(size);
  dm.dmSpecVersion = DM_SPECVERSION;
  const auto* b = reinterpret_cast<const uint8_t*>(&dm);
  return std::vector<uint8_t>(b, b + size);
}

TEST_F(StandIn, DeviceSettingsTooShortForTheFieldsItWritesAreRefused) {
  const size_t fieldsEnd = offsetof(DEVMODEW, dmDefaultSource);
  TStandInPrinter shortOne = VirtualPrinter();
  shortOne.DevMode = ShortDevMode(fieldsEnd - 1);
  EXPECT_FALSE(standIn.AddStandInPrinter(shortOne));
  shortOne.DevMode = ShortDevMode(fieldsEnd);
  EXPECT_TRUE(standIn.AddStandInPrinter(shortOne)) << "the copies are its last field";
  TOpen admin(kPrinter, PRINTER_ALL_ACCESS);
  ASSERT_TRUE(admin.Handle);

  for (size_t size : {size_t(offsetof(DEVMODEW, dmOrientation)), fieldsEnd - 1}) {
    SCOPED_TRACE(size);
    // A job that asks for copies on settings that cannot hold them gets the printer's settings.
    TStandInSubmit submit;
    submit.Document = u"short";
    submit.DevMode = ShortDevMode(size);
    submit.Copies = 3;
    ASSERT_NE(standIn.SubmitJob(kPrinter, submit, {}), 0u);
    DWORD count = 0;
    const auto bytes = Jobs(admin.Handle, 2, count);
    ASSERT_GT(count, 0u);
    const auto* job = reinterpret_cast<const JOB_INFO_2W*>(bytes.data()) + (count - 1);
    ASSERT_NE(job->pDevMode, nullptr);
    EXPECT_GE(job->pDevMode->dmSize, fieldsEnd);
    EXPECT_EQ(job->pDevMode->dmCopies, 3);

    std::vector<uint8_t> dm = ShortDevMode(size);
    PRINTER_INFO_2W info{};
    info.pDevMode = reinterpret_cast<DEVMODEW*>(dm.data());
    info.Attributes = PRN_ATTR_QUEUED | PRN_ATTR_LOCAL;
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(Spooler().SetPrinter(admin.Handle, 2, reinterpret_cast<LPBYTE>(&info), 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  const auto info = Info2(admin.Handle);
  ASSERT_FALSE(info.empty());
  EXPECT_EQ(reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDevMode->dmSize, fieldsEnd) << "kept";
}

TEST_F(StandIn, AddPrinterMakesAPausedStandInPrinterAndDeletePrinterRemovesIt) {
  const std::u16string driver = u"Wine PostScript Driver", port = u"LPT1:", comment = u"печать";
  PRINTER_INFO_2W info{};
  info.pPrinterName = const_cast<LPWSTR>(WStr(kPrinter));
  info.pPortName = const_cast<LPWSTR>(WStr(port));
  info.pDriverName = const_cast<LPWSTR>(WStr(driver));
  info.pComment = const_cast<LPWSTR>(WStr(comment));
  info.Attributes = PRN_ATTR_QUEUED | PRN_ATTR_LOCAL;
  HANDLE h = Spooler().AddPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
  ASSERT_NE(h, nullptr);
  TStandInPrinter kept;
  ASSERT_TRUE(standIn.ReadStandInPrinter(kPrinter, kept)) << "kept by the stand-in, not by winspool";
  EXPECT_TRUE(kept.Paused()) << "paused from the start";
  EXPECT_EQ(kept.Comment, comment);
  EXPECT_TRUE(Spooler().SetPrinter(h, 0, nullptr, PRINTER_CONTROL_RESUME)) << "the handle may administer";

  const struct {
    const wchar_t* name;
    const wchar_t* driver;
    DWORD level;
    DWORD error;
  } refused[] = {
      {WStr(kPrinter), L"Wine PostScript Driver", 2, ERROR_PRINTER_ALREADY_EXISTS},
      {L"Client Test PS", L"Wine PostScript Driver", 2, ERROR_PRINTER_ALREADY_EXISTS},  // winspool's
      {L"Другой", L"No such driver", 2, ERROR_UNKNOWN_PRINTER_DRIVER},
      {L"", L"Wine PostScript Driver", 2, ERROR_INVALID_PRINTER_NAME},
      {L"Другой\\А", L"Wine PostScript Driver", 2, ERROR_INVALID_PRINTER_NAME},
      {L"Другой,А", L"Wine PostScript Driver", 2, ERROR_INVALID_PRINTER_NAME},
      {L"Другой", L"Wine PostScript Driver", 1, ERROR_INVALID_LEVEL},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.error);
    PRINTER_INFO_2W other = info;
    other.pPrinterName = const_cast<LPWSTR>(c.name);
    other.pDriverName = const_cast<LPWSTR>(c.driver);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(Spooler().AddPrinter(nullptr, c.level, reinterpret_cast<LPBYTE>(&other)), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_FALSE(standIn.IsStandInPrinter(u"Другой"));

  ASSERT_TRUE(Spooler().DeletePrinter(h));
  EXPECT_TRUE(Spooler().ClosePrinter(h));
  EXPECT_FALSE(standIn.IsStandInPrinter(kPrinter));
}

TEST_F(StandIn, TheEightBitListingCarriesTheStandInsPrintersInTheAnsiCodePage) {
  ASSERT_TRUE(standIn.AddStandInPrinter(VirtualPrinter()));
  for (DWORD level : {1u, 2u, 4u, 5u}) {
    SCOPED_TRACE(level);
    DWORD needed = 0, count = 0;
    Spooler().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, level, nullptr, 0, &needed, &count);
    std::vector<BYTE> bytes(needed);
    ASSERT_TRUE(Spooler().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, level, bytes.data(), needed, &needed, &count));
    ASSERT_GT(count, 0u);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(Spooler().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, level, bytes.data(), needed - 1, &needed, &count));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER)) << "one byte short";
  }
  DWORD needed = 0, count = 0;
  Spooler().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> bytes(needed);
  ASSERT_TRUE(Spooler().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, bytes.data(), needed, &needed, &count));
  const auto* last = reinterpret_cast<const PRINTER_INFO_2A*>(bytes.data()) + (count - 1);
  EXPECT_EQ(std::string(last->pPrinterName), WideToAnsi(kPrinter));
  EXPECT_EQ(std::string(last->pPortName), "LPT1:");
  EXPECT_TRUE(last->Status & PRINTER_STATUS_PAUSED);
  ASSERT_NE(last->pDevMode, nullptr);
  EXPECT_EQ(last->pDevMode->dmSize, sizeof(DEVMODEA)) << "the names are 8-bit";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(last->pDevMode->dmDeviceName)), WideToAnsi(kPrinter));
  EXPECT_EQ(last->pDevMode->dmCopies, 1);
  EXPECT_EQ(last->pDevMode->dmPaperSize, DMPAPER_A4);
}

}  // namespace
