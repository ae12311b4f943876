// The OCR client's exchanges carried by the internet-functions route (WinINet on Windows,
// libcurl natively), as the program and the command line make them.
#pragma once
#include "capture/ocr_transport.h"

namespace capture {

// One exchange through net::InetRequest with only the URL, the method and the body set:
// certificates verified, the default time-outs, nothing logged. A reply counts as delivered
// when the service answered in full, whatever its status; a broken, cut or timed-out exchange
// counts as no reply.
OcrHttpReply sendThroughInternet(const OcrHttpRequest& request);

inline OcrTransport internetOcrTransport() { return sendThroughInternet; }

}  // namespace capture
