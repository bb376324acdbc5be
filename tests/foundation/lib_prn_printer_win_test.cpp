// Tests of the printer object and printer output under Wine: queue operations on stand-in printers,
// raw and metafile output to the real destination printer, its PostScript rendered by Ghostscript.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/lib_prn_printer_win.h"
#include "foundation/lib_prn_spoolwriter.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/prn_test_support.h"

namespace {

const std::u16string kDestination = u"Client Test PS";
const std::u16string kDestinationFile = u"C:\\client-print\\out.ps";
const std::u16string kVirtual = u"Виртуальный принтер";

TStandInPrinter VirtualPrinter(std::u16string datatype = u"NT EMF 1.008", uint32_t status = 0) {
  TStandInPrinter p;
  p.Name = kVirtual;
  p.PortName = u"LPT1:";
  p.DriverName = u"Wine PostScript Driver";
  p.Datatype = std::move(datatype);
  p.Status = status;
  p.Attributes = PRN_ATTR_QUEUED | PRN_ATTR_LOCAL | PRN_ATTR_DIRECT | PRN_ATTR_WORK_OFFLINE;
  return p;
}

// Boxes are answered, never shown; the texts are kept.
struct TBoxes {
  std::vector<std::u16string> Texts;
  int Answer = IDNO;
  TBoxes() {
    TPrnHooks hooks;
    hooks.MessageBox = [this](const std::u16string& text, const std::u16string&, UINT, HWND) {
      Texts.push_back(text);
      return Answer;
    };
    SetPrnHooks(hooks);
  }
  ~TBoxes() { SetPrnHooks({}); }
};

void WriteBytes(const std::u16string& name, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(WStr(name)), std::ios::binary);
  out << bytes;
}

class PrinterOnStandIn : public ::testing::Test {
 protected:
  TStandInScope scope{u"lib_prn_printer_test"};
  TBoxes boxes;
};

TEST_F(PrinterOnStandIn, OpenEnsureOpenAndClose) {
  ASSERT_TRUE(scope.StandIn->AddStandInPrinter(VirtualPrinter()));
  TPrinter printer;
  EXPECT_FALSE(printer.Open(u"No such printer"));
  ASSERT_TRUE(printer.Open(kVirtual));
  HANDLE first = printer.Handle;
  EXPECT_TRUE(printer.EnsureOpen(kVirtual));
  EXPECT_EQ(printer.Handle, first) << "nothing reopened";
  ASSERT_TRUE(printer.RefreshInfo());
  EXPECT_EQ(FromWStr(printer.Info2()->pPrinterName), kVirtual);
  EXPECT_EQ(RemovePrinter(kVirtual), 0);
  EXPECT_FALSE(printer.EnsureOpen(kVirtual)) << "deleted meanwhile";
  EXPECT_EQ(printer.Handle, first) << "the handle is kept";
  ASSERT_TRUE(printer.Open(kDestination));
  DWORD needed = 0;
  EXPECT_FALSE(Spooler().GetPrinter(first, 2, nullptr, 0, &needed)) << "the held handle was released first";
  printer.Close();
  EXPECT_EQ(printer.Handle, nullptr);
  EXPECT_TRUE(printer.Name.empty());
}

TEST_F(PrinterOnStandIn, AddVirtualPrinterMakesAPausedStandInQueueThatKeepsItsJobs) {
  TPrinter printer;
  ASSERT_EQ(AddVirtualPrinter(printer, kVirtual, u"LPT1:", u"виртуальный", u"Wine PostScript Driver"), 0u);
  ASSERT_NE(printer.Handle, nullptr);
  EXPECT_EQ(printer.Name, kVirtual);
  TStandInPrinter kept;
  ASSERT_TRUE(scope.StandIn->ReadStandInPrinter(kVirtual, kept)) << "made through the seam, not in winspool";
  EXPECT_TRUE(kept.Paused());
  EXPECT_TRUE(kept.Attributes & PRN_ATTR_KEEPPRINTEDJOBS);
  EXPECT_EQ(kept.Comment, u"виртуальный");
  EXPECT_TRUE(IsEmfDatatype(kept.Datatype)) << WideToAnsi(kept.Datatype);
  const TStandInPrinterData* despooling = kept.FindData(u"EmfDespoolingSetting");
  ASSERT_NE(despooling, nullptr);
  EXPECT_EQ(despooling->Value, (std::vector<uint8_t>{1, 0, 0, 0}));
  ASSERT_NE(printer.Info2(), nullptr);
  EXPECT_TRUE(printer.Info2()->Status & PRINTER_STATUS_PAUSED);

  TPrinter second;
  EXPECT_EQ(AddVirtualPrinter(second, kVirtual, u"LPT1:", u"", u"Wine PostScript Driver"),
            DWORD(ERROR_PRINTER_ALREADY_EXISTS));
  printer.Close();
  EXPECT_EQ(RemovePrinter(kVirtual), 0);
  EXPECT_FALSE(scope.StandIn->IsStandInPrinter(kVirtual));
}

TEST(CreateDCForPrinter, TheDeviceContextGoesWithItsOwner) {
  HDC dc = nullptr;
  {
    const TDeviceContext owner = CreateDCForPrinter(kDestination, {});
    ASSERT_TRUE(owner.Valid());
    dc = owner.Get();
    EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_DC));
  }
  EXPECT_EQ(GetObjectType(dc), 0u) << "deleted";
  EXPECT_FALSE(CreateDCForPrinter(u"No such printer", {}).Valid());
}

TEST_F(PrinterOnStandIn, HoldPrinterQueueSetsTheAttributesAndPauses) {
  ASSERT_TRUE(scope.StandIn->AddStandInPrinter(VirtualPrinter()));
  TPrinter printer;
  ASSERT_TRUE(printer.Open(kVirtual));
  EXPECT_EQ(HoldPrinterQueue(printer, 5, false), 5) << "PrinterAttrib 0: the given last error, queue unchanged";
  TStandInPrinter state;
  ASSERT_TRUE(scope.StandIn->ReadStandInPrinter(kVirtual, state));
  EXPECT_FALSE(state.Paused());
  EXPECT_EQ(HoldPrinterQueue(printer, 0, true), 0);
  ASSERT_TRUE(scope.StandIn->ReadStandInPrinter(kVirtual, state));
  EXPECT_TRUE(state.Paused());
  EXPECT_EQ(state.Attributes & 0x101u, 0x101u);
  EXPECT_EQ(state.Attributes & 0x1682u, 0u);
  EXPECT_EQ(HoldPrinterQueue(printer, 0, true), 0) << "already paused";
  EXPECT_TRUE(boxes.Texts.empty());
  EXPECT_EQ(printer.Name, kVirtual) << "reopened normally after the administrator's handle";
}

TEST_F(PrinterOnStandIn, CheckSpoolFormatAsksOnlyForANonEmfQueue) {
  ASSERT_TRUE(scope.StandIn->AddStandInPrinter(VirtualPrinter()));
  TPrinter printer;
  ASSERT_TRUE(printer.Open(kVirtual));
  EXPECT_TRUE(CheckSpoolFormat(printer, nullptr));
  EXPECT_TRUE(boxes.Texts.empty());
  ASSERT_EQ(RemovePrinter(kVirtual), 0);
  ASSERT_TRUE(scope.StandIn->AddStandInPrinter(VirtualPrinter(u"RAW")));
  ASSERT_TRUE(printer.Open(kVirtual));
  EXPECT_TRUE(CheckSpoolFormat(printer, nullptr));
  ASSERT_EQ(boxes.Texts.size(), 1u);
  EXPECT_NE(boxes.Texts[0].find(u"установлен как \"RAW\""), std::u16string::npos);
  EXPECT_NE(boxes.Texts[0].find(u"\"NT EMF 1.003\""), std::u16string::npos);
}

TEST_F(PrinterOnStandIn, SendFileToPrinterSpoolsTheBytesAndAnEmptyFileAsAnEmptyDocument) {
  ASSERT_TRUE(scope.StandIn->AddStandInPrinter(VirtualPrinter(u"RAW", PRN_STATUS_PAUSED)));
  const std::u16string file = scope.Directory.Path + u"\\raw.prn", empty = scope.Directory.Path + u"\\empty.prn";
  WriteBytes(file, std::string("\x1b@Hello\f", 8));
  WriteBytes(empty, "");
  TPrinter printer;
  ASSERT_TRUE(printer.Open(kVirtual));
  EXPECT_TRUE(SendFileToPrinter(printer.Handle, file, false, u"", kVirtual));
  EXPECT_TRUE(SendFileToPrinter(printer.Handle, empty, true, u"пусто", kVirtual));
  EXPECT_EQ(GetFileAttributesW(WStr(empty)), INVALID_FILE_ATTRIBUTES) << "deleted after";
  DWORD count = 0;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(printer.ListJobs(0, 10, count, bytes));
  ASSERT_EQ(count, 2u);
  _JOBINFO job;
  ASSERT_TRUE(CopyJobInfo(bytes, count, 0, job));
  EXPECT_EQ(job.Document, file) << "no name given: the file's";
  std::u16string spool;
  GetSpoolFileName(kVirtual, job.JobId, spool);
  EXPECT_EQ(ReadFileBytes(spool), (std::vector<uint8_t>{0x1b, '@', 'H', 'e', 'l', 'l', 'o', '\f'}));
  ASSERT_TRUE(CopyJobInfo(bytes, count, 1, job));
  EXPECT_EQ(job.Size, 0u);
  EXPECT_EQ(job.Datatype, u"RAW");
  EXPECT_TRUE(printer.CancelJob(job.JobId));
  EXPECT_TRUE(boxes.Texts.empty());
}

// A spooler whose writes move nothing.
class TStuckWrites : public TSpoolerStandIn {
 public:
  using TSpoolerStandIn::TSpoolerStandIn;
  BOOL WritePrinter(HANDLE, LPVOID, DWORD, LPDWORD written) override {
    *written = 0;
    return TRUE;
  }
};

TEST(SendFileToPrinter, AWriteThatMovesNothingFailsInsteadOfLoopingAndNamesThePrinter) {
  TBoxes boxes;
  TScratchDirectory dir(u"stuck_writes");
  TStuckWrites spooler(dir.Path);
  UseSpooler(&spooler);
  ASSERT_TRUE(spooler.AddStandInPrinter(VirtualPrinter(u"RAW", PRN_STATUS_PAUSED)));
  const std::u16string file = dir.Path + u"\\data.prn";
  WriteBytes(file, "data");
  TPrinter printer;
  ASSERT_TRUE(printer.Open(kVirtual));
  EXPECT_FALSE(SendFileToPrinter(printer.Handle, file, false, u"doc", kVirtual));
  ASSERT_EQ(boxes.Texts.size(), 1u);
  EXPECT_NE(boxes.Texts[0].find(u"\"" + kVirtual + u"\""), std::u16string::npos);
  printer.Close();
  UseSpooler(nullptr);
}

TEST_F(PrinterOnStandIn, PrintFileRawToAMissingPrinterAsksBeforeUsingTheDefault) {
  ASSERT_TRUE(scope.StandIn->AddStandInPrinter(VirtualPrinter(u"RAW", PRN_STATUS_PAUSED)));
  const std::u16string file = scope.Directory.Path + u"\\raw.prn";
  WriteBytes(file, "abc");
  TStandInPrinter state;
  boxes.Answer = IDNO;
  EXPECT_FALSE(PrintFileRaw(kVirtual, file, u"Пропавший", false, u"doc"));
  ASSERT_TRUE(scope.StandIn->ReadStandInPrinter(kVirtual, state));
  EXPECT_TRUE(state.Jobs.empty());
  ASSERT_EQ(boxes.Texts.size(), 1u);
  EXPECT_EQ(boxes.Texts[0], u"Принтер \"Пропавший\" не найден в системе.\r\nИспользовать принтер \"" + kVirtual + u"\"?");
  boxes.Answer = IDYES;
  EXPECT_TRUE(PrintFileRaw(kVirtual, file, u"Пропавший", false, u"doc"));
  ASSERT_TRUE(scope.StandIn->ReadStandInPrinter(kVirtual, state));
  EXPECT_EQ(state.Jobs.size(), 1u);
  EXPECT_FALSE(PrintFileRaw(u"", file, u"Пропавший", false, u"doc"));
  EXPECT_EQ(boxes.Texts.back(), u"В системе не обнаружено принтеров. Печать невозможна.");
  EXPECT_FALSE(PrintFileRaw(kVirtual, file + u".missing", kVirtual, false, u"doc"));
}

TEST_F(PrinterOnStandIn, DeviceSettingsComeFromTheDriverWhenNoneAreStored) {
  ASSERT_TRUE(scope.StandIn->AddStandInPrinter(VirtualPrinter()));
  std::vector<uint8_t> settings;
  ASSERT_TRUE(LoadDeviceSettings(kVirtual, settings));
  ASSERT_GE(settings.size(), sizeof(DEVMODEW));
  EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(settings.data())->dmOrientation, DMORIENT_PORTRAIT);
  EXPECT_FALSE(LoadDeviceSettings(u"No such printer", settings));
  ASSERT_TRUE(LoadDeviceSettings(kDestination, settings)) << "Wine's PostScript driver";
}

// The PostScript the destination printer wrote, rendered by Ghostscript to an 8-bit grey PGM.
struct TRendered {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Pixels;
  int At(int x, int y) const { return Pixels[size_t(y) * Width + x]; }
};

std::string UnixPath(const std::u16string& path) {
  using TToUnix = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<TToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* converted = toUnix ? toUnix(WStr(path)) : nullptr;
  if (!converted) return {};
  std::string out = converted;
  HeapFree(GetProcessHeap(), 0, converted);
  return out;
}

// Ghostscript runs as a Unix program; Wine gives back neither its end nor its exit code, so it
// renders to a temporary name and the finished picture appears under the final one.
bool RenderWithGhostscript(const std::u16string& postscript, int dpi, TRendered& out) {
  const std::u16string pgm = postscript + u".pgm";
  DeleteFileW(WStr(pgm));
  const std::string ps = UnixPath(postscript), target = UnixPath(pgm);
  if (ps.empty() || target.empty()) return false;
  const std::string cmd = "Z:\\bin\\sh -c \"gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pgmraw -r" + std::to_string(dpi) +
                          " -sOutputFile='" + target + ".tmp' '" + ps + "' && mv '" + target + ".tmp' '" + target + "'\"";
  std::u16string wideCmd = AnsiToWide(cmd);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, const_cast<LPWSTR>(WStr(wideCmd)), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 300 && GetFileAttributesW(WStr(pgm)) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  const std::vector<uint8_t> bytes = ReadFileBytes(pgm);
  DeleteFileW(WStr(pgm));
  // "P5", comment lines, width and height, the maximum value, then one byte a pixel.
  std::vector<std::string> fields;
  size_t at = 0;
  while (fields.size() < 4 && at < bytes.size()) {
    if (bytes[at] == '#') {
      while (at < bytes.size() && bytes[at] != '\n') ++at;
    } else if (isspace(bytes[at])) {
      ++at;
    } else {
      std::string field;
      while (at < bytes.size() && !isspace(bytes[at])) field += char(bytes[at++]);
      fields.push_back(field);
    }
  }
  if (fields.size() < 4 || fields[0] != "P5" || fields[3] != "255") return false;
  out.Width = std::atoi(fields[1].c_str());
  out.Height = std::atoi(fields[2].c_str());
  ++at;
  if (out.Width <= 0 || out.Height <= 0 || bytes.size() < at + size_t(out.Width) * out.Height) return false;
  out.Pixels.assign(bytes.begin() + at, bytes.begin() + at + size_t(out.Width) * out.Height);
  return true;
}

TEST(DestinationPrinter, ReceivesRawBytes) {
  TBoxes boxes;
  DeleteFileW(WStr(kDestinationFile));  // a file port is not truncated before a job
  TScratchDirectory dir(u"raw_to_destination");
  const std::u16string file = dir.Path + u"\\raw.ps";
  const std::string data = "%!PS\n% raw job\nshowpage\n";
  WriteBytes(file, data);
  EXPECT_TRUE(PrintFileRaw(u"", file, kDestination, false, u"raw"));
  const std::vector<uint8_t> got = ReadFileBytes(kDestinationFile);
  EXPECT_EQ(std::string(got.begin(), got.end()), data);
  EXPECT_TRUE(boxes.Texts.empty());
}

TEST(DestinationPrinter, PrintsAnEmfSpoolFileWhoseRenderedPageShowsTheDrawing) {
  TBoxes boxes;
  DeleteFileW(WStr(kDestinationFile));
  TScratchDirectory dir(u"emf_to_destination");
  // A black rectangle 20..80 mm across and 20..60 mm down an A4 page, in a one-page NT spool file.
  TEmfSpoolWriter writer(u"Страница", kDestination);
  writer.AddPage(MakePageMetafile({2000, 2000, 8000, 6000}));
  const std::u16string spool = dir.Path + u"\\00001.spl";
  WriteBytes(spool, std::string(writer.Bytes().begin(), writer.Bytes().end()));
  ASSERT_TRUE(PrintEmfSpoolFile(spool, kDestination, u"Страница", nullptr));
  EXPECT_TRUE(boxes.Texts.empty());
  TRendered page;
  ASSERT_TRUE(RenderWithGhostscript(kDestinationFile, 36, page));
  const auto px = [](double mm) { return int(mm / 25.4 * 36); };
  EXPECT_NEAR(page.Width, px(210), 2);
  EXPECT_LT(page.At(px(50), px(40)), 64) << "inside the rectangle";
  // The page is played into the printable area, a few millimetres in from the sheet's edge.
  EXPECT_LT(page.At(px(30), px(30)), 64) << "near its top left corner";
  EXPECT_GT(page.At(px(100), px(40)), 192) << "to its right";
  EXPECT_GT(page.At(px(50), px(100)), 192) << "below it";
}

TEST(DestinationPrinter, ADamagedSpoolFileIsAFailedPrint) {
  TScratchDirectory dir(u"damaged_spool");
  const auto page1 = MakePageMetafile({2000, 2000, 8000, 6000});
  const auto page2 = MakePageMetafile({10000, 20000, 15000, 25000});
  TEmfSpoolWriter cutWriter(u"Обрезан", kDestination);
  cutWriter.AddPage(page1);
  cutWriter.AddPage(page2);
  std::vector<uint8_t> cut = cutWriter.Bytes();
  cut.resize(cut.size() - 16 - page2.size() / 2);  // into the second page's metafile
  TEmfSpoolWriter unknownWriter(u"Чужая запись", kDestination);
  unknownWriter.AddPage(page1);
  unknownWriter.AddRecord(0x77, std::vector<uint8_t>(8, 0));
  unknownWriter.AddPage(page2);
  const struct {
    std::vector<uint8_t> file;
    const char* why;
  } cases[] = {{cut, "the second page cut off"}, {unknownWriter.Bytes(), "an unknown record between the pages"}};
  for (const auto& c : cases) {
    TBoxes boxes;
    const std::u16string spool = dir.Path + u"\\00002.spl";
    WriteBytes(spool, std::string(c.file.begin(), c.file.end()));
    EXPECT_FALSE(PrintEmfSpoolFile(spool, kDestination, u"Повреждён", nullptr)) << c.why;
    ASSERT_EQ(boxes.Texts.size(), 1u) << c.why;
    EXPECT_NE(boxes.Texts[0].find(u"Файл задания печати повреждён"), std::u16string::npos) << c.why;
    EXPECT_NE(boxes.Texts[0].find(u"Страниц до повреждения: 1."), std::u16string::npos) << c.why;
  }
}

TEST(DestinationPrinter, APlainMetafileIsPrintedAsOnePage) {
  TBoxes boxes;
  DeleteFileW(WStr(kDestinationFile));
  TScratchDirectory dir(u"plain_emf");
  const auto page = MakePageMetafile({10000, 20000, 15000, 25000});
  const std::u16string file = dir.Path + u"\\page.emf";
  WriteBytes(file, std::string(page.begin(), page.end()));
  ASSERT_TRUE(PrintEmfSpoolFile(file, kDestination, u"plain", nullptr));
  TRendered rendered;
  ASSERT_TRUE(RenderWithGhostscript(kDestinationFile, 36, rendered));
  const auto px = [](double mm) { return int(mm / 25.4 * 36); };
  EXPECT_LT(rendered.At(px(125), px(225)), 64);
  EXPECT_GT(rendered.At(px(50), px(40)), 192);
  EXPECT_FALSE(PrintEmfSpoolFile(dir.Path + u"\\missing.emf", kDestination, u"x", nullptr));
  ASSERT_FALSE(boxes.Texts.empty());
}

}  // namespace
