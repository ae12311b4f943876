// The request-object route: the scriptable WinHTTP request object, driven late-bound through
// its automation interface, one call after another in a fixed order.
#include <windows.h>
// after windows.h
#include <oleauto.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/http_client.h"
#include "platform/win32/http_errors.h"
#include "platform/worker.h"

namespace platform {

class HttpRequestObject {
 public:
  explicit HttpRequestObject(IDispatch* object) : dispatch(object) {}
  ~HttpRequestObject() { dispatch->Release(); }
  HttpRequestObject(const HttpRequestObject&) = delete;
  HttpRequestObject& operator=(const HttpRequestObject&) = delete;

  IDispatch* dispatch;
  std::mutex busy;  // one exchange at a time
};

namespace {

using win32http::narrow;
using win32http::wide;

constexpr long kProxySettingNamed = 2;
constexpr long kOptionIgnoredCertificateErrors = 4;
constexpr long kOptionEnableRedirects = 6;
// Unknown authority, wrong usage, invalid name and invalid date: what "accept any certificate"
// means to the object.
constexpr long kIgnoreEveryCertificateError = 0x3300;

class Variant {
 public:
  Variant() { VariantInit(&value); }
  ~Variant() { VariantClear(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  static Variant text(std::string_view gbk) {
    Variant v;
    std::wstring w = wide(gbk);
    v.value.vt = VT_BSTR;
    v.value.bstrVal = SysAllocStringLen(w.data(), UINT(w.size()));
    return v;
  }
  static Variant number(long n) {
    Variant v;
    v.value.vt = VT_I4;
    v.value.lVal = n;
    return v;
  }
  static Variant boolean(bool b) {
    Variant v;
    v.value.vt = VT_BOOL;
    v.value.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  }
  static Variant bytes(std::string_view data) {
    Variant v;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, ULONG(data.size()));
    if (!array) return v;
    void* at = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(array, &at))) {
      memcpy(at, data.data(), data.size());
      SafeArrayUnaccessData(array);
    }
    v.value.vt = VT_ARRAY | VT_UI1;
    v.value.parray = array;
    return v;
  }
  Variant(Variant&& other) noexcept : value(other.value) { other.value.vt = VT_EMPTY; }

  VARIANT value;
};

// Calls on the object by name; remembers the error of the first call that failed.
class LateBound {
 public:
  explicit LateBound(IDispatch* object) : object_(object) {}

  bool call(const wchar_t* name, std::vector<Variant> args, VARIANT* result = nullptr) {
    return invoke(name, DISPATCH_METHOD, args, result);
  }
  bool get(const wchar_t* name, VARIANT* result) {
    std::vector<Variant> none;
    return invoke(name, DISPATCH_PROPERTYGET, none, result);
  }
  bool putIndexed(const wchar_t* name, long index, Variant value) {
    std::vector<Variant> args;
    args.push_back(Variant::number(index));
    args.push_back(std::move(value));
    return invoke(name, DISPATCH_PROPERTYPUT, args, nullptr);
  }
  unsigned long firstError() const { return firstError_; }

 private:
  bool invoke(const wchar_t* name, WORD kind, std::vector<Variant>& args, VARIANT* result) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return fail(hr);
    // Automation takes the arguments last first.
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->value);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, UINT(reversed.size()), 0};
    if (kind == DISPATCH_PROPERTYPUT) {
      params.rgdispidNamedArgs = &putId;
      params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, &exception,
                         nullptr);
    if (exception.bstrSource) SysFreeString(exception.bstrSource);
    if (exception.bstrDescription) SysFreeString(exception.bstrDescription);
    if (exception.bstrHelpFile) SysFreeString(exception.bstrHelpFile);
    if (hr == DISP_E_EXCEPTION && FAILED(exception.scode)) hr = exception.scode;
    return SUCCEEDED(hr) || fail(hr);
  }

  bool fail(HRESULT hr) {
    if (!firstError_) firstError_ = HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : hr;
    return false;
  }

  IDispatch* object_;
  unsigned long firstError_ = 0;
};

IDispatch* createObject() {
  CLSID id;
  if (FAILED(CLSIDFromProgID(L"WinHttp.WinHttpRequest.5.1", &id))) return nullptr;
  IDispatch* object = nullptr;
  if (FAILED(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&object))))
    return nullptr;
  return object;
}

std::string bytesOf(const VARIANT& value) {
  if (value.vt != (VT_ARRAY | VT_UI1) || !value.parray) return {};
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(value.parray, 1, &lower);
  SafeArrayGetUBound(value.parray, 1, &upper);
  void* data = nullptr;
  if (upper < lower || FAILED(SafeArrayAccessData(value.parray, &data))) return {};
  std::string bytes(static_cast<const char*>(data), std::size_t(upper - lower + 1));
  SafeArrayUnaccessData(value.parray);
  return bytes;
}

// The header lines alone, as Windows gives them. Wine's object puts the status line first and
// counts the terminating zero into the text.
std::string headersOnly(std::string text) {
  while (!text.empty() && text.back() == '\0') text.pop_back();
  if (text.rfind("HTTP/", 0) == 0) {
    std::size_t lineEnd = text.find("\r\n");
    text.erase(0, lineEnd == std::string::npos ? text.size() : lineEnd + 2);
  }
  return text;
}

void runExchange(IDispatch* object, const ObjectExchange& request, ObjectReply& reply) {
  LateBound call(object);
  // Wine's object forgets time-outs and proxy when it is opened: they are given again after
  // Open, which on Windows sets the same values once more.
  auto setTimeoutsAndProxy = [&] {
    if (request.timeoutMs) {
      const long ms = *request.timeoutMs;
      std::vector<Variant> args;
      for (int i = 0; i < 4; ++i) args.push_back(Variant::number(ms));
      call.call(L"SetTimeouts", std::move(args));
    }
    if (!request.proxy.empty()) {
      std::vector<Variant> args;
      args.push_back(Variant::number(kProxySettingNamed));
      args.push_back(Variant::text(request.proxy));
      call.call(L"SetProxy", std::move(args));
    }
  };
  setTimeoutsAndProxy();
  {
    std::vector<Variant> args;
    args.push_back(Variant::text(request.method));
    args.push_back(Variant::text(request.url));
    args.push_back(Variant::boolean(false));  // synchronous
    call.call(L"Open", std::move(args));
  }
  setTimeoutsAndProxy();
  if (!request.followRedirects)
    call.putIndexed(L"Option", kOptionEnableRedirects, Variant::boolean(false));
  if (!request.verifyCertificates)
    call.putIndexed(L"Option", kOptionIgnoredCertificateErrors,
                    Variant::number(kIgnoreEveryCertificateError));
  if (request.credentials) {
    std::vector<Variant> args;
    args.push_back(Variant::text(request.credentials->user));
    args.push_back(Variant::text(request.credentials->password));
    args.push_back(Variant::number(request.credentials->forProxy ? 1 : 0));
    call.call(L"SetCredentials", std::move(args));
  }
  for (const auto& field : request.headers) {
    std::vector<Variant> args;
    args.push_back(Variant::text(field.name));
    args.push_back(Variant::text(field.value));
    call.call(L"SetRequestHeader", std::move(args));
  }
  {
    // The bytes go as they are; a text would be converted on the way.
    std::vector<Variant> args;
    args.push_back(request.body.empty() ? Variant::text("") : Variant::bytes(request.body));
    LateBound send(object);
    send.call(L"Send", std::move(args));
    reply.failure = win32http::failureOfError(send.firstError());
  }
  Variant body, headers, status, statusText;
  if (call.get(L"ResponseBody", &body.value)) reply.body = bytesOf(body.value);
  if (reply.body.size() > kMaxHttpBodyBytes) {
    reply.body.resize(kMaxHttpBodyBytes);
    reply.failure = HttpFailure::kTooLarge;
  }
  if (call.call(L"GetAllResponseHeaders", {}, &headers.value) && headers.value.vt == VT_BSTR &&
      headers.value.bstrVal)
    reply.headers = headersOnly(
        narrow(std::wstring_view(headers.value.bstrVal, SysStringLen(headers.value.bstrVal))));
  if (call.get(L"Status", &status.value) &&
      SUCCEEDED(VariantChangeType(&status.value, &status.value, 0, VT_I4)))
    reply.status = int(status.value.lVal);
  if (reply.failure == HttpFailure::kNone && request.method != "HEAD" &&
      win32http::cutShort(reply.headers, reply.body.size()))
    reply.failure = HttpFailure::kTransfer;
  call.get(L"StatusText", &statusText.value);
}

}  // namespace

std::shared_ptr<HttpRequestObject> createHttpRequestObject() {
  // The object lives in this thread's apartment for as long as the caller keeps it.
  CoInitialize(nullptr);
  IDispatch* object = createObject();
  if (!object) return nullptr;
  return std::make_shared<HttpRequestObject>(object);
}

namespace {

// One exchange on a new object in this thread's apartment.
ObjectReply exchangeOnNewObject(const ObjectExchange& request) {
  ObjectReply reply;
  const bool comStarted = SUCCEEDED(CoInitialize(nullptr));
  if (IDispatch* object = createObject()) {
    reply.objectCreated = true;
    runExchange(object, request, reply);
    object->Release();
  } else {
    reply.failure = HttpFailure::kUnavailable;
  }
  if (comStarted) CoUninitialize();
  return reply;
}

// An exchange on a thread of its own, waited for no longer than its time-outs add up to: the
// object's own time-outs hold per step only (under Wine not at all), and a reply that keeps
// trickling in would otherwise hold the caller without end. A late thread finishes alone.
struct Errand {
  explicit Errand(ObjectExchange exchange) : request(std::move(exchange)) {}
  ObjectExchange request;
  ObjectReply reply;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
};

ObjectReply exchangeWithDeadline(const ObjectExchange& request, long totalMs) {
  auto errand = std::make_shared<Errand>(request);
  const bool started = startAbandoned([errand] {
    ObjectReply reply = exchangeOnNewObject(errand->request);
    std::lock_guard<std::mutex> lock(errand->mutex);
    errand->reply = std::move(reply);
    errand->done = true;
    errand->finished.notify_all();
  });
  if (!started) return exchangeOnNewObject(request);
  std::unique_lock<std::mutex> lock(errand->mutex);
  if (errand->finished.wait_for(lock, std::chrono::milliseconds(totalMs),
                                [&] { return errand->done; }))
    return std::move(errand->reply);
  ObjectReply late;
  late.objectCreated = true;
  late.failure = HttpFailure::kTimeout;
  return late;
}

}  // namespace

ObjectReply exchangeThroughObject(const ObjectExchange& request, HttpRequestObject* shared) {
  if (!shared) {
    if (request.totalMs) return exchangeWithDeadline(request, *request.totalMs);
    if (request.timeoutMs) return exchangeWithDeadline(request, 4L * *request.timeoutMs + 1000);
    return exchangeOnNewObject(request);
  }
  // A caller's object lives in the caller's apartment, so its exchange runs here.
  ObjectReply reply;
  reply.objectCreated = true;
  const bool comStarted = SUCCEEDED(CoInitialize(nullptr));
  {
    std::lock_guard<std::mutex> lock(shared->busy);
    runExchange(shared->dispatch, request, reply);
  }
  if (comStarted) CoUninitialize();
  return reply;
}

}  // namespace platform
