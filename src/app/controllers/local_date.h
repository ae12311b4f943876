// The local clock as the answer form's status bar shows it when no server tells the date.
#pragma once

namespace app {

// Now, as a variant date in the UTC+8 zone.
double currentVariantDateUtc8();

}  // namespace app
