// A small streaming XML tokenizer for the parts of a workbook package. It is fed pieces of the
// document as they are inflated and reports elements and text with namespace prefixes removed,
// so Transitional and Strict documents (same local names, other namespaces) read alike.
// Document type declarations are refused: workbook parts never carry one, and entity
// definitions are the classic way to blow up a reader.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xlsx {

struct XmlAttribute {
  std::string_view name;   // local name
  std::string_view value;  // raw, entities not yet decoded
};

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  // `name` and the attributes stay valid only during the call.
  virtual void startElement(std::string_view name, const std::vector<XmlAttribute>& attributes) = 0;
  virtual void endElement(std::string_view name) = 0;
  // Character data between tags; `raw` holds entities undecoded unless `cdata` is true.
  virtual void text(std::string_view raw, bool cdata) = 0;

  // Set by a handler that finds the content unacceptable; the tokenizer then stops.
  const std::string& failure() const { return failure_; }

 protected:
  void fail(std::string why) {
    if (failure_.empty()) failure_ = std::move(why);
  }

 private:
  std::string failure_;
};

class XmlTokenizer {
 public:
  explicit XmlTokenizer(XmlHandler& handler) : handler_(handler) {}

  // Feeds the next piece of the document. False once the document is found malformed.
  bool feed(std::string_view piece);
  // Call after the last piece: false when the document ended inside a tag.
  bool finish();

  const std::string& error() const { return error_; }

 private:
  // Parses the whole tokens at the start of `data`; returns how many bytes they took.
  std::size_t parse(std::string_view data);
  // Each reads one token at the start of what it is given and returns its length, or 0 when
  // the token goes on in the next piece or the document failed.
  std::size_t parseMarkup(std::string_view rest);
  std::size_t parseEndTag(const char* tag, const char* end);
  std::size_t parseStartTag(const char* tag, const char* end);
  std::size_t parseTagSlowly(const char* tag, const char* end);
  bool parseTag(std::string_view tag);
  void fail(std::string why);

  XmlHandler& handler_;
  std::string buffer_;
  std::vector<XmlAttribute> attributes_;
  std::string error_;
  bool failed_ = false;
};

// Value of the attribute with the given local name, or nullptr.
const XmlAttribute* findAttribute(const std::vector<XmlAttribute>& attributes,
                                  std::string_view name);

// Decodes XML character data (entities and UTF-8) and appends it as UTF-16.
// Malformed UTF-8 becomes U+FFFD; an unknown entity is kept literally.
void appendXmlText(std::string_view raw, std::u16string& out);
// Same, without entity decoding (CDATA sections).
void appendUtf8(std::string_view utf8, std::u16string& out);
// Appends one code point as UTF-8.
void appendCodePointUtf8(char32_t cp, std::string& out);
// Decodes entities into plain UTF-8 (attribute values such as part names and format codes).
std::string decodeXmlEntities(std::string_view raw);

}  // namespace xlsx
