// Owner-data lists on both backends: the list shows the rows its source keeps, reads each cell
// as it draws it, and keeps its columns and a sane selection as the rows come and go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "platform/cp936.h"
#include "test_form.h"

namespace {

using uitest::TestForm;

std::string gbk(std::string_view utf8) { return cp936::fromUtf8(utf8); }

// Rows computed from their number, as a controller's model would answer; it counts the reads.
class NumberedRows final : public ui::ListRowSource {
 public:
  std::string cellText(int row, int column) const override {
    ++reads;
    if (row == changedRow) return changedText;
    // 誠 and 乗 carry '\' as their trail byte.
    return column == 0 ? std::to_string(row + 1) : gbk("誠乗题") + std::to_string(row);
  }
  mutable int reads = 0;
  int changedRow = -1;
  std::string changedText;
};

class OwnerData : public ::testing::Test {
 protected:
  std::unique_ptr<conformance::Harness> harness = conformance::makeHarness();
  conformance::Harness& user = *harness;
  NumberedRows rows;
};

TEST_F(OwnerData, TheListShowsTheSourcesRowsUnderItsColumnsAndHoldsNoneItself) {
  // The owner may name its rows before the window exists.
  auto& form = ui::load<TestForm>([&](TestForm& f) {
    f.列表2.setRowSource(&rows);
    f.列表2.setRowCount(50000);
  });
  ui::ListView& list = form.列表2;
  ASSERT_TRUE(list.ownerData());
  EXPECT_EQ(list.rowCount(), 50000);
  EXPECT_EQ(list.columnCount(), 2);
  EXPECT_EQ(list.columnTitle(1), gbk("题目"));
  EXPECT_EQ(list.columnWidth(1), 200);
  EXPECT_EQ(list.cell(0, 0), "1");
  EXPECT_EQ(list.cell(49999, 1), gbk("誠乗题49999"));
  EXPECT_EQ(list.cell(50000, 1), "");
  EXPECT_EQ(list.cell(7, 2), "") << "no such column";

  // The rows are the source's: the list's own row operations leave them alone.
  EXPECT_EQ(list.appendRow(), -1);
  list.setCell(3, 1, "x");
  list.deleteRow(3);
  list.deleteAllRows();
  EXPECT_EQ(list.rowCount(), 50000);
  EXPECT_EQ(list.cell(3, 1), gbk("誠乗题3"));

  rows.changedRow = 3;
  rows.changedText = gbk("改过的题目");
  list.rowsChanged(3, 3);
  EXPECT_EQ(list.cell(3, 1), gbk("改过的题目"));
  list.rowsChanged(-5, 90000);  // clipped to the rows there are

  list.addColumn(gbk("答案"), 120);
  EXPECT_EQ(list.cell(9, 2), gbk("誠乗题9"));

  list.setRowSource(nullptr);
  EXPECT_EQ(list.cell(9, 1), "");
  EXPECT_EQ(list.rowCount(), 50000);
}

TEST_F(OwnerData, TheSelectionKeepsItsRowWhileItExistsAndNeverReportsTheProgramsChanges) {
  auto& form = ui::load<TestForm>();
  ui::ListView& list = form.列表2;
  int reports = 0;
  list.onSelectionChanged = [&] { ++reports; };
  list.setRowSource(&rows);
  list.setRowCount(10);
  list.selectRow(5);
  list.setRowCount(20);
  EXPECT_EQ(list.selectedRow(), 5);
  list.setRowCount(6);
  EXPECT_EQ(list.selectedRow(), 5);
  list.setRowCount(5);
  EXPECT_EQ(list.selectedRow(), -1);
  list.setRowCount(10);
  EXPECT_EQ(list.selectedRow(), -1) << "a dropped selection does not come back with its row";
  list.selectRow(12);
  EXPECT_EQ(list.selectedRow(), -1);
  EXPECT_EQ(reports, 0);

  user.selectRow(list, 2);
  EXPECT_EQ(list.selectedRow(), 2);
  EXPECT_EQ(reports, 1);
  list.setRowCount(0);
  EXPECT_EQ(list.selectedRow(), -1);
  EXPECT_EQ(reports, 1);
}

}  // namespace
