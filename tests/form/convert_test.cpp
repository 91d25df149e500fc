#include "form/convert.h"

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
wchar_t OtherSeparator() { return rt::DecimalSeparator() == L'.' ? L',' : L'.'; }

const float kAboveOne = std::nextafter(1.0f, 2.0f);

struct FloatCase {
  const wchar_t* text;
  std::optional<float> want;
};

TEST(CSng, NearestFloat) {
  const FloatCase cases[] = {
      {L"0.2", 0.2f},
      {L"1.33", 1.33f},
      {L"5", 5.0f},
      {L"0.1999", 0.1999f},
      {L"5.001", 5.001f},
      {L"0.75", 0.75f},
      {L"-8", -8.0f},
      {L"+5", 5.0f},
      {L".5", 0.5f},
      {L"5.", 5.0f},
      {L"007.250", 7.25f},
      {L"1e3", 1000.0f},
      {L"1.5E-3", 0.0015f},
      {L"340E+0", 340.0f},
      {L"16777217", 16777216.0f},  // tie between 2^24 and 2^24+2: even
      {L"16777219", 16777220.0f},  // tie: even is the upper one
      // 1 + 2^-24 is the exact midpoint above 1: ties go to even.
      {L"1.000000059604644775390625", 1.0f},
      {L"1.000000059604644775390626", kAboveOne},
      // Rounds to the midpoint as a double; a double-then-float path gets this wrong.
      {L"1.0000000596046447753906251", kAboveOne},
      {L"0.99999997", 0.99999997f},
      {L"3.4028234663852886e38", FLT_MAX},
      {L"3.4028235677e38", FLT_MAX},  // just below the overflow threshold
      {L"1.17549435e-38", FLT_MIN},
      {L"1.401298464e-45", std::numeric_limits<float>::denorm_min()},
      {L"7.0065e-46", std::numeric_limits<float>::denorm_min()},  // just above half of it
      {L"7.0064e-46", 0.0f},
      {L"1e-50", 0.0f},
      {L"0", 0.0f},
      {L"0e999999999", 0.0f},
      {L"0.000000000000000000000000000000000000000000000000000001e60", 1e6f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)));
    auto got = rt::CSng(Loc(c.text));
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, *c.want);
  }
  EXPECT_GT(*rt::CSng(Loc(L"5.001")), 5.0f);
  EXPECT_LT(*rt::CSng(Loc(L"0.1999")), 0.2f);
  EXPECT_TRUE(std::signbit(*rt::CSng(L"-0")));
}

TEST(CSng, LongDigitStringsKeepTheirTail) {
  // 1 + 2^-24 followed by many zeros: a non-zero digit far beyond it still rounds up.
  std::wstring mid = L"1.000000059604644775390625";
  std::wstring zeros(300, L'0');
  EXPECT_EQ(*rt::CSng(Loc(mid + zeros)), 1.0f);
  EXPECT_EQ(*rt::CSng(Loc(mid + zeros + L"1")), kAboveOne);
  // Many integer digits dropped from storage still count for the scale.
  EXPECT_EQ(*rt::CSng(L"1" + std::wstring(30, L'0')), 1e30f);
  EXPECT_FALSE(rt::CSng(L"1" + std::wstring(200, L'0')).has_value());
  EXPECT_EQ(*rt::CSng(Loc(L"0." + std::wstring(200, L'0') + L"1e201")), 1.0f);
}

TEST(CSng, OutOfRangeIsEmpty) {
  for (const wchar_t* text : {L"1e39", L"-1e39", L"3.4028235678e38",
                              L"340282356779733661637539395458142568448", L"1e99999999999"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
    EXPECT_FALSE(rt::CSng(Loc(text)).has_value());
  }
}

// Texts that are no number, for both text conversions.
std::vector<std::wstring> Garbage() {
  std::wstring other = L"1";
  other += OtherSeparator();
  other += L"33";
  return {L"",    L"   ",  L"abc",  other,    L"inf",   L"Infinity", L"NaN", L"&H10",
          L"0x10", L"1e",   L"1e+",  L"--1",   L"- 1",   L"1 2",      L".",   L"1..2",
          L"e5",  L"5e 1", L"12a",  L"+",     L"1.2.3", L"\u0661"};
}

TEST(TextConversions, GarbageIsEmpty) {
  for (const auto& g : Garbage()) {
    auto text = g == L"." || g == L"1..2" || g == L"1.2.3" ? Loc(g) : g;
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_FALSE(rt::CSng(text).has_value());
    EXPECT_FALSE(rt::CLng(text).has_value());
  }
}

struct IntCase {
  const wchar_t* text;
  std::optional<int32_t> want;
};

TEST(CLng, RoundsHalfToEvenWithin32Bits) {
  const IntCase cases[] = {
      {L"2.5", 2},
      {L"3.5", 4},
      {L"-2.5", -2},
      {L"-3.5", -4},
      {L"0.5", 0},
      {L"1.5", 2},
      {L"2.5000001", 3},
      {L"2.4999999", 2},
      {L"0.6", 1},
      {L"-0.6", -1},
      {L"-0.4", 0},
      {L"0.05", 0},
      {L"  42  ", 42},
      {L"\t132\t", 132},
      {L"25e-1", 2},
      {L"1.5e1", 15},
      {L"1e9", 1000000000},
      {L"0e20", 0},
      {L"2147483647", INT32_MAX},
      {L"2147483647.4", INT32_MAX},
      {L"2147483647.5", std::nullopt},  // rounds to 2^31
      {L"2147483648", std::nullopt},
      {L"-2147483648", INT32_MIN},
      {L"-2147483648.5", INT32_MIN},  // the even neighbour
      {L"-2147483648.51", std::nullopt},
      {L"-2147483649", std::nullopt},
      {L"1e10", std::nullopt},
      {L"99999999999", std::nullopt},
      {L"1e99999999999", std::nullopt},
      {L"1e-99999999999", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
    EXPECT_EQ(rt::CLng(Loc(c.text)), c.want);
  }
  // A tie only when every digit after the 5 is zero, however far out.
  EXPECT_EQ(rt::CLng(Loc(L"2.5" + std::wstring(300, L'0'))), 2);
  EXPECT_EQ(rt::CLng(Loc(L"2.5" + std::wstring(300, L'0') + L"1")), 3);
}

TEST(CLngRound, HalfToEvenAndRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    std::optional<int32_t> want;
  } cases[] = {
      {2.5, 2},           {3.5, 4},         {-2.5, -2},         {-3.5, -4},
      {0.49999999999999994, 0},             {-0.5, 0},          {1.33f * 240, 319},
      {2147483647.0, INT32_MAX},            {2147483647.4, INT32_MAX},
      {2147483647.5, std::nullopt},         {-2147483648.5, INT32_MIN},
      {-2147483648.6, std::nullopt},        {4294967296.0, std::nullopt},
      {nan, std::nullopt}, {inf, std::nullopt}, {-inf, std::nullopt},
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
      {340, L"340"},
      {-8, L"-8"},
      {0, L"0"},
      {-0.0, L"0"},
      {1.33f, L"1.33"},
      {0.2f, L"0.2"},
      {0.1999f, L"0.1999"},
      {5.001f, L"5.001"},
      {5.5, L"5.5"},
      {0.75, L"0.75"},
      {-0.75, L"-0.75"},
      {0.1, L"0.1"},
      {1.0 / 3, L"0.3333333"},
      {2.0 / 3, L"0.6666667"},
      {123456.75, L"123456.8"},  // 7 digits, the tie to even
      {1234567.4, L"1234567"},
      {0.99999999, L"1"},
      {0.0001, L"0.0001"},
      {0.00001, L"1E-05"},
      {-1.5e-7, L"-1.5E-07"},
      {12345678.5, L"1.234568E+07"},
      {9999999.6, L"1E+07"},
      {999999999999999, L"999999999999999"},  // whole values keep every digit
      {2147483648.0, L"2147483648"},
      {1e15, L"1E+15"},
      {1.5e20, L"1.5E+20"},
      {1e100, L"1E+100"},
      {FLT_MAX, L"3.402823E+38"},
      {std::numeric_limits<double>::denorm_min(), L"4.940656E-324"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(rt::Str(c.value), Loc(c.want));
  }
}

TEST(Str, ReadsBackThroughCSng) {
  for (const wchar_t* text : {L"1.33", L"0.2", L"5.001", L"0.1999", L"340", L"1.5E+20"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
    EXPECT_EQ(rt::Str(*rt::CSng(Loc(text))), Loc(text));
  }
}

TEST(DecimalText, Int32Values) {
  const struct {
    int32_t value;
    const wchar_t* want;
  } cases[] = {{0, L"0"},
               {132, L"132"},
               {-8, L"-8"},
               {INT32_MAX, L"2147483647"},
               {INT32_MIN, L"-2147483648"}};
  for (const auto& c : cases) EXPECT_EQ(rt::DecimalText(c.value), c.want);
}

}  // namespace
