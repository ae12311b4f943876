#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "json/json_object.h"
#include "json/script_engine.h"

namespace json {
namespace {

TEST(JsonObjectWrite, StoresTextsWithQuotesAndLineBreaksUnchanged) {
  JsonObject json;
  const std::string text = "a'b\"c\r\nd";
  ASSERT_TRUE(json.SetValue("t", text));
  EXPECT_EQ(json.GetValue("t"), text);
  EXPECT_EQ(json.ToText(), R"({"t":"a'b\"c\r\nd"})");
}

TEST(JsonObjectWrite, ReportsStoringAnEmptyTextAsFalse) {
  JsonObject json;
  EXPECT_FALSE(json.SetValue("t", ""));
  EXPECT_EQ(json.GetType("t"), kJsonString);
  EXPECT_TRUE(json.SetValue("t", "0"));
}

// A backslash stored as text is held by a stand-in character inside the engine. It comes back
// as itself from GetValue and escaped in JSON, so the JSON stays valid.
TEST(JsonObjectWrite, GivesBackStoredBackslashesAndKeepsJsonValid) {
  JsonObject json;
  ASSERT_TRUE(json.SetValue("p", "C:\\dir\\n"));
  EXPECT_EQ(json.GetValue("p"), "C:\\dir\\n");
  EXPECT_EQ(json.GetValue("p", true), R"("C:\\dir\\n")");
  EXPECT_EQ(json.GetJson("p"), R"("C:\\dir\\n")");
  EXPECT_EQ(json.ToText(), R"({"p":"C:\\dir\\n"})");
  JsonObject reread;
  ASSERT_TRUE(reread.Parse(json.ToText()));
  EXPECT_EQ(reread.GetValue("p"), "C:\\dir\\n");
  EXPECT_EQ(json.GetObject("").GetValue("p"), "C:\\dir\\n");
}

TEST(JsonObjectWrite, TreatsParsedBackslashesAlike) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"p":"a\\b","q":"\u0041"})"));
  EXPECT_EQ(json.GetValue("p"), "a\\b");
  EXPECT_EQ(json.ToText(), R"({"p":"a\\b","q":"A"})");
}

// 誠 (D5 5C) and 乗 (81 5C) end in a byte that looks like a backslash; 丄 (81 41) in an "A".
TEST(JsonObjectWrite, RoundTripsGbkTextWithAsciiLookingTrailBytes) {
  const std::string text = "\xD5\x5C\x81\x5C\x81\x41'\xD6\xD0";
  JsonObject json;
  ASSERT_TRUE(json.SetValue("t", text));
  EXPECT_EQ(json.GetValue("t"), text);
  EXPECT_EQ(json.ToText(), "{\"t\":\"" + text + "\"}");
  ASSERT_TRUE(json.Parse("{\"\xD5\x5C\":\"\x81\x5C\"}"));
  EXPECT_EQ(json.GetValue("\xD5\x5C"), "\x81\x5C");
  EXPECT_TRUE(json.AddToArray("\x81\x5C", "a"));
  EXPECT_EQ(json.GetItem(0, "a"), "\x81\x5C");
}

TEST(JsonObjectWrite, NeverLetsATextValueBecomeScript) {
  JsonObject json;
  for (const char* text :
       {"x'; da.pwned = 1; '", "\x81'; da.pwned = 1; '", "\\'; da.pwned = 1; '"}) {
    json.SetValue("t", text);
    json.AddToArray(text, "a");
    json.SetItem(0, "a", text);
    EXPECT_FALSE(json.Exists("pwned")) << text;
  }
  ASSERT_TRUE(json.AddToArray("it's", "quoted"));
  EXPECT_EQ(json.GetItem(0, "quoted"), "it's");
}

TEST(JsonObjectWrite, MergesJsonIntoAnExistingObject) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"o":{"a":1},"s":"text"})"));
  EXPECT_TRUE(json.SetValue("o", R"({"b":2})", true));
  EXPECT_EQ(json.GetJson("o"), R"({"a":1,"b":2})");
  EXPECT_TRUE(json.SetValue("new", R"({"b":2})", true));
  EXPECT_EQ(json.GetJson("new"), R"({"b":2})");
  EXPECT_TRUE(json.SetValue("s", "[1,2]", true));
  EXPECT_EQ(json.GetJson("s"), "[1,2]");
  EXPECT_TRUE(json.SetValue("empty", "", true));
  EXPECT_EQ(json.GetJson("empty"), "{}");
}

TEST(JsonObjectWrite, MergesOverNumbersAndNullsWithoutStoppingHalfWay) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"o":{"a":"x","n":1,"z":null,"d":{"k":1}}})"));
  EXPECT_TRUE(json.SetValue("o", R"({"a":"y","n":2,"z":{"q":0},"d":{"m":2},"c":3})", true));
  EXPECT_EQ(json.GetJson("o"), R"({"a":"y","n":2,"z":{"q":0},"d":{"k":1,"m":2},"c":3})");
}

TEST(JsonObjectWrite, AddsToArraysAndReplacesWhatIsNotOne) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"s":"not an array","a":[1]})"));
  EXPECT_TRUE(json.AddToArray("v", "s"));
  EXPECT_EQ(json.GetJson("s"), R"(["v"])");
  EXPECT_TRUE(json.AddToArray("{\"k\":0}", "a", true));
  EXPECT_TRUE(json.AddToArray("0", "a", true, true));
  EXPECT_EQ(json.GetJson("a"), R"([0,1,{"k":0}])");
  EXPECT_TRUE(json.AddToArray("x", "missing"));
  EXPECT_EQ(json.GetCount("missing"), 1);
}

TEST(JsonObjectWrite, ChangesItemsAndMembers) {
  JsonObject json;
  ASSERT_TRUE(json.Parse(R"({"a":[1,2,3],"o":{"k":1}})"));
  EXPECT_TRUE(json.SetItem(1, "a", "two"));
  EXPECT_TRUE(json.SetItem(2, "a", "{\"x\":3}", true));
  EXPECT_EQ(json.GetJson("a"), R"([1,"two",{"x":3}])");
  EXPECT_TRUE(json.RemoveItem(0, "a"));
  EXPECT_EQ(json.GetJson("a"), R"(["two",{"x":3}])");
  EXPECT_TRUE(json.Delete("o.k"));
  EXPECT_EQ(json.GetJson("o"), "{}");
  EXPECT_FALSE(json.Delete("da.o.missing.deeper"));
  EXPECT_TRUE(json.SetExpression("e", "1 + 2"));
  EXPECT_EQ(json.GetNumber("e"), 3);
  json.Clear();
  EXPECT_EQ(json.ToText(), "{}");
}

TEST(JsonObjectWrite, WritesNumbersWithThirteenDigits) {
  JsonObject json;
  EXPECT_TRUE(json.SetNumber("n", 0.1 + 0.2));
  EXPECT_EQ(json.GetValue("n"), "0.3");
  EXPECT_TRUE(json.SetNumber("big", 1e300));
  EXPECT_EQ(json.GetNumber("big"), 1e300);
  EXPECT_FALSE(json.SetNumber("zero", 0));
  EXPECT_EQ(json.GetNumber("zero"), 0);
  EXPECT_TRUE(json.SetNumber("neg", -2.5));
  EXPECT_EQ(json.GetJson("neg"), "-2.5");
  EXPECT_TRUE(json.SetValue("text", "12"));
  EXPECT_EQ(json.GetNumber("text"), 12);
  EXPECT_TRUE(json.SetValue("word", "twelve"));
  EXPECT_EQ(json.GetNumber("word"), 0);
}

TEST(JsonObjectLimits, StopsScriptThatRunsTooLong) {
  JsonObject json;
  json.GetEngine()->SetTimeLimit(std::chrono::milliseconds(100));
  EXPECT_FALSE(json.SetExpression("x", "(function () { for (;;) {} })()"));
  EXPECT_TRUE(json.SetNumber("y", 1));
  EXPECT_EQ(json.ToText(), R"({"y":1})");
}

TEST(JsonObjectLimits, StopsScriptThatTakesTooMuchMemory) {
  JsonObject json;
  EXPECT_FALSE(json.SetExpression("x", "(function () { var s = 'x'; for (;;) s += s; })()"));
  EXPECT_FALSE(json.SetExpression("x", "(function () { var a = []; for (;;) a.push({}); })()"));
  EXPECT_TRUE(json.SetNumber("y", 1));
  EXPECT_EQ(json.ToText(), R"({"y":1})");
}

}  // namespace
}  // namespace json
