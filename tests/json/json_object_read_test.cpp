#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json/json_object.h"
#include "json/script_engine.h"

namespace json {
namespace {

using Strings = std::vector<std::string>;

JsonObject parsed(std::string_view text) {
  JsonObject json;
  EXPECT_TRUE(json.Parse(text)) << text;
  return json;
}

TEST(JsonObjectRead, ReadsARecognitionReply) {
  JsonObject reply =
      parsed(R"({"log_id":1,"words_result":[{"words":"a"},{"words":"b"}],"words_result_num":2})");
  EXPECT_EQ(reply.GetCount("words_result"), 2);
  EXPECT_EQ(reply.GetValue("words_result[1].words"), "b");
  EXPECT_EQ(reply.GetValue("words_result[0].words"), "a");
  EXPECT_EQ(reply.GetNumber("words_result_num"), 2);
  EXPECT_EQ(reply.GetValue("log_id"), "1");
  EXPECT_TRUE(reply.Exists("words_result"));
  EXPECT_FALSE(reply.Exists("error_code"));
  EXPECT_EQ(reply.GetValue("error_msg"), "");
}

TEST(JsonObjectRead, CountsOnlyArrays) {
  JsonObject json = parsed(R"({"o":{"length":3},"s":"abc","a":[],"n":null})");
  EXPECT_EQ(json.GetCount("o"), 0);
  EXPECT_EQ(json.GetCount("s"), 0);
  EXPECT_EQ(json.GetCount("missing"), 0);
  EXPECT_EQ(json.GetCount("n"), 0);
  EXPECT_EQ(json.GetCount("a"), 0);
  EXPECT_EQ(json.GetCount("missing.deeper"), 0);
}

TEST(JsonObjectRead, TellsTypes) {
  JsonObject json = parsed(R"({"b":false,"n":0,"o":{},"a":[1],"s":"","z":null})");
  EXPECT_EQ(json.GetType("b"), kJsonBoolean);
  EXPECT_EQ(json.GetType("n"), kJsonNumber);
  EXPECT_EQ(json.GetType("o"), kJsonObject);
  EXPECT_EQ(json.GetType("a"), kJsonArray);
  EXPECT_EQ(json.GetType("a[0]"), kJsonNumber);
  EXPECT_EQ(json.GetType("s"), kJsonString);
  EXPECT_EQ(json.GetType("z"), kJsonMissing);
  EXPECT_EQ(json.GetType("missing"), kJsonMissing);
  EXPECT_EQ(json.GetType("missing.deeper"), kJsonMissing);
  EXPECT_EQ(json.GetType(""), kJsonObject);
  ASSERT_TRUE(json.SetExpression("f", "function () {}"));
  EXPECT_EQ(json.GetType("f"), kJsonUnknown);
}

TEST(JsonObjectRead, GivesValuesAsTextOrJson) {
  JsonObject json = parsed(R"({"s":"x\"y","n":1.5,"t":true,"a":[1,"2"],"o":{"k":"v"}})");
  EXPECT_EQ(json.GetValue("s"), "x\"y");
  EXPECT_EQ(json.GetValue("s", true), R"("x\"y")");
  EXPECT_EQ(json.GetValue("n"), "1.5");
  EXPECT_EQ(json.GetValue("t"), "true");
  EXPECT_EQ(json.GetValue("a"), "1,2");
  EXPECT_EQ(json.GetValue("a", true), R"([1,"2"])");
  EXPECT_EQ(json.GetJson("o"), R"({"k":"v"})");
  EXPECT_EQ(json.GetValue("", true), json.ToText());
  EXPECT_EQ(json.ToText(), R"({"s":"x\"y","n":1.5,"t":true,"a":[1,"2"],"o":{"k":"v"}})");
  EXPECT_EQ(json.GetItem(1, "a"), "2");
  EXPECT_EQ(json.GetItem(0, "a", true), "1");
  EXPECT_EQ(json.GetItem(5, "a", true), "");
}

TEST(JsonObjectRead, KeepsTheRootNameQuirkOfQualifyPath) {
  JsonObject json = parsed(R"({"x":1,"dance":2})");
  std::string path = "da.x";
  EXPECT_TRUE(json.QualifyPath(path));
  EXPECT_EQ(path, "da.x");
  path = "da.y";  // missing: prefixed once more, and still missing
  EXPECT_FALSE(json.QualifyPath(path));
  EXPECT_EQ(path, "da.da.y");
  path = "dance";  // starts with "da" byte for byte, but is a member
  EXPECT_TRUE(json.QualifyPath(path));
  EXPECT_EQ(path, "da.dance");
  path = "[0]";
  EXPECT_FALSE(json.QualifyPath(path));
  EXPECT_EQ(path, "da[0]");
  path = "";
  EXPECT_TRUE(json.QualifyPath(path));
  EXPECT_EQ(path, "da");
  EXPECT_EQ(json.GetValue("da.x"), "1");
}

TEST(JsonObjectRead, ListsMemberNames) {
  JsonObject json = parsed(R"({"a":1,"b":{"c":2},"d":[3]})");
  Strings names{"stale"};
  EXPECT_EQ(json.GetNames(names, ""), 3);
  EXPECT_EQ(names, (Strings{"a", "b", "d"}));
  EXPECT_EQ(json.GetNames(names, "b"), 1);
  EXPECT_EQ(names, (Strings{"c"}));
  EXPECT_EQ(json.GetNames(names, "d"), 0);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(json.GetNames(names, "missing"), 0);
}

TEST(JsonObjectRead, CollectsValues) {
  JsonObject json = parsed(R"({"a":1,"b":{"c":"x","d":[true,null]},"e":"y"})");
  Strings values{"stale"};
  EXPECT_EQ(json.GetAllValues(values, "", true), 4);
  EXPECT_EQ(values, (Strings{"1", "x", "true", "y"}));
  EXPECT_EQ(json.GetAllValues(values, "", false), 2);
  EXPECT_EQ(values, (Strings{"1", "y"}));
  EXPECT_EQ(json.GetAllValues(values, "missing", true), 0);
  EXPECT_TRUE(values.empty());
}

TEST(JsonObjectRead, GivesObjectsWithAnEngineOfTheirOwn) {
  JsonObject json = parsed(R"({"o":{"k":"v"},"a":[{"i":0},{"i":1}]})");
  JsonObject member = json.GetObject("o");
  EXPECT_EQ(member.ToText(), R"({"k":"v"})");
  EXPECT_NE(member.GetEngine(), json.GetEngine());
  ASSERT_TRUE(member.SetValue("k", "changed"));
  EXPECT_EQ(json.GetValue("o.k"), "v");

  JsonObject item = json.GetItemObject(1, "a");
  EXPECT_EQ(item.GetValue("i"), "1");
  EXPECT_EQ(json.GetItemObject(7, "a").GetType(""), kJsonMissing);

  JsonObject copy = json.Copy();
  EXPECT_EQ(copy.GetEngine(), json.GetEngine());
  ASSERT_TRUE(copy.SetValue("o.k", "shared"));
  EXPECT_EQ(json.GetValue("o.k"), "shared");
}

TEST(JsonObjectParse, StartsEachParseOnAFreshEngine) {
  JsonObject json = parsed(R"({"a":1})");
  const auto first = json.GetEngine();
  JsonObject copy = json.Copy();
  EXPECT_TRUE(json.Parse(R"({"b":2})"));
  EXPECT_NE(json.GetEngine(), first);
  EXPECT_EQ(json.ToText(), R"({"b":2})");
  EXPECT_EQ(copy.ToText(), R"({"a":1})");
}

TEST(JsonObjectParse, ReportsInvalidJsonWithItsPlace) {
  JsonObject json;
  ScriptErrorInfo error;
  error.helpFile = "stale";
  EXPECT_FALSE(json.Parse("{\"a\":\n  [1,2,]}", std::nullopt, &error));
  EXPECT_NE(error.number, 0);
  EXPECT_EQ(error.source, "SyntaxError");
  EXPECT_NE(error.description, "");
  EXPECT_EQ(error.helpFile, "");
  EXPECT_EQ(error.line, 2);
  EXPECT_EQ(error.column, 8);
  EXPECT_EQ(error.text, "  [1,2,]}");

  EXPECT_TRUE(json.Parse("[1]", false, &error));
  EXPECT_EQ(error.number, 0);
  EXPECT_EQ(error.description, "");

  error.description = "kept";
  EXPECT_FALSE(json.Parse("{", true, &error, false));
  EXPECT_EQ(error.description, "kept");
}

TEST(JsonObjectParse, AcceptsOnlyJsonThatIsNotNull) {
  JsonObject json;
  for (const char* text : {"", "null", "{'a':1}", "{a:1}", "[1,]", "01", "\"\\x41\"", "{\"a\":1} x",
                           "undefined", "NaN", "[\"tab\there\"]"}) {
    EXPECT_FALSE(json.Parse(text)) << text;
    EXPECT_FALSE(json.Parse(text, true)) << text;
  }
  for (const char* text : {"{}", "[]", "0", "false", "\"s\"", " \r\n\t{\"a\" : [ ] } "})
    EXPECT_TRUE(json.Parse(text)) << text;
}

// Each of these would leave a trace in the engine if the reply were run as script.
TEST(JsonObjectParse, NeverRunsTheReply) {
  JsonObject json;
  for (const char* reply : {R"({"a":1}; var pwned = 1)", R"({"a": (pwned = 1)})",
                            R"((function () { pwned = 1; return {"a": 1} })())",
                            R"({"a": eval("pwned = 1")})", "pwned = {}"}) {
    for (bool asExpression : {false, true}) {
      EXPECT_FALSE(json.Parse(reply, asExpression)) << reply;
      EXPECT_EQ(json.GetEngine()->EvalText(u"typeof pwned"), u"undefined") << reply;
    }
  }
  // A reply that would never end if it ran.
  EXPECT_FALSE(json.Parse("(function () { for (;;) {} })()"));
}

TEST(JsonObjectParse, SurvivesHostileReplies) {
  JsonObject json;
  const std::string deep(100000, '[');
  EXPECT_FALSE(json.Parse(deep + std::string(100000, ']')));
  EXPECT_FALSE(json.Parse(std::string("{\"a\":\"") + std::string(1000, '\\')));
  EXPECT_TRUE(json.Parse(R"({"__proto__":{"x":1},"toString":2,"constructor":"c"})"));
  EXPECT_EQ(json.GetValue("toString"), "2");
  EXPECT_EQ(json.GetType("x"), kJsonMissing);
  EXPECT_EQ(json.GetValue("__proto__.x"), "1");
  // Still usable after the failures above.
  EXPECT_TRUE(json.Parse("[[[1]]]"));
  EXPECT_EQ(json.GetValue("[0][0][0]"), "1");
}

}  // namespace
}  // namespace json
