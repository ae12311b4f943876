#include "exchange_fixture.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace net {

bool ExchangeTest::underWine() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

}  // namespace net
