#include "select/options.h"

#include "runtime/convert.h"
#include "view/zoom.h"

namespace {

// What follows `prefix` at the start of `s` (ASCII letters compared without
// case when `anyCase`; with `word`, `prefix` ends at a blank or a line end too),
// or null when `s` does not start with it.
const wchar_t* After(const wchar_t* s, const wchar_t* prefix, bool anyCase = false, bool word = false) {
  for (; *prefix && !(word && (*prefix == L' ' || *prefix == L'\n')); ++s, ++prefix)
    if (*s != *prefix && !(anyCase && (*s | 0x20) == (*prefix | 0x20))) return nullptr;
  return s;
}

// Digits only, in base 10 or 16, one to 8 of them: no sign, no blanks.
bool Number(const wchar_t* s, uint32_t base, uint32_t& value) {
  value = 0;
  int n = 0;
  for (; s[n]; ++n) {
    const wchar_t c = s[n] | 0x20;
    const uint32_t d = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : 99;
    if (d >= base || n == 8) return false;
    value = value * base + d;
  }
  return n > 0;
}

// Decimal, signed as the information panel writes handles, or 0x hex; not 0.
bool Handle(const wchar_t* s, int32_t& h) {
  uint32_t v = 0;
  const wchar_t* hex = After(s, L"0x", true);
  const bool minus = *s == L'-';
  if (!Number(hex ? hex : s + minus, hex ? 16 : 10, v) || !v) return false;
  h = static_cast<int32_t>(minus ? 0u - v : v);
  return true;
}

// Judged as the ratio field judges what is typed into it.
bool Ratio(const wchar_t* s) {
  const auto r = rt::CSng(s);
  return r && AspectAccepted(AspectFromRatio(*r));
}

// "content", or four whole numbers, comma-separated: left, top, right, bottom.
bool Crop(const wchar_t* s, Insets& insets) {
  insets = {};
  const wchar_t* content = After(s, L"content", true);
  if (content && !*content) return true;
  int32_t* const sides[] = {&insets.left, &insets.top, &insets.right, &insets.bottom};
  for (int i = 0; i < 4; ++i, ++s) {
    int n = 0;
    for (; *s >= L'0' && *s <= L'9' && n < 8; ++n) *sides[i] = *sides[i] * 10 + (*s++ - L'0');
    if (!n || *s != (i < 3 ? L',' : 0)) return false;
  }
  return true;
}

}  // namespace

const wchar_t kModifierNames[4][6] = {L"Ctrl", L"Alt", L"Shift", L"Win"};
const BYTE kModifierBits[4] = {MOD_CONTROL, MOD_ALT, MOD_SHIFT, MOD_WIN};

bool ParseModifiers(const wchar_t* text, UINT& mods) {
  mods = 0;
  const wchar_t* none = After(text, L"none", true);
  if (none && !*none) return true;
  int count = 0;
  for (const wchar_t* at = text; *at; ++count) {
    UINT mod = 0;
    const wchar_t* rest = nullptr;
    for (int i = 0; i < 4 && !mod; ++i)
      if ((rest = After(at, kModifierNames[i], true)) && (!*rest || *rest == L'+')) mod = kModifierBits[i];
    if (!mod || (mods & mod)) return false;
    mods |= mod;
    at = *rest ? rest + 1 : rest;
    if (*rest && !*at) return false;  // a "+" at the end
  }
  return count >= 2;
}

// Past the names that the usage shows, the other ways to ask for it.
const wchar_t kOptionNames[] =
    L"--title TEXT\n--class NAME\n--exe FILE\n--hwnd N\n--wait SECONDS\n--ratio R\n--hotkeys MODS\n"
    L"--crop content|L,T,R,B\n"
    L"--fullscreen\n--no-topmost\n--help\n-h\n/?\n";

CommandLine ParseCommandLine(int argc, const wchar_t* const* argv) {
  // Where the first eight keep their values.
  static const wchar_t* Options::* const kValues[] = {&Options::title,   &Options::cls,
                                                      &Options::exe,     &Options::hwndText,
                                                      &Options::waitText, &Options::ratio,
                                                      &Options::hotkeysText, &Options::cropText};
  constexpr int kWithValue = ARRAYSIZE(kValues);
  CommandLine line{};
  Options& o = line.options;
  for (int i = 1; i < argc; ++i) {
    const wchar_t* a = argv[i];
    // Which line of kOptionNames names it; past the last, none.
    int k = 0;
    for (const wchar_t* name = kOptionNames; *name; ++k) {
      const wchar_t* rest = After(a, name, false, true);
      if (rest && !*rest) break;
      while (*name++ != L'\n') {}
    }
    // The first eight take the next argument as their value.
    const wchar_t* v = k < kWithValue && i + 1 < argc ? argv[i + 1] : L"";
    if (k < kWithValue) o.*kValues[k] = v;
    bool ok = k >= kWithValue || *v;
    switch (k) {
      case 3: ok = ok && Handle(v, o.hwnd); break;
      case 4: ok = ok && Number(v, 10, o.wait); break;
      case 5: ok = ok && Ratio(v); break;
      case 6: ok = ok && ParseModifiers(v, o.hotkeys); break;
      case 7: ok = ok && Crop(v, o.crop); break;
      case 8: o.fullscreen = true; break;
      case 9: o.noTopmost = true; break;
      case 10: case 11: case 12: o.help = true; return line;
      case 13: ok = false; break;
      default: break;
    }
    if (!ok) {
      line.bad = i;
      line.badValue = *v != 0;
      return line;
    }
    i += k < kWithValue;
  }
  return line;
}
