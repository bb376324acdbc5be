// Blank debugging: the round with the editor or the export files, and the question that ends it.
#include "coding/cl_emfcoder_debug.h"

#include "coding/cl_blank.h"
#include "coding/cl_emfcoder.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

namespace {
constexpr int kIdYes = 6;


// Both files written and present afterwards.
bool WriteBoth(TBlankDebugHost& host, const std::u16string& pageFile, const std::u16string& blankFile,
               const TPageDataSource& pageData) {
  const bool pageWritten = host.WritePageData(pageFile, pageData());
  const bool blankWritten = host.WriteBlank(blankFile, host.BlankText());
  return pageWritten && blankWritten && host.FileExists(pageFile) && host.FileExists(blankFile);
}

int EditBlank(TBlankDebugHost& host, const std::u16string& editor, const std::u16string& pageFile,
              const std::u16string& blankFile, const TPageDataSource& pageData) {
  if (!WriteBoth(host, pageFile, blankFile, pageData)) return kBlankDebugFailed;
  const std::optional<uint64_t> before = host.WriteTime(blankFile);
  const std::u16string commandLine = BlankEditorCommandLine(editor, blankFile, pageFile);
  const std::optional<int> code = commandLine.empty() ? std::nullopt : host.RunAndWait(commandLine);
  if (code == 0) {
    if (host.WriteTime(blankFile) == before) return kBlankDebugDone;
    return host.ImportBlank(blankFile) == kBlankImported ? kBlankDebugImported : kBlankDebugFailed;
  }
  if (code == 1) return kBlankDebugDone;
  host.ShowEditorError();
  return kBlankDebugFailed;
}

int EditorRound(TBlankDebugHost& host, const std::u16string& editor, const TPageDataSource& pageData) {
  const std::u16string pageFile = host.MakeTempFile();
  const std::u16string blankFile = host.MakeTempFile();
  int outcome = kBlankDebugFailed;
  if (!pageFile.empty() && !blankFile.empty()) outcome = EditBlank(host, editor, pageFile, blankFile, pageData);
  for (const std::u16string& file : {pageFile, blankFile})
    if (!file.empty()) host.RemoveFile(file);
  return outcome;
}

int ExportRound(TBlankDebugHost& host, const TPageDataSource& pageData) {
  const std::u16string name = host.SelectExportFile();
  if (name.empty()) return kBlankDebugDone;
  const std::u16string blankFile = ChangeFileExtW(name, u".bln");
  const std::u16string pageFile = ChangeFileExtW(name, u".tdc");
  if (host.FileExists(blankFile)) {
    // The page data belongs to the blank: once the blank is replaced, so is its page data, unasked.
    if (!host.ConfirmOverwrite(blankFile)) return kBlankDebugDone;
    if (!host.RemoveFile(blankFile)) return kBlankDebugFailed;
  } else if (host.FileExists(pageFile) && !host.ConfirmOverwrite(pageFile)) {
    return kBlankDebugDone;
  }
  if (host.FileExists(pageFile) && !host.RemoveFile(pageFile)) return kBlankDebugFailed;
  return WriteBoth(host, pageFile, blankFile, pageData) ? kBlankDebugDone : kBlankDebugFailed;
}
}  // namespace

std::u16string BlankEditorCommandLine(std::u16string_view editor, std::u16string_view blank,
                                      std::u16string_view pageData) {
  for (std::u16string_view part : {editor, blank, pageData})
    if (part.empty() || part.find(u'"') != std::u16string_view::npos) return {};
  return Quoted(editor) + u" " + Quoted(blank) + u" " + Quoted(pageData);
}

int RunBlankDebug(uint8_t blankMode, TBlankDebugHost& host, const TPageDataSource& pageData) {
  if (host.GUIDisabled()) return kBlankDebugFailed;
  if (blankMode == 2) {
    const std::u16string editor = host.BlankEditor();
    if (!editor.empty()) return EditorRound(host, editor, pageData);
  }
  return ExportRound(host, pageData);
}

bool AskToEndBlankDebug(int outcome, TBlankDebugHost& host) {
  switch (outcome) {
    case kBlankDebugDone: return host.Ask(kBlankDebugEndText, false) == kIdYes;
    case kBlankDebugImported: return host.Ask(kBlankDebugImportedText, false) == kIdYes;
    default: return host.Ask(kBlankDebugFailedText, true) != kIdYes;
  }
}

void TEMFCoder::DebugBlank(TBlankDebugHost& host) {
  LogLine(u"  Отладка бланка");
  const int outcome = RunBlankDebug(BlankMode, host, [this] { return ExportPageData(); });
  if (AskToEndBlankDebug(outcome, host)) host.EndDebugging();
}
