// Number <-> text conversions written by hand: the C library's strtof and
// printf family would add about 20 KB to an exe that must stay small.
#include "runtime/convert.h"

#include <windows.h>

namespace rt {
namespace {

// A float midpoint has at most 113 significant decimal digits, so 120 kept
// digits plus a sticky digit for the rest never change a rounding decision.
constexpr int kMaxDigits = 120;

struct Decimal {
  bool neg = false;
  int n = 0;       // significant digits in dig, no leading zeros; 0 means zero
  int exp = 0;     // value = dig[0..n) as an integer * 10^exp
  char dig[kMaxDigits + 1];
};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Blanks, sign, digits with at most one separator, optional exponent, blanks.
bool Parse(std::wstring_view s, Decimal& d) {
  const wchar_t sep = DecimalSeparator();
  size_t i = 0, end = s.size();
  while (i < end && IsBlank(s[i])) ++i;
  while (end > i && IsBlank(s[end - 1])) --end;
  if (i < end && (s[i] == L'+' || s[i] == L'-')) d.neg = s[i++] == L'-';
  bool anyDigit = false, seenSep = false, sticky = false;
  int dropped = 0;  // integer digits not stored, each one a factor of 10
  int fracLen = 0;  // stored digits after the separator
  for (; i < end; ++i) {
    wchar_t c = s[i];
    if (c == sep && !seenSep) {
      seenSep = true;
      continue;
    }
    if (!IsDigit(c)) break;
    anyDigit = true;
    if (d.n == 0 && c == L'0') {  // leading zero: only shifts the scale
      if (seenSep) ++fracLen;
      continue;
    }
    if (d.n < kMaxDigits) {
      d.dig[d.n++] = static_cast<char>(c - L'0');
      if (seenSep) ++fracLen;
    } else {
      sticky |= c != L'0';
      if (!seenSep) ++dropped;
    }
  }
  if (!anyDigit) return false;
  long e = 0;
  if (i < end && (s[i] == L'e' || s[i] == L'E')) {
    ++i;
    bool eneg = false;
    if (i < end && (s[i] == L'+' || s[i] == L'-')) eneg = s[i++] == L'-';
    if (i == end || !IsDigit(s[i])) return false;
    for (; i < end && IsDigit(s[i]); ++i)
      if (e < 100000) e = e * 10 + (s[i] - L'0');
    if (eneg) e = -e;
  }
  if (i != end) return false;
  d.exp = static_cast<int>(e) + dropped - fracLen;
  if (sticky) {  // stands for the dropped non-zero tail: above the kept value, below the next
    d.dig[d.n++] = 1;
    --d.exp;
  }
  while (d.n > 0 && d.dig[d.n - 1] == 0) {
    --d.n;
    ++d.exp;
  }
  if (d.n == 0) d.exp = 0;
  return true;
}

// Unsigned big integer, just large enough for the exact float conversion.
struct Big {
  static constexpr int kLimbs = 32;
  uint32_t v[kLimbs] = {};
  int n = 0;

  void MulAdd(uint32_t m, uint32_t add) {
    uint64_t carry = add;
    for (int i = 0; i < n; ++i) {
      carry += static_cast<uint64_t>(v[i]) * m;
      v[i] = static_cast<uint32_t>(carry);
      carry >>= 32;
    }
    if (carry) v[n++] = static_cast<uint32_t>(carry);
  }
  void Shl(int bits) {
    for (; bits >= 32; bits -= 32) {
      if (n == 0) return;
      for (int i = n; i > 0; --i) v[i] = v[i - 1];
      v[0] = 0;
      ++n;
    }
    if (bits == 0 || n == 0) return;
    uint32_t out = v[n - 1] >> (32 - bits);
    for (int i = n - 1; i > 0; --i) v[i] = (v[i] << bits) | (v[i - 1] >> (32 - bits));
    v[0] <<= bits;
    if (out) v[n++] = out;
  }
  int BitLength() const {
    if (n == 0) return 0;
    int b = 32 * (n - 1);
    for (uint32_t top = v[n - 1]; top; top >>= 1) ++b;
    return b;
  }
  int Compare(const Big& o) const {
    if (n != o.n) return n < o.n ? -1 : 1;
    for (int i = n - 1; i >= 0; --i)
      if (v[i] != o.v[i]) return v[i] < o.v[i] ? -1 : 1;
    return 0;
  }
  void Sub(const Big& o) {  // requires *this >= o
    int64_t borrow = 0;
    for (int i = 0; i < n; ++i) {
      int64_t t = static_cast<int64_t>(v[i]) - (i < o.n ? o.v[i] : 0) - borrow;
      borrow = t < 0;
      v[i] = static_cast<uint32_t>(t);
    }
    while (n > 0 && v[n - 1] == 0) --n;
  }
};

Big Pow10Times(const Decimal& d, int pow10) {
  Big b;
  for (int i = 0; i < d.n; ++i) b.MulAdd(10, static_cast<uint32_t>(d.dig[i]));
  for (int i = 0; i < pow10; ++i) b.MulAdd(10, 0);
  return b;
}

// The nearest float to d (ties to even); empty when it overflows.
std::optional<float> ToFloat(const Decimal& d) {
  if (d.n == 0) return d.neg ? -0.0f : 0.0f;
  const int lead = d.exp + d.n - 1;  // 10^lead <= |value| < 10^(lead+1)
  if (lead > 38) return std::nullopt;
  if (lead < -46) return d.neg ? -0.0f : 0.0f;  // below half the smallest subnormal
  Big num = Pow10Times(d, d.exp > 0 ? d.exp : 0);
  Big den;
  den.v[0] = 1;
  den.n = 1;
  for (int i = d.exp; i < 0; ++i) den.MulAdd(10, 0);
  // Find s with 2^23 <= value * 2^s < 2^24, or s = 149 for subnormals, then
  // divide: the quotient is the 24-bit mantissa, the remainder decides rounding.
  int s = 23 - (num.BitLength() - den.BitLength());
  uint32_t q;
  Big r, dv;
  for (;;) {
    if (s > 149) s = 149;
    r = num;
    dv = den;
    if (s > 0) r.Shl(s); else dv.Shl(-s);
    q = 0;
    for (int bit = 23; bit >= 0; --bit) {
      Big t = dv;
      t.Shl(bit);
      if (r.Compare(t) >= 0) {
        r.Sub(t);
        q |= 1u << bit;
      }
    }
    if (q >= (1u << 23) || s == 149) break;
    ++s;  // the bit-length estimate was one too high
  }
  r.Shl(1);
  int c = r.Compare(dv);
  if (c > 0 || (c == 0 && (q & 1))) ++q;
  // q < 2^25 and 2^-s is a power of two: both steps are exact in double.
  double mag = static_cast<double>(q);
  for (int i = 0; i < s; ++i) mag *= 0.5;
  for (int i = s; i < 0; ++i) mag *= 2.0;
  if (mag > 3.4028234663852886e38) return std::nullopt;  // FLT_MAX
  float f = static_cast<float>(mag);
  return d.neg ? -f : f;
}

// Round half to even, then check the 32-bit range.
std::optional<int32_t> ToInt32(const Decimal& d) {
  const int intDigits = d.n + d.exp;  // digits left of the decimal point
  if (intDigits > 10) return std::nullopt;
  uint64_t whole = 0;
  for (int i = 0; i < intDigits; ++i) whole = whole * 10 + (i < d.n ? d.dig[i] : 0);
  int first = intDigits >= 0 ? intDigits : 0;  // first fraction digit, if any
  if (intDigits >= 0 && first < d.n) {
    int f0 = d.dig[first];
    bool rest = first + 1 < d.n;  // trailing zeros were stripped: more digits mean non-zero
    if (f0 > 5 || (f0 == 5 && (rest || (whole & 1)))) ++whole;
  }
  const uint64_t limit = d.neg ? 2147483648u : 2147483647u;
  if (whole > limit) return std::nullopt;
  return static_cast<int32_t>(d.neg ? 0 - whole : whole);
}

// Writes v's decimal digits at p; returns the end.
wchar_t* PutUnsigned(wchar_t* p, uint64_t v) {
  wchar_t tmp[20];
  int i = 20;
  do {
    tmp[--i] = static_cast<wchar_t>(L'0' + v % 10);
    v /= 10;
  } while (v);
  while (i < 20) *p++ = tmp[i++];
  return p;
}

// value * 10^p in double; powers up to 10^22 are exact, beyond that close enough for display.
double Scale10(double value, int p) {
  double f = 1;
  for (int i = 0; i < (p < 0 ? -p : p); ++i) f *= 10;
  return p < 0 ? value / f : value * f;
}

// Round to nearest, ties to even; |x| < 2^62.
int64_t RoundEven(double x) {
  int64_t t = static_cast<int64_t>(x);  // truncates toward zero
  if (static_cast<double>(t) > x) --t;  // now floor
  double frac = x - static_cast<double>(t);
  if (frac > 0.5 || (frac == 0.5 && (t & 1))) ++t;
  return t;
}

}  // namespace

wchar_t DecimalSeparator() {
  wchar_t buf[4] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 4) > 1) return buf[0];
  return L'.';
}

std::optional<float> CSng(std::wstring_view text) {
  Decimal d;
  if (!Parse(text, d)) return std::nullopt;
  return ToFloat(d);
}

std::optional<int32_t> CLng(std::wstring_view text) {
  Decimal d;
  if (!Parse(text, d)) return std::nullopt;
  return ToInt32(d);
}

std::optional<int32_t> CLngRound(double value) {
  // NaN fails both comparisons; -2147483648.5 rounds to the even -2^31.
  if (!(value >= -2147483648.5 && value < 2147483647.5)) return std::nullopt;
  return static_cast<int32_t>(RoundEven(value));
}

std::wstring DecimalText(int32_t value) {
  wchar_t buf[12], *p = buf;
  if (value < 0) *p++ = L'-';
  p = PutUnsigned(p, value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value));
  return std::wstring(buf, p);
}

std::wstring Str(double value) {
  if (value != value) return L"NaN";
  // Built in a local buffer: the longest text, "-1.234567E-308", has 14 characters.
  wchar_t buf[32], *p = buf;
  double a = value < 0 ? -value : value;
  if (value < 0) *p++ = L'-';
  if (a > 1.7976931348623157e308) {
    *p++ = L'I', *p++ = L'n', *p++ = L'f';
    return std::wstring(buf, p);
  }
  if (a < 1e15 && static_cast<double>(static_cast<int64_t>(a)) == a)
    return std::wstring(buf, PutUnsigned(p, static_cast<uint64_t>(a)));
  // Seven significant digits: find e with 10^e <= a < 10^(e+1) after rounding.
  int shift = 0;
  if (a < 1e-290) {  // keeps 10^-e within double range for subnormals
    a *= 1e300;
    shift = -300;
  }
  int e = 0;
  for (double t = a; t >= 10; t /= 10) ++e;
  for (double t = a; t < 1; t *= 10) --e;
  int64_t n = 0;
  for (int guard = 0; guard < 4; ++guard) {
    n = RoundEven(Scale10(a, 6 - e));
    if (n >= 10000000) ++e;
    else if (n < 1000000) --e;
    else break;
  }
  e += shift;
  if (n >= 10000000) n /= 10;  // a rounding carry such as 9999999.6 -> 1000000
  wchar_t dig[7];
  for (int i = 6; i >= 0; --i, n /= 10) dig[i] = static_cast<wchar_t>(L'0' + n % 10);
  int k = 7;
  while (k > 1 && dig[k - 1] == L'0') --k;
  const wchar_t sep = DecimalSeparator();
  if (e < -4 || e >= 7) {  // exponent form, as in 1.5E+20
    *p++ = dig[0];
    if (k > 1) *p++ = sep;
    for (int i = 1; i < k; ++i) *p++ = dig[i];
    *p++ = L'E';
    *p++ = e < 0 ? L'-' : L'+';
    int ae = e < 0 ? -e : e;
    if (ae < 10) *p++ = L'0';
    p = PutUnsigned(p, static_cast<uint64_t>(ae));
  } else if (e >= 0) {  // k <= e + 1 means the rounded value is whole
    for (int i = 0; i < k || i <= e; ++i) {
      if (i == e + 1) *p++ = sep;
      *p++ = dig[i];
    }
  } else {
    *p++ = L'0';
    *p++ = sep;
    for (int i = -1; i > e; --i) *p++ = L'0';
    for (int i = 0; i < k; ++i) *p++ = dig[i];
  }
  return std::wstring(buf, p);
}

}  // namespace rt
