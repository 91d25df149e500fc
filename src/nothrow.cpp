// The exe is built without exceptions: allocation failure and library
// precondition failures end the process instead of pulling in the unwinder.
#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <new>

#include "view/embed.h"

namespace {
// Borrowed windows first: they would die with our form.
[[noreturn]] void Die() {
  GiveBackGuardedWindows();
  ExitProcess(3);
}
}  // namespace

void* operator new(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) Die();
  return p;
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace std {
void __throw_bad_alloc() { Die(); }
void __throw_bad_array_new_length() { Die(); }
void __throw_length_error(const char*) { Die(); }
void __throw_out_of_range(const char*) { Die(); }
void __throw_out_of_range_fmt(const char*, ...) { Die(); }
void __throw_logic_error(const char*) { Die(); }
void __throw_invalid_argument(const char*) { Die(); }
void __throw_bad_function_call() { Die(); }
}  // namespace std
