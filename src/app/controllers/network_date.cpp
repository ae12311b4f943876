#include "app/controllers/network_date.h"

#include <thread>
#include <utility>

#include "app/controllers/local_date.h"
#include "net/network_date.h"
#include "ui/toolkit.h"

namespace app {

NetworkDateController::NetworkDateController() : gate_(std::make_shared<Gate>()) {}

NetworkDateController::~NetworkDateController() {
  std::lock_guard lock(gate_->mutex);
  gate_->open = false;
}

void NetworkDateController::fetchNetworkDate(AnswerForm& form,
                                             std::function<void(const DateReading&)> arrived) {
  // Never waited for: a program that ends first simply drops the answer.
  std::thread([gate = gate_, handle = form.handle(), arrived = std::move(arrived)] {
    const net::NetworkDate answer = net::FetchNetworkDate();
    DateReading reading{answer.date, answer.answered()};
    if (!reading.fromServer) reading.date = currentVariantDateUtc8();
    // The gate only keeps the toolkit from going away during the post, which never waits.
    std::lock_guard lock(gate->mutex);
    if (gate->open) ui::post(handle, [arrived, reading] { arrived(reading); });
  }).detach();
}

}  // namespace app
