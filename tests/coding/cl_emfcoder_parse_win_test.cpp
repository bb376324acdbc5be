// A Windows page recorded by Wine's GDI on the destination printer's DC, handed in as a metafile handle:
// parsed on the screen's DC with the system's fonts and glyphs, and recognised through the types kept in
// HKEY_LOCAL_MACHINE, with the document's own message.
#include "coding/cl_emfcoder_parse_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/coder_fakes.h"
#include "support/e2e_fixtures.h"

namespace {
const TE2EDocument& Invoice() {
  for (const TE2EDocument& doc : E2EDocuments())
    if (doc.DocId == "SCHT") return doc;
  return E2EDocuments().front();
}

// The document's lines and texts, each text in a font whose cell fills its box.
TEnhMetaFile RecordDocument(const TE2EDocument& doc) {
  TDeviceContext printer(CreateDCW(nullptr, L"Client Test PS", nullptr, nullptr));
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

// The types of the test, and the order, in the real configuration key; removed again afterwards.
class TMachineTypes {
 public:
  TMachineTypes() {
    for (const TE2EDocument& doc : E2EDocuments()) ok_ = ok_ && WriteE2EConfig(store_, kConfigKey, doc);
    store_.WriteText(kConfigKey, u"DocOrder", u"TORG,SCHT");
  }
  ~TMachineTypes() {
    for (const TE2EDocument& doc : E2EDocuments())
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, WStr(std::u16string(kConfigKey) + u"\\" + AnsiToWide(doc.DocId)));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, WStr(std::u16string(kConfigKey)), L"DocOrder");
  }
  bool Ok() const { return ok_; }

 private:
  TRegistryStore store_;
  bool ok_ = true;
};
}  // namespace

TEST(ParsePageWin, ARecordedPageIsRecognisedThroughTheRegistry) {
  TMachineTypes types;
  ASSERT_TRUE(types.Ok()) << E2EConfigPath();
  const TEnhMetaFile page = RecordDocument(Invoice());
  ASSERT_TRUE(page) << "the destination printer of scripts/setup";
  TMemoryLog log;
  auto coder = ProcessDecode(0, nullptr, page.Get(), nullptr, log, 0, nullptr);
  if (!coder) {
    for (const auto& line : log.host.Lines) ADD_FAILURE() << WideToUtf8(line);
    FAIL() << "no type recognised the page";
  }
  EXPECT_EQ(coder->DocId.GetText(), "SCHT");
  EXPECT_EQ(WideToUtf8(coder->Payload), WideToUtf8(Invoice().Payload));
  EXPECT_GT(coder->Header.szlDeviceCx, 0);
}

TEST(ParsePageWin, ADamagedHandleDoesNotParse) {
  TMemoryStore store;
  TMemoryLog log;
  auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
  EXPECT_FALSE(ParsePage(*coder, nullptr, nullptr));
  bool reported = false;
  for (const auto& line : log.host.Lines) reported = reported || line.find(u"GetEnhMetaFileHeader") != std::u16string::npos;
  EXPECT_TRUE(reported);
}
