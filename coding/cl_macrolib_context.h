// The document context: what one page leaves for the next (page counter, document identifier and the
// context text), kept in a small INI store in the temporary directory, one section per caller.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::u16string_view kContextStoreName = u"_Tevoran.tmp";
inline constexpr std::u16string_view kDefaultSection = u".Default";
inline constexpr std::u16string_view kUnknownSection = u".Unknown";

// What a context needs of the system: the store (an INI file whose every write reaches the file at
// once), the context files beside it, a lock shared by every thread and process, and the error box.
class TContextHost {
 public:
  virtual ~TContextHost() = default;
  virtual std::u16string ReadValue(std::u16string_view section, std::u16string_view name,
                                   std::u16string_view def) = 0;
  virtual void WriteValue(std::u16string_view section, std::u16string_view name, std::u16string_view value) = 0;
  // The folder of the store, with a trailing backslash.
  virtual std::u16string StoreDir() const = 0;
  // A new empty file in StoreDir named by kContextFilePattern; empty when none can be made.
  virtual std::u16string MakeContextFile() = 0;
  virtual std::optional<std::string> ReadFileBytes(const std::u16string& name) = 0;
  virtual bool WriteFileBytes(const std::u16string& name, std::string_view bytes) = 0;
  // A missing file is no error.
  virtual void DeleteFileByName(const std::u16string& name) = 0;
  virtual void ShowError(std::u16string_view text) = 0;
  // Held while a section's state is loaded or stored.
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  // The system code page.
  virtual std::string ToAnsi(std::u16string_view text) const = 0;
  virtual std::u16string FromAnsi(std::string_view text) const = 0;
};

// The section used for a caller's name: trimmed, ".Unknown" when empty.
std::u16string ContextSectionName(std::u16string_view name);

// "Id": the page number in hexadecimal and the four identifier bytes, "3,41,42,43,44".
std::string FormatContextId(int32_t pageNo, const std::array<uint8_t, 4>& documentId);
struct TContextId {
  int32_t PageNo = 0;
  std::array<uint8_t, 4> DocumentId{};
};
TContextId ParseContextId(std::string_view text);

// A context file may only be one the store made itself: directly in the store's folder, named with
// eight hexadecimal digits and ".TMP". Anything else in "Context" is never read or deleted.
bool IsContextFileName(std::u16string_view name, std::u16string_view storeDir);

class TContext {
 public:
  // Opens the section and loads its state.
  TContext(TContextHost& host, std::u16string_view section);
  // Stores the state (what Free does at the end of every call).
  ~TContext();
  TContext(const TContext&) = delete;
  TContext& operator=(const TContext&) = delete;

  void SetPage(int32_t page);
  bool HasContext() const { return !Context.empty(); }
  // Between documents of one raw job.
  void Commit();
  // On the document's last page (no new context) the count is known.
  void UpdatePageCount();

  std::u16string ReadValue(std::u16string_view name, std::u16string_view def);
  void WriteValue(std::u16string_view name, std::u16string_view value);
  std::u16string ReadSectionValue(std::u16string_view section, std::u16string_view name, std::u16string_view def);
  void WriteSectionValue(std::u16string_view section, std::u16string_view name, std::u16string_view value);

  std::array<uint8_t, 4> DocumentId{};
  int32_t LastPage = 1;
  int32_t PageNo = 0;
  int32_t PageCount = 0;
  std::u16string Section;
  std::u16string Context;
  std::u16string NewContext;  // a name, a NUL and a value

 private:
  void Load();
  void LoadLocked(std::u16string& error);
  void NewDocument();
  void Store();

  TContextHost& host_;
};
