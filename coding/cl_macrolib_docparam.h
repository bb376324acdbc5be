// Settings of one document type as the settings dialogs edit them, the named parameters of a document,
// and the accessors of per-type and side-wide values that the coding subsystem owns.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "foundation/cl_tools_store.h"
#include "coding/cl_macrotools.h"
#include "foundation/cl_tools_docid.h"
#include "foundation/lib_str_lists.h"
#include "foundation/lib_sys.h"

inline constexpr std::u16string_view kUnknownDocType = u"Неизвестный тип документа";
inline constexpr size_t kMaxPagesLength = 64;

// The copies string as kept: at most kMaxPagesLength characters.
std::string CutPages(std::string_view pages);

class TDocParam : public TObject {
 public:
  TDocParam(int32_t picPlace, TSize pictureSize, uint8_t ackPages, std::string_view pages, const TDocIdClass& docId,
            uint8_t severalSymbols, uint8_t savePgDlg, int32_t picTop, uint8_t rotated);

  int32_t PicPlace;
  uint8_t AckPages;
  std::string Pages;
  TDocIdClass DocId;  // a copy of its own
  uint8_t SeveralSymbols;
  TSize PictureSize;  // 0.01 mm
  uint8_t SavePgDlg;
  int32_t PicTop;
  uint8_t Rotated;
};

class TNamedParam : public TObject {
 public:
  TNamedParam() : TNamedParam(u"1") {}
  explicit TNamedParam(std::u16string_view data) : Data(data) {}
  static std::unique_ptr<TNamedParam> CreateFromContext(std::u16string_view data);
  // From the key's "Desc" and "Data", with "Demo" appended after a comma when "Data" is not blank. A
  // key that does not open gives both texts empty.
  static std::unique_ptr<TNamedParam> CreateFromRegistry(const TSettingsStore& store, std::u16string_view keyPath);

  uint8_t FromContext = 0;
  std::u16string Desc;
  std::u16string Data;
};

// Writes "Pages", "PicPlace", "AckPages" and "SavePgDlg" of every entry with an object, in list order.
// Stops at the first type whose key cannot be created and answers false; the types before it stay written.
bool SaveDocParams(TSettingsStore& store, std::u16string_view configKey, const TWideStringList& list);

// The summary of the document types (in the side's document-type order) for the About box and the
// support report; an empty order gives an empty text. extra is 8-bit.
std::u16string DescribeDocTypes(const TSettingsStore& store, std::u16string_view configKey, std::string_view extra,
                                bool remoteSession);

// What the demo-page lister asks of the system: a file's size (-1 when there is no such file).
struct TDemoPageHost {
  std::function<int64_t(const std::u16string& fileName)> FileSize;
  std::u16string ProgramDir;  // with or without a trailing backslash
};
inline constexpr int64_t kMinDemoPageSize = 11;

// Display names of the types with a demo page (store order); files gets their files, comma-separated.
TWideStringArray GetDemoPages(const TSettingsStore& store, std::u16string_view configKey, const TDemoPageHost& host,
                              std::u16string& files);
bool HasDemoPages(const TSettingsStore& store, std::u16string_view configKey, const TDemoPageHost& host);

// DOS printer models (subkeys of dosKey\Printers) and the modes of one model; selected is the position
// of the stored choice, -1 when there is none or it is not listed.
TWideStringArray GetPrinterModels(const TSettingsStore& store, std::u16string_view dosKey, int32_t& selected);
TWideStringArray GetPrinterModes(const TSettingsStore& store, std::u16string_view dosKey, std::u16string_view model,
                                 int32_t& selected);
void SetPrinterModelMode(TSettingsStore& store, std::u16string_view dosKey, std::string_view model,
                         std::string_view mode);

int32_t GetAllPages(const TSettingsStore& store, std::u16string_view key);
void SetAllPages(TSettingsStore& store, std::u16string_view key, bool flag);
int32_t GetCreateCopies(const TSettingsStore& store, std::u16string_view key);
void SetCreateCopies(TSettingsStore& store, std::u16string_view key, bool flag);
int32_t GetCRAfterFF(const TSettingsStore& store, std::u16string_view dosKey);

// "TimeOut" of the active side key, as the monitors' readiness wait (100..29999, default 2000) and as the
// wait that joins a split DOS job (0..29999, default 0).
int32_t GetTimeOut(const TSettingsStore& store, std::u16string_view activeKey);
void SetTimeOut(TSettingsStore& store, std::u16string_view activeKey, int32_t ms);
int32_t GetDosJobTimeOut(const TSettingsStore& store, std::u16string_view activeKey);
void SetDosJobTimeOut(TSettingsStore& store, std::u16string_view activeKey, int32_t ms);

// Every conversion between numbers and text uses "." whatever the user's regional settings say; the
// program calls this once at start, before any number is formatted or parsed.
void UsePointDecimalSeparator();
