// Whole documents for the end-to-end tests: each document type's configuration as data, the page model
// an interpreter would build, and what a scanner must read from the code, header included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "coding/cl_macrolib.h"
#include "foundation/cl_tools_store.h"

// One value under the type's key; Key is relative to ConfigKey\<doc> ("" for the type's own key).
struct TE2ESetting {
  std::u16string Key;
  std::u16string Name;
  bool IsInteger = false;
  int32_t Integer = 0;
  std::u16string Text;
};

struct TE2EText {
  std::u16string Text;
  TRect Rect;
};

struct TE2EDocument {
  const char* Name;
  std::string DocId;
  std::vector<TE2ESetting> Settings;
  std::vector<TE2EText> Texts;
  std::vector<TRect> HLines;
  std::vector<TRect> VLines;
  std::u16string Payload;   // what recognition leaves in the coder
  std::string PlainBytes;   // the payload and LabelEnd in code page 1251, as a reader gets them back
  std::string Message;      // every byte the symbol carries, header first (seeds pinned)
  int32_t PictureWidth = 0;
  int32_t PictureHeight = 0;
  uint32_t PictureHash = 0;  // FNV-1a of the picture's bytes, the same in both builds
};

// A form with labelled fields, a document with a table, and a type known only by its ruled lines.
const std::vector<TE2EDocument>& E2EDocuments();

// Writes the type's configuration under configKey\<DocId> through the store's writers.
void WriteE2EConfig(TSettingsStore& store, std::u16string_view configKey, const TE2EDocument& doc);

// The page as a parse leaves it: texts, lines, tolerances and the line clean-up.
void BuildE2EPage(TCoder& coder, const TE2EDocument& doc);

// The stages of one page after the coder's creation: settings, page, recognition and code, the code's
// seeds pinned. Answers the stage that failed, or an empty text.
std::string RunE2E(TCoder& coder, const TE2EDocument& doc);

uint32_t PictureHash(const std::vector<uint8_t>& picture);

// Bytes written as hexadecimal pairs, blanks ignored.
std::string HexBytes(std::string_view hex);
