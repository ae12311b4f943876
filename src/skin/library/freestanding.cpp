// The library links no C runtime; the compiler still emits calls to these for copies and
// clears of structures. Built with -fno-builtin so the loops do not turn into calls to themselves.
#include <cstddef>

extern "C" void* memset(void* target, int value, std::size_t count) {
  auto* p = static_cast<unsigned char*>(target);
  while (count--) *p++ = static_cast<unsigned char>(value);
  return target;
}

extern "C" void* memcpy(void* target, const void* source, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  while (count--) *to++ = *from++;
  return target;
}
