// The DOS job coding's surroundings in memory: the settings store with a printer model, the context, the
// input bytes and an output that keeps (or only counts) what is written. The coder stages are the raw
// coder's own; nobody answers a dialog, so it gives back the copies it was offered.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "foundation/cl_tools_config.h"
#include "monitor/uintraw.h"
#include "support/coder_fakes.h"
#include "support/memory_store.h"

inline std::u16string DosSubKey(std::u16string_view sub = {}) {
  return sub.empty() ? std::u16string(kConfigDosKey) : std::u16string(kConfigDosKey) + u"\\" + std::u16string(sub);
}

// The printer model in use and its one mode "M".
inline void WriteDosModel(TSettingsStore& store, std::u16string_view name, std::u16string_view mode) {
  const std::u16string printers = DosSubKey(u"Printers");
  const std::u16string model = printers + u"\\" + std::u16string(name);
  store.WriteText(printers, u"Model", name);
  store.WriteText(model, u"Mode", u"M");
  store.WriteText(model + u"\\Modes", u"M", mode);
}

// A type that recognises a page holding the keyword anywhere in a text, with its copies string.
inline void WriteDosKeywordType(TSettingsStore& store, std::u16string_view id, std::u16string_view keyword,
                                std::u16string_view pages, int32_t ack) {
  const std::u16string key = DosSubKey(id);
  store.WriteText(key, u"DocType", u"Тип " + std::u16string(id));
  store.WriteText(key, u"Pages", pages);
  store.WriteInteger(key, u"AckPages", ack);
  store.WriteText(key + u"\\Model", u"1", u"RRTITLE," + std::u16string(keyword));
  store.WriteText(key + u"\\Model", u"2", u"SPSEEN");
  store.WriteInteger(key + u"\\Model", u"TimeOut", 0);
  store.WriteText(key + u"\\Fields", u"1", u"PSEEN,Отметка,,,PSEEN");
}

class TStringDosOutput : public TDosOutput {
 public:
  // keep false: only the count grows, so that a long job costs no memory here.
  TStringDosOutput(std::string& bytes, size_t& count, size_t failAfter, bool keep)
      : bytes_(bytes), count_(count), failAfter_(failAfter), keep_(keep) {}
  bool Write(std::string_view bytes) override {
    if (count_ + bytes.size() > failAfter_) return false;
    count_ += bytes.size();
    if (keep_) bytes_.append(bytes);
    return true;
  }

 private:
  std::string& bytes_;
  size_t& count_;
  size_t failAfter_;
  bool keep_;
};

class TMemoryDosSteps : public TDosJobSteps {
 public:
  static constexpr std::u16string_view kOutputName = u"C:\\TEMP\\0000BEEF.TMP";

  TMemoryDosSteps() { SetModel(u"HP LaserJet", u"300,300,Rastr"); }

  std::u16string DosKey(std::u16string_view sub = {}) const { return DosSubKey(sub); }
  void SetModel(std::u16string_view name, std::u16string_view mode) { WriteDosModel(store, name, mode); }
  void AddKeywordType(std::u16string_view id, std::u16string_view keyword, std::u16string_view pages, int32_t ack) {
    WriteDosKeywordType(store, id, keyword, pages, ack);
  }

  const TSettingsStore& Store() override { return store; }
  bool CheckConfiguration() override { return configOk; }
  std::unique_ptr<TLogFile> OpenLog() override {
    return logged ? std::make_unique<TLogFile>(logHost, u"C:\\log\\dos.log", false) : nullptr;
  }
  std::unique_ptr<TContext> OpenContext() override { return std::make_unique<TContext>(contextHost, kDefaultSection); }
  std::u16string InputName() override { return u"C:\\IN\\JOB.PRN"; }
  int64_t InputSize() override { return static_cast<int64_t>(input.size()); }
  bool MapInput(std::span<const uint8_t>& bytes) override {
    bytes = std::span(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    return mapOk;
  }
  std::u16string MakeOutputName() override { return outputMade ? std::u16string(kOutputName) : std::u16string(); }
  std::unique_ptr<TDosOutput> OpenOutput(const std::u16string&) override {
    ++outputsOpened;
    return std::make_unique<TStringDosOutput>(output, written, failAfter, keepOutput);
  }
  void DeleteOutput(const std::u16string& name) override { deleted.push_back(name); }
  void ShowRegistryError() override { boxes.push_back(u"registry"); }
  void ShowFileOpenError(const std::u16string& name) override { boxes.push_back(u"open " + name); }
  void ShowFileWriteError(const std::u16string& name) override { boxes.push_back(u"write " + name); }
  std::string AskCopies(TRAWCoder&, TContext&, TLogFile*, const std::string& copies) override { return copies; }

  TMemoryStore store;
  TMemoryContextHost contextHost;
  TMemoryLogHost logHost;
  bool logged = true;
  std::string input;
  std::string output;
  size_t written = 0;
  size_t failAfter = SIZE_MAX;
  bool keepOutput = true;
  bool configOk = true;
  bool mapOk = true;
  bool outputMade = true;
  int outputsOpened = 0;
  std::vector<std::u16string> deleted;
  std::vector<std::u16string> boxes;
};
