// The answer form's date: asked of a web server on a worker thread, so the form shows at once;
// the local clock's when no server answers.
#pragma once
#include <memory>
#include <mutex>

#include "app/controllers/shell_services.h"

namespace app {

class NetworkDateController final : public DateServices {
 public:
  NetworkDateController();
  // Workers still asking find nothing to post to once this is gone.
  ~NetworkDateController() override;

  void fetchNetworkDate(AnswerForm& form, std::function<void(const DateReading&)> arrived) override;

 private:
  struct Gate {
    std::mutex mutex;
    bool open = true;
  };
  std::shared_ptr<Gate> gate_;
};

}  // namespace app
