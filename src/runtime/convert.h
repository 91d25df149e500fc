// Conversions between numbers and text, and float-to-integer rounding, with
// the results a form runtime gives: a failed conversion is an empty optional,
// so a handler visibly skips the statement that needed it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rt {

// The user's decimal separator (LOCALE_SDECIMAL), '.' when it cannot be read.
wchar_t DecimalSeparator();

// Decimal text to a 32-bit float: optional blanks, sign, digits with the
// locale's decimal separator, optional exponent; nothing else. Empty when the
// text is no number or the value does not fit a float.
std::optional<float> CSng(std::wstring_view text);

// Decimal text to a 32-bit signed integer; a fraction is rounded half to even.
// Empty when the text is no number or the value is outside the 32-bit range.
std::optional<int32_t> CLng(std::wstring_view text);

// A number to a 32-bit signed integer, rounding half to even.
// Empty for NaN and for values outside the 32-bit range.
std::optional<int32_t> CLngRound(double value);

// General number format: "-8", "1.33", "5.5"; no leading blank, no
// separators, whole values without decimals, otherwise at most 7 significant
// digits, with the locale's decimal separator.
std::wstring Str(double value);

// A 32-bit signed integer as decimal text: "0", "132", "-8".
std::wstring DecimalText(int32_t value);

}  // namespace rt
