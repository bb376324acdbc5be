// Blank debugging of a document type: the page model goes to the blank editor beside the type's blank
// (or, without an editor, to two files the user names), an edited blank comes back into the registry,
// and the user decides whether debugging goes on.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Outcomes of one debugging round.
inline constexpr int kBlankDebugDone = 0;
inline constexpr int kBlankDebugImported = 1;
inline constexpr int kBlankDebugFailed = 2;

inline constexpr std::u16string_view kBlankDebugEndText = u"Завершить режим отладки?";
inline constexpr std::u16string_view kBlankDebugImportedText =
    u"Модифицированный бланк успешно импортирован. Завершить режим отладки?";
inline constexpr std::u16string_view kBlankDebugFailedText =
    u"Операция выполнена некорректно. Продолжить режим отладки и повторить операцию?";

// What debugging needs of the system: files, the editor, the dialogs, the boxes and the registry.
class TBlankDebugHost {
 public:
  virtual ~TBlankDebugHost() = default;
  // The service: no editor and no dialog may wait on a desktop nobody sees.
  virtual bool GUIDisabled() const = 0;
  // The configured editor's path; empty when none is configured.
  virtual std::u16string BlankEditor() = 0;
  // The type's blank as blank-file text (8-bit).
  virtual std::string BlankText() = 0;
  // A new empty temporary file; empty when none can be made.
  virtual std::u16string MakeTempFile() = 0;
  // The page data as UTF-8 with its byte-order mark, the blank as 8-bit text; false when not all was written.
  virtual bool WritePageData(const std::u16string& name, std::u16string_view text) = 0;
  virtual bool WriteBlank(const std::u16string& name, std::string_view text) = 0;
  virtual bool FileExists(const std::u16string& name) = 0;
  virtual bool RemoveFile(const std::u16string& name) = 0;
  // Last-write time at the file system's full resolution; nothing for a missing file.
  virtual std::optional<uint64_t> WriteTime(const std::u16string& name) = 0;
  // Starts the command line shown and waits for its exit code; nothing when it cannot be started.
  virtual std::optional<int> RunAndWait(const std::u16string& commandLine) = 0;
  // The blank file into the type's blank: kBlankImported when it was taken.
  virtual int ImportBlank(const std::u16string& name) = 0;
  virtual void ShowEditorError() = 0;
  // The export file the user names; empty for none.
  virtual std::u16string SelectExportFile() = 0;
  virtual bool ConfirmOverwrite(const std::u16string& name) = 0;
  // An 8-bit Yes/No box; the answer (IDYES 6).
  virtual int Ask(std::u16string_view text, bool error) = 0;
  // Debugging of every type ends.
  virtual void EndDebugging() = 0;
};

// "editor" "blank" "page data": paths hold blanks, and an unquoted program path can start another
// program. Empty when a path holds a quotation mark (no file name can).
std::u16string BlankEditorCommandLine(std::u16string_view editor, std::u16string_view blank,
                                      std::u16string_view pageData);

// The page model as page-data text, made when it is written (making it is logged).
using TPageDataSource = std::function<std::u16string()>;

// One round with the editor (blankMode 2, an editor configured) or by export to files; nothing is started
// or asked while the GUI is disabled. The outcome, as the box that follows tells it.
int RunBlankDebug(uint8_t blankMode, TBlankDebugHost& host, const TPageDataSource& pageData);

// The question for the outcome; true when the answer ends debugging.
bool AskToEndBlankDebug(int outcome, TBlankDebugHost& host);
