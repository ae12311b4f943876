#include "ocr_service/form_fields.h"

namespace ocr_service {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string decoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
               hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

std::vector<FormField> fieldsSplitAt(std::string_view text, std::string_view separators) {
  std::vector<FormField> fields;
  while (!text.empty()) {
    const std::size_t end = text.find_first_of(separators);
    const std::string_view field = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (field.empty()) continue;
    const std::size_t equals = field.find('=');
    if (equals == std::string_view::npos)
      fields.push_back({decoded(field), {}});
    else
      fields.push_back({decoded(field.substr(0, equals)), decoded(field.substr(equals + 1))});
  }
  return fields;
}

}  // namespace

std::vector<FormField> parseFormFields(std::string_view text) { return fieldsSplitAt(text, "&"); }

std::vector<FormField> queryFields(std::string_view target) {
  return fieldsSplitAt(queryOf(target), "&?");
}

std::optional<std::string> fieldValue(const std::vector<FormField>& fields, std::string_view name) {
  for (const FormField& field : fields)
    if (field.name == name) return field.value;
  return std::nullopt;
}

std::string_view queryOf(std::string_view target) {
  const std::size_t question = target.find('?');
  if (question == std::string_view::npos) return {};
  target = target.substr(question + 1);
  return target.substr(0, target.find('#'));
}

bool isFormContentType(std::string_view contentType) {
  constexpr std::string_view kForm = "application/x-www-form-urlencoded";
  while (!contentType.empty() && (contentType.front() == ' ' || contentType.front() == '\t'))
    contentType.remove_prefix(1);
  if (contentType.size() < kForm.size()) return false;
  for (std::size_t i = 0; i < kForm.size(); ++i)
    if (lower(contentType[i]) != kForm[i]) return false;
  const std::string_view rest = contentType.substr(kForm.size());
  const std::size_t end = rest.find_first_not_of(" \t");
  return end == std::string_view::npos || rest[end] == ';';
}

}  // namespace ocr_service
