#include "ocr_service/http_front.h"

#include <httplib.h>

#include <algorithm>

#include "ocr_service/form_fields.h"

namespace ocr_service {
namespace {

constexpr const char* kJson = "application/json;charset=utf-8";

void answer(httplib::Response& response, const ServiceReply& reply) {
  response.status = reply.status;
  response.set_content(reply.body, kJson);
}

// Reads a body through the library's reader, keeping at most `limit` bytes. False when there
// was more, or the library refused it first (it does so, reading nothing, for a declared
// length over its limit), or the connection broke.
bool readBody(const httplib::ContentReader& reader, std::string& body, std::size_t limit) {
  return reader([&](const char* data, std::size_t length) {
    if (body.size() + length > limit) return false;
    body.append(data, length);
    return true;
  });
}

}  // namespace

struct HttpFront::Server {
  httplib::Server http;
};

HttpFront::HttpFront(RecognitionService& service, int connectionThreads)
    : server_(std::make_unique<Server>()) {
  httplib::Server& http = server_->http;
  const std::size_t threads = std::size_t(std::max(1, connectionThreads));
  http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  http.set_payload_max_length(kMaxRequestBodyBytes);
  http.set_read_timeout(10);
  http.set_write_timeout(10);

  const std::string tokenPattern = R"(/oauth/2\.0/token)";
  const std::string recognitionPattern = R"(/rest/2\.0/ocr/v1/general_basic)";
  http.Get(tokenPattern, [&service](const httplib::Request& request, httplib::Response& response) {
    answer(response, service.tokenRequest(request.target));
  });
  http.Post(tokenPattern, [&service](const httplib::Request& request, httplib::Response& response,
                                     const httplib::ContentReader& reader) {
    std::string body;
    if (!readBody(reader, body, kMaxRequestBodyBytes))
      return answer(response, service.bodyTooLarge());
    const bool form = isFormContentType(request.get_header_value("Content-Type"));
    answer(response, service.tokenRequest(request.target, form ? body : std::string()));
  });
  http.Post(recognitionPattern,
            [&service](const httplib::Request& request, httplib::Response& response,
                       const httplib::ContentReader& reader) {
              std::string body;
              if (!readBody(reader, body, kMaxRequestBodyBytes))
                return answer(response, service.bodyTooLarge());
              answer(response, service.recognitionRequest(
                                   request.target, request.get_header_value("Content-Type"), body));
            });
  // Every other path or method, and the library's own refusals (a body over the limit, a
  // malformed request), get the provider's error shape.
  http.set_error_handler(httplib::Server::HandlerWithResponse(
      [&service](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        answer(response, response.status == 413 ? service.bodyTooLarge()
                                                : service.unsupported(response.status));
        return httplib::Server::HandlerResponse::Handled;
      }));
  http.set_exception_handler(
      [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        answer(response, serviceError(ServiceError::kInternal, 0, 500));
      });
}

HttpFront::~HttpFront() = default;

int HttpFront::bind(const std::string& address, int port, std::string& error) {
  httplib::Server& http = server_->http;
  if (port == 0) {
    const int bound = http.bind_to_any_port(address);
    if (bound > 0) return bound;
  } else if (http.bind_to_port(address, port)) {
    return port;
  }
  error = "cannot listen on " + address + " port " + std::to_string(port);
  return -1;
}

bool HttpFront::run() { return server_->http.listen_after_bind(); }

void HttpFront::stop() { server_->http.stop(); }

}  // namespace ocr_service
