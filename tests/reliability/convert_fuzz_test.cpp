// Random text through the two conversions that read what a user or another
// program typed: the ratio field (CSng) and the handle fields (CLng). Every
// result must be the rejected case or exactly the number an independent
// reading of the accepted grammar gives.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "runtime/convert.h"

namespace {

constexpr int kStrings = 100000;

std::string Printable(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) {
    if (c >= 32 && c < 127) {
      out += static_cast<char>(c);
    } else {
      char buf[12];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out;
}

// The accepted grammar written as a pattern: blanks, sign, digits with at
// most one separator and at least one digit, an optional exponent, blanks.
std::wregex Grammar(wchar_t sep) {
  std::wstring s = L"\\";
  s += sep;
  return std::wregex(L"[ \\t]*[+-]?([0-9]+" + s + L"?[0-9]*|" + s + L"[0-9]+)([eE][+-]?[0-9]+)?[ \\t]*");
}

// The same number as plain ASCII: no blanks, '.' as the separator.
std::string Ascii(const std::wstring& s, wchar_t sep) {
  std::string out;
  for (wchar_t c : s)
    if (c != L' ' && c != L'\t') out += c == sep ? '.' : static_cast<char>(c);
  return out;
}

// Nearest float, ties to even; empty when the value is too large for a float.
std::optional<float> FloatOracle(const std::string& ascii) {
  const char* p = ascii.c_str();
  const bool neg = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  float f = 0;
  const auto r = std::from_chars(p, ascii.c_str() + ascii.size(), f, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Out of range both ways: too small rounds to a signed zero.
    if (std::fabs(std::strtod(p, nullptr)) < 1) return neg ? -0.0f : 0.0f;
    return std::nullopt;
  }
  if (r.ec != std::errc() || r.ptr != ascii.c_str() + ascii.size()) {
    ADD_FAILURE() << "oracle could not read " << ascii;
    return std::nullopt;
  }
  return neg ? -f : f;
}

// Half-to-even rounding done on the digit string; empty outside 32 bits.
std::optional<int32_t> IntOracle(const std::string& ascii) {
  size_t i = 0;
  const bool neg = ascii[i] == '-';
  if (ascii[i] == '+' || ascii[i] == '-') ++i;
  std::string digits;
  long point = -1;  // digits before the separator
  for (; i < ascii.size() && ascii[i] != 'e' && ascii[i] != 'E'; ++i) {
    if (ascii[i] == '.')
      point = static_cast<long>(digits.size());
    else
      digits += ascii[i];
  }
  if (point < 0) point = static_cast<long>(digits.size());
  long exponent = 0;
  if (i < ascii.size()) {
    ++i;
    const bool eneg = ascii[i] == '-';
    if (ascii[i] == '+' || ascii[i] == '-') ++i;
    for (; i < ascii.size(); ++i) exponent = std::min(exponent * 10 + (ascii[i] - '0'), 10000000L);
    if (eneg) exponent = -exponent;
  }
  const size_t lead = digits.find_first_not_of('0');
  if (lead == std::string::npos) return 0;
  digits.erase(0, lead);
  const long whole = point - static_cast<long>(lead) + exponent;  // digits left of the point
  if (whole > 10) return std::nullopt;
  unsigned long long value = 0;
  for (long k = 0; k < whole; ++k) value = value * 10 + (k < static_cast<long>(digits.size()) ? digits[k] - '0' : 0);
  if (whole >= 0 && whole < static_cast<long>(digits.size())) {
    const int first = digits[whole] - '0';
    const bool more = digits.find_first_not_of('0', whole + 1) != std::string::npos;
    if (first > 5 || (first == 5 && (more || value % 2 == 1))) ++value;
  }
  if (value > (neg ? 2147483648ull : 2147483647ull)) return std::nullopt;
  return static_cast<int32_t>(neg ? -static_cast<long long>(value) : static_cast<long long>(value));
}

// Text built from pieces a user, a paste or another program might leave,
// half of it shaped like a number so the accepting path gets its share.
class TextMaker {
 public:
  TextMaker(unsigned seed, wchar_t sep) : rng_(seed), sep_(sep) {
    const std::wstring s(1, sep);
    pieces_ = {L"",     L" ",       L"\t",   L"  ",      L"+",      L"-",       L"e",     L"E",      L"e-",
               L"e+",   s,          L".",    L",",       L"1,33",   L"1.33",    L"NaN",   L"nan",    L"inf",
               L"-Inf", L"Infinity", L"&H1F", L"0x10",   L"1e38",   L"3.4028235e38", L"3.4028236e38", L"1e-45",
               L"7e-46", L"2147483647.5", L"-2147483648.5", L"2147483648", L"-2147483649", L"abc", L"D",
               L"%",    L"$",       L"1d5",  L"\u00A0",  L"\uFF11", L"\u3000",  L"\u2212", L"\u0661", L"\u00B2",
               std::wstring(1, wchar_t(0xD800)), std::wstring(1, wchar_t(0xDFFF)), L"\xD83D\xDE00",
               std::wstring(1, L'\0'), std::wstring(1, wchar_t(0xFFFF))};
  }

  std::wstring Next() {
    return Pick(2) ? Numberish() : Jumble();
  }

 private:
  unsigned Pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(rng_); }

  std::wstring Digits(unsigned maxLen) {
    std::wstring d;
    const unsigned n = Pick(maxLen + 1);
    // Long runs of zeros and nines sit on rounding edges.
    const unsigned style = Pick(4);
    for (unsigned i = 0; i < n; ++i)
      d += style == 0 ? L'0' : style == 1 ? L'9' : static_cast<wchar_t>(L'0' + Pick(10));
    return d;
  }

  std::wstring Blanks() {
    static const wchar_t* kBlanks[] = {L"", L"", L"", L" ", L"\t", L"  "};
    return kBlanks[Pick(6)];
  }

  std::wstring Numberish() {
    std::wstring s = Blanks();
    if (Pick(3) == 0) s += Pick(2) ? L'-' : L'+';
    // 40-digit numbers and longer appear here too.
    s += Digits(Pick(4) == 0 ? 45 : 12);
    if (Pick(2)) s += sep_, s += Digits(Pick(4) == 0 ? 45 : 8);
    if (Pick(3) == 0) {
      s += Pick(2) ? L'e' : L'E';
      if (Pick(2)) s += Pick(2) ? L'-' : L'+';
      s += Digits(Pick(5) == 0 ? 40 : 3);
    }
    s += Blanks();
    // Now and then one stray change.
    if (Pick(6) == 0 && !s.empty()) {
      const size_t at = Pick(static_cast<unsigned>(s.size()));
      const std::wstring& piece = pieces_[Pick(static_cast<unsigned>(pieces_.size()))];
      if (Pick(2)) s.insert(at, piece); else s.erase(at, 1);
    }
    return s;
  }

  std::wstring Jumble() {
    std::wstring s;
    const unsigned n = Pick(7);
    for (unsigned i = 0; i < n; ++i) {
      switch (Pick(4)) {
        case 0: s += Digits(6); break;
        case 1: s += static_cast<wchar_t>(Pick(0x10000)); break;  // anything, surrogates included
        default: s += pieces_[Pick(static_cast<unsigned>(pieces_.size()))]; break;
      }
    }
    return s;
  }

  std::mt19937 rng_;
  wchar_t sep_;
  std::vector<std::wstring> pieces_;
};

TEST(ConvertFuzz, RandomTextIsRejectedOrReadExactly) {
  unsigned seed = 20081014;
  if (const char* s = std::getenv("VISTREL_FUZZ_SEED")) seed = static_cast<unsigned>(std::strtoul(s, nullptr, 10));
  const wchar_t sep = rt::DecimalSeparator();
  const std::wregex grammar = Grammar(sep);
  TextMaker maker(seed, sep);
  int accepted = 0, failures = 0;
  for (int n = 0; n < kStrings && failures < 20; ++n) {
    const std::wstring text = maker.Next();
    const std::optional<float> f = rt::CSng(text);
    const std::optional<int32_t> i = rt::CLng(text);
    const bool number = std::regex_match(text, grammar);
    std::optional<float> wantF;
    std::optional<int32_t> wantI;
    if (number) {
      const std::string ascii = Ascii(text, sep);
      wantF = FloatOracle(ascii);
      wantI = IntOracle(ascii);
    }
    // Bit for bit: -0 and 0 differ, and a NaN would fail here too.
    const bool fOk = f.has_value() == wantF.has_value() &&
                     (!f || (*f == *wantF && std::signbit(*f) == std::signbit(*wantF)));
    const bool iOk = i == wantI;
    if (!fOk || !iOk) {
      ++failures;
      ADD_FAILURE() << "seed " << seed << ", string " << n << ": \"" << Printable(text) << "\" "
                    << (number ? "is" : "is not") << " a number; CSng "
                    << (f ? std::to_string(*f) : "rejected") << " (want "
                    << (wantF ? std::to_string(*wantF) : "rejected") << "), CLng "
                    << (i ? std::to_string(*i) : "rejected") << " (want "
                    << (wantI ? std::to_string(*wantI) : "rejected") << ")";
    }
    accepted += f.has_value();
  }
  std::printf("fuzz: %d strings (seed %u), %d read as numbers\n", kStrings, seed, accepted);
  // The generator must reach both paths in earnest.
  EXPECT_GT(accepted, kStrings / 4);
  EXPECT_LT(accepted, kStrings * 3 / 4);
}

}  // namespace
