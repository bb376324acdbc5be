#include "monitor/createcode_win.h"

#include <cstring>
#include <vector>

#include "coding/cl_dib_win.h"
#include "coding/cl_emfcoder_draw_win.h"
#include "coding/cl_emfcoder_parse_win.h"
#include "coding/cl_macrolib_code_win.h"
#include "coding/cl_macrolib_context_win.h"
#include "foundation/cl_tools_cfgcheck_win.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_log_win.h"
#include "foundation/lib_prn_printer_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "ui/ackdialogform_win.h"

namespace {
constexpr uint8_t kWindowsSide = 1;

class TWinPageSteps : public TPageCodingSteps {
 public:
  TWinPageSteps(uint32_t jobRecordNo, HENHMETAFILE& page, HDC& dc, const _JOBINFO* jobInfo, DEVMODEW* devMode)
      : jobRecordNo_(jobRecordNo), page_(page), dc_(dc), jobInfo_(jobInfo), devMode_(devMode) {}

  const TSettingsStore& Store() override { return store_; }
  bool TerminalServer() override { return IsTerminalServer(); }
  bool RemoteSession() override { return IsRemoteSession(); }
  bool CheckConfiguration() override { return ::CheckConfiguration(kWindowsSide, false, true); }
  std::unique_ptr<TContext> OpenContext(std::u16string_view printerName) override {
    return std::make_unique<TContext>(contextFile_, printerName);
  }
  std::unique_ptr<TLogFile> OpenLog() override { return CreateLogFile(kConfigKey, false); }

  std::unique_ptr<TEMFCoder> Decode(TContext& context, TLogFile* log) override {
    // The coder borrows the finder's lines, so the finder outlives it (it lives as long as the steps).
    const TLineSearchResult* lines = nullptr;
    if (log) {
      lineFinder_ = std::make_unique<TLineSeacher>(page_, *log);
      lineFinder_->SearchLines();
      lines = &lineFinder_->Result;
    }
    std::unique_ptr<TEMFCoder> coder = ProcessDecode(jobRecordNo_, nullptr, page_, lines, log, 0, &context);
    if (coder) coder->CodeServices = &services_;
    return coder;
  }

  std::string AskCopies(TEMFCoder& coder, TContext& context, TLogFile* log, const std::string& copies) override {
    std::string answer;
    ShowAckDialog(std::u16string(kConfigKey), coder.DocId, coder.DocType, GetProgramTitle(), copies, log, coder.State,
                  context, &coder, jobInfo_, answer);
    return answer;
  }

  bool MatchOrientation(TEMFCoder&) override {
    ENHMETAHEADER header{};
    if (!devMode_ || GetEnhMetaFileHeader(page_, sizeof header, &header) == 0) return false;
    const size_t size = size_t{devMode_->dmSize} + devMode_->dmDriverExtra;
    std::vector<uint8_t> settings(size);
    std::memcpy(settings.data(), devMode_, size);
    const int answer = MatchPageOrientation(header, settings, dc_);
    if (settings.size() == size) std::memcpy(devMode_, settings.data(), size);
    return answer == 1;
  }

  TSize PageSizeMm() override { return TSize{GetDeviceCaps(dc_, HORZSIZE), GetDeviceCaps(dc_, VERTSIZE)}; }

  void Redraw(TEMFCoder& coder, TLogFile* log) override;

  std::u16string MakeTempName() override { return MakeUniqueFileName(GetTempDirectory(), u".emf"); }
  void DeleteTempFile(const std::u16string& name) override { DeleteFileW(WStr(name)); }
  std::string ToAnsi(std::u16string_view text) override { return WideToAnsi(text); }
  std::u16string FromAnsi(std::string_view text) override { return AnsiToWide(text); }

  std::u16string DocName;

 private:
  RECT RedrawFrame(const TSize& sizeMm);

  uint32_t jobRecordNo_;
  HENHMETAFILE& page_;
  HDC& dc_;
  const _JOBINFO* jobInfo_;
  DEVMODEW* devMode_;
  TRegistryStore store_;
  TContextFile contextFile_;
  TWinCodeServices services_;
  std::unique_ptr<TLineSeacher> lineFinder_;
};

RECT TWinPageSteps::RedrawFrame(const TSize& sizeMm) {
  ENHMETAHEADER header{};
  if (store_.ReadInteger(kConfigKey, u"CorrectEMF", 0) != 0 && IsWinNT() &&
      GetEnhMetaFileHeader(page_, sizeof header, &header) != 0) {
    return RECT{header.rclFrame.left, header.rclFrame.top, header.rclFrame.right, header.rclFrame.bottom};
  }
  return RECT{0, 0, sizeMm.cx * 100, sizeMm.cy * 100};
}

// The page recorded again from its page model through a file, then kept in memory: the file is not
// needed once the page is reopened, and nobody after this call would delete it.
void TWinPageSteps::Redraw(TEMFCoder& coder, TLogFile* log) {
  const std::u16string name = MakeTempName();
  if (name.empty()) return;
  const RECT frame = RedrawFrame(PageSizeMm());
  if (log) {
    log->Add("ReDrawEmf --> Printing Rect=(" + std::to_string(frame.left) + "," + std::to_string(frame.top) + "," +
             std::to_string(frame.right) + "," + std::to_string(frame.bottom) + ")");
  }
  const std::u16string description = DocName + std::u16string(2, u'\0');
  const HDC recorder = CreateEnhMetaFileW(dc_, WStr(name), &frame, WStr(description));
  if (recorder) {
    DrawPage(coder, recorder, page_, TSize{}, true);
    DeleteEnhMetaFile(CloseEnhMetaFile(recorder));
    const HENHMETAFILE reopened = GetEnhMetaFileW(WStr(name));
    const HENHMETAFILE copy = reopened ? CopyEnhMetaFileW(reopened, nullptr) : nullptr;
    if (reopened) DeleteEnhMetaFile(reopened);
    if (copy) {
      DeleteEnhMetaFile(page_);
      page_ = copy;
      ReadHeader(page_, coder.Header);
    }
  }
  DeleteFileW(WStr(name));
}
}  // namespace

uint8_t CreateCodeFunc(uint32_t jobRecordNo, HENHMETAFILE& page, int32_t pageNo, HDC& dc, const _JOBINFO* jobInfo,
                       const wchar_t* printerName, DEVMODEW* devMode, TCodeResultRec& rec) {
  const std::lock_guard lock(CodingLock());
  TPageJob job;
  job.PageNo = pageNo;
  if (jobInfo) job.DocName = jobInfo->Document;
  if (printerName) job.PrinterName = FromWStr(printerName);
  TWinPageSteps steps(jobRecordNo, page, dc, jobInfo, devMode);
  steps.DocName = job.DocName;
  return CodePage(steps, job, rec);
}
