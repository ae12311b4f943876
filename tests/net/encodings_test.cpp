#include <gtest/gtest.h>

#include <string>

#include "net/base64.h"
#include "net/hex.h"
#include "net/md5.h"
#include "net/url_encode.h"
#include "net/utf8_text.h"
#include "platform/cp936.h"

using namespace std::string_view_literals;

namespace net {
namespace {

TEST(Base64Encode, MatchesTheRfcVectorsWithPadding) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("a"), "YQ==");
  EXPECT_EQ(Base64Encode("ab"), "YWI=");
  EXPECT_EQ(Base64Encode("abc"), "YWJj");
  EXPECT_EQ(Base64Encode("foob"), "Zm9vYg==");
  EXPECT_EQ(Base64Encode("fooba"), "Zm9vYmE=");
  EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
}

TEST(Base64Encode, UsesTheWholeAlphabetAndZeroBytes) {
  EXPECT_EQ(Base64Encode("\xFB\xEF\xFF"sv), "++//");
  EXPECT_EQ(Base64Encode("\0\0\0\0"sv), "AAAAAA==");
}

TEST(Base64Encode, NeverBreaksLines) {
  const std::string encoded = Base64Encode(std::string(3000, '\xA5'));
  EXPECT_EQ(encoded.size(), 4000u);
  EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
}

TEST(UrlEncode, KeepsUnreservedCharactersWhenAsked) {
  EXPECT_EQ(UrlEncode("a b*'()-._~!", true), "a+b*'()-._%7E%21");
  EXPECT_EQ(UrlEncode("Zz09", true), "Zz09");
  // The OCR client sends Base64 this way.
  EXPECT_EQ(UrlEncode("ab+/c=", true, true), "ab%2B%2Fc%3D");
}

TEST(UrlEncode, EncodesLettersAndDigitsByDefault) {
  EXPECT_EQ(UrlEncode("aZ 9"), "%61%5A+%39");
  EXPECT_EQ(UrlEncode("aZ 9", std::nullopt, false), "%61%5A+%39");
  EXPECT_EQ(UrlEncode("*", false), "%2A");
}

TEST(UrlEncode, DropsZeroBytesAndEncodesHighBytesInUpperCase) {
  EXPECT_EQ(UrlEncode("a\0b"sv, true), "ab");
  EXPECT_EQ(UrlEncode("\xD6\xD0\xCE\xC4", true), "%D6%D0%CE%C4");  // 中文 in GBK
  EXPECT_EQ(UrlEncode(std::string(10, '\xFF')).size(), 30u);
}

TEST(UrlEncode, EncodesTheUtf8FormWhenAsked) {
  EXPECT_EQ(UrlEncode("\xD6\xD0\xCE\xC4 x", true, true), "%E4%B8%AD%E6%96%87+x");
}

TEST(Utf8Conversion, RoundTripsGbkTextWithAsciiLookingTrailBytes) {
  // 中文, 誠 (D5 5C), 乗 (81 5C), 丄 (81 41)
  const std::string gbk = "\xD6\xD0\xCE\xC4\xD5\x5C\x81\x5C\x81\x41";
  const std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87\xE8\xAA\xA0\xE4\xB9\x97\xE4\xB8\x84";
  EXPECT_EQ(cp936::toUtf8(gbk), utf8);
  EXPECT_EQ(Utf8ToGbk(utf8), gbk);
  EXPECT_EQ(Utf8ToGbk("{\"words\":\"ok\"}"), "{\"words\":\"ok\"}");
}

TEST(Utf8Conversion, ReplacesWhatGbkLacks) {
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80z"), "a??z");  // an emoji: one "?" a UTF-16 unit
}

TEST(Md5Hex, MatchesTheRfcVectors) {
  EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234"
                   "567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5Hex, OffersUpperCaseAndTheMiddleSixteenDigits) {
  EXPECT_EQ(Md5Hex("abc", Md5Form::kUpper32), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(Md5Hex("abc", Md5Form::kMiddle16), "3cd24fb0d6963f7d");
}

TEST(Md5Hex, HashesZeroBytesAndHighBytes) {
  EXPECT_EQ(Md5Hex("\0"sv), "93b885adfe0da089cdf634904fd59f71");
  EXPECT_EQ(Md5Hex("\xFF"), "00594fd4f42ba43fc1ca0427a0576295");
}

TEST(HexEncode, WritesTwoUpperCaseDigitsPerByte) {
  EXPECT_EQ(HexEncode(""), "");
  EXPECT_EQ(HexEncode("\x00\x0F\xA0\xFF"sv), "000FA0FF");
}

TEST(HexDecode, ReadsPairsOfEitherCase) {
  EXPECT_EQ(HexDecode("000FA0ff"), "\x00\x0F\xA0\xFF"sv);
  EXPECT_EQ(HexDecode(HexEncode("any\0bytes\x80"sv)), "any\0bytes\x80"sv);
}

TEST(HexDecode, IgnoresATrailingSingleCharacter) {
  EXPECT_EQ(HexDecode("414"), "A");
  EXPECT_EQ(HexDecode("4"), "");
}

TEST(HexDecode, ReadsEachPairAsScanfWould) {
  // A pair that starts with something scanf cannot read as a number is skipped.
  EXPECT_EQ(HexDecode("G141x1zz  42"), "AB");
  // The second character stops the number when it is not a digit.
  EXPECT_EQ(HexDecode("4G"), "\x04");
  EXPECT_EQ(HexDecode("1x"), "\x01");
  // White space before a digit is skipped.
  EXPECT_EQ(HexDecode(" A\t7"), "\x0A\x07");
  // A sign is honoured and the low byte of the result kept.
  EXPECT_EQ(HexDecode("-1+F-F"), "\xFF\x0F\xF1");
  EXPECT_EQ(HexDecode("- +-"), "");
  // A "0x" prefix with no digit after it reads the 0.
  EXPECT_EQ(HexDecode("0x0X"), "\0\0"sv);
}

}  // namespace
}  // namespace net
