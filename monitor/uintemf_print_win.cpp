#include "monitor/uintemf_print_win.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string_view>

#include "foundation/cl_tools_config.h"
#include "foundation/lib_api.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_prn_printer_win.h"
#include "foundation/lib_prn_spool.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"
#include "monitor/uintemf_print.h"

namespace {
constexpr std::u16string_view kFileOpenError = u"Ошибка открытия файла";
constexpr std::u16string_view kFileNotFound = u"Файл не найден";
constexpr std::u16string_view kFileWriteError = u"Ошибка записи в файл";
// A code picture is a few kilobytes; a larger file is not one of ours.
constexpr size_t kCodePictureLimit = 64 << 20;

std::u16string N(int64_t value) { return Utf8ToWide(std::to_string(value)); }
std::u16string SystemText(DWORD error) { return PrnHooks().ErrorText(error); }

// The log lines of one routine, each behind the routine's prefix.
class TRoutineLog {
 public:
  TRoutineLog(TLogFile* log, std::u16string_view prefix) : log_(log), prefix_(prefix) {}
  // A job's lines go through its queue, which may hold them back.
  TRoutineLog(TEmfJobQueue& queue, std::u16string_view prefix) : queue_(&queue), log_(queue.Log()), prefix_(prefix) {}
  void operator()(std::u16string_view text) const {
    if (queue_)
      queue_->LogLine(prefix_ + std::u16string(text));
    else if (log_)
      log_->AddWide(prefix_ + std::u16string(text));
  }
  // Lines the log keeps as 8-bit text.
  void Ansi(std::string_view text) const {
    if (queue_)
      queue_->LogLine(prefix_ + AnsiToWide(text));
    else if (log_)
      log_->Add(WideToAnsi(prefix_) + std::string(text));
  }
  TLogFile* File() const { return log_; }

 private:
  TEmfJobQueue* queue_ = nullptr;
  TLogFile* log_;
  std::u16string prefix_;
};

bool IsNT() { return PrnSystem().IsWinNT; }

HENHMETAFILE OpenMetafile(const std::u16string& name) {
  return IsNT() ? GetEnhMetaFileW(WStr(name)) : GetEnhMetaFileA(WideToAnsi(name).c_str());
}

// A file this job made: deleted now, or when the system starts again while something still holds it.
void DeleteTemp(const std::u16string& name, const TRoutineLog& log, std::u16string_view what) {
  if (name.empty()) return;
  DeleteFileNowOrOnReboot(name);
  log(std::u16string(what) + u" " + name);
}

bool Portrait(const std::vector<uint8_t>& devMode) {
  TPaperFields fields;
  return ReadPaperFields(devMode, IsNT(), fields) && fields.Orientation == kDmOrientPortrait;
}

TRect ToRect(const RECTL& r) { return TRect{r.left, r.top, r.right, r.bottom}; }
RECT ToRECT(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }

// The code picture as an enhanced metafile referenced to the DC; nil (logged, boxed) when it cannot load.
TEnhMetaFile LoadCodePicture(HDC dc, const std::u16string& file, uint8_t fileType, const TRoutineLog& log) {
  if (fileType == 1) {
    TEnhMetaFile emf(OpenMetafile(file));
    if (!emf) {
      const DWORD error = GetLastError();
      log(u"Error on \"GetEnhMetaFile\": File=" + Quoted(file) + u", Type=\"EMF\"");
      PrnFileErrorBox(std::u16string(kFileOpenError), file, error);
    }
    return emf;
  }
  const std::string bytes = ReadFileToString(file, kCodePictureLimit);
  DWORD error = GetLastError();
  TPlaceableWmf wmf;
  TEnhMetaFile emf;
  if (ParsePlaceableWmf(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), wmf)) {
    const METAFILEPICT picture{MM_HIMETRIC, wmf.Bounds.Right - wmf.Bounds.Left, wmf.Bounds.Bottom - wmf.Bounds.Top,
                               nullptr};
    emf.Reset(SetWinMetaFileBits(static_cast<UINT>(wmf.Bits.size()), wmf.Bits.data(), dc, &picture));
    if (!emf) {
      error = GetLastError();
      log(u"Error on \"SetWinMetaFileBits\"");
    }
  } else {
    error = bytes.empty() ? error : static_cast<DWORD>(ERROR_INVALID_DATA);
  }
  if (!emf) {
    log(u"Error: File=" + Quoted(file) + u", Type=\"WMF\"");
    PrnFileErrorBox(std::u16string(kFileOpenError), file, error);
  }
  return emf;
}

// The logo beside the code: the program's title in grey, upright or along the code's left edge.
void DrawLogo(HDC dc, const TRect& code, int32_t logoText, const std::u16string& title) {
  const int escapement = logoText == 2 ? 900 : 0;
  TGdiObject font(CreateFontW(320, 0, escapement, escapement, 100, FALSE, FALSE, FALSE, 204, OUT_DEFAULT_PRECIS, 64,
                              DEFAULT_QUALITY, 34, L"MS Sans Serif"));
  const HGDIOBJ old = SelectObject(dc, font.Get());
  SetTextColor(dc, RGB(128, 128, 128));
  const int x = logoText == 2 ? code.Left - 32 : code.Left;
  const int y = logoText == 2 ? code.Top : code.Bottom;
  const std::u16string text = title + u" ";
  if (IsNT()) {
    TextOutW(dc, x, y, WStr(text), static_cast<int>(text.size()));
  } else {
    const std::string ansi = WideToAnsi(text);
    TextOutA(dc, x, y, ansi.c_str(), static_cast<int>(ansi.size()));
  }
  SelectObject(dc, old);
}

// The code picture over a white box at the record's place, in 0.01 mm.
void DrawCode(HDC dc, HENHMETAFILE picture, const TCodeResultRec& rec, const std::u16string& logoText,
              const TRoutineLog& log) {
  ENHMETAHEADER header{};
  if (GetEnhMetaFileHeader(picture, sizeof header, &header) == 0) {
    log(u"Error on \"GetEnhMetaFileHeader\"");
    return;
  }
  const TRect code = CodeRect(rec.X, rec.Y, ToRect(header.rclFrame));
  const int saved = SaveDC(dc);
  if (saved == 0) {
    // Without a state to go back to, the mapping mode would stay for the copies after this one.
    log(u"Error on \"SaveDC\"");
    return;
  }
  GdiFlush();
  SetMapMode(dc, MM_HIMETRIC);
  const RECT box = ToRECT(code);
  FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (!PlayEnhMetaFile(dc, picture, &box)) log(u"Error PlayEnhMetaFile \"SaveDC\"");
  if (rec.LogoText > 0) DrawLogo(dc, code, rec.LogoText, logoText);
  RestoreDC(dc, saved);
}

// Opens the DC's document for the job; false (logged, boxed) when it does not start.
bool StartJobDocument(HDC dc, const _JOBINFO& job, const std::u16string& destination, const TRoutineLog& log) {
  int answer;
  if (IsNT()) {
    const std::u16string datatype = u"EMF";
    DOCINFOW doc{sizeof(DOCINFOW), WStr(job.Document), nullptr, WStr(datatype), 0};
    answer = StartDocW(dc, &doc);
  } else {
    const std::string name = WideToAnsi(job.Document);
    DOCINFOA doc{sizeof(DOCINFOA), name.c_str(), nullptr, nullptr, 0};
    answer = StartDocA(dc, &doc);
  }
  if (answer > 0) return true;
  const DWORD error = GetLastError();
  log(u"StartDoc error...");
  PrnOutputErrorBox(destination, error);
  return false;
}
}  // namespace

bool PrintEMF(HDC dc, const std::u16string& destination, std::vector<uint8_t>& devMode, const TCodeResultRec& rec,
              RECT& printRect, HENHMETAFILE page, const std::u16string& logoText, TLogFile* logFile) {
  const TRoutineLog log(logFile, u"--> PrintEMF: ");
  const std::u16string codeFile = CodeFileName(rec);
  const std::string letters = CopiesLetters(rec, !codeFile.empty() && FilePresent(codeFile));
  log(u"Pages=" + Quoted(AnsiToWide(letters)) + u", FileType=" + N(rec.FileType) + u", FileName=" + Quoted(codeFile) +
      u", Coordinates=(" + N(rec.X) + u"," + N(rec.Y) + u")");
  bool ended = false;
  int startPageFailedAt = 0;
  for (size_t k = 1; k <= letters.size(); ++k) {
    ENHMETAHEADER header{};
    if (GetEnhMetaFileHeader(page, sizeof header, &header) == 0) {
      log(u"Error in \"GetEnhMetaFileHeader\"");
      break;
    }
    if (!devMode.empty()) {
      if (MatchPageOrientation(header, devMode, dc) == -1) {
        log(u"Error in \"CorrectOrientation\"");
        break;
      }
      TRect rect{printRect.left, printRect.top, printRect.right, printRect.bottom};
      MatchRectToOrientation(rect, Portrait(devMode));
      printRect = ToRECT(rect);
    }
    if (StartPage(dc) < 1) {
      startPageFailedAt = static_cast<int>(k);
      break;
    }
    log(u"Print page: " + N(static_cast<int64_t>(k)));
    if (!PlayEnhMetaFile(dc, page, &printRect))
      log(u"PlayEnhMetaFile Error. DC=" + N(static_cast<int64_t>(reinterpret_cast<uintptr_t>(dc))));
    if (letters[k - 1] == 'C') {
      log(u"Print code");
      const TEnhMetaFile picture = LoadCodePicture(dc, codeFile, rec.FileType, log);
      if (picture) DrawCode(dc, picture.Get(), rec, logoText, log);
    }
    const int answer = EndPage(dc);
    if (answer < 1) {
      log(u"Error " + N(answer) + u" on \"EndPage\": " + SystemText(GetLastError()));
    } else {
      ended = true;
    }
  }
  if (startPageFailedAt != 0) {
    log(u"PrintPage error: Printer=" + Quoted(destination) + u", Copies=" + N(startPageFailedAt));
    PrnErrorBox(u"Ошибка формирования страницы задания печати на принтере: " + Quoted(destination));
  }
  DeleteTemp(codeFile, log, u"Delete File");
  return ended;
}

int CorrectEMF(HDC dc, std::u16string& pageFile, std::vector<uint8_t>& devMode, TLogFile* logFile) {
  const TRoutineLog log(logFile, u"--> CorrectEMF: ");
  log(u"FileName=" + Quoted(pageFile));
  // The new page is a temporary file from its first moment: every way out below that keeps the old page
  // deletes it.
  TTempFile target(MakeUniqueFileName(ExtractFilePathW(pageFile), u".emf"));
  TEnhMetaFile page(OpenMetafile(pageFile));
  if (!page) {
    const DWORD error = GetLastError();
    log(u"GetEnhMetaFile failed!; " + SystemText(error));
    PrnFileErrorBox(std::u16string(kFileOpenError), pageFile, error);
    return kCorrectEmfNoFile;
  }
  if (!target) {
    log(u"CreateEnhMetaFile failed!; " + SystemText(GetLastError()));
    return kCorrectEmfFailed;
  }
  ENHMETAHEADER header{};
  if (GetEnhMetaFileHeader(page.Get(), sizeof header, &header) == 0) {
    log(u"GetEnhMetaFileHeader failed!; " + SystemText(GetLastError()));
    return kCorrectEmfFailed;
  }
  const RECTL& b = header.rclBounds;
  const RECTL& f = header.rclFrame;
  log(u"EnhMetaFileHeader:\r\n\trclBounds(left=" + N(b.left) + u",top=" + N(b.top) + u",right=" + N(b.right) +
      u",bottom=" + N(b.bottom) + u")\r\n\trclFrame(left=" + N(f.left) + u",top=" + N(f.top) + u",right=" + N(f.right) +
      u",bottom=" + N(f.bottom) + u")\r\n\tszlDevice(" + N(header.szlDevice.cx) + u"," + N(header.szlDevice.cy) +
      u")\r\n\tszlMillimeters(" + N(header.szlMillimeters.cx) + u"," + N(header.szlMillimeters.cy) + u")");
  if (!devMode.empty()) {
    SetLastError(0);
    if (MatchPageOrientation(header, devMode, dc) == -1 && GetLastError() != 0)
      log(u"Changing DC orientation; " + SystemText(GetLastError()));
  }
  std::u16string description;
  const UINT length = GetEnhMetaFileDescriptionW(page.Get(), 0, nullptr);
  if (length == 0 || length == GDI_ERROR) {
    log(u"GetEnhMetaFileDescription failed; " + SystemText(GetLastError()));
  } else {
    std::wstring text(length, L'\0');
    const UINT got = GetEnhMetaFileDescriptionW(page.Get(), length, text.data());
    if (got != 0 && got != GDI_ERROR) description = FromWStr(text.data(), std::min<size_t>(got, length));
  }
  // The description is two texts, each with its terminator, and the call reads up to a double one.
  const std::u16string descriptionArg = description + std::u16string(2, u'\0');
  const HDC recorder = CreateEnhMetaFileW(dc, WStr(target.Get()), nullptr, WStr(descriptionArg));
  if (!recorder) {
    log(u"CreateEnhMetaFile failed!; " + SystemText(GetLastError()));
    return kCorrectEmfFailed;
  }
  std::u16string shown = description;
  for (char16_t& c : shown)
    if (c == 0) c = u' ';
  log(u"EnhMetaFileDescription=" + shown);
  const TSize res{GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
  const TSize sizeMm{GetDeviceCaps(dc, HORZSIZE), GetDeviceCaps(dc, VERTSIZE)};
  const auto scale = [](int px, int mm) { return mm == 0 ? 0.0 : static_cast<double>(px) / mm; };
  char scales[96];
  std::snprintf(scales, sizeof scales, "(%f,%f)", scale(res.cx, sizeMm.cx), scale(res.cy, sizeMm.cy));
  log(u"EnhMetaFile Device Context characteristics:\r\n\tHORZRES=" + N(res.cx) + u",HORZSIZE=" + N(sizeMm.cx) +
      u",ASPECTX=" + N(GetDeviceCaps(dc, ASPECTX)) + u",LOGPIXELSX=" + N(GetDeviceCaps(dc, LOGPIXELSX)) +
      u",PHYSICALWIDTH=" + N(GetDeviceCaps(dc, PHYSICALWIDTH)) + u",PHYSICALOFFSETX=" +
      N(GetDeviceCaps(dc, PHYSICALOFFSETX)) + u",SCALINGFACTORX=" + N(GetDeviceCaps(dc, SCALINGFACTORX)) +
      u"\r\n\tVERTRES=" + N(res.cy) + u",VERTSIZE=" + N(sizeMm.cy) + u",ASPECTY=" + N(GetDeviceCaps(dc, ASPECTY)) +
      u",LOGPIXELSY=" + N(GetDeviceCaps(dc, LOGPIXELSY)) + u",PHYSICALHEIGHT=" + N(GetDeviceCaps(dc, PHYSICALHEIGHT)) +
      u",PHYSICALOFFSETY=" + N(GetDeviceCaps(dc, PHYSICALOFFSETY)) + u",SCALINGFACTORY=" +
      N(GetDeviceCaps(dc, SCALINGFACTORY)) + u"\r\n\tPointSize (pix/mm)=" + Utf8ToWide(scales));
  TRect pixels;
  if (!FrameInPixels(ToRect(header.rclFrame), res, sizeMm, pixels)) {
    // A device that gives no size in millimetres gives no scale to re-record the page in.
    log(u"Device size unknown: HORZSIZE=" + N(sizeMm.cx) + u", VERTSIZE=" + N(sizeMm.cy));
    DeleteEnhMetaFile(CloseEnhMetaFile(recorder));
    return kCorrectEmfFailed;
  }
  log(u"Printing Rect=(" + N(pixels.Left) + u"," + N(pixels.Top) + u"," + N(pixels.Right) + u"," + N(pixels.Bottom) + u")");
  const RECT rect = ToRECT(pixels);
  const bool played = PlayEnhMetaFile(recorder, page.Get(), &rect);
  const DWORD playError = GetLastError();
  DeleteEnhMetaFile(CloseEnhMetaFile(recorder));
  if (!played) {
    log(u"PlayEnhMetaFile failed!; " + SystemText(playError));
    return kCorrectEmfFailed;
  }
  page.Reset();
  DeleteFileNowOrOnReboot(pageFile);
  pageFile = target.Release();
  return kCorrectEmfDone;
}

namespace {
// The page files of one job and every temporary name it made, deleted together at its end.
class TJobPages {
 public:
  explicit TJobPages(const TRoutineLog& log) : log_(log), list_(8) {}
  ~TJobPages() {
    for (const std::u16string& name : made_) DeleteTemp(name, log_, u"Delete file");
  }
  TJobPages(const TJobPages&) = delete;
  TJobPages& operator=(const TJobPages&) = delete;

  // A new name in the temp directory; the file exists (empty) from now on and goes with the job.
  std::u16string MakeName() {
    std::u16string name = MakeUniqueFileName(GetTempDirectory(), u".emf");
    Own(name);
    return name;
  }
  void Own(const std::u16string& name) {
    if (!name.empty()) made_.insert(name);
  }
  TWideStringArray& List() { return list_; }

 private:
  const TRoutineLog& log_;
  TWideStringArray list_;
  std::set<std::u16string> made_;
};

// The spool file's pages saved one file each, every one listed once per job copy. A page that cannot be
// written ends the split with the pages saved so far; a damaged file answers false: its job is not
// printed in part.
bool SplitSpoolFile(TProcSPLFile& spool, const std::u16string& spoolFile, uint32_t copies, TJobPages& pages,
                    const TRoutineLog& log) {
  int saved = 0;
  do {
    const std::u16string name = pages.MakeName();
    log(u"Save: " + Quoted(name));
    const int answer = name.empty() ? 0 : spool.SavePage(name);
    if (answer == 1) {
      AddPageCopies(pages.List(), name, copies);
      ++saved;
    } else if (answer == 2) {
      const std::u16string missing = AnsiToWide(spool.PageFileName());
      log(u"File Not Found: " + Quoted(missing));
      PrnFileErrorBox(std::u16string(kFileNotFound), missing, ERROR_FILE_NOT_FOUND);
    } else {
      const DWORD error = GetLastError();
      log(u"File Save error: " + Quoted(name));
      PrnFileErrorBox(std::u16string(kFileWriteError), name, error);
      return true;
    }
  } while (spool.NextPage());
  if (spool.Damage() == TSpoolDamage::None) return true;
  log(u"Spool file damaged at offset " + N(static_cast<int64_t>(spool.DamageOffset())));
  PrnDamagedSpoolBox(spoolFile, spool, saved);
  return false;
}

// What a page of the list is printed from once CorrectEMF had its say; each distinct page is
// re-recorded once, whichever of its copies meets it first.
struct TCorrected {
  int Answer = kCorrectEmfDone;
  std::u16string File;
};

void LogDestination(HDC dc, const RECT& rect, const TRoutineLog& log) {
  const auto cap = [dc](int index) { return std::to_string(GetDeviceCaps(dc, index)); };
  log.Ansi("Destination Printer Device Context Characteristics: \r\n\tPHYSICALWIDTH=" + cap(PHYSICALWIDTH) +
           ",PHYSICALOFFSETX=" + cap(PHYSICALOFFSETX) + ",HORZSIZE=" + cap(HORZSIZE) + ",HORZRES=" + cap(HORZRES) +
           ",LOGPIXELSX=" + cap(LOGPIXELSX) + ",\r\n\tPHYSICALHEIGHT=" + cap(PHYSICALHEIGHT) + ",PHYSICALOFFSETY=" +
           cap(PHYSICALOFFSETY) + ",VERTSIZE=" + cap(VERTSIZE) + ",VERTRES=" + cap(VERTRES) + ",LOGPIXELSY=" +
           cap(LOGPIXELSY));
  log.Ansi("Printing Rect=(0,0," + std::to_string(rect.right) + "," + std::to_string(rect.bottom) + ")");
}

// A failure before anything was coded: the job stays queued for a later round, its box shown once.
template <class ShowBox>
TEmfJobResult LeaveQueued(TEmfJobQueue& queue, const std::u16string& printer, TEmfJobFailure failure, ShowBox box) {
  if (queue.FailureBoxDue(printer, failure)) box();
  TEmfJobResult result;
  result.Queued = true;
  result.Failure = failure;
  result.FailedPrinter = printer;
  return result;
}

// The page loop over the list: each entry corrected, coded and printed; the document started at the
// first printed page. False when a page's printing failed or the document did not start.
bool PrintPages(TEmfJobQueue& queue, uint32_t jobRecordNo, const _JOBINFO& job, const std::u16string& destination,
                TDeviceContext& dc, std::vector<uint8_t>& settings, uint32_t correctEmf, TJobPages& pages,
                const TRoutineLog& log) {
  const std::u16string logoText(kProgramTitle);
  const std::u16string printerName = queue.VirtualPrinterName();
  const bool dosOnly = queue.ComponentMask() == 2;
  RECT printRect{0, 0, GetDeviceCaps(dc.Get(), PHYSICALWIDTH) - 2 * GetDeviceCaps(dc.Get(), PHYSICALOFFSETX),
                 GetDeviceCaps(dc.Get(), PHYSICALHEIGHT) - 2 * GetDeviceCaps(dc.Get(), PHYSICALOFFSETY)};
  std::map<std::u16string, TCorrected> corrected;
  TWideStringArray& list = pages.List();
  bool answer = true;
  bool started = false;
  for (int32_t i = 0; i < list.Count(); ++i) {
    std::u16string file = list.Get(i);
    if (correctEmf != 0 && IsNT()) {
      auto [it, first] = corrected.try_emplace(file);
      if (first) {
        it->second.File = file;
        it->second.Answer = CorrectEMF(dc.Get(), it->second.File, settings, log.File());
        if (it->second.Answer == kCorrectEmfDone) pages.Own(it->second.File);
        if (it->second.Answer == kCorrectEmfFailed) log(u"CorrectEMF Failed");
      }
      if (it->second.Answer == kCorrectEmfNoFile) continue;
      file = it->second.File;
      list.Put(i, file);
    }
    TEnhMetaFile page(OpenMetafile(file));
    if (!page) {
      const DWORD error = GetLastError();
      log(u"GetEnhMetaFile error in " + Quoted(file) + u". Page=" + N(i + 1));
      PrnFileErrorBox(std::u16string(kFileOpenError), file, error);
      continue;
    }
    TCodeResultRec rec{};
    uint8_t status = kPagePrintAsIs;
    if (dosOnly) {
      rec.Pages[0] = 'N';
    } else {
      log(u"Call \"CreateCode\". Page=" + N(i + 1) + u", FileName=" + Quoted(file));
      HENHMETAFILE handle = page.Release();
      HDC handleDc = dc.Get();
      status = queue.CodePage(jobRecordNo, handle, i + 1, handleDc, job, printerName, settings, rec);
      page.Reset(handle);
      log(u"CreateCode Status=" + N(status));
    }
    const std::u16string codeFile = CodeFileName(rec);
    if (status == kPagePrintAsIs || status == kPageCoded) {
      if (!started && !StartJobDocument(dc.Get(), job, destination, log)) {
        DeleteTemp(codeFile, log, u"Delete File");
        answer = false;
        break;
      }
      started = true;
      log(u"Print page " + N(i + 1) + u"...");
      answer = PrintEMF(dc.Get(), destination, settings, rec, printRect, page.Get(), logoText, log.File()) && answer;
    } else {
      // A page not printed leaves no code picture behind.
      DeleteTemp(codeFile, log, u"Delete File");
    }
    page.Reset();
    if (status == kPageCancelJob) {
      log(u"Break");
      break;
    }
  }
  if (started) {
    const int ended = EndDoc(dc.Get());
    if (ended < 1) log(u"Error " + N(ended) + u" on \"EndDoc\": " + SystemText(GetLastError()));
  }
  return answer;
}
}  // namespace

TEmfJobResult ProcessEMF(TEmfJobQueue& queue, uint32_t jobId, uint32_t jobRecordNo, const _JOBINFO& job) {
  const TRoutineLog log(queue, u"--> ProcessEMF: ");
  const bool nt = IsNT();
  const std::u16string virtualPrinter = queue.VirtualPrinterName();
  const std::u16string user = queue.JobUser(job);
  if (!queue.CheckWindowsDestination(user)) {
    log(u"Printer " + Quoted(virtualPrinter) + u" Integrity error");
    return LeaveQueued(queue, virtualPrinter, TEmfJobFailure::Integrity, [&] {
      PrnErrorBox(u"Ошибка целостности данных конфигурации принтера " + Quoted(virtualPrinter));
    });
  }
  queue.DestinationUsable(virtualPrinter);
  TEmfJobResult result;
  const TEmfDestination destination = queue.WindowsDestination(user);
  if (!destination.Allowed) {
    log(u"Printer " + Quoted(destination.Printer) + u" is not allowed for user " + Quoted(user));
    queue.CancelJob(jobId);
    return result;
  }
  const std::u16string& printer = destination.Printer;
  log(u"Print to=" + Quoted(printer));
  const uint32_t correctEmf = queue.ReadCorrectEMF();

  const DWORD openError = queue.OpenDestination(printer);
  if (openError != 0)
    return LeaveQueued(queue, printer, TEmfJobFailure::Open, [&] { PrnPrinterOpenErrorBox(printer, openError); });
  std::vector<uint8_t> settings;
  if (!LoadDeviceSettings(printer, settings)) {
    const DWORD error = GetLastError();
    log(u"DocumentProperties failed");
    queue.CloseDestination();
    return LeaveQueued(queue, printer, TEmfJobFailure::Settings, [&] { PrnPrinterOpenErrorBox(printer, error); });
  }
  CopyPaperSettings(job.DevMode, settings, nt);
  TDeviceContext dc = CreateDCForPrinter(printer, settings);
  if (!dc) {
    const DWORD error = GetLastError();
    log(u"CreateDC failed");
    queue.CloseDestination();
    return LeaveQueued(queue, printer, TEmfJobFailure::DeviceContext, [&] { PrnPrinterOpenErrorBox(printer, error); });
  }
  queue.DestinationUsable(printer);
  queue.JobProceeds();

  // From here the job is cancelled and the destination closed on every way out; the page files go first.
  struct TJobEnd {
    TEmfJobQueue& queue;
    uint32_t jobId;
    ~TJobEnd() {
      queue.CancelJob(jobId);
      queue.CloseDestination();
    }
  } end{queue, jobId};
  queue.PrintPendingDosPart(printer);

  const std::u16string spoolFile = queue.SpoolFileName(jobId);
  log(u"FileName=" + Quoted(spoolFile));
  if (!FilePresent(spoolFile)) {
    log(u"File Not Found: " + Quoted(spoolFile));
    PrnFileErrorBox(std::u16string(kFileNotFound), spoolFile, ERROR_FILE_NOT_FOUND);
    return result;
  }
  SetProgramTitle(kProgramTitle);
  LogDestination(dc.Get(), RECT{0, 0, GetDeviceCaps(dc.Get(), PHYSICALWIDTH) - 2 * GetDeviceCaps(dc.Get(), PHYSICALOFFSETX),
                                GetDeviceCaps(dc.Get(), PHYSICALHEIGHT) - 2 * GetDeviceCaps(dc.Get(), PHYSICALOFFSETY)},
                 log);
  TJobPages pages(log);
  {
    TProcSPLFile spool;
    if (!spool.Open(spoolFile)) {
      const DWORD error = GetLastError();
      log(u"File Open Error: " + Quoted(spoolFile));
      PrnFileErrorBox(std::u16string(kFileOpenError), spoolFile, error);
      return result;
    }
    const uint32_t copies = JobCopies(job.DevMode, nt);
    const bool whole = SplitSpoolFile(spool, spoolFile, copies, pages, log);
    spool.Close();
    queue.CancelJob(jobId);
    log(u"Pages=" + N(pages.List().Count()) + u" Copies=" + N(copies));
    if (!whole) return result;
  }
  result.Answer = PrintPages(queue, jobRecordNo, job, printer, dc, settings, correctEmf, pages, log);
  return result;
}
