// The coder base: one coder per document type and page (or raw job) holds the page model the
// interpreter fills, the document type's settings and code format, and the named parameters.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "coding/aztencod.h"
#include "coding/cl_macrolib_context.h"
#include "coding/cl_macrolib_docparam.h"
#include "coding/cl_macrolib_format.h"
#include "foundation/cl_tools_store.h"
#include "coding/cl_macrotools.h"
#include "coding/cl_macrotools_pattern.h"
#include "foundation/cl_tools_docid.h"
#include "foundation/lib_log.h"
#include "foundation/lib_str.h"
#include "foundation/lib_str_lists.h"

inline constexpr int32_t kDefaultCharset = 204;
inline constexpr int32_t kDefaultModelTimeOut = 5000;
// Apostrophe, double quote and grave accent, then the rest of the allowed characters.
inline constexpr std::u16string_view kDefaultCharList = u"'\"`№%()+-=.,:;/\\0..9A..Za..zА..яЁё";
inline constexpr std::u16string_view kDefaultChrCnvSrc =
    u"0°№qwertyuiopasdfghjklzxcvbnmйцукенгшщзхъфывапролджэячсмитьбюёЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮЁ";
inline constexpr std::u16string_view kDefaultChrCnvDst =
    u"OONQWERTYUIOPASDFGHJKLZXCVBNMЙЦYKEHГШШЗXЪФЫBAПPOЛДЖЭЯЧCMИTЬБЮEЙЦYKEHГШШЗXЪФЫBAПPOЛДЖЭЯЧCMИTЬБЮE";

class TCodeServices;

class TCoder {
 protected:
  // Only Create makes coders, so that the creation always ends with the overridden page parameters.
  class TCreateKey {
    friend class TCoder;
    TCreateKey() = default;
  };

 public:
  // Constructs T (TCoder or an interpreter derived from it) and completes the creation with the
  // virtual operations a constructor cannot reach. store, context and log are lent, not owned.
  template <class T = TCoder, class... Args>
  static std::unique_ptr<T> Create(Args&&... args) {
    std::unique_ptr<T> coder(new T(TCreateKey{}, std::forward<Args>(args)...));
    coder->CompleteCreate();
    return coder;
  }

  TCoder(TCreateKey, const TSettingsStore& store, std::u16string_view configKey, TContext* context, uint8_t mode,
         TLogFile* log, const TDocIdClass& docId);
  virtual ~TCoder();
  TCoder(const TCoder&) = delete;
  TCoder& operator=(const TCoder&) = delete;

  // Virtual operations, in this order.
  virtual void DumpObjects();
  virtual void AddPageParams();
  virtual std::string GetDocTypeId();

  // Between pages of a raw job: a fresh page model, and the page and type parameters again.
  void Reinit();
  // The document type's settings and code format; false when its key is missing.
  bool LoadParam();

  void SetNewContext(std::u16string_view name, std::u16string_view value);
  std::u16string FindNameOfObject(const TObject* object) const;
  // Names compared without regard to case; nil unless the object is a page object.
  TRectProTo* FindRectObject(std::u16string_view name) const;
  void SortObjects(TObjectList& list, int32_t sortMode, bool vertical, bool lines) const;
  TRect NormalizeRect(const TRect& rect) const;
  // limits: horizontal length (X) for HLines, vertical (Y) for VLines.
  void RemoveShortLines(TSmallPoint limits);
  void MergeLines(TSmallPoint tolerance, bool vertical);
  void ConnectLines(bool extend, TSmallPoint tolerance);
  bool CheckTimeOut(uint32_t startTick);
  bool ScanStarted();
  // Runs the document type's model over the page model, then its tables and fields; true when a
  // payload results.
  bool Recognize();

  // The entry step of a field of type "R", "O", "C", "P" or "L": the character check with its log line
  // and user message, the field status, and the entry for the level's payload (empty for an empty value).
  std::u16string PayloadEntry(char16_t type, std::u16string_view label, std::u16string_view displayName,
                              std::u16string_view value);
  // The print-server pass: the payload from a number and the "docdata" parameter.
  bool ProcessDocData(uint32_t docData);
  // The payload as the code picture (Picture, PictureWidth, PictureHeight); charset is used when the
  // type's Unicode value is set. True when a picture was made or the document was filtered off.
  bool MakeCode(uint8_t charset);

  std::string WordDelims;
  int32_t JumpLine = 0;
  int32_t ModelTimeOut = kDefaultModelTimeOut;
  uint8_t Debug = 0;
  std::string SubstTable;
  TSmallPoint SortTolerance;
  // The type's code format and payload delimiters, as read; recognition and code generation borrow them.
  // Coders derived from this one keep their own settings in records of their own beside these.
  TCodeFormat Format;
  TCodeDelimiters Delims;
  // The interpreters' line character sets.
  TCharSet LineChrH;
  TCharSet LineChrV;
  std::vector<uint8_t> Picture;
  int32_t PictureWidth = 0;
  int32_t PictureHeight = 0;
  TWideCharSet CharList;
  TRect PageExtent;
  TCharMap CharMap;
  std::u16string Payload;
  TLogFile* Log;
  std::unique_ptr<TObjectList> Texts;
  std::unique_ptr<TObjectList> Grids;
  std::unique_ptr<TObjectList> HLines;
  std::unique_ptr<TObjectList> VLines;
  std::unique_ptr<TWideStringList> Found;        // borrows its objects
  std::unique_ptr<TWideStringList> NamedParams;  // owns its TNamedParam objects
  uint8_t Mode = 0;
  TContext* Context;
  std::u16string ConfigKey;
  TDocIdClass DocId;
  int32_t DefaultCharset = kDefaultCharset;
  std::u16string DocType = std::u16string(kUnknownDocType);
  std::string Pages = "C";
  uint8_t AckPages = 1;
  int32_t PicPlace = 0;
  uint8_t State = 1;
  TRect OutputArea;
  int32_t PicTop = 0;
  int32_t MaxAllowedPages = 1;
  std::unique_ptr<TAztCoder> AztCoder;
  std::unique_ptr<TWideStringArray> Errors;
  // Code pages, the error box and the debug file of code generation, lent by the creator; without
  // them the core's code pages serve and no box is shown.
  TCodeServices* CodeServices = nullptr;

 protected:
  const TSettingsStore& Store() const { return store_; }
  void LogLine(std::u16string_view text) const;
  bool LogEnabled() const { return Log && Log->Enabled(); }
  // Reinit's end of the page's texts.
  virtual void ClearTexts();

 private:
  void CompleteCreate();
  void LoadNamedParams();
  std::u16string DocKey() const;

  const TSettingsStore& store_;
  bool paramsLoaded_ = false;
};

// Settings of every document type of the side, in the order of the type identifiers; the caller owns the
// list and its objects (TDocParam), keyed by the display name.
std::unique_ptr<TWideStringList> LoadDocParams(const TSettingsStore& store, std::u16string_view configKey);
