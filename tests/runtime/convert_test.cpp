#include "runtime/convert.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

// Test texts are written with '.'; the conversions use the locale's separator.
std::wstring Loc(std::wstring s) {
  for (auto& c : s)
    if (c == L'.') c = rt::DecimalSeparator();
  return s;
}

const float kAboveOne = std::nextafter(1.0f, 2.0f);
const std::optional<float> kNoFloat;
const std::optional<int32_t> kNoInt;

TEST(CSng, NearestFloatOrEmpty) {
  const struct {
    std::wstring text;
    std::optional<float> want;
  } cases[] = {
      {L"0.2", 0.2f}, {L"1.33", 1.33f}, {L"0.1999", 0.1999f}, {L"5.001", 5.001f},
      {L" \t-8 ", -8.0f}, {L"+.5", 0.5f}, {L"5.", 5.0f}, {L"1.5E-3", 0.0015f},
      {L"16777217", 16777216.0f},  // a tie between floats goes to the even one
      // 1 + 2^-24 is the exact midpoint above 1.
      {L"1.000000059604644775390625", 1.0f},
      {L"1.000000059604644775390626", kAboveOne},
      // Rounds to that midpoint as a double: a double-then-float path gets this wrong.
      {L"1.0000000596046447753906251", kAboveOne},
      {L"1.000000059604644775390625" + std::wstring(300, L'0'), 1.0f},
      {L"1.000000059604644775390625" + std::wstring(300, L'0') + L"1", kAboveOne},
      {L"1" + std::wstring(30, L'0'), 1e30f},
      {L"3.4028235677e38", FLT_MAX},  // just below the overflow threshold
      {L"3.4028235678e38", kNoFloat},
      {L"-1e39", kNoFloat},
      {L"1e99999999999", kNoFloat},
      {L"7.0065e-46", std::numeric_limits<float>::denorm_min()},  // above half of it
      {L"7.0064e-46", 0.0f},
      {L"0.0001e4", 1.0f}, {L"0e999999999", 0.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text.substr(0, 40)));
    auto got = rt::CSng(Loc(c.text));
    ASSERT_EQ(got.has_value(), c.want.has_value());
    if (got) EXPECT_EQ(*got, *c.want);
  }
  EXPECT_GT(*rt::CSng(Loc(L"5.001")), 5.0f);
}

TEST(TextConversions, GarbageIsEmpty) {
  std::wstring otherSeparator = L"1_33";
  otherSeparator[1] = rt::DecimalSeparator() == L'.' ? L',' : L'.';
  for (const std::wstring& text :
       {std::wstring(), std::wstring(L"  "), otherSeparator, Loc(L"1..2"), Loc(L"."),
        std::wstring(L"inf"), std::wstring(L"NaN"), std::wstring(L"&H10"), std::wstring(L"0x10"),
        std::wstring(L"1e"), std::wstring(L"1e+"), std::wstring(L"e5"), std::wstring(L"--1"),
        std::wstring(L"- 1"), std::wstring(L"1 2"), std::wstring(L"12a"),
        std::wstring(L"\u0661")}) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_FALSE(rt::CSng(text).has_value());
    EXPECT_FALSE(rt::CLng(text).has_value());
  }
}

TEST(CLng, RoundsHalfToEvenWithin32Bits) {
  const struct {
    std::wstring text;
    std::optional<int32_t> want;
  } cases[] = {
      {L"2.5", 2}, {L"3.5", 4}, {L"-2.5", -2}, {L"0.5", 0}, {L"2.5000001", 3},
      {L"-0.6", -1}, {L"0.05", 0}, {L" 42\t", 42}, {L"25e-1", 2}, {L"0e20", 0},
      {L"2.5" + std::wstring(300, L'0'), 2}, {L"2.5" + std::wstring(300, L'0') + L"1", 3},
      {L"2147483647.4", INT32_MAX}, {L"2147483647.5", kNoInt},  // rounds to 2^31
      {L"2147483648", kNoInt}, {L"-2147483648.5", INT32_MIN}, {L"-2147483648.51", kNoInt},
      {L"1e10", kNoInt}, {L"1e-99999999999", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text.substr(0, 40)));
    EXPECT_EQ(rt::CLng(Loc(c.text)), c.want);
  }
}

TEST(CLngRound, HalfToEvenAndRange) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    std::optional<int32_t> want;
  } cases[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.49999999999999994, 0},
      {2147483647.4, INT32_MAX}, {2147483647.5, kNoInt}, {-2147483648.5, INT32_MIN},
      {-2147483648.6, kNoInt}, {std::nan(""), kNoInt}, {inf, kNoInt}, {-inf, kNoInt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(rt::CLngRound(c.value), c.want);
  }
}

TEST(Str, GeneralFormat) {
  const struct {
    double value;
    const wchar_t* want;
  } cases[] = {
      {340, L"340"}, {-8, L"-8"}, {0, L"0"}, {-0.0, L"0"},
      {1.33f, L"1.33"}, {0.2f, L"0.2"}, {0.1999f, L"0.1999"}, {5.001f, L"5.001"},
      {5.5, L"5.5"}, {-0.75, L"-0.75"}, {2.0 / 3, L"0.6666667"},
      {123456.75, L"123456.8"},  // the tie at the 7th digit goes to even
      {0.99999999, L"1"}, {0.0001, L"0.0001"}, {0.00001, L"1E-05"}, {-1.5e-7, L"-1.5E-07"},
      {12345678.5, L"1.234568E+07"},
      {999999999999999, L"999999999999999"},  // whole values keep every digit
      {1e15, L"1E+15"}, {1.5e20, L"1.5E+20"}, {1e100, L"1E+100"},
      {std::numeric_limits<double>::denorm_min(), L"4.940656E-324"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(rt::Str(c.value), Loc(c.want));
  }
}

TEST(DecimalText, Int32Values) {
  EXPECT_EQ(rt::DecimalText(0), L"0");
  EXPECT_EQ(rt::DecimalText(-8), L"-8");
  EXPECT_EQ(rt::DecimalText(INT32_MAX), L"2147483647");
  EXPECT_EQ(rt::DecimalText(INT32_MIN), L"-2147483648");
}

}  // namespace
