// The end-to-end documents on a Windows machine: their types in the real configuration key, and a page
// of one recorded by the system's GDI on the destination printer's DC (scripts/setup).
#pragma once

#include <windows.h>

#include <string>

#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/e2e_fixtures.h"

inline constexpr wchar_t kE2EDestinationPrinter[] = L"Client Test PS";

inline const TE2EDocument& E2EDocumentOf(std::string_view docId) {
  for (const TE2EDocument& doc : E2EDocuments())
    if (doc.DocId == docId) return doc;
  return E2EDocuments().front();
}

// The document's lines and texts on the printer's whole page, each text in a font whose cell fills its box.
inline TEnhMetaFile RecordE2EDocument(const TE2EDocument& doc) {
  TDeviceContext printer(CreateDCW(nullptr, kE2EDestinationPrinter, nullptr, nullptr));
  if (!printer) return TEnhMetaFile();
  const RECT frame{0, 0, GetDeviceCaps(printer.Get(), HORZSIZE) * 100, GetDeviceCaps(printer.Get(), VERTSIZE) * 100};
  const HDC dc = CreateEnhMetaFileW(printer.Get(), nullptr, &frame, L"Client\0parse page\0");
  if (!dc) return TEnhMetaFile();
  for (const TRect& r : doc.HLines) {
    MoveToEx(dc, r.Left, r.Top, nullptr);
    LineTo(dc, r.Right, r.Bottom);
  }
  for (const TRect& r : doc.VLines) {
    MoveToEx(dc, r.Left, r.Top, nullptr);
    LineTo(dc, r.Right, r.Bottom);
  }
  SetBkMode(dc, TRANSPARENT);
  for (const TE2EText& t : doc.Texts) {
    const int width = (t.Rect.Right - t.Rect.Left) / static_cast<int>(t.Text.size());
    TGdiObject font(CreateFontW(-(t.Rect.Bottom - t.Rect.Top), width, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH, L"Arial"));
    const HGDIOBJ old = SelectObject(dc, font.Get());
    const std::u16string& text = t.Text;
    ExtTextOutW(dc, t.Rect.Left, t.Rect.Top, 0, nullptr, WStr(text), static_cast<UINT>(text.size()), nullptr);
    SelectObject(dc, old);
  }
  return TEnhMetaFile(CloseEnhMetaFile(dc));
}

// The types of the documents, and their order, in the real configuration key; removed again afterwards.
class TE2EMachineTypes {
 public:
  TE2EMachineTypes() {
    for (const TE2EDocument& doc : E2EDocuments()) ok_ = ok_ && WriteE2EConfig(store_, kConfigKey, doc);
    store_.WriteText(kConfigKey, u"DocOrder", u"TORG,SCHT");
  }
  ~TE2EMachineTypes() {
    for (const TE2EDocument& doc : E2EDocuments())
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(std::u16string(kConfigKey) + u"\\" + AnsiToWide(doc.DocId)));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, WStr(std::u16string(kConfigKey)), L"DocOrder");
  }
  TE2EMachineTypes(const TE2EMachineTypes&) = delete;
  TE2EMachineTypes& operator=(const TE2EMachineTypes&) = delete;
  bool Ok() const { return ok_; }

 private:
  TRegistryStore store_;
  bool ok_ = true;
};
