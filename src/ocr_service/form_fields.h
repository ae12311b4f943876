// Reading what a client sends in a URL query or an application/x-www-form-urlencoded body.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ocr_service {

struct FormField {
  std::string name, value;  // decoded: "%XY" as its byte, "+" as a space
};

// Fields separated by "&" (empty ones skipped); a field without "=" has an empty value. A "%"
// not followed by two hex digits stands for itself.
std::vector<FormField> parseFormFields(std::string_view text);

// The value of the first field of that name.
std::optional<std::string> fieldValue(const std::vector<FormField>& fields, std::string_view name);

// The query of a request target ("/path?query"), empty without one.
std::string_view queryOf(std::string_view target);

// The fields of a target's query. A further "?" ends a field as "&" does: some clients add
// their own "?name=value" after a query that already holds the token.
std::vector<FormField> queryFields(std::string_view target);

// Does a Content-Type header name the form encoding (any letter case, parameters allowed)?
bool isFormContentType(std::string_view contentType);

}  // namespace ocr_service
