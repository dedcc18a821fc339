// The script runtime's string and number functions that component routines
// are written against. Positions are 1-based as in scripts; lengths count
// UTF-16 code units. Invalid arguments raise 5 as the runtime does.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/text.h"
#include "core/variant.h"

namespace brevane::vb {

enum class Compare { Binary, Text };

Text LCase(TextView s);
Text UCase(TextView s);
// Spaces only, never tabs or line breaks.
Text Trim(TextView s);
Text LTrim(TextView s);
Text RTrim(TextView s);

Text Left(TextView s, int64_t length);
Text Right(TextView s, int64_t length);
Text Mid(TextView s, int64_t start, std::optional<int64_t> length = std::nullopt);

// 0 when not found; start is 1-based.
int64_t InStr(int64_t start, TextView s, TextView find, Compare cmp = Compare::Binary);
inline int64_t InStr(TextView s, TextView find, Compare cmp = Compare::Binary) { return InStr(1, s, find, cmp); }
// start -1 means from the end.
int64_t InStrRev(TextView s, TextView find, int64_t start = -1, Compare cmp = Compare::Binary);
// Like the runtime: the result starts at `start` (text before it is dropped).
Text Replace(TextView s, TextView find, TextView with, int64_t start = 1, int64_t count = -1,
             Compare cmp = Compare::Binary);
std::vector<Text> Split(TextView s, TextView delimiter = u" ", int64_t count = -1, Compare cmp = Compare::Binary);
Text Join(const std::vector<Text>& parts, TextView delimiter = u" ");
Text String(int64_t count, char16_t c);
Text Space(int64_t count);

double Int(double v);  // towards minus infinity
double Fix(double v);  // towards zero

// IsNumeric: would the value convert to a number. Booleans and Empty do.
bool IsNumeric(const Variant& v);
bool IsNumericText(TextView s);
// Val: the leading number of a text; skips blanks, never fails.
double Val(TextView s);
// FormatNumber with the regional defaults of the servers we run for:
// grouping "," by threes, decimal ".", leading zero, "-" for negatives.
Text FormatNumber(double v, int decimals = 2, bool group = true);

// Per-thread generator. Randomize reseeds from the clock.
void Randomize();
double Rnd();  // [0, 1)

// Chr/Asc over the ANSI code page.
Text Chr(int code);
int Asc(TextView s);
// Hex/Oct of an integer value as the runtime prints it (upper case, two's complement for negatives).
Text Hex(int64_t v);

}  // namespace brevane::vb
