// The answer form's date: asked of a web server on a worker thread, so the form shows at once;
// the local clock's when no server answers.
#pragma once
#include "app/controllers/shell_services.h"
#include "platform/worker.h"

namespace app {

class NetworkDateController final : public DateServices {
 public:
  void fetchNetworkDate(AnswerForm& form, std::function<void(const DateReading&)> arrived) override;

 private:
  // Workers still asking find nothing to post to once this is gone.
  platform::OneShots workers_;
};

}  // namespace app
