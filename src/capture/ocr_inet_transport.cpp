#include "capture/ocr_inet_transport.h"

#include "net/inet_request.h"

namespace capture {

OcrHttpReply sendThroughInternet(const OcrHttpRequest& request) {
  net::InetRequestOptions options;
  options.url = request.url;
  if (request.method == OcrHttpRequest::Method::kPost) {
    options.method = 1;
    options.body = request.body;
  }
  OcrHttpReply reply;
  reply.body = net::InetRequest(options);
  // A redirect that was not followed is still the service's answer; a reply cut short is not.
  const bool complete =
      options.error == net::HttpError::kNone || options.error == net::HttpError::kRedirect;
  reply.delivered = options.status != 0 && complete;
  reply.status = reply.delivered ? options.status : 0;
  if (!reply.delivered) reply.body.clear();
  return reply;
}

}  // namespace capture
