#include "json/script_engine.h"

#include <gtest/gtest.h>

#include "json/engine_text.h"

namespace json {
namespace {

TEST(EngineText, EncodesEachUtf16UnitOnItsOwn) {
  EXPECT_EQ(toEngineBytes(u"a\u00E9\u8AA0\u2400"), "a\xC3\xA9\xE8\xAA\xA0\xE2\x90\x80");
  EXPECT_EQ(toEngineBytes(u"\U0001F600"), "\xED\xA0\xBD\xED\xB8\x80");  // as two surrogates
  EXPECT_EQ(toEngineBytes(std::u16string(1, u'\0')), std::string(1, '\0'));
}

TEST(EngineText, DecodesWhatItEncodes) {
  std::u16string every;
  for (unsigned unit = 0; unit <= 0xFFFF; ++unit) every += char16_t(unit);
  EXPECT_EQ(fromEngineBytes(toEngineBytes(every)), every);
  EXPECT_EQ(fromEngineBytes("\xF0\x9F\x98\x80"), u"\U0001F600");
}

TEST(EngineText, TurnsMalformedBytesIntoReplacementCharacters) {
  EXPECT_EQ(fromEngineBytes("\x80x"), u"\uFFFDx");
  EXPECT_EQ(fromEngineBytes("\xC0\xAF"), u"\uFFFD\uFFFD");                      // overlong
  EXPECT_EQ(fromEngineBytes("\xE8\xAA"), u"\uFFFD\uFFFD");                      // cut short
  EXPECT_EQ(fromEngineBytes("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
  EXPECT_EQ(fromEngineBytes("\xFF"), u"\uFFFD");
}

TEST(ScriptEngine, ConvertsResultsAsAsked) {
  auto engine = ScriptEngine::Create();
  ASSERT_TRUE(engine);
  EXPECT_EQ(engine->EvalText(u"'\u8AA0' + 1"), u"\u8AA01");
  EXPECT_EQ(engine->EvalText(u"1.5"), u"1.5");
  EXPECT_EQ(engine->EvalText(u"undefined"), std::nullopt);
  EXPECT_EQ(engine->EvalNumber(u"'12'"), 12);
  EXPECT_EQ(engine->EvalNumber(u"'twelve'"), 0);
  EXPECT_EQ(engine->EvalNumber(u"true"), 1);
  EXPECT_EQ(engine->EvalNumber(u"({})"), 0);
  EXPECT_TRUE(engine->EvalBool(u"'x'"));
  EXPECT_FALSE(engine->EvalBool(u"''"));
  EXPECT_FALSE(engine->EvalBool(u"missing"));
}

TEST(ScriptEngine, ReportsScriptErrors) {
  auto engine = ScriptEngine::Create();
  ASSERT_TRUE(engine);
  EXPECT_FALSE(engine->AddCode(u"var a = 1;\r\nvar b = ;\r\n"));
  ScriptErrorInfo error = engine->LastError();
  EXPECT_EQ(error.source, "SyntaxError");
  EXPECT_EQ(error.line, 2);
  EXPECT_EQ(error.text, "var b = ;");
  EXPECT_NE(error.description, "");

  EXPECT_FALSE(engine->Run(u"missing.member"));
  EXPECT_EQ(engine->LastError().source, "ReferenceError");
  EXPECT_EQ(engine->LastError().text, "");

  EXPECT_FALSE(engine->Run(u"throw 'plain text'"));
  EXPECT_NE(engine->LastError().number, 0);
  EXPECT_EQ(engine->LastError().description, "plain text");

  // Even an error whose properties throw is caught and reported.
  EXPECT_FALSE(engine->Run(u"throw { get name() { throw 1 }, get message() { throw 2 } }"));
  EXPECT_NE(engine->LastError().number, 0);

  EXPECT_TRUE(engine->Run(u"1"));
  EXPECT_EQ(engine->LastError().number, 0);
}

TEST(ScriptEngine, PlacesJsonErrorsByCharacter) {
  auto engine = ScriptEngine::Create();
  ASSERT_TRUE(engine);
  // Two-byte and three-byte characters before the fault count as one column each.
  EXPECT_FALSE(engine->ParseJsonInto("v", u"[\"\u00E9\u8AA0\",\n \"\u8AA0\" x]"));
  EXPECT_EQ(engine->LastError().line, 2);
  EXPECT_EQ(engine->LastError().column, 6);
  EXPECT_FALSE(engine->ParseJsonInto("v", u"[1,"));
  EXPECT_EQ(engine->LastError().line, 1);
  EXPECT_TRUE(engine->ParseJsonInto("v", u"[1]"));
  EXPECT_EQ(engine->EvalText(u"String(v)"), u"1");
}

TEST(ScriptEngine, RefusesToStartWithoutEnoughMemory) {
  EXPECT_EQ(ScriptEngine::Create(4096), nullptr);
}

}  // namespace
}  // namespace json
