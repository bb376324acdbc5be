// The names of the side-wide configuration values, key suffixes and default texts: one table, so that a
// name is spelt once. The spooler's names form a second table of the same kind.
#pragma once

#include <cstdint>
#include <string_view>

enum class TConfigName : uint8_t {
  Debug, SPLDebug, SPLDebugPath, VirtualDT, DemoPage, Version, E, Disabled, UseDOS, RestSize, SavePgDlg,
  UseWin, IsMonit, IsCap, IsCmd, AsService, MonitorDir, MonitDirEx, MonitorMask, DefaultMonitorMask, TimeOut,
  DocOrder, EditorFn, DebugBlank, DrawWidth, ReDrawEMF, Pages, C, AckPages, AllPages, CreateCpy, LogFile,
  LogLevel, DocType, DefaultCharset, PicTop, MaxAllowedPages, PicPlace, FlowPos, LineWidth, PointSize,
  WordsDelim, DefaultWordsDelim, SplitW, ModelKey, FieldsKey, Macro, Option, Required, Context,
  UnknownSection, DefaultSection, CorrectEMF, SkipOEMConvert, Id, Rule, CodeKey, ECP, ModuleSize, LogoText,
  FormatKey, FieldDelim, DefaultFieldDelim, LinesDelim, DefaultLinesDelim, LabelDelim, DefaultLabelDelim,
  LabelEnd, DefaultLabelEnd, LabelTrunc, DefaultLabelTrunc, GridCDelim, DefaultGridCDelim, GridLDelim,
  DefaultGridLDelim, GridHead, DefaultGridHead, TabSize, PrintersKey, MaxErrors, ModesKey, Mode, BlankKey,
  GraphiKey, DIBSizeX, DIBSizeY, EELMaxX, ParamsKey, Desc, Data, Demo, PrnMonSvrDatFName, PrnMonKey, DocData,
  DocDataMark, PrnMonServEnable, MonitService, DosMacro, WinMacro, PageMacro, Count
};

enum class TSpoolerName : uint8_t {
  UseDOS, UsePrnAuto, MakeDefault, UserName, AllUsers, DefaultName, PrinterAttrib, Environments,
  VersionKeyFormat, MaxPrinterCount, DriverName, EmfDespoolingSetting, PrintersRegPath, PrintRegPath,
  Spooler, SpoolDirectory, DefaultSpoolDirectory, DOSSpoolMask, PrintersMask, SpoolPrintersDir, Directory,
  PrintersKey, DefaultPrn, PrintTo, PrintToWin, PrintToDos, PrinterType, FPrintTo, RAW, LPT, COM, USB,
  WinPrint, DeviceSettings, Count
};

// The text of an entry; empty for Count.
std::u16string_view ConfigName(TConfigName name);
std::u16string_view SpoolerName(TSpoolerName name);
