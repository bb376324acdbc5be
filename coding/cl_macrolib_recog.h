// Recognition of a page model: the document model run, the tables, and the field tree that builds the
// payload. It works on the coder's lists and settings handed in as references and values, reads the
// document type's configuration through a narrow source and reaches the log, clock and context through
// a host, so it runs the same in tests, in the fuzzers and inside the coder.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "coding/cl_macrolib_format.h"
#include "coding/cl_macrotools.h"
#include "coding/cl_macrotools_cond.h"
#include "coding/cl_macrotools_pattern.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_str_lists.h"

inline constexpr int32_t kModelTimeOutDefault = 5000;
// A model whose lines step back and forth can run for ever; no page needs more steps than this.
inline constexpr int32_t kMaxModelSteps = 100000;
// A table of more cells than this is left without cells (its edges come from the page's lines, which a
// hostile stream can multiply).
inline constexpr int64_t kMaxTableCells = int64_t{1} << 20;

// Result codes of one model line.
inline constexpr int32_t kLineNotFound = 0;     // step back
inline constexpr int32_t kLineStop = 1;         // the document does not match
inline constexpr int32_t kLineAbsent = 2;       // nothing done, or an optional object is absent
inline constexpr int32_t kLineDone = 3;
inline constexpr int32_t kLineJump = 4;

// The document type's model and field tree as configured (the Model and Fields keys of the type).
class TRecognitionConfig {
 public:
  virtual ~TRecognitionConfig() = default;
  virtual bool ModelExists() const = 0;
  // Line lineNo of the model ("1", "2", ...); empty when missing.
  virtual std::u16string ModelLine(int32_t lineNo) const = 0;
  // A key of the field tree by its path below the Fields key ("1", "1\2").
  virtual bool FieldKeyExists(std::u16string_view path) const = 0;
  virtual std::u16string FieldKeyText(std::u16string_view path, std::u16string_view name) const = 0;
  virtual int32_t FieldKeyInteger(std::u16string_view path, std::u16string_view name, int32_t def) const = 0;
  // A string value of the Fields key itself ("2", "1.2"); empty when missing.
  virtual std::u16string FieldsValue(std::u16string_view name) const = 0;
};

// A configuration held in memory: tests, fuzzers, and a type read once from elsewhere.
class TMemoryRecognitionConfig : public TRecognitionConfig {
 public:
  struct TFieldKey {
    std::u16string Option, Rule, Macro;
    int32_t Required = 0;
  };

  bool HasModel = true;
  std::map<int32_t, std::u16string> Model;
  std::map<std::u16string, TFieldKey> FieldKeys;    // by path, compared as written
  std::map<std::u16string, std::u16string> Values;  // values of the Fields key

  bool ModelExists() const override { return HasModel; }
  std::u16string ModelLine(int32_t lineNo) const override;
  bool FieldKeyExists(std::u16string_view path) const override;
  std::u16string FieldKeyText(std::u16string_view path, std::u16string_view name) const override;
  int32_t FieldKeyInteger(std::u16string_view path, std::u16string_view name, int32_t def) const override;
  std::u16string FieldsValue(std::u16string_view name) const override;
};

// A named parameter as recognition knows it when no coder supplies its own kind.
class TRecognitionParam : public TObject {
 public:
  explicit TRecognitionParam(std::u16string_view data) : Data(data) {}
  std::u16string Data;
};

// One field value on its way into the payload.
struct TFieldValue {
  char16_t Type = 0;  // upper case: R, O, C, P or L
  std::u16string Label;
  std::u16string DisplayName;
  std::u16string Value;
};

class TRecognizer;

// What recognition needs of its surroundings. Every method has a plain default.
class TRecognitionHost {
 public:
  virtual ~TRecognitionHost() = default;
  virtual bool LogEnabled() const { return false; }
  virtual void Log(std::u16string_view /*text*/) {}
  // Milliseconds of a monotonic clock; the time limit of the model run reads it.
  virtual uint32_t Tick() const;
  // The log's field status list: its length and its cut back to an earlier length.
  virtual size_t FieldStatusCount() const { return 0; }
  virtual void TruncateFieldStatus(size_t /*count*/) {}
  virtual void DumpObjects() {}
  virtual void SetNewContext(std::u16string_view /*name*/, std::u16string_view /*value*/) {}
  // The value of a parameter object of NamedParams (nil for an object of another kind), and a new one.
  virtual const std::u16string* ParamData(const TObject* param) const;
  virtual std::unique_ptr<TObject> NewParam(std::u16string_view value) const;
  // Checks a field value, records its status and appends its entry to payload. The default appends
  // the entry alone, with no character check and no status.
  virtual void AddFieldEntry(const TRecognizer& recognizer, const TFieldValue& field, std::u16string& payload);
  // The system code page: the core's own table here, the system's conversion where the host has one.
  virtual std::u16string FromAnsi(std::string_view text) const { return DecodeCodePage(text, kCodePage1251); }
  virtual std::string ToAnsi(std::u16string_view text) const { return EncodeCodePage(text, kCodePage1251); }
};

// Candidate objects of one level of the field tree; nil is no list at all.
using TObjectRefs = std::vector<TRectProTo*>;

// One recognition over lent lists. Results stay in the members (and in the lists) for the caller.
class TRecognizer {
 public:
  // delims: the document type's payload delimiters, lent for the run.
  TRecognizer(const TRecognitionConfig& config, TRecognitionHost& host, const TCodeDelimiters& delims)
      : Config(config), Host(host), Delims(delims) {}

  // Lends the coder's page model and name lists for the run.
  void UseLists(TObjectList& texts, TObjectList& hLines, TObjectList& vLines, TObjectList& grids, TWideStringList& found,
                TWideStringList& namedParams, TWideStringArray& errors);

  // The whole run: model, tables, fields; true when a payload results.
  bool Recognize();
  // One model line; afterFailure is set while the interpreter steps back.
  int32_t ExecModelLine(int32_t lineNo, std::u16string_view line, bool afterFailure);

  bool ProcessTables();
  // The found table name as text shaped by the table macro; empty when no such table was found.
  std::u16string TableText(std::u16string_view name, std::u16string_view macro);

  // One level of the field tree: 0 nothing, 1 failed, 2 succeeded.
  int32_t WalkFieldsTree(std::u16string_view prefix, const TObjectRefs* objects, std::u16string& payload);
  // The top level over Texts, as recognition walks it (only there an unselectable "R" field fails).
  int32_t WalkTopFields(std::u16string& payload);
  bool RuleApplicable(std::u16string_view rule) const;
  TObjectRefs SelectObjects(std::u16string_view rule, const TObjectRefs* objects);
  std::u16string CollectFieldText(std::u16string_view rule, std::u16string_view macro, const TObjectRefs* objects);
  std::u16string EvalFieldRule(std::u16string_view text, std::u16string_view macro);
  bool FieldValue(std::u16string_view option, std::u16string_view macro, std::u16string_view parentPayload,
                  std::u16string& out, const TObjectRefs* objects, int32_t required, std::u16string_view rule);

  // Lookups in Found (names compared without regard to case).
  int32_t FoundIndex(std::u16string_view name) const;
  TRectProTo* FindRectObject(std::u16string_view name) const;
  // The value of a named parameter; nil when there is none.
  const std::u16string* ParamValue(std::u16string_view name) const;
  // The folding table is CharMap, or one that folds nothing.
  TPatternRules Pattern() const;
  TConditionScope Scope();
  bool Conditions(std::u16string_view conditions, const TRect& rect);
  // 8-bit settings and cells in the system code page.
  std::u16string Wide(std::string_view text) const { return Host.FromAnsi(text); }
  std::string Narrow(std::u16string_view text) const { return Host.ToAnsi(text); }
  bool IsWordDelim(char16_t c) const;
  void LogText(std::u16string_view text) const;
  void ModelLog(int32_t lineNo, std::u16string_view text) const;

  const TRecognitionConfig& Config;
  TRecognitionHost& Host;
  const TCodeDelimiters& Delims;

  // The coder's page model and name lists, lent for the run (none may be nil).
  TObjectList* Texts = nullptr;
  TObjectList* HLines = nullptr;
  TObjectList* VLines = nullptr;
  TObjectList* Grids = nullptr;
  TWideStringList* Found = nullptr;        // borrows its objects
  TWideStringList* NamedParams = nullptr;  // owns its parameters
  TWideStringArray* Errors = nullptr;

  // Settings of the document type.
  const TCharMap* CharMap = nullptr;
  std::string WordDelims = std::string(".,:- \0", 6);
  uint32_t CodePage = kCodePage1251;  // the pattern matcher's word delimiters
  TSmallPoint SortTolerance;
  int32_t PicTop = 0;
  int32_t ModelTimeOut = kModelTimeOutDefault;  // below 1: the default, never unlimited
  int32_t LogLevel = 0;                         // bit 2 (value 4): dump the objects after recognition
  int32_t MaxModelSteps = kMaxModelSteps;

  // What the run leaves for the coder.
  uint8_t State = 1;
  TRect OutputArea;
  TRect PageExtent;
  int32_t JumpLine = 0;
  std::u16string Payload;

 private:
  bool RunModel(uint32_t startTick);
  bool ModelTimeOk(uint32_t startTick) const;
  bool StepBackOverLine(std::u16string_view line);
  void RetryFrom(int32_t lineNo);
  int32_t SearchLine(int32_t lineNo, std::u16string_view command, int32_t sortMode, std::u16string rest,
                     int32_t result, bool afterFailure);
  void BuildGrid(TGrid& grid);

  const TObjectRefs* FTopObjects = nullptr;
};

// A field node stored as one value of the Fields key: two option fields each ended by "," or ";" (three
// when the first, beginning with "?", makes the node skippable), the rule up to ",,", the macro after it.
// A macro that takes a text apart ("S" steps) without taking it ("GT") gets "GT," in front.
struct TFieldNodeText {
  std::u16string Option, Rule, Macro;
};
TFieldNodeText SplitFieldValue(std::u16string_view text);

// Right and bottom: the largest right and bottom edge of any text or line; left and top 0.
TRect ComputePageExtent(const TObjectList& texts, const TObjectList& hLines, const TObjectList& vLines);

// The table head: "%d" takes the next of the two numbers, "%%" is a per cent sign; false for any other
// placeholder or a third "%d". The configured text is read, never handed to a formatter.
bool FormatGridHead(std::string_view format, int32_t cols, int32_t rows, std::string& out);
