// Document context: loading and storing a section of the context store, and the page counter rules.
#include "coding/cl_macrolib_context.h"

#include "coding/lib_datcoder_random.h"
#include "coding/lib_datcoder_scramble.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

namespace {
class THostLock {
 public:
  explicit THostLock(TContextHost& host) : host_(host) { host_.Lock(); }
  ~THostLock() { host_.Unlock(); }
  THostLock(const THostLock&) = delete;
  THostLock& operator=(const THostLock&) = delete;

 private:
  TContextHost& host_;
};

std::string AsciiOf(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

std::u16string WideOfAscii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

constexpr std::u16string_view kIdValue = u"Id";
constexpr std::u16string_view kContextValue = u"Context";
}  // namespace

std::u16string ContextSectionName(std::u16string_view name) {
  std::u16string section = TrimW(name);
  return section.empty() ? std::u16string(kUnknownSection) : section;
}

std::string FormatContextId(int32_t pageNo, const std::array<uint8_t, 4>& documentId) {
  return IntToHexMin(static_cast<uint32_t>(pageNo)) + "," +
         StrToHexList(std::string_view(reinterpret_cast<const char*>(documentId.data()), documentId.size()));
}

TContextId ParseContextId(std::string_view text) {
  TContextId id;
  std::string rest(text);
  const std::string page = ExtractToken(rest, ',');
  // Up to eight digits: the stored number is a 32-bit pattern, negative page numbers included.
  id.PageNo = static_cast<int32_t>(Hex8ToInt(page.substr(0, 8)));
  const std::string bytes = HexListToStr(rest, ',');
  for (size_t i = 0; i < id.DocumentId.size() && i < bytes.size(); ++i)
    id.DocumentId[i] = static_cast<uint8_t>(bytes[i]);
  return id;
}

bool IsContextFileName(std::u16string_view name, std::u16string_view storeDir) {
  if (storeDir.empty() || name.size() != storeDir.size() + 12) return false;
  if (!SameTextW(name.substr(0, storeDir.size()), storeDir)) return false;
  const std::u16string_view leaf = name.substr(storeDir.size());
  for (size_t i = 0; i < 8; ++i) {
    const char16_t c = leaf[i];
    if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'))) return false;
  }
  return SameTextW(leaf.substr(8), u".TMP");
}

TContext::TContext(TContextHost& host, std::u16string_view section)
    : Section(ContextSectionName(section)), host_(host) {
  Load();
}

TContext::~TContext() {
  try {
    Store();
  } catch (...) {
    // Nothing may leave a destructor; the next page then starts a new document.
  }
}

void TContext::Load() {
  // The box waits for the user: it is shown once the store is free again.
  std::u16string error;
  {
    THostLock lock(host_);
    LoadLocked(error);
  }
  if (!error.empty()) host_.ShowError(error);
}

void TContext::LoadLocked(std::u16string& error) {
  const std::u16string name = TrimW(host_.ReadValue(Section, kContextValue, u""));
  if (!name.empty()) {
    if (IsContextFileName(name, host_.StoreDir())) {
      if (const std::optional<std::string> bytes = host_.ReadFileBytes(name)) {
        Context = host_.FromAnsi(XorUnscramble(*bytes));
      } else {
        error = u"Ошибка восстановления контекста документа из файла: \"" + name + u"\".";
      }
      host_.DeleteFileByName(name);
    }
    host_.WriteValue(Section, kContextValue, u"");
  }
  const std::u16string id = TrimW(host_.ReadValue(Section, kIdValue, u""));
  if (id.empty()) {
    NewDocument();
    return;
  }
  const TContextId parsed = ParseContextId(AsciiOf(id));
  PageNo = parsed.PageNo;
  DocumentId = parsed.DocumentId;
}

void TContext::NewDocument() {
  PageNo = 1;
  const uint32_t seed = RandomSeed(224);
  for (size_t i = 0; i < DocumentId.size(); ++i)
    DocumentId[i] = static_cast<uint8_t>(32 + ((seed >> (8 * i)) & 0xFF) - 1);
}

void TContext::SetPage(int32_t page) {
  // The counter is a 32-bit number read back from the store; past the top it wraps as stored.
  if (page > LastPage) PageNo = static_cast<int32_t>(static_cast<uint32_t>(PageNo) + 1u);
  if (!(page > 1 && !Context.empty())) NewDocument();
  LastPage = page;
}

void TContext::Commit() {
  Context = NewContext;
  NewContext.clear();
}

void TContext::UpdatePageCount() {
  if (NewContext.empty()) PageCount = PageNo;
}

std::u16string TContext::ReadValue(std::u16string_view name, std::u16string_view def) {
  return ReadSectionValue(Section, name, def);
}

void TContext::WriteValue(std::u16string_view name, std::u16string_view value) {
  WriteSectionValue(Section, name, value);
}

std::u16string TContext::ReadSectionValue(std::u16string_view section, std::u16string_view name,
                                          std::u16string_view def) {
  return TrimW(host_.ReadValue(section, name, def));
}

void TContext::WriteSectionValue(std::u16string_view section, std::u16string_view name, std::u16string_view value) {
  host_.WriteValue(section, name, value);
}

void TContext::Store() {
  if (NewContext.empty()) return;
  std::u16string failed;
  bool saved = false;
  {
    THostLock lock(host_);
    failed = host_.MakeContextFile();
    saved = !failed.empty() && host_.WriteFileBytes(failed, XorScramble(host_.ToAnsi(NewContext)));
    if (saved) {
      host_.WriteValue(Section, kContextValue, failed);
    } else if (!failed.empty()) {
      host_.DeleteFileByName(failed);
    }
    host_.WriteValue(Section, kIdValue, WideOfAscii(FormatContextId(PageNo, DocumentId)));
  }
  if (!saved) host_.ShowError(u"Ошибка сохранения контекста документа в файл: \"" + failed + u"\".");
}
