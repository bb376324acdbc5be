// DOS documents for the end-to-end tests and the demo: a printer model per command set and output form,
// the invoice type of the demo configuration under ConfigDos, and invoices printed in each language as a
// DOS program would (CP866 text, the fields in a box-drawing frame). The code's picture is read back
// from the printer commands with the test-side reader.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "coding/enumraw2.h"
#include "foundation/cl_tools_store.h"
#include "support/coder_fakes.h"
#include "support/memory_store.h"
#include "support/raw_code_reader.h"

struct TDosForm {
  const char* Name;       // also the demo's file name
  const char16_t* Model;  // the printer model, a subkey of ConfigDos\Printers
  const char16_t* Mode;   // the model's mode: a value of its Modes key
  const char16_t* ModeValue;
  std::string Setup;    // what the program sends before the page
  TPinDialect Dialect;  // bit images only
};

// PCL with Rastr, Rect, RectMF and HPGL; ESC/P 9-pin with 8- and 9-pin images; ESC/P 24-pin; IBM
// Proprinter with a bit image; Tally with MTPlot.
const std::vector<TDosForm>& DosForms();

// What reading the code back needs of the coder that made it.
struct TDosCodeGeometry {
  int32_t OutputMode = 0;
  int32_t DpiX = 0;
  std::u16string Model;
  double Pitch = 0;
  int32_t Width = 0;  // modules
  int32_t Height = 0;
  int32_t ModuleSize = 0;
};
TDosCodeGeometry GeometryOf(const TRAWCoder& coder);

// One invoice's values as printed, and the payload recognition must give for them.
struct TDosInvoice {
  std::string Number;  // "2024/117"
  std::string Date;    // "12.03.2024"
  std::string Sum;     // "15 300,00"
  std::u16string Payload() const;
};
const std::vector<TDosInvoice>& DosInvoices();

inline constexpr std::string_view kDosInvoiceId = "SCHT";
inline constexpr int32_t kDosModuleSize = 71;  // two dots a module at 72 dpi

// Where the invoice type puts the code: PicTop, PicPlace's column (low half) and rows (high half), and
// Strings, the line count past which the code goes on a page of its own.
struct TDosPlacement {
  const char* Name = "below the text";
  int32_t PicTop = 0;
  int32_t PicPlace = 0;
  int32_t Strings = 0;
};

// The DOS configuration under store's ConfigDos key: the demo's invoice type (with its module size for
// dot-matrix heads), the document order, the printers key with the form's model selected and every
// form's model and mode. False when the demo configuration cannot be read.
bool WriteDosConfig(TSettingsStore& store, const TDosForm& form, const TDosPlacement& placement = {});

// The invoice as the form's printer gets it: the setup, a title, the fields in a double frame, a
// signature line of underscores, and a form feed when formFeed is set. CP866.
std::string DosInvoiceStream(const TDosForm& form, const TDosInvoice& invoice, bool formFeed);
// A letter no document type knows, ended by a form feed. CP866.
std::string DosLetterStream(const TDosForm& form);

// A DOS print file of several documents: invoices 0 and 1 each ended by a form feed, between them a
// letter no type knows, and invoice 2 last, without a form feed. Invoice is the index, -1 for the letter.
struct TDosJobDocument {
  std::string Bytes;
  int Invoice = -1;
};
std::vector<TDosJobDocument> DosJobDocuments(const TDosForm& form);
std::string DosJobFile(const std::vector<TDosJobDocument>& documents);

// What the coded job must hold, from each invoice coded alone (in a store of its own): every document
// with the copies letter by letter (the invoice's bytes up to the code position, FF CR when the code
// breaks the page, the code commands and the trimmed rest for "C"; the document unchanged otherwise), copies of a
// document that did not end with a form feed separated by FF CR, of one that did by CR; a document no type knows once,
// unchanged. Codes lists every "C" copy's code commands, in output order, with the invoice's message and picture.
struct TDosExpectedCode {
  std::string Commands;
  std::string Message;
  std::vector<uint8_t> Picture;
  TDosCodeGeometry Geometry;
  size_t Offset = 0;  // where they stand in the coded job
};
struct TDosExpectedJob {
  std::string Bytes;
  std::vector<TDosExpectedCode> Codes;
  std::string Error;  // the invoice and stage that could not be coded
};
TDosExpectedJob ExpectedDosJob(const TDosForm& form, const std::vector<TDosJobDocument>& documents,
                               std::string_view copies, const TDosPlacement& placement = {});

// The printed job against the expected one where only the code commands may differ (a job not run by
// the tests draws its own seeds): every byte outside the codes as expected. Answers each code's printed
// commands in order, or what did not match.
struct TDosPrintedCodes {
  std::vector<std::string> Commands;
  std::string Error;
};
TDosPrintedCodes SplitPrintedJob(const TDosExpectedJob& expected, std::string_view printed);

// One page from the stream's start through the coder: parameters, parse, recognition, the code (its
// seeds pinned) and its printer commands. Answers the stage that failed, or an empty text.
std::string CodeDosPage(TRAWCoder& coder, std::string_view stream, std::string& commands);

// One invoice page coded on a form, from a settings store of its own.
struct TDosPageRun {
  TDosPageRun(const TDosForm& form, std::string bytes, const TDosPlacement& placement = {});

  TMemoryStore Store;
  TMemoryLog Log;
  TRecordingServices Services;
  std::unique_ptr<TRAWCoder> Coder;
  std::string Stream;
  std::string Commands;
  std::string FailedStage;
};

// The code's modules again from the printed commands: the form's reader, then the dot under each
// module's centre. Error is the reader's, empty when it understood everything.
struct TDosReadBack {
  std::vector<uint8_t> Picture;  // rows of (width + 7) / 8 bytes, most significant bit leftmost
  std::string Error;
};
TDosReadBack ReadDosCode(const TDosCodeGeometry& geometry, std::string_view commands);

// "equal", or where two byte strings part, for a readable failure.
std::string FirstDifference(const std::string& got, const std::string& expected);
