// Whole documents for the end-to-end tests and the demo: each document type's configuration from the
// bundled demo configuration (resources/demo/DocTypes.reg), the page model an interpreter would build,
// and what recognition must leave. The messages and picture hashes are golden values (set "e2e").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "coding/cl_macrolib.h"
#include "foundation/cl_tools_store.h"

struct TE2EText {
  std::u16string Text;
  TRect Rect;
};

struct TE2EDocument {
  const char* Name;
  std::string DocId;
  std::vector<TE2EText> Texts;
  std::vector<TRect> HLines;
  std::vector<TRect> VLines;
  std::u16string Payload;   // what recognition leaves in the coder
  std::string PlainBytes;   // the payload and LabelEnd in code page 1251, as a reader gets them back
  int32_t PictureWidth = 0;
  int32_t PictureHeight = 0;
};

// A form with labelled fields, a document with a table, and a type known only by its ruled lines.
const std::vector<TE2EDocument>& E2EDocuments();

// The demo configuration: REGEDIT5 in UTF-8, the types under HKEY_LOCAL_MACHINE\<kConfigKey>\<DocId>.
std::string E2EConfigPath();

// Writes the type's sections of the demo configuration under configKey\<DocId> through the store's
// writers; false when the file cannot be read whole or holds no section of the type.
bool WriteE2EConfig(TSettingsStore& store, std::u16string_view configKey, const TE2EDocument& doc);

// The page as a parse leaves it: texts, lines, tolerances and the line clean-up.
void BuildE2EPage(TCoder& coder, const TE2EDocument& doc);

// The stages of one page after the coder's creation: settings, page, recognition and code, the code's
// seeds pinned. Answers the stage that failed, or an empty text.
std::string RunE2E(TCoder& coder, const TE2EDocument& doc);

// FNV-1a of the picture's bytes, the same in both builds.
uint32_t PictureHash(const std::vector<uint8_t>& picture);

// The coded picture with a quiet zone, as a 1-bit BMP that zxing-cpp reads.
std::vector<uint8_t> E2ECodeImage(const TCoder& coder);
