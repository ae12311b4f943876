#include "spreadsheet/xlsx/xml_tokenizer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Writes every event as text: <name a=v ...>, </name>, "text", [cdata].
class Recorder : public xlsx::XmlHandler {
 public:
  void startElement(std::string_view name,
                    const std::vector<xlsx::XmlAttribute>& attributes) override {
    events.append("<").append(name);
    for (const auto& attribute : attributes)
      events.append(" ").append(attribute.name).append("=").append(attribute.value);
    events.append(">");
  }
  void endElement(std::string_view name) override { events.append("</").append(name).append(">"); }
  void text(std::string_view raw, bool cdata) override {
    events.append(cdata ? "[" : "\"").append(raw).append(cdata ? "]" : "\"");
  }
  std::string events;
};

std::string failure(const xlsx::XmlTokenizer& tokenizer) {
  return std::string("failed: ").append(tokenizer.error());
}

// The events of a document fed in pieces of `piece` bytes, or "failed: why".
std::string tokens(std::string_view document, std::size_t piece) {
  Recorder recorder;
  xlsx::XmlTokenizer tokenizer(recorder);
  for (std::size_t at = 0; at < document.size(); at += piece)
    if (!tokenizer.feed(document.substr(at, piece))) return failure(tokenizer);
  if (!tokenizer.finish()) return failure(tokenizer);
  return recorder.events;
}

// Every document reads the same whole and split anywhere, down to one byte at a time.
std::string tokens(std::string_view document) {
  const std::string whole = tokens(document, document.size() + 1);
  for (std::size_t piece = 1; piece <= document.size(); ++piece)
    EXPECT_EQ(tokens(document, piece), whole) << document << " in pieces of " << piece;
  return whole;
}

TEST(XmlTokenizer, ReadsTagsOfEveryShapeTheSameWholeOrInPieces) {
  EXPECT_EQ(tokens("<x:si a=\"1\" x:b='2'><t xml:space=\"preserve\">A &amp; B</t><e/></x:si>"),
            "<si a=1 b=2><t space=preserve>\"A &amp; B\"</t><e></e></si>");
  // Quoted values may hold '>', '/' and the other quote.
  EXPECT_EQ(tokens("<a v=\"x>y/z'\" w='\"'/>"), "<a v=x>y/z' w=\"></a>");
  // Less usual but well-formed spellings.
  EXPECT_EQ(tokens("<a b = \"1\"\n\tc='2' ></a ><d/ ><e\n/>"), "<a b=1 c=2></a><d/><e></e>");
  EXPECT_EQ(tokens("<a b=\"1\"c=\"2\"/>"), "<a b=1 c=2></a>");
  EXPECT_EQ(tokens("<?xml version=\"1.0\"?><!-- <no> --><a><![CDATA[<b>]]></a>"), "<a>[<b>]</a>");
}

TEST(XmlTokenizer, RefusesMalformedTagsWhereverThePiecesEnd) {
  EXPECT_EQ(tokens("<a b>"), "failed: malformed XML attribute");
  EXPECT_EQ(tokens("<a b=1>"), "failed: malformed XML attribute value");
  EXPECT_EQ(tokens("< a>"), "failed: malformed XML tag");
  EXPECT_EQ(tokens("<a:>"), "failed: malformed XML tag");
  EXPECT_EQ(tokens("<a b=\"1>"), "failed: XML document ends inside a tag");
  EXPECT_EQ(tokens("<!DOCTYPE a [<!ENTITY b \"c\">]><a/>"),
            "failed: XML document type declarations are not allowed");
}

}  // namespace
