// Printer output: a file sent to a printer as raw data, and an EMF spool file or a single metafile
// played page by page on a printer DC.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <span>

#include "foundation/lib_codepage.h"
#include "foundation/lib_file_reader_win.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_prn_printer_win.h"
#include "foundation/lib_prn_seam_win.h"
#include "foundation/lib_prn_spool.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

namespace {

// A file to print, mapped for reading; an empty file reads as no bytes.
class TPrintFile : public TFileView {
 public:
  explicit TPrintFile(const std::u16string& name) : error_(Open(name, FILE_SHARE_READ, 0x7FFFFFFF)) {}
  bool Open() const { return error_ == 0; }
  DWORD Error() const { return error_; }

 private:
  using TFileView::Open;
  DWORD error_;
};

bool FileExists(const std::u16string& name) {
  const DWORD a = GetFileAttributesW(WStr(name));
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// A new empty file in the temporary directory, deleted when its owner goes.
TTempFile NewTempFile() {
  wchar_t dir[MAX_PATH + 1], file[MAX_PATH + 1];
  if (!GetTempPathW(MAX_PATH + 1, dir) || !GetTempFileNameW(dir, L"emf", 0, file)) return {};
  return TTempFile(FromWStr(file));
}

void OutputErrorBox(const std::u16string& printer, DWORD error) {
  std::u16string text = u"Ошибка вывода задания печати на принтер";
  if (!printer.empty()) text += u": \"" + printer + u"\"";
  PrnErrorBox(text + u".\r\n" + PrnHooks().ErrorText(error));
}

bool PrintMetafilePage(HDC dc, const std::u16string& file, std::vector<uint8_t>& settings, const std::u16string& printer,
                       HWND owner) {
  const TEnhMetaFile emf(GetEnhMetaFileW(WStr(file)));
  if (!emf) {
    PrnFileErrorBox(u"Ошибка открытия файла", file, GetLastError(), owner);
    return false;
  }
  RECT area{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
  ENHMETAHEADER header{};
  bool ok = true;
  if (GetEnhMetaFileHeader(emf.Get(), sizeof header, &header) >= sizeof header) {
    if (MatchPageOrientation(header, settings, dc) == -1) {
      PrnErrorBox(u"Ошибка при изменении ориентации листа", owner);
      ok = false;
    } else {
      const bool portrait = reinterpret_cast<const DEVMODEW*>(settings.data())->dmOrientation == DMORIENT_PORTRAIT;
      if ((area.bottom > area.right) != portrait) std::swap(area.right, area.bottom);
    }
  }
  if (ok && StartPage(dc) < 1) {
    PrnErrorBox(u"Ошибка формирования страницы задания печати на принтере: \"" + printer + u"\"", owner);
    ok = false;
  }
  if (ok) {
    PlayEnhMetaFile(dc, emf.Get(), &area);
    ok = EndPage(dc) > 0;
  }
  return ok;
}

// What stopped the page walk, for the box.
std::u16string DamageText(TSpoolDamage damage) {
  switch (damage) {
    case TSpoolDamage::BadHeader: return u"неверный заголовок";
    case TSpoolDamage::UnknownRecord: return u"запись неизвестного типа";
    case TSpoolDamage::BadRecordSize: return u"неверный размер записи";
    case TSpoolDamage::CutOff: return u"файл обрезан";
    case TSpoolDamage::None: break;
  }
  return {};
}

// The document is not whole: a failure, whatever the pages before the damage were.
bool DamagedSpoolFile(const std::u16string& file, const TProcSPLFile& spool, int pagesBefore, HWND owner) {
  PrnErrorBox(u"Файл задания печати повреждён: \"" + file + u"\"\r\n" + DamageText(spool.Damage()) +
                  u", смещение " + Utf8ToWide(std::to_string(spool.DamageOffset())) + u".\r\nСтраниц до повреждения: " +
                  Utf8ToWide(std::to_string(pagesBefore)) + u". Задание отменено.",
              owner);
  return false;
}

}  // namespace

int MatchPageOrientation(const ENHMETAHEADER& header, std::vector<uint8_t>& settings, HDC dc) {
  if (settings.size() < offsetof(DEVMODEW, dmCollate)) return -1;
  auto* dm = reinterpret_cast<DEVMODEW*>(settings.data());
  const bool portrait = header.szlDevice.cx < header.szlDevice.cy;
  if (portrait == (dm->dmOrientation == DMORIENT_PORTRAIT)) return 0;
  dm->dmOrientation = header.szlDevice.cx > header.szlDevice.cy ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  dm->dmFields |= DM_ORIENTATION;
  return ResetDCW(dc, dm) ? 1 : 0;
}

bool SendFileToPrinter(HANDLE printer, const std::u16string& file, bool deleteAfter, const std::u16string& document,
                       const std::u16string& printerName) {
  if (!printer) {
    OutputErrorBox(printerName, GetLastError());
    return false;
  }
  const std::u16string docName = document.empty() ? file : document, datatype = u"RAW";
  DOC_INFO_1W doc{const_cast<LPWSTR>(WStr(docName)), nullptr, const_cast<LPWSTR>(WStr(datatype))};
  TPrintFile mapped(file);
  if (!mapped.Open()) {
    PrnFileErrorBox(u"Ошибка открытия файла", file, mapped.Error());
    return false;
  }
  const auto finish = [&](bool ok) {
    mapped.Close();
    if (deleteAfter) DeleteFileW(WStr(file));
    return ok;
  };
  if (Spooler().StartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&doc)) == 0) {
    OutputErrorBox(printerName, GetLastError());
    return finish(false);
  }
  std::span<const uint8_t> rest = mapped.Bytes();
  while (!rest.empty()) {
    DWORD written = 0;
    const DWORD chunk = DWORD(std::min<size_t>(rest.size(), 0x7FFFFFFF));
    // A write that moves nothing would repeat for ever; it counts as a failure.
    if (!Spooler().WritePrinter(printer, const_cast<uint8_t*>(rest.data()), chunk, &written) || written == 0 ||
        written > chunk) {
      const DWORD error = GetLastError();
      OutputErrorBox(printerName, error ? error : ERROR_WRITE_FAULT);
      Spooler().EndDocPrinter(printer);
      return finish(false);
    }
    rest = rest.subspan(written);
  }
  Spooler().EndDocPrinter(printer);
  return finish(true);
}

bool PrintFileRaw(const std::u16string& defaultPrintTo, const std::u16string& file, const std::u16string& printer,
                  bool deleteAfter, const std::u16string& document) {
  if (!FileExists(file)) return false;
  TPrinter target;
  if (!PrinterExists(printer)) {
    if (defaultPrintTo.empty()) {
      PrnErrorBox(u"В системе не обнаружено принтеров. Печать невозможна.");
      return false;
    }
    if (!target.Open(defaultPrintTo)) {
      PrnPrinterOpenErrorBox(printer, GetLastError());
      return false;
    }
    if (PrnQuestionBox(u"Принтер \"" + printer + u"\" не найден в системе.\r\nИспользовать принтер \"" + defaultPrintTo + u"\"?",
                       MB_ICONQUESTION) != IDYES)
      return false;
  } else {
    target.Open(printer);
  }
  const std::u16string name = target.Handle ? target.Name : printer;
  return SendFileToPrinter(target.Handle, file, deleteAfter, document, name);
}

bool PrintEmfSpoolFile(const std::u16string& file, const std::u16string& printer, const std::u16string& document,
                       HWND owner) {
  if (!FileExists(file)) {
    PrnFileErrorBox(u"Файл не найден", file, ERROR_FILE_NOT_FOUND, owner);
    return false;
  }
  std::vector<uint8_t> settings;
  LoadDeviceSettings(printer, settings);
  const TDeviceContext dc = CreateDCForPrinter(printer, settings);
  if (!dc) {
    PrnPrinterOpenErrorBox(printer, GetLastError(), owner);
    return false;
  }
  const std::u16string docName = document;
  DOCINFOW doc{sizeof doc, WStr(docName), nullptr, L"EMF", 0};
  // A document that did not start holds nothing to print on.
  if (StartDocW(dc.Get(), &doc) <= 0) {
    OutputErrorBox(printer, GetLastError());
    return false;
  }
  bool result = false;
  TProcSPLFile spool;
  if (spool.Open(file)) {
    // Each page goes through a temporary metafile of its own, deleted whatever happens.
    int pages = 0;
    do {
      const TTempFile page = NewTempFile();
      if (!page || spool.SavePage(page.Get()) != 1) {
        PrnFileErrorBox(u"Ошибка записи в файл", page.Get(), GetLastError(), owner);
        result = false;
      } else {
        result = PrintMetafilePage(dc.Get(), page.Get(), settings, printer, owner);
      }
      if (result) ++pages;
    } while (result && spool.NextPage());
    if (result && spool.Damage() != TSpoolDamage::None) result = DamagedSpoolFile(file, spool, pages, owner);
  } else if (spool.Damage() != TSpoolDamage::None) {
    result = DamagedSpoolFile(file, spool, 0, owner);
  } else {
    result = PrintMetafilePage(dc.Get(), file, settings, printer, owner);
  }
  // A damaged file's job is cancelled rather than ended: the pages before the damage must not come
  // out of the printer as if they were the whole document.
  if (spool.Damage() != TSpoolDamage::None) {
    AbortDoc(dc.Get());
  } else {
    EndDoc(dc.Get());
  }
  return result;
}

void PrnOutputErrorBox(const std::u16string& printer, DWORD error) { OutputErrorBox(printer, error); }

void PrnDamagedSpoolBox(const std::u16string& file, const TProcSPLFile& spool, int pagesBefore, HWND owner) {
  DamagedSpoolFile(file, spool, pagesBefore, owner);
}
