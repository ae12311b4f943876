// quorvix-cli's bank commands, run as a separate process the way a user or a script runs it.
#include <gtest/gtest.h>

#include "bank_test_support.h"

namespace {

using namespace banktest;

class BankCliTest : public ::testing::Test {
 protected:
  CommandRun cli(const std::string& args) {
    return runCommand(quoted(QUORVIX_CLI) + " --dir " + quoted(dir.path().string()) + " " + args +
                      " 2>" + quoted((dir / "stderr").string()));
  }
  std::string errors() { return fileBytes(dir / "stderr"); }
  std::filesystem::path bankFile(const char* name) {
    return dir.path() / std::filesystem::path(u8"题库") / name;
  }

  TempDir dir;
};

TEST_F(BankCliTest, CreateAddDumpInUtf8) {
  EXPECT_EQ(cli("create quiz").status, 0);
  EXPECT_EQ(cli("create quiz.edb").status, 256) << "an existing bank is never overwritten";
  EXPECT_EQ(cli("add quiz.edb '中国的首都是哪里？' '北京'").out, "1\n");
  EXPECT_EQ(
      cli("add quiz.edb " + quoted("line\none \"quoted\"") + " " + quoted("tab\there\x01")).out,
      "2\n");
  EXPECT_EQ(cli("banks").out, "quiz.edb\n");
  EXPECT_EQ(cli("dump quiz.edb --json").out,
            "{\"record\":1,\"serial\":1,\"question\":\"中国的首都是哪里？\",\"answer\":\"北京\"}\n"
            "{\"record\":2,\"serial\":2,\"question\":\"line\\none \\\"quoted\\\"\","
            "\"answer\":\"tab\\there\\u0001\"}\n");
  EXPECT_EQ(cli("dump quiz.edb").out,
            "1\t1\t中国的首都是哪里？\t北京\n2\t2\tline\\none \"quoted\"\ttab\\there\x01\n");
  // On disk the texts are GBK, as the oracle reads them.
  if (oracleAvailable()) {
    auto dump = oracle("dump " + quoted(bankFile("quiz.edb").string())).out;
    EXPECT_NE(dump.find("\"d6d0b9fab5c4cad7b6bccac7c4c4c0efa3bf\""), std::string::npos) << dump;
    EXPECT_EQ(oracle("check " + quoted(bankFile("quiz.edb").string())).status, 0);
  }
}

TEST_F(BankCliTest, DeleteClearRemove) {
  ASSERT_EQ(cli("create b").status, 0);
  for (const char* q : {"one", "two", "three"})
    ASSERT_EQ(cli(std::string("add b.edb ") + q + " x").status, 0);
  EXPECT_NE(cli("delete b.edb 4").status, 0);
  EXPECT_NE(errors().find("现行记录不存在"), std::string::npos) << errors();
  EXPECT_EQ(cli("delete b.edb 2").status, 0);
  EXPECT_EQ(cli("dump b.edb").out, "1\t1\tone\tx\n2\t3\tthree\tx\n");

  // A bank given by path works as well as one given by name.
  std::string byPath = quoted(bankFile("b.edb").string());
  EXPECT_EQ(cli("clear " + byPath).out, "题库 b.edb 已清空\n");
  EXPECT_EQ(cli("dump b.edb").out, "");
  EXPECT_EQ(fileBytes(bankFile("b.edb")).size(), 260u);
  EXPECT_EQ(cli("remove b.edb").status, 0);
  EXPECT_EQ(cli("banks").out, "");
  EXPECT_NE(cli("remove b.edb").status, 0);
}

TEST_F(BankCliTest, FailuresGoToStandardErrorWithTheEngineText) {
  EXPECT_NE(cli("dump missing.edb").status, 0);
  EXPECT_NE(errors().find("指定文件未找到"), std::string::npos) << errors();
  std::filesystem::create_directories(bankFile(""));
  writeBytes(bankFile("junk.edb"), std::string(300, 'j'));
  EXPECT_NE(cli("add junk.edb q a").status, 0);
  EXPECT_NE(errors().find("指定文件不是数据库文件"), std::string::npos) << errors();
  EXPECT_EQ(cli("banks").out, "junk.edb\n");
  EXPECT_EQ(cli("add").status, 512);  // usage
}

TEST_F(BankCliTest, SearchPrintsWhatTheFormShows) {
  ASSERT_EQ(cli("create s").status, 0);
  ASSERT_EQ(cli("add s.edb '中国的首都是哪里？' '北京'").status, 0);
  ASSERT_EQ(cli("add s.edb 'Capital of China' 'Beijing'").status, 0);
  ASSERT_EQ(cli("add s.edb '首都机场' 'PEK'").status, 0);
  EXPECT_EQ(cli("search s.edb 首都").out,
            "1\t中国的首都是哪里？\t北京\n3\t首都机场\tPEK\n【当前结果/总结果数】：1/2\n");
  EXPECT_EQ(cli("search s.edb China --json").out,
            "{\"record\":2,\"serial\":2,\"question\":\"Capital of China\",\"answer\":"
            "\"Beijing\",\"match\":\"exact\",\"score\":1}\n"
            "{\"status\":\"【当前结果/总结果数】：1/1\"}\n");
  // No question holds the keyword as typed: the most similar ones stand in and say so.
  EXPECT_EQ(cli("search s.edb china --json").out,
            "{\"record\":2,\"serial\":2,\"question\":\"Capital of China\",\"answer\":"
            "\"Beijing\",\"match\":\"similar\",\"score\":1}\n"
            "{\"status\":\"【相似结果/总结果数】：1/1\"}\n");
  EXPECT_EQ(cli("search s.edb 月球的背面 --json").out,
            "{\"status\":\"【当前结果/总结果数】：0/0\"}\n");
  // --similar asks for them even where questions hold the keyword: best first, with scores.
  std::string similar = cli("search s.edb '中国的首都是哪里' --similar").out;
  EXPECT_EQ(similar.rfind("1\t中国的首都是哪里？\t北京\t1\n", 0), 0u) << similar;
  EXPECT_NE(similar.find("【相似结果/总结果数】：1/"), std::string::npos) << similar;
  EXPECT_EQ(cli("search s.edb 首都 --similar --json").out.find("\"match\":\"exact\""),
            std::string::npos);
  EXPECT_EQ(cli("search s.edb '  ' --json").out, "{\"status\":\"搜索内容为空！\"}\n");
  CommandRun missing = cli("search gone.edb x");
  EXPECT_NE(missing.status, 0);
  EXPECT_EQ(missing.out, "题库打开失败，请重试！\n");
}

}  // namespace
