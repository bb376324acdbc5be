// The raw coder's step that writes its code picture as printer commands. Kept apart from the output
// forms so that they link (and are tested) without the coder's own object file.
#include "coding/enumraw2.h"
#include "coding/enumraw2_output.h"

bool TRAWCoder::MakeCodeCommands(std::string& commands) {
  LogLine(u"Формирование гр.кода");
  const uint32_t start = Log ? Log->TickCount() : 0;
  TCodeOutputInput input;
  input.Picture = Picture;
  input.Width = PictureWidth;
  input.Height = PictureHeight;
  input.ModuleSize = Format.ModuleSize;
  input.OutputMode = OutputMode;
  input.DpiX = DpiX;
  input.DpiY = DpiY;
  const std::string modeTemplate = Store().ToAnsi(ModeTemplate);
  input.ModeTemplate = modeTemplate;
  input.AutoCRLF = AutoCRLF;
  input.CurrentPitch = CurrentPitch;
  input.PicPlace = PicPlace;
  input.PicTop = PicTop;
  const bool made = MakeCodeCommandsFor(input, commands);
  if (Log) Log->AddElapsed(start);
  return made;
}
