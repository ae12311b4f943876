#include "app/controllers/network_date.h"

#include <utility>

#include "app/controllers/local_date.h"
#include "net/network_date.h"
#include "ui/toolkit.h"

namespace app {

void NetworkDateController::fetchNetworkDate(AnswerForm& form,
                                             std::function<void(const DateReading&)> arrived) {
  auto fetch = [gate = workers_.gate(), handle = form.handle(), arrived = std::move(arrived)] {
    const net::NetworkDate answer = net::FetchNetworkDate();
    DateReading reading{answer.date, answer.answered()};
    if (!reading.fromServer) reading.date = currentVariantDateUtc8();
    ui::post(*gate, handle, [arrived, reading] { arrived(reading); });
  };
  // Without a thread to spare the form keeps its empty date section.
  workers_.start(fetch);
}

}  // namespace app
