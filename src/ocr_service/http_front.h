// The service on HTTP/1.1: one thread reads every connection without blocking, under deadlines
// and byte bounds, and answers token requests itself; recognitions (decoding included) run on a
// pool of workers. A slow, idle or endless client costs a socket and a bounded buffer, never a
// thread, so a token request is answered at once whatever the others do. (A general HTTP
// library gives each connection a thread and times single reads, not whole requests, so a
// client sending a byte now and then would hold a thread for ever.)
#pragma once
#include <memory>
#include <string>

#include "ocr_service/recognition_service.h"

namespace ocr_service {

class HttpFront {
 public:
  // `recognitionThreads`: requests recognised at once.
  HttpFront(RecognitionService& service, int recognitionThreads);
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
