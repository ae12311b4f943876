// The script every JsonObject engine starts with: the helper functions its operations call.
#pragma once
#include <string_view>

namespace json {

extern const std::u16string_view kHelperScript;

}  // namespace json
