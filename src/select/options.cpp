#include "select/options.h"

#include "form/convert.h"
#include "view/zoom.h"

namespace {

// What follows `prefix` at the start of `s` (letters compared without case
// when `anyCase`; with `word`, `prefix` ends at a blank or a line end too),
// or null when `s` does not start with it.
const wchar_t* After(const wchar_t* s, const wchar_t* prefix, bool anyCase = false, bool word = false) {
  for (; *prefix && !(word && (*prefix == L' ' || *prefix == L'\n')); ++s, ++prefix)
    if (*s != *prefix && !(anyCase && (*s | 0x20) == *prefix && *prefix >= L'a')) return nullptr;
  return s;
}

bool Is(const wchar_t* s, const wchar_t* word) {
  const wchar_t* rest = After(s, word);
  return rest && !*rest;
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

}  // namespace

bool ParseModifiers(const wchar_t* text, UINT& mods) {
  mods = 0;
  const wchar_t* none = After(text, L"none", true);
  if (none && !*none) return true;
  int count = 0;
  for (const wchar_t* at = text; *at; ++count) {
    // The modifiers' MOD_ bits are 1 alt, 2 ctrl, 4 shift, 8 win.
    static const wchar_t kWords[4][6] = {L"alt", L"ctrl", L"shift", L"win"};
    UINT mod = 0;
    const wchar_t* rest = nullptr;
    for (int i = 0; i < 4 && !mod; ++i)
      if ((rest = After(at, kWords[i], true)) && (!*rest || *rest == L'+')) mod = 1u << i;
    if (!mod || (mods & mod)) return false;
    mods |= mod;
    at = *rest ? rest + 1 : rest;
    if (*rest && !*at) return false;  // a "+" at the end
  }
  return count >= 2;
}

const wchar_t kOptionNames[] =
    L"--title TEXT\n--class NAME\n--exe FILE\n--hwnd N\n--wait SECONDS\n--ratio R\n--hotkeys MODS\n"
    L"--fullscreen\n--no-topmost\n--help\n";

CommandLine ParseCommandLine(int argc, const wchar_t* const* argv) {
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
    if (Is(a, L"-h") || Is(a, L"/?")) k = 9;
    // The first seven take the next argument as their value.
    const wchar_t* v = k < 7 && i + 1 < argc ? argv[i + 1] : L"";
    bool ok = k >= 7 || *v;
    switch (k) {
      case 0: o.title = v; break;
      case 1: o.cls = v; break;
      case 2: o.exe = v; break;
      case 3: ok = ok && Handle(o.hwndText = v, o.hwnd); break;
      case 4: ok = ok && Number(o.waitText = v, 10, o.wait); break;
      case 5: ok = ok && Ratio(o.ratio = v); break;
      case 6: ok = ok && ParseModifiers(o.hotkeysText = v, o.hotkeys); break;
      case 7: o.fullscreen = true; break;
      case 8: o.noTopmost = true; break;
      case 9: o.help = true; return line;
      default: ok = false;
    }
    if (!ok) {
      line.bad = i;
      line.badValue = *v != 0;
      return line;
    }
    i += k < 7;
  }
  return line;
}
