#include "app/controllers/local_date.h"

#include <chrono>

#include "platform/date_time.h"

namespace app {

double currentVariantDateUtc8() {
  using namespace std::chrono;
  double unixSeconds = duration<double>(system_clock::now().time_since_epoch()).count();
  return (unixSeconds + 8 * 3600) / 86400.0 - double(platform::kVariantEpochDays);
}

}  // namespace app
