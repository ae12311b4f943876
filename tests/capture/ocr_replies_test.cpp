// Reading the OCR service's recognition replies.
#include "capture/ocr_replies.h"

#include <gtest/gtest.h>

#include <string>

namespace capture {
namespace {

using Kind = RecognitionReply::Kind;

std::string replyOf(const std::string& elements) {
  return R"({"log_id":1,"words_result":[)" + elements + "]}";
}

TEST(RecognitionReply, LinesComeInOrderWithEveryCharacterOfTheirWords) {
  RecognitionReply reply = readRecognitionReply(replyOf(
      R"({"words":"首都"},{"words":"a\\b","location":{"top":1}},{"words":""},{"words":"c\u0000d"})"));
  ASSERT_EQ(reply.kind, Kind::kLines);
  // Program text: GBK.
  EXPECT_EQ(reply.lines,
            (std::vector<std::string>{"\xCA\xD7\xB6\xBC", "a\\b", "", std::string("c\0d", 3)}));

  reply = readRecognitionReply(replyOf(""));
  EXPECT_EQ(reply.kind, Kind::kLines);
  EXPECT_TRUE(reply.lines.empty());
}

TEST(RecognitionReply, AnElementThatIsNoObjectWithTextWordsIsAServiceError) {
  for (const char* elements :
       {R"({"words":"ok"},7)", R"({"words":"ok"},"text")", R"({"words":"ok"},null)",
        R"({"words":"ok"},["words"])", R"({"words":"ok"},{"words":5})", R"({"words":"ok"},{})",
        R"({"words":"ok"},{"words":{"text":"x"}})"}) {
    RecognitionReply reply = readRecognitionReply(replyOf(elements));
    EXPECT_EQ(reply.kind, Kind::kError) << elements;
    EXPECT_TRUE(reply.lines.empty()) << elements;
  }
  EXPECT_EQ(readRecognitionReply(R"({"error_code":111,"error_msg":"expired"})").kind,
            Kind::kTokenRejected);
  EXPECT_EQ(readRecognitionReply(R"({"words_result":{"words":"x"}})").kind, Kind::kError);
}

// Replies this large must be read in one pass; ctest's time-out catches one that is not.
TEST(RecognitionReply, HugeRepliesAreReadWhole) {
  std::string lines, numbers;
  constexpr int kLines = 200000, kNumbers = 1000000;
  for (int i = 0; i < kLines; ++i) {
    if (i) lines += ',';
    lines += R"({"words":"line )" + std::to_string(i) + "\"}";
  }
  RecognitionReply reply = readRecognitionReply(replyOf(lines));
  ASSERT_EQ(reply.kind, Kind::kLines);
  ASSERT_EQ(reply.lines.size(), std::size_t(kLines));
  EXPECT_EQ(reply.lines.back(), "line " + std::to_string(kLines - 1));

  for (int i = 0; i < kNumbers; ++i) {
    if (i) numbers += ',';
    numbers += std::to_string(i);
  }
  EXPECT_EQ(readRecognitionReply(replyOf(numbers)).kind, Kind::kError);
}

}  // namespace
}  // namespace capture
