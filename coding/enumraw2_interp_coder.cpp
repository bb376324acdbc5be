// The raw coder's way into the interpreters: its own fields lent as the interpreters' context. Apart
// from the interpreters so that they link and are tested without the coder's class.
#include "coding/enumraw2_interp.h"

TRawInterpContext RawInterpContext(TRAWCoder& coder) {
  return TRawInterpContext{coder.PrinterLang, coder.PitchTable,  coder.CurrentPitch, coder.BasePitch,
                           coder.CurrentSpacing, coder.BaseSpacing, coder.TabWidth,  coder.LeftMargin,
                           coder.Underline,     coder.MacroId,     coder.FontPitchP, coder.FontPitchS,
                           coder.FontMacro,     coder.FontTypeF,   coder.HPresDPI,   coder.BadPitchs,
                           coder.HalfLF,        coder.PrinterState, coder.LineFeeds,  coder.Log};
}

bool TRAWCoder::InterpretCommand(uint8_t code, TByteReader& reader, TRawParseState& parse) {
  TRawInterpContext context = RawInterpContext(*this);
  return InterpretRawCommand(context, code, reader, parse);
}
