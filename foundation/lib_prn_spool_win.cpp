// Windows edge of the spool-file reader: opens a spool file by name and writes the current page's
// metafile to a file of its own.
#include <windows.h>

#include <memory>
#include <string>

#include "foundation/lib_file_reader_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_prn_spool.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_unicode_win.h"

bool TProcSPLFile::Open(const std::u16string& fileName) {
  auto mapped = std::make_shared<TMappedFile>();
  if (!mapped->Open(fileName, false)) {
    Close();
    return false;
  }
  if (!Open(mapped->Bytes(), PrnSystem().IsWinNT)) return false;
  owner_ = std::move(mapped);
  if (Is9xFormat) GetSpoolDirectory(u"", SpoolDirectory);
  return true;
}

bool IsNativeSpoolFile(const std::u16string& fileName) {
  TProcSPLFile reader;
  return reader.Open(fileName) && reader.Is9xFormat != PrnSystem().IsWinNT;
}

int TProcSPLFile::SavePage(const std::u16string& targetFile) const {
  if (!OnPage()) return 0;
  if (!Is9xFormat) {
    if (WriteBufferToFile(targetFile, PageData())) return 1;
    // A half-written page must not pass for a page.
    DeleteFileIfExists(targetFile);
    return 0;
  }
  // The 9x page record names its file in the system code page.
  const std::u16string source = AnsiToWide(PageFileName());
  if (!IsSpoolDirectoryFile(source, SpoolDirectory) || !FilePresent(source)) return 2;
  return CopyFileReplace(source, targetFile) ? 1 : 0;
}
