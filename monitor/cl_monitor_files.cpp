// The capture and watched-directory monitors' rules, apart from the threads that apply them.
#include "monitor/cl_monitor_files.h"

#include "foundation/lib_str.h"

namespace {

bool NamesAnotherDirectory(std::u16string_view mask) {
  return mask.find_first_of(u"\\/:") != std::u16string_view::npos;
}

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

TWatchedDirMode ParseMonitDirEx(std::u16string_view text) {
  TWatchedDirMode result;
  const size_t comma = text.find(u',');
  const std::u16string number = TrimW(text.substr(0, comma));
  std::string ascii;
  for (const char16_t c : number) {
    if (c > 0x7F) {
      ascii.clear();
      break;
    }
    ascii += static_cast<char>(c);
  }
  result.Mode = StrToIntOrZero(ascii);
  if (comma != std::u16string_view::npos) result.ArchiveDir = TrimW(text.substr(comma + 1));
  return result;
}

std::vector<std::u16string> SplitMonitorMasks(std::u16string_view text) {
  std::vector<std::u16string> masks;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(u",;", start);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string mask = TrimW(text.substr(start, end - start));
    if (!mask.empty() && !NamesAnotherDirectory(mask)) masks.push_back(std::move(mask));
    start = end + 1;
  }
  return masks;
}

bool TakesWatchedFile(const TWatchedFile& file) {
  constexpr uint32_t kNotListed = kAttrDirectory | kAttrHidden | kAttrSystem;
  return file.Size != 0 && (file.Attributes & (kNotListed | kAttrReadOnly)) == 0;
}

bool TRememberedFiles::Waits(const TWatchedFile& file) {
  const auto found = files_.find(file.Name);
  if (found == files_.end()) return false;
  if (found->second.Size == file.Size && found->second.WriteTime == file.WriteTime) return true;
  files_.erase(found);
  return false;
}

bool TRememberedFiles::Remember(const TWatchedFile& file) {
  const auto [place, added] = files_.insert_or_assign(file.Name, TState{file.Size, file.WriteTime});
  static_cast<void>(place);
  return added;
}

void TRememberedFiles::BeginRound() { seen_.clear(); }

void TRememberedFiles::Seen(const std::u16string& name) {
  if (files_.contains(name)) seen_.insert(name);
}

void TRememberedFiles::EndRound() {
  std::erase_if(files_, [this](const auto& entry) { return !seen_.contains(entry.first); });
  seen_.clear();
}

bool ScanWatchedDir(TWatchedDirHost& host, TRememberedFiles& remembered, const std::u16string& dir,
                    const std::u16string& mask, const std::u16string& archiveDir, int32_t mode) {
  for (const TWatchedFile& file : host.List(dir, mask)) {
    if (host.StopSeen()) return false;
    if (!TakesWatchedFile(file)) continue;
    remembered.Seen(file.Name);
    if (remembered.Waits(file) || !host.IsReady(file.Name)) continue;
    const bool sent = host.Process(file.Name, mode, archiveDir);
    const std::optional<TWatchedFile> after = host.Stat(file.Name);
    if (!after) continue;
    // Mode 1 leaves the file in place, read-only; every other mode takes it away.
    if (sent && mode == kWatchReadOnly && (after->Attributes & kAttrReadOnly) != 0) continue;
    if (remembered.Remember(*after)) {
      remembered.Seen(after->Name);
      host.Log((sent ? u"Файл напечатан, но не удален и не помечен; не печатается до его изменения: "
                     : u"Файл не напечатан; ждет его изменения: ") +
               Quoted(after->Name));
    }
  }
  return !host.StopSeen();
}

TCaptureWait WaitCaptureRest(TCaptureHost& host, uint32_t timeOutMs) {
  while (host.CaptureSize() <= 0) {
    const TCaptureWait w = host.WaitChange(TCaptureHost::kNoLimit);
    if (w == TCaptureWait::Stop || w == TCaptureWait::Failed) return w;
  }
  for (;;) {
    const TCaptureWait w = host.WaitChange(timeOutMs);
    if (w != TCaptureWait::Change) return w;
  }
}

std::u16string FreeCaptureName(const std::u16string& dir, const std::function<bool(const std::u16string&)>& exists,
                               uint32_t limit) {
  for (uint32_t n = 1; n <= limit; ++n) {
    std::u16string name = dir + u"\\PrnCap-" + Widen(IntToText(n)) + u".raw";
    if (!exists(name)) return name;
  }
  return {};
}
