// An answer form over the headless toolkit, searching a real bank in a fresh folder through
// the bank worker, as the program does once the bank chooser has opened the bank.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "../../bank/bank_test_support.h"
#include "app/controllers/answer_options.h"
#include "app/controllers/search_session.h"
#include "bank/question_bank.h"
#include "platform/cp936.h"
#include "ui/headless/session.h"

namespace answertest {

inline std::string gbk(std::string_view utf8) { return cp936::fromUtf8(utf8); }

using Pairs = std::vector<std::pair<std::string, std::string>>;  // UTF-8 question, answer

class AnswerFormTest : public ::testing::Test {
 protected:
  ~AnswerFormTest() override {
    ui::uninstall();  // forms first, while the worker and the bank still exist
  }

  void makeBank(const Pairs& pairs) {
    ASSERT_TRUE(database.createDatabase(path, bank::bankSchema()));
    ASSERT_TRUE(database.openDatabase(path));
    for (const auto& [q, a] : pairs) ASSERT_TRUE(database.addRecord({gbk(q), gbk(a)}));
    database.closeDatabase();
  }

  // As 按钮_开始考试 and the AnswerForm start leave it: the bank open, its count loaded.
  app::AnswerForm& openForm(const Pairs& pairs) {
    makeBank(pairs);
    EXPECT_TRUE(database.openDatabase(path));
    app::AnswerForm& loaded = ui::load<app::AnswerForm>([this](app::AnswerForm& f) {
      session = app::SearchSession::attach(f, {shared, worker, [this] { return path; }});
      app::attachFormOptions(f);
      f.onCreated = [this] { session->loadRecordCount(); };
    });
    form = &loaded;
    settle();
    return loaded;
  }

  // Lets the bank worker finish and its results reach the form.
  void settle() {
    ASSERT_TRUE(backend.runUntil([this] { return worker.idle(); }));
    backend.runPending();
  }

  void searchFor(std::string_view utf8) { searchBytes(gbk(utf8)); }
  void searchBytes(const std::string& keyword) {
    backend.type(form->编辑框1, keyword);
    backend.keyDown(*form, 0x0D);
    settle();
  }

  std::vector<std::string> column(int col) {
    std::vector<std::string> cells;
    auto& list = form->超级列表框_题库;
    for (int row = 0; row < list.rowCount(); ++row)
      cells.push_back(cp936::toUtf8(list.cell(row, col)));
    return cells;
  }

  std::string status() { return cp936::toUtf8(form->状态条1.sectionText(1)); }
  std::string question() { return cp936::toUtf8(form->编辑框2.content()); }
  std::string answerText() { return cp936::toUtf8(form->编辑框3.content()); }
  std::string countLine() { return cp936::toUtf8(form->透明标签1.caption()); }

  bool bankOpen() {
    return shared.use([this](bank::RecordDatabase& db) { return db.isOpen(path); });
  }

  banktest::TempDir temp;
  std::filesystem::path path = temp / "bank.edb";
  bank::RecordDatabase database;
  search::SharedBank shared{database};
  ui::headless::Session ui;
  ui::headless::HeadlessBackend& backend = ui.backend();
  search::BankWorker worker;  // after the toolkit: stops before it goes
  std::shared_ptr<app::SearchSession> session;
  app::AnswerForm* form = nullptr;
};

}  // namespace answertest
