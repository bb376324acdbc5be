// The print-job journal's lines: one line a job, its fields joined by "|", and the scan of an
// existing journal for its highest record number. The file and the numbering are in
// lib_prn_journal_win.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/lib_prn.h"

inline constexpr char16_t kJournalSeparator = u'|';

// "dd.mm.yy hh:mm".
std::u16string FormatJournalTime(const TSystemTime& t);
// The job's line (no line break); localSubmitted is the job's Submitted time in local time. CR, LF and
// the separator inside a text field are written as blanks, so that a field can neither end the line
// nor add fields.
std::u16string FormatJournalLine(uint32_t recordNo, const _JOBINFO& job, const TSystemTime& localSubmitted,
                                 std::u16string_view prnMonKey);
// The record number of a line: the text before the first "|" when all of it is an unsigned 32-bit
// decimal number; false otherwise (a header, a byte-order mark, a damaged line).
bool JournalRecordNo(std::string_view line, uint32_t& recordNo);
// The highest record number of the journal's bytes that is above last; last when there is none. A
// UTF-8 byte-order mark at the start is passed over.
uint32_t ScanJournalRecordNo(std::string_view file, uint32_t last);
// The number after last. The top of the range stays there: a wrap to 0 would number records again
// from the start.
uint32_t NextJournalRecordNo(uint32_t last);
