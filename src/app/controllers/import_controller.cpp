#include "app/controllers/import_controller.h"

#include "app/controllers/import_session.h"

namespace app {
namespace {

void showTargetControl(ImportForm& form, bool existingBank) {
  form.组合框1.setVisible(existingBank);
  form.编辑框1.setVisible(!existingBank);
}

}  // namespace

void ImportController::wireImportForm(ImportForm& form) {
  form.单选框1.onClick = [&form] { showTargetControl(form, true); };
  form.单选框2.onClick = [&form] { showTargetControl(form, false); };
  form.按钮_清空数据库.onClick = [this, &form] { banks_.clearBank(form.组合框1); };
  ImportSession::attach(form, banks_, work_);
}

}  // namespace app
