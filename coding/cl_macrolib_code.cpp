// Code generation: message by format letter, the symbol size and count search, shortening of a payload
// that even the largest allowed code cannot hold, and the rows of symbols.
#include "coding/cl_macrolib_code.h"

#include <algorithm>

#include "coding/cl_macrolib.h"
#include "coding/lib_datcoder_random.h"
#include "coding/lib_datcoder_scramble.h"
#include "coding/lib_graph.h"
#include "coding/msgcodec.h"
#include "foundation/cl_tools_docid.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"

namespace {

constexpr int32_t kMaxSymbols = 26;

bool IsLetter(char letter, std::string_view set) { return letter != '\0' && set.find(letter) != std::string_view::npos; }

enum class TFit { Fits, DoesNot, Fail };

// The state of one MakeCodePicture call.
class TCodeRun {
 public:
  TCodeRun(const TCodeRequest& request, const TCodeFormat& format, const TCodeDelimiters& delims, TAztCoder& encoder,
           std::string& substTable, TCodeHost& host)
      : r_(request), f_(format), d_(delims), enc_(encoder), table_(substTable), host_(host) {}

  void Run(TCodeResult& result);

 private:
  bool Prepare();
  bool CodeScrambled();     // C, D
  bool CodeSubstituted();   // E, H; G, I when several
  bool CodeCompressed();    // L, M, N, O, S, s
  enum class TStep { Taken, Exhausted, Failed };
  // Grows the layers, then (when allowed) the symbols, then shortens (when allowed) until the
  // message fits; false on a failure.
  bool Search(bool symbols, bool shorten);
  // One step towards a larger code or a shorter payload.
  TStep Step(bool symbols, bool shorten);
  bool Shorten();
  void SetRowsAndCount();
  // Encodes; where the encoder refuses a message the capacity estimate let through, steps on as if
  // it had not fitted, so that a code is made whenever a larger one or a shortened payload allows.
  bool EncodeSearched(bool symbols, bool shorten, bool rows);
  int EncodeOnce();
  bool Encode();
  TFit FitTest();
  bool Fail(std::string why) {
    error_ = std::move(why);
    return false;
  }
  std::string Substituted(std::string_view text) { return SubstituteText(text, table_); }
  void SetMessageIdAndGap() {
    enc_.SetMessageId(MessageIdFromText(f_.AppEndHdr));
    enc_.SetGap(f_.SymOffsets);
  }

  const TCodeRequest& r_;
  const TCodeFormat& f_;
  const TCodeDelimiters& d_;
  TAztCoder& enc_;
  std::string& table_;
  TCodeHost& host_;
  TMessageCodec codec_;
  TDocIdClass docId_;
  TPayloadBytes bytes_;
  std::string hdr_;
  std::string work_;  // the payload bytes a shortening round cuts
  int base_ = 0, start_ = 0, layerLimit_ = 0, symbolLimit_ = 1;
  int cap_ = 0;
  int32_t perRow_ = 1;
  uint8_t charset_ = 0;
  bool truncated_ = false;
  std::string error_;
  std::string saved_;  // the last input written for a debug run
};

std::string Number(int64_t v) { return IntToText(v); }

TFit TCodeRun::FitTest() {
  cap_ = enc_.Capacity(f_.ECP);
  if (cap_ <= 0) {
    error_ = "the settings select no usable symbol (size mode " + Number(enc_.SizeMode()) + ")";
    return TFit::Fail;
  }
  return cap_ > enc_.UsedBits() ? TFit::Fits : TFit::DoesNot;
}

bool TCodeRun::Search(bool symbols, bool shorten) {
  for (;;) {
    const TFit fit = FitTest();
    if (fit == TFit::Fail) return false;
    if (fit == TFit::Fits) return true;
    const TStep step = Step(symbols, shorten);
    if (step == TStep::Failed) return false;
    if (step == TStep::Exhausted) return true;  // the encoder has the last word
  }
}

TCodeRun::TStep TCodeRun::Step(bool symbols, bool shorten) {
  if (enc_.SizeMode() - base_ < layerLimit_) {
    enc_.SetSizeMode(enc_.SizeMode() + 1);
  } else if (symbols && enc_.SymbolCount() < symbolLimit_) {
    enc_.SetSymbolCount(enc_.SymbolCount() + 1);
    enc_.SetSizeMode(start_);
  } else if (!shorten) {
    return TStep::Exhausted;
  } else if (!Shorten()) {
    return TStep::Failed;
  }
  return TStep::Taken;
}

bool TCodeRun::EncodeSearched(bool symbols, bool shorten, bool rows) {
  for (;;) {
    if (!Search(symbols, shorten)) return false;
    const int searched = enc_.SymbolCount();
    if (rows) SetRowsAndCount();
    int result = EncodeOnce();
    if (result != AztOk && enc_.SymbolCount() != searched) {
      enc_.SetSymbolCount(searched);
      result = EncodeOnce();
    }
    if (result == AztOk) return true;
    if ((result != AztErrTooLong && result != AztErrNoCheckWords) || Step(symbols, shorten) != TStep::Taken)
      return Fail("the encoder answered " + Number(result));
  }
}

bool TCodeRun::Shorten() {
  if (truncated_ && work_.empty()) return Fail("the header and the truncation mark do not fit even without the payload");
  const size_t length = enc_.Data().size();
  const size_t fit = static_cast<size_t>(std::max(0, enc_.FitCount()));
  const size_t cut = length - std::min(fit, length) + 1;
  const size_t keep = work_.size() > cut ? work_.size() - cut : 0;
  work_.resize(CharBoundaryAtOrBelow(work_, keep, bytes_.CodePage, host_.CodePages()));
  truncated_ = true;
  enc_.SetData(hdr_ + Substituted(work_ + d_.FieldDelim + d_.LabelTrunc));
  return true;
}

int TCodeRun::EncodeOnce() {
  if (r_.Debug && enc_.Data() != saved_) {
    saved_ = enc_.Data();
    host_.SaveDebugData(saved_);
  }
  return enc_.Encode();
}

bool TCodeRun::Encode() {
  const int result = EncodeOnce();
  if (result != AztOk) return Fail("the encoder answered " + Number(result));
  return true;
}

bool TCodeRun::CodeScrambled() {
  const std::string p = bytes_.Bytes + d_.LabelEnd;
  std::optional<std::string> scrambled = ScrambleText(p, 2);
  if (!scrambled) return Fail("the additive scramble cannot carry the byte FF of the end label");
  enc_.SetSizeMode(start_);
  enc_.SetData(hdr_ + *scrambled);
  const TFit fit = FitTest();
  if (fit == TFit::Fail) return false;
  if (fit == TFit::DoesNot) {
    // Header and seed must stay whole, or a reader could not unscramble what remains.
    const size_t prefix = hdr_.size() + 4;
    const size_t fitCount = static_cast<size_t>(std::max(0, enc_.FitCount()));
    if (fitCount < prefix) return Fail("the symbol cannot hold even the header");
    const size_t keep = CharBoundaryAtOrBelow(p, fitCount - prefix, bytes_.CodePage, host_.CodePages());
    enc_.SetData(enc_.Data().substr(0, prefix + keep));
    // The symbol does not grow and the cut carries no mark: the log is the only trace of what was lost.
    if (keep < p.size()) {
      const TCodePageSystem& pages = host_.CodePages();
      host_.Log(u"  Символика типа " + Quoted(pages.Decode(r_.DocTypeId, pages.AnsiCodePage())) +
                u" не вмещает данные, отрезано байт: " + Utf8ToWide(Number(static_cast<int64_t>(p.size() - keep))));
    }
  }
  return Encode();
}

bool TCodeRun::CodeSubstituted() {
  const bool several = IsLetter(f_.FormatLetter, "GI");
  if (several) SetMessageIdAndGap();
  enc_.SetSizeMode(start_);
  work_ = bytes_.Bytes;
  enc_.SetData(hdr_ + Substituted(work_ + d_.LabelEnd));
  if (several) enc_.SetSymbolCount(RoundUpToMultiple(f_.Symbols.X, f_.SymLines.X + f_.SymLines.Y));
  return EncodeSearched(several, true, several);
}

void TCodeRun::SetRowsAndCount() {
  const int32_t lo = f_.Symbols.X, rows = f_.SymLines.X;
  const int64_t needed = static_cast<int64_t>(enc_.UsedBits()) * enc_.SymbolCount() / cap_ + 1;
  const int32_t count = static_cast<int32_t>(std::clamp<int64_t>(std::max<int64_t>(needed, lo), 1, kMaxSymbols));
  // Rows and symbols from the settings may be 0 or negative: a row holds at least one symbol.
  perRow_ = std::clamp(DivRoundUp(f_.Symbols.X + f_.Symbols.Y, f_.SymLines.X + f_.SymLines.Y), 1, kMaxSymbols);
  if (f_.SymLines.Y == 0) {
    enc_.SetSymbolCount(RoundUpToMultiple(count, rows));
  } else if (static_cast<int64_t>(rows) * perRow_ > count) {
    enc_.SetSymbolCount(RoundUpToMultiple(count, rows));
    perRow_ = std::clamp(DivRoundUp(count, rows), 1, kMaxSymbols);
  } else {
    enc_.SetSymbolCount(count);
  }
}

bool TCodeRun::CodeCompressed() {
  enc_.SetSizeMode(start_);
  codec_.SetData(bytes_.Bytes + d_.LabelEnd);
  codec_.DocId.Assign(&docId_);
  try {
    if (!codec_.Encode()) return Fail("the message codec refused the payload: " + codec_.Error);
  } catch (const EArithmeticError& e) {
    return Fail(e.what());
  }
  enc_.SetSizeMode(start_);
  enc_.SetSymbolCount(RoundUpToMultiple(f_.Symbols.X, f_.SymLines.X + f_.SymLines.Y));
  enc_.SetData(codec_.Message);
  SetMessageIdAndGap();
  return EncodeSearched(true, false, false);
}

bool TCodeRun::Prepare() {
  const int maxLayers = f_.IsCompact ? 4 : 32;
  base_ = f_.IsCompact ? AztSizeCompact : AztSizeFull;
  if (f_.Layers.X < 1 || f_.Layers.X > maxLayers)
    return Fail("the start layer count " + Number(f_.Layers.X) + " is outside 1.." + Number(maxLayers));
  start_ = base_ + f_.Layers.X;
  // Growth stops at the largest symbol of the kind; beyond it no symbol could be chosen.
  layerLimit_ = std::clamp<int>(f_.Layers.X + f_.Layers.Y, f_.Layers.X, maxLayers);
  // The encoder holds at most 26 symbols; a larger limit would never be reached.
  symbolLimit_ = std::clamp<int>(f_.Symbols.X + f_.Symbols.Y, 1, kMaxSymbols);

  const TCodePageSystem& pages = host_.CodePages();
  charset_ = r_.Charset;
  if (f_.Unicode) {
    bytes_ = ConvertPayload(r_.Payload, charset_, pages);
  } else {
    bytes_.Bytes = ToAnsiBytes(pages, r_.Payload);
    bytes_.CodePage = pages.AnsiCodePage();
  }
  // The additive scramble cannot carry the byte FF ("я" in 1251); UTF-8 never holds it.
  if (IsLetter(f_.FormatLetter, "CD") && bytes_.Bytes.find('\xFF') != std::string::npos) {
    bytes_.Bytes = WideToUtf8(r_.Payload);
    bytes_.CodePage = kCodePageUtf8;
    bytes_.Utf8 = true;
    bytes_.ForeignCodePage = false;
    charset_ = 0;
  }
  return true;
}

void TCodeRun::Run(TCodeResult& result) {
  // 1. Start.
  if (r_.Payload.empty()) return;
  result.Started = true;
  docId_ = TDocIdClass::CreateFromText(r_.DocTypeId);
  const TCodePageSystem& pages = host_.CodePages();
  host_.Log(u"Формирование символики: \"" + pages.Decode(std::string(1, f_.FormatLetter), pages.AnsiCodePage()) + u"\"");
  if (r_.State == 2) {
    result.Ok = true;
    result.PictureWidth = result.PictureHeight = 2;
    result.Picture.assign(static_cast<size_t>(PictureByteSize({2, 2})), 0);
    return;
  }
  const uint32_t startTick = host_.TickCount();
  const std::optional<TCodeCounters> counters = host_.UpdatePageCount();

  bool ok = Prepare();
  if (ok) {
    if (IsLetter(f_.FormatLetter, "HIO")) {
      if (counters) {
        codec_.PageCount = counters->PageCount;
        codec_.PageNo = counters->PageNo;
        codec_.DocumentId = counters->DocumentId;
      }
      codec_.MultiPart = true;
    }
    codec_.Utf8Payload = bytes_.Utf8;
    codec_.ForeignCodePage = bytes_.ForeignCodePage;
    if (bytes_.ForeignCodePage) codec_.Charset = charset_;
    codec_.SetProfile(f_.FormatLetter);
    codec_.DocId.Assign(&docId_);

    hdr_ = codec_.BuildHeader(docId_, codec_.PageCount, codec_.PageNo);
    enc_.Reset();

    // 2. By format letter.
    if (IsLetter(f_.FormatLetter, "CD")) ok = CodeScrambled();
    else if (IsLetter(f_.FormatLetter, "EHGI")) ok = CodeSubstituted();
    else if (IsLetter(f_.FormatLetter, "LMNOSs")) ok = CodeCompressed();
    else ok = Fail("the format letter makes no code");
  }

  // 4. Rows of symbols for G and I.
  if (ok) {
    result.Picture = enc_.Picture();
    result.PictureWidth = enc_.PictureWidth();
    result.PictureHeight = enc_.SymbolSize();
    if (IsLetter(f_.FormatLetter, "GI")) {
      int32_t perRow = 0;
      if (f_.SymLines.Y != 0) perRow = perRow_;
      else if (f_.SymLines.X > 1) perRow = DivRoundUp(enc_.SymbolCount(), f_.SymLines.X);
      if (perRow > 0)
        result.Picture = ArrangeSymbolRows(enc_.Picture(), enc_.SymbolCount(), enc_.SymbolSize(), enc_.Gap(), perRow,
                                           result.PictureWidth, result.PictureHeight);
    }
  }

  // 5. Closing.
  result.Truncated = truncated_;
  if (truncated_) host_.Log(u"  Символика усечена!");
  if (ok) {
    if (f_.Rotated) {
      TPictureSize size{result.PictureWidth, result.PictureHeight};
      RotateMonoBitmap(result.Picture, size);
      result.PictureWidth = size.Width;
      result.PictureHeight = size.Height;
    }
    host_.LogElapsed(startTick);
  } else {
    result.Picture.clear();
    result.PictureWidth = result.PictureHeight = 0;
    result.Error = error_;
    host_.Log(u"  Ошибка в параметрах!");
    host_.ShowError(kCodeErrorText);
  }
  result.Ok = ok;
}

// The coder's log, context and lent services as code generation sees them.
class TCoderCodeHost : public TCodeHost {
 public:
  explicit TCoderCodeHost(TCoder& coder) : coder_(coder) {}
  void Log(std::u16string_view line) override {
    if (coder_.Log) coder_.Log->AddWide(line);
  }
  // The clock's tick on both ends; the seed tick would count its own calls as time.
  void LogElapsed(uint32_t startTick) override {
    if (coder_.Log) coder_.Log->AddWide(ElapsedText(startTick, ClockTick()));
  }
  uint32_t TickCount() override { return ClockTick(); }
  void ShowError(std::u16string_view text) override {
    if (coder_.CodeServices) coder_.CodeServices->ShowError(text);
  }
  std::optional<TCodeCounters> UpdatePageCount() override {
    if (!coder_.Context) return std::nullopt;
    TContext& c = *coder_.Context;
    c.UpdatePageCount();
    return TCodeCounters{static_cast<uint16_t>(c.PageCount), static_cast<uint16_t>(c.PageNo), c.DocumentId};
  }
  void SaveDebugData(std::string_view data) override {
    if (coder_.CodeServices) coder_.CodeServices->SaveDebugData(data);
  }
  const TCodePageSystem& CodePages() const override {
    return coder_.CodeServices ? coder_.CodeServices->CodePages() : DefaultCodePages();
  }

 private:
  TCoder& coder_;
};

}  // namespace

bool TCoder::MakeCode(uint8_t charset) {
  if (Payload.empty()) return false;
  TCodeRequest q;
  q.Payload = Payload;
  q.State = State;
  q.Charset = charset;
  q.Debug = Debug != 0;
  q.DocTypeId = GetDocTypeId();
  TCoderCodeHost host(*this);
  TCodeResult r = MakeCodePicture(q, Format, Delims, *AztCoder, SubstTable, host);
  // An empty payload leaves the picture as it was; every other outcome replaces it, a failure with none.
  if (r.Started) {
    Picture = std::move(r.Picture);
    PictureWidth = r.PictureWidth;
    PictureHeight = r.PictureHeight;
  }
  return r.Ok;
}

TCodeResult MakeCodePicture(const TCodeRequest& request, const TCodeFormat& format, const TCodeDelimiters& delims,
                            TAztCoder& encoder, std::string& substTable, TCodeHost& host) {
  TCodeResult result;
  TCodeRun(request, format, delims, encoder, substTable, host).Run(result);
  return result;
}

std::string MessageIdFromText(std::string_view text) {
  uint32_t state = SeedFromValue(MonotonicTick(), kLfsrTaps);
  std::string id;
  for (char c : text)
    id.push_back(c >= 'A' && c <= 'Z' ? c : static_cast<char>('A' + LfsrNextByte(kLfsrTaps, 26, state)));
  return id;
}

std::vector<uint8_t> ArrangeSymbolRows(const std::vector<uint8_t>& strip, int32_t count, int32_t size, int32_t gap,
                                       int32_t perRow, int32_t& width, int32_t& height) {
  count = std::max(count, 1);
  perRow = std::max(perRow, 1);
  const int32_t pitch = size + gap;
  const TPictureSize stripSize{count * pitch - gap, size};
  const int32_t rows = DivRoundUp(count, perRow);
  width = perRow * pitch - gap;
  height = rows * pitch - gap;
  std::vector<uint8_t> picture(static_cast<size_t>(PictureByteSize({width, height})), 0);
  for (int32_t row = 0; row < rows; ++row) {
    const int32_t inRow = std::min(perRow, count - row * perRow);
    const TPictureSize window{inRow * pitch - gap, size};
    TMonoPicture part;
    PutMonoBitmap(part, window, strip, row * perRow * pitch, 0, stripSize);
    OrMonoBitmap(picture, {width, height}, 0, row * pitch, window, part);
  }
  return picture;
}
