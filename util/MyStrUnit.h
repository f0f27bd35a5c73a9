// Byte-string routines of the parameter parsers: windowed searches, case-insensitive
// comparison through the case table, trimming, and UTF-16LE helpers on byte positions.
// Positions are 1-based byte indexes; 0 means "not found". Blank = any byte <= 32.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo {

// Fills the case table: entry c is c with its ASCII case swapped (other bytes map to
// themselves). Safe to call more than once; every comparison below reads the table.
// Until it runs, the table maps every byte to itself (comparisons are exact).
void BuildCaseTable();
// Entry c of the case table.
unsigned char CaseSwap(unsigned char c);

// First occurrence of sub beginning at or after start. A start of 0 counts as 1; a negative
// start, an empty sub or an empty text gives 0. The Text variants let a text byte match a
// sub byte or its case-table entry.
int StrPosFrom(std::string_view sub, std::string_view text, int start);
int StrPosTextFrom(std::string_view sub, std::string_view text, int start);
// Only bytes at positions below limit take part: a match must end at limit - 1 or earlier.
int StrPosFromLimit(std::string_view sub, std::string_view text, int start, int limit);
int StrPosTextFromLimit(std::string_view sub, std::string_view text, int start, int limit);
// A start of 0 or below, or beyond the text, gives 0.
int StrCharPos(char c, std::string_view text, int start);
bool StrSame(std::string_view a, std::string_view b);
// Equal when ASCII letters are compared without case; needs no case table (file
// extensions are compared before any table exists).
bool SameAsciiText(std::string_view a, std::string_view b);
// Same length, and every byte of b equals the byte of a or its case-table entry.
bool StrSameText(std::string_view a, std::string_view b);
// How many of the n bytes from 1-based position pos equal c, stopping at the first other
// byte; clipped to the text. A pos below 1 or beyond the text gives 0.
int StrCountLeading(std::string_view text, int pos, char c, int n);

void StrTrimRight(std::string& s);
// True when something was removed.
bool StrTrimLeft(std::string& s);
// True when something was removed and something remains (a text of blanks only is
// emptied and answers false).
bool StrTrim(std::string& s);
// StrTrim, then every run of spaces (byte 32 only) becomes one space. True when the
// length changed.
bool StrCollapseSpaces(std::string& s);
// Answers the number of bytes replaced.
int StrReplaceChar(std::string& s, char from, char to);
// The text with every CR LF turned into LF (the record's texts break lines with CR LF).
std::string WithLf(std::string_view text);

// UTF-16LE code units held in a byte string, addressed by 1-based byte positions.
// Every routine is clipped to the data: it never reads or writes past its end, and only
// whole code units from pos on take part. A pos below 1 or beyond the data gives 0 (or
// writes nothing).
void WideFill(std::string& data, int pos, std::uint16_t value, int n);
// How many of the n code units from pos equal value, stopping at the first other one.
int WideCountLeading(std::string_view data, int pos, std::uint16_t value, int n);
// How many leading code units among the n from pos are <= 32; 0 when all of them are.
int WideCountBlank(std::string_view data, int pos, int n);
// Byte position of the first code unit equal to value, scanning from start (0 counts as 1)
// within the first limit bytes from start; 0 if none or when start is not below the length.
int WideCharPos(std::string_view data, std::uint16_t value, int start, int limit);

} // namespace tarvo
