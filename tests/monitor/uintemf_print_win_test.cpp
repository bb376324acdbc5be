// Windows job printing under Wine on the destination PostScript printer of scripts/setup: a page's
// copies with the code on the "C" copies only, a missing code picture, and a whole job of a stand-in
// virtual printer through ProcessEMF (its pages listed once per job copy, coded, printed, the job
// cancelled, no temporary file left), and the failures that keep a job queued with one box.
// The PostScript and the code pictures go to uintemf_print/ in the build directory with what each sheet
// must carry; the native step monitor/uintemf_print_win_zxing renders them with Ghostscript and reads
// the codes with zxing-cpp.
#include "monitor/uintemf_print_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "coding/cl_macrolib_docparam.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_config_names.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_prn_printer_win.h"
#include "foundation/lib_prn_spoolwriter.h"
#include "foundation/lib_prn_win.h"
#include "monitor/uintemf_print.h"
#include "support/code_image.h"
#include "support/coding_scope_win.h"
#include "support/e2e_page_win.h"
#include "support/prn_test_support.h"

namespace {
namespace fs = std::filesystem;

const std::u16string kDestination = u"Client Test PS";
const std::u16string kPortFile = u"C:\\client-print\\out.ps";
const std::u16string kVirtual = u"Виртуальный счёт";
const fs::path kOut = "uintemf_print";

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t Sheets(const std::string& postscript) {
  size_t count = 0;
  for (size_t at = postscript.find("%%Page:"); at != std::string::npos; at = postscript.find("%%Page:", at + 1)) ++count;
  return count;
}

std::u16string Join(const std::vector<std::u16string>& lines) {
  std::u16string all;
  for (const std::u16string& line : lines) all += line + u"\n";
  return all;
}

size_t CountLines(const TMemoryLog& log, std::u16string_view text) {
  return static_cast<size_t>(std::count_if(log.host.Lines.begin(), log.host.Lines.end(),
                                           [&](const std::u16string& l) { return l.find(text) != std::u16string::npos; }));
}

// The code picture alone, black on white with a quiet zone, as a 1-bit BMP for zxing-cpp; small
// enough for one of the reader's windows to hold it whole.
bool WriteCodeImage(const std::u16string& codeFile, const fs::path& bmp) {
  constexpr int kSide = 400, kMargin = 100;
  TCanvas canvas(kSide, kSide);
  const RECT all{0, 0, kSide, kSide};
  FillRect(canvas.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (!PlayCodeFile(canvas.dc, codeFile, RECT{kMargin, kMargin, kSide - kMargin, kSide - kMargin})) return false;
  GdiFlush();
  const int stride = (kSide + 7) / 8;
  TMonoPicture mono(static_cast<size_t>(stride) * kSide, 0);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const uint32_t v = canvas.bits[static_cast<size_t>(y) * kSide + x];
      if ((v & 0xFF) + ((v >> 8) & 0xFF) + ((v >> 16) & 0xFF) < 384)
        mono[static_cast<size_t>(y) * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  std::vector<uint8_t> out;
  return WriteMonoBmp(mono, TPictureSize{kSide, kSide}, out, 1) && WriteFileBytes(bmp.string(), out);
}

// What the native step checks on each sheet of a PostScript file: "plain", or "code <picture.bmp>".
void WriteExpectation(const std::string& name, const std::vector<std::string>& sheets) {
  std::ofstream out(kOut / (name + ".expect"), std::ios::binary);
  for (const std::string& sheet : sheets) out << sheet << '\n';
}

// The machine the pages are coded on (coding_scope_win.h), with the spooler units' boxes counted too:
// with the GUI off they would not reach the box hook.
class EmfPrintWin : public ::testing::Test {
 protected:
  void SetUp() override {
    // What an earlier run left would be read as this run's output.
    static const bool cleared = [] {
      std::error_code ignored;
      fs::remove_all(kOut, ignored);
      return fs::create_directories(kOut, ignored);
    }();
    (void)cleared;
    TPrnHooks hooks;
    hooks.MessageBox = [this](const std::u16string& text, const std::u16string&, UINT, HWND) {
      boxes_.push_back(text);
      return IDCANCEL;
    };
    SetPrnHooks(hooks);
  }
  void TearDown() override { SetPrnHooks({}); }
  // Files of the temp directory other than the ones the coding keeps for good.
  std::set<std::wstring> TempFiles() const {
    std::set<std::wstring> files = scope_.Files();
    files.erase(L"client.log");
    files.erase(std::wstring(kContextStoreName.begin(), kContextStoreName.end()));
    return files;
  }

  TCodingScope scope_{L"uintemf_print_win_test"};
  const fs::path& temp_ = scope_.Temp;
  std::vector<std::u16string>& boxes_ = scope_.Boxes;
};

// One page printed with PrintEMF in a document of its own, written to a file of the build directory.
struct TPagePrint {
  std::u16string Output;
  TMemoryLog Log;
  bool Answer = false;
  TPagePrint(const std::string& name, HENHMETAFILE page, const TCodeResultRec& rec) {
    const fs::path file = fs::absolute(kOut / (name + ".ps"));
    fs::remove(file);
    Output = file.u16string();
    const TDeviceContext dc = DestinationPrinterDC();
    if (!dc) return;
    DOCINFOW doc{sizeof doc, L"Страница", WStr(Output), nullptr, 0};
    if (StartDocW(dc.Get(), &doc) <= 0) return;
    RECT rect{0, 0, GetDeviceCaps(dc.Get(), PHYSICALWIDTH) - 2 * GetDeviceCaps(dc.Get(), PHYSICALOFFSETX),
              GetDeviceCaps(dc.Get(), PHYSICALHEIGHT) - 2 * GetDeviceCaps(dc.Get(), PHYSICALOFFSETY)};
    std::vector<uint8_t> noSettings;
    Answer = PrintEMF(dc.Get(), kDestination, noSettings, rec, rect, page, u"Tevoran-Клиент", Log);
    EndDoc(dc.Get());
  }
};

TEST_F(EmfPrintWin, ACopiesStringOfOneCodedAndTwoPlainLettersPrintsThreeSheetsTheCodeOnTheFirst) {
  TMachineTypes types(kE2EPageOrder);
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  PlaceInvoiceCodeLowerRight(types.Store());
  const TEnhMetaFile page = RecordE2EPage(E2EDocument("SCHT"), &InvoiceTable());
  ASSERT_TRUE(page) << "the destination printer of scripts/setup";
  const std::u16string codeFile = (temp_ / L"код.wmf").u16string();
  TE2EPageRun run(page.Get(), codeFile);
  ASSERT_EQ(run.FailedStage, "");
  ASSERT_TRUE(WriteCodeImage(codeFile, kOut / "cnn_code.bmp"));

  TCodeResultRec rec{};
  rec.FileType = ReadFixture(codeFile).substr(0, 4) == "\xD7\xCD\xC6\x9A" ? 0 : 1;
  ASSERT_TRUE(SetCodeFileName(rec, codeFile));
  std::memcpy(rec.Pages, "CNN", 3);
  rec.X = run.Place.X;
  rec.Y = run.Place.Y;
  rec.LogoText = 1;
  const TPagePrint printed("cnn", page.Get(), rec);
  EXPECT_TRUE(printed.Answer);
  EXPECT_EQ(Sheets(FileText(printed.Output)), 3u);
  EXPECT_EQ(CountLines(printed.Log, u"Print code"), 1u);
  EXPECT_EQ(CountLines(printed.Log, u"--> PrintEMF: Print page: "), 3u);
  EXPECT_FALSE(fs::exists(fs::path(codeFile))) << "the code picture is deleted";
  EXPECT_TRUE(boxes_.empty());
  WriteExpectation("cnn", {"code cnn_code.bmp", "plain", "plain"});
}

TEST_F(EmfPrintWin, AMissingCodePicturePrintsThePageOncePlain) {
  const TEnhMetaFile page = RecordE2EPage(E2EDocument("SCHT"), &InvoiceTable());
  ASSERT_TRUE(page);
  TCodeResultRec rec{};
  ASSERT_TRUE(SetCodeFileName(rec, (temp_ / L"нет.wmf").u16string()));
  std::memcpy(rec.Pages, "CNN", 3);
  const TPagePrint printed("missing", page.Get(), rec);
  EXPECT_TRUE(printed.Answer);
  EXPECT_EQ(Sheets(FileText(printed.Output)), 1u);
  EXPECT_EQ(CountLines(printed.Log, u"Print code"), 0u);
  EXPECT_EQ(CountLines(printed.Log, u"Pages=\"N\""), 1u);
  EXPECT_TRUE(boxes_.empty());
  WriteExpectation("missing", {"plain"});
}

// The queue's side over a stand-in virtual printer: its jobs through the spooler seam, the destination
// as the test names it, the once-state of the boxes, and each page's code picture kept for the reader.
class TFakeQueue : public TEmfJobQueue {
 public:
  TFakeQueue(std::u16string destination) : destination_(std::move(destination)) {}

  TLogFile* Log() override { return log; }
  std::u16string VirtualPrinterName() override { return kVirtual; }
  std::u16string SpoolFileName(uint32_t jobId) override {
    std::u16string file;
    GetSpoolFileName(kVirtual, jobId, file);
    return file;
  }
  uint8_t ComponentMask() override { return 1; }
  std::u16string JobUser(const _JOBINFO& job) override { return job.UserName; }
  bool CheckWindowsDestination(const std::u16string&) override { return integrity; }
  TEmfDestination WindowsDestination(const std::u16string&) override { return {destination_, allowed}; }
  uint32_t ReadCorrectEMF() override { return correctEmf; }
  DWORD OpenDestination(const std::u16string& printer) override {
    ++opens;
    if (destinationPrinter.Open(printer)) return 0;
    const DWORD error = GetLastError();
    destinationPrinter.Close();
    return error ? error : ERROR_INVALID_PRINTER_NAME;
  }
  void CloseDestination() override { destinationPrinter.Close(); }
  bool CancelJob(uint32_t jobId) override {
    ++cancels;
    TPrinter printer;
    return printer.Open(kVirtual) && printer.CancelJob(jobId);
  }
  void PrintPendingDosPart(const std::u16string& destination) override { pendingAsked.push_back(destination); }
  bool FailureBoxDue(const std::u16string& printer, TEmfJobFailure failure) override {
    return shown.insert({printer, failure}).second;
  }
  void DestinationUsable(const std::u16string& printer) override {
    std::erase_if(shown, [&](const auto& entry) { return entry.first == printer; });
  }
  void JobProceeds() override { ++proceeds; }
  uint8_t CodePage(uint32_t jobRecordNo, HENHMETAFILE& page, int32_t pageNo, HDC& dc, const _JOBINFO& job,
                   const std::u16string& printerName, std::vector<uint8_t>& devMode, TCodeResultRec& rec) override {
    const uint8_t status = TEmfJobQueue::CodePage(jobRecordNo, page, pageNo, dc, job, printerName, devMode, rec);
    pageNumbers.push_back(pageNo);
    letters.emplace_back(rec.Pages, strnlen(rec.Pages, kCodePagesLetters));
    const fs::path picture = kOut / (picturePrefix + std::to_string(pageNo) + ".bmp");
    const bool kept = !picturePrefix.empty() && status == kPageCoded && WriteCodeImage(CodeFileName(rec), picture);
    pictures.push_back(kept ? picture.filename().string() : std::string());
    return status;
  }

  TMemoryLog log;
  TPrinter destinationPrinter;
  bool integrity = true, allowed = true;
  uint32_t correctEmf = 0;
  std::string picturePrefix;  // the code pictures are kept for the reader under this name
  int opens = 0, cancels = 0, proceeds = 0;
  std::set<std::pair<std::u16string, TEmfJobFailure>> shown;
  std::vector<std::u16string> pendingAsked;
  std::vector<int32_t> pageNumbers;
  std::vector<std::string> letters, pictures;

 private:
  std::u16string destination_;
};

TStandInPrinter VirtualPrinter() {
  TStandInPrinter p = StandInPrinter(kVirtual, u"LPT1:", u"NT EMF 1.008");
  p.Status = PRN_STATUS_PAUSED;
  return p;
}

// Every page of a job coded, not the first alone.
class TAllPagesCoded {
 public:
  explicit TAllPagesCoded(TSettingsStore& store) : store_(store) { SetAllPages(store_, kConfigKey, true); }
  ~TAllPagesCoded() { store_.DeleteValue(kConfigKey, ConfigName(TConfigName::AllPages)); }
  TAllPagesCoded(const TAllPagesCoded&) = delete;
  TAllPagesCoded& operator=(const TAllPagesCoded&) = delete;

 private:
  TSettingsStore& store_;
};

class EmfJobWin : public EmfPrintWin {
 protected:
  void SetUp() override {
    EmfPrintWin::SetUp();
    ASSERT_TRUE(standIn_.StandIn->AddStandInPrinter(VirtualPrinter()));
  }
  // A two-page invoice job submitted with the given copies; its record as the queue lists it.
  _JOBINFO Submit(uint16_t copies) {
    const TEnhMetaFile first = RecordE2EPage(E2EDocument("SCHT"), &InvoiceTable());
    const TEnhMetaFile second = RecordE2EPage(E2EDocument("SCHT"));
    _JOBINFO job;
    if (!first || !second) return job;
    const uint32_t id = standIn_.StandIn->SubmitEmfJob(
        kVirtual, u"Счёт 15", {EnhMetaFileBytes(first.Get()), EnhMetaFileBytes(second.Get())}, copies);
    TPrinter printer;
    DWORD count = 0;
    std::vector<uint8_t> bytes;
    if (id == 0 || !printer.Open(kVirtual) || !printer.ListJobs(0, 10, count, bytes)) return job;
    for (DWORD i = 0; i < count; ++i)
      if (CopyJobInfo(bytes, count, i, job) && job.JobId == id) return job;
    return _JOBINFO{};
  }
  size_t QueuedJobs() {
    TStandInPrinter state;
    return standIn_.StandIn->ReadStandInPrinter(kVirtual, state) ? state.Jobs.size() : SIZE_MAX;
  }

  TStandInScope standIn_{u"uintemf_print_win_test"};
};

TEST_F(EmfJobWin, ATwoPageJobWithTwoCopiesPrintsItsPagesCodedAsPagesOneToFour) {
  TMachineTypes types(kE2EPageOrder);
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  PlaceInvoiceCodeLowerRight(types.Store());
  const TAllPagesCoded allPages(types.Store());
  const _JOBINFO job = Submit(2);
  ASSERT_NE(job.JobId, 0u);
  const std::set<std::wstring> before = TempFiles();
  DeleteFileW(WStr(kPortFile));  // a file port is not truncated before a job

  TFakeQueue queue(kDestination);
  queue.picturePrefix = "job_code";
  const TEmfJobResult result = ProcessEMF(queue, job.JobId, 0, job);
  EXPECT_TRUE(result.Answer);
  EXPECT_FALSE(result.Queued);
  EXPECT_EQ(queue.proceeds, 1) << "past its failures once";
  EXPECT_EQ(queue.pageNumbers, (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(queue.pendingAsked, std::vector<std::u16string>{kDestination});
  EXPECT_EQ(QueuedJobs(), 0u) << "cancelled";
  EXPECT_EQ(queue.cancels, 2) << "once split, and again at the end";
  EXPECT_EQ(TempFiles(), before) << "no page file or code picture stays";
  EXPECT_EQ(queue.destinationPrinter.Handle, nullptr) << "the destination is closed";
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(CountLines(queue.log, u"--> ProcessEMF: Pages=4 Copies=2"), 1u);

  // The list holds page 1 twice, then page 2 twice.
  std::vector<std::u16string> coded;
  for (const std::u16string& line : queue.log.host.Lines)
    if (line.starts_with(u"--> ProcessEMF: Call \"CreateCode\"")) coded.push_back(line.substr(line.find(u"FileName=")));
  ASSERT_EQ(coded.size(), 4u);
  EXPECT_EQ(coded[0], coded[1]);
  EXPECT_EQ(coded[2], coded[3]);
  EXPECT_NE(coded[0], coded[2]);

  // Each coded page prints its copies letters; every "C" sheet carries that page's code.
  std::vector<std::string> sheets;
  for (size_t i = 0; i < queue.letters.size(); ++i) {
    const std::string letters = queue.letters[i].empty() ? "N" : queue.letters[i];
    for (char letter : letters) {
      const bool code = letter == 'C' && !queue.pictures[i].empty();
      sheets.push_back(code ? "code " + queue.pictures[i] : "plain");
    }
  }
  EXPECT_GE(std::count_if(sheets.begin(), sheets.end(), [](const std::string& s) { return s != "plain"; }), 4)
      << "every page coded\n" << scope_.LogText() << WideToUtf8(Join(queue.log.host.Lines));
  const fs::path printed = kOut / "job.ps";
  fs::copy_file(fs::path(WStr(kPortFile)), printed, fs::copy_options::overwrite_existing);
  EXPECT_EQ(Sheets(FileText(printed)), sheets.size());
  WriteExpectation("job", sheets);
}

TEST_F(EmfJobWin, CorrectEmfReRecordsEachPageOnceForAllItsCopiesAndLeavesNoFile) {
  TMachineTypes types(kE2EPageOrder);
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  const TAllPagesCoded allPages(types.Store());
  const _JOBINFO job = Submit(2);
  ASSERT_NE(job.JobId, 0u);
  const std::set<std::wstring> before = TempFiles();
  DeleteFileW(WStr(kPortFile));
  TFakeQueue queue(kDestination);
  queue.correctEmf = 1;
  const TEmfJobResult result = ProcessEMF(queue, job.JobId, 0, job);
  EXPECT_TRUE(result.Answer);
  EXPECT_EQ(CountLines(queue.log, u"--> CorrectEMF: FileName="), 2u) << "once per page, not per copy";
  EXPECT_EQ(CountLines(queue.log, u"CorrectEMF Failed"), 0u);
  EXPECT_EQ(CountLines(queue.log, u"GetEnhMetaFile error"), 0u) << "no copy names a deleted file";
  EXPECT_EQ(queue.pageNumbers, (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(QueuedJobs(), 0u);
  EXPECT_EQ(TempFiles(), before);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(EmfJobWin, FailuresBeforeCodingKeepTheJobQueuedWithOneBoxAndRefusalsCancelIt) {
  const _JOBINFO job = Submit(1);
  ASSERT_NE(job.JobId, 0u);
  const std::set<std::wstring> before = TempFiles();
  struct {
    const char* why;
    std::u16string destination;
    bool integrity, allowed;
    bool queued;
    TEmfJobFailure failure;
    std::u16string failedPrinter;
  } const cases[] = {
      {"the configuration fails its check", kDestination, false, true, true, TEmfJobFailure::Integrity, kVirtual},
      {"the destination cannot be opened", u"Нет такого принтера", true, true, true, TEmfJobFailure::Open,
       u"Нет такого принтера"},
      {"the user may not print there", kDestination, true, false, false, TEmfJobFailure::None, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    boxes_.clear();
    TFakeQueue queue(c.destination);
    queue.integrity = c.integrity;
    queue.allowed = c.allowed;
    for (int round = 0; round < 2; ++round) {
      const TEmfJobResult result = ProcessEMF(queue, job.JobId, 0, job);
      EXPECT_FALSE(result.Answer);
      EXPECT_EQ(result.Queued, c.queued);
      EXPECT_EQ(result.Failure, c.failure);
      EXPECT_EQ(result.FailedPrinter, c.failedPrinter);
    }
    EXPECT_EQ(queue.proceeds, 0);
    EXPECT_EQ(boxes_.size(), c.queued ? 1u : 0u) << "once, not every round";
    EXPECT_EQ(queue.cancels, c.queued ? 0 : 2);
    EXPECT_EQ(queue.opens, c.failure == TEmfJobFailure::Open ? 2 : 0);
    EXPECT_TRUE(queue.pageNumbers.empty());
    EXPECT_EQ(QueuedJobs(), c.queued ? 1u : 0u);
    EXPECT_EQ(TempFiles(), before);
  }
}
}  // namespace

namespace {
// A spool file cut off in its second page: its first page is not printed as if it were the whole job.
TEST_F(EmfJobWin, ADamagedSpoolFilePrintsNothingCancelsTheJobAndLeavesNoFile) {
  TEmfSpoolWriter writer(u"Счёт 15", kDestination);
  writer.AddPage(MakePageMetafile({2000, 2000, 8000, 6000}));
  writer.AddPage(MakePageMetafile({2000, 7000, 8000, 9000}));
  std::vector<uint8_t> bytes = writer.Bytes();
  bytes.resize(bytes.size() - 100);
  TStandInSubmit submit;
  submit.Document = u"Счёт 15";
  submit.Datatype = u"NT EMF 1.008";
  const uint32_t id = standIn_.StandIn->SubmitJob(kVirtual, submit, bytes);
  ASSERT_NE(id, 0u);
  _JOBINFO job;
  job.JobId = id;
  job.Document = submit.Document;
  const std::set<std::wstring> before = TempFiles();
  DeleteFileW(WStr(kPortFile));
  TFakeQueue queue(kDestination);
  const TEmfJobResult result = ProcessEMF(queue, id, 0, job);
  EXPECT_FALSE(result.Answer);
  EXPECT_FALSE(result.Queued);
  EXPECT_TRUE(queue.pageNumbers.empty()) << "no page coded";
  EXPECT_EQ(GetFileAttributesW(WStr(kPortFile)), INVALID_FILE_ATTRIBUTES) << "no document started";
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].find(u"повреждён"), std::u16string::npos) << WideToUtf8(boxes_[0]);
  EXPECT_EQ(QueuedJobs(), 0u);
  EXPECT_EQ(TempFiles(), before);
}

TEST_F(EmfPrintWin, CorrectEmfOfAMissingPageAnswersTwoAndLeavesNoFile) {
  const std::set<std::wstring> before = TempFiles();
  const TDeviceContext dc = DestinationPrinterDC();
  ASSERT_TRUE(dc);
  std::u16string page = (temp_ / L"нет.emf").u16string();
  const std::u16string asked = page;
  std::vector<uint8_t> noSettings;
  TMemoryLog log;
  EXPECT_EQ(CorrectEMF(dc.Get(), page, noSettings, log), kCorrectEmfNoFile);
  EXPECT_EQ(page, asked);
  EXPECT_EQ(TempFiles(), before) << "the new page's name is given back";
  EXPECT_EQ(boxes_.size(), 1u);
}
}  // namespace
