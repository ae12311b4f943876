// Telling the encoding of a text file a user brings (CSV or a text of question blocks):
// UTF-8 with or without a byte order mark, else GBK when every byte sequence is GBK.
#pragma once
#include <string>
#include <string_view>

namespace importer {

enum class TextEncoding { utf8, gbk };

struct DecodedText {
  bool ok = false;
  TextEncoding encoding = TextEncoding::utf8;
  std::string utf8;     // the text without its byte order mark, as UTF-8
  std::string problem;  // when not ok: what is wrong with the bytes, in English
};

// True when every byte is ASCII or part of a GBK pair (or the euro byte) that has a mapping.
bool isStrictGbk(std::string_view bytes);

DecodedText decodeTextFile(std::string_view bytes);

}  // namespace importer
