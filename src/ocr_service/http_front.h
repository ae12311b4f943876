// The service on HTTP: the provider's two paths on a server of the cpp-httplib library, with a
// body limit and a pool of connection threads. Recognition itself is limited by the reader.
#pragma once
#include <memory>
#include <string>

#include "ocr_service/recognition_service.h"

namespace ocr_service {

class HttpFront {
 public:
  // `connectionThreads`: connections served at once (each waits its turn to recognise).
  HttpFront(RecognitionService& service, int connectionThreads);
  ~HttpFront();
  HttpFront(const HttpFront&) = delete;
  HttpFront& operator=(const HttpFront&) = delete;

  // Binds the address; port 0 takes a free one. The port bound, or -1 with a reason.
  int bind(const std::string& address, int port, std::string& error);
  // Serves until stop(); false when serving could not start.
  bool run();
  // Any thread; run() returns soon after.
  void stop();

 private:
  struct Server;
  std::unique_ptr<Server> server_;
};

}  // namespace ocr_service
