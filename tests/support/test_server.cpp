#include "test_server.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include "win32/trusted_authority.h"
#endif

namespace testsupport {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string trimmed(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// The server's paths are the host's; under Wine the host's root is drive Z:.
std::filesystem::path localPath(const char* hostPath) {
#ifdef _WIN32
  if (hostPath[0] == '/') return std::filesystem::path(std::string("Z:") + hostPath);
#endif
  return std::filesystem::path(hostPath);
}

RecordedRequest parse(const std::string& fileName, std::string raw) {
  RecordedRequest request;
  // NNNNNN-LISTENER[-VIA].req
  std::string stem = fileName.substr(7, fileName.size() - 7 - 4);
  for (const char* via : {"-socks", "-connect"}) {
    if (stem.size() > std::strlen(via) && stem.ends_with(via)) {
      request.via = std::string(via + 1);
      stem.resize(stem.size() - std::strlen(via));
    }
  }
  request.listener = stem;
  std::size_t headEnd = raw.find("\r\n\r\n");
  std::string head = raw.substr(0, headEnd);
  if (headEnd != std::string::npos) request.body = raw.substr(headEnd + 4);
  std::istringstream lines(head);
  std::string line;
  bool first = true;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first) {
      std::istringstream words(line);
      words >> request.method >> request.target >> request.version;
      first = false;
    } else if (auto colon = line.find(':'); colon != std::string::npos) {
      request.headers.emplace_back(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
    }
  }
  request.raw = std::move(raw);
  return request;
}

}  // namespace

std::optional<std::string> RecordedRequest::header(std::string_view name) const {
  for (const auto& [key, value] : headers)
    if (sameIgnoringCase(key, name)) return value;
  return std::nullopt;
}

int RecordedRequest::headerCount(std::string_view name) const {
  return int(std::count_if(headers.begin(), headers.end(),
                           [&](const auto& field) { return sameIgnoringCase(field.first, name); }));
}

const TestServer* TestServer::current() {
  static const TestServer* server = []() -> const TestServer* {
    const char* log = std::getenv("QUORVIX_TEST_REQUEST_LOG");
    const char* ca = std::getenv("QUORVIX_TEST_CA_FILE");
    if (!log || !ca) return nullptr;
    auto* found = new TestServer;
    for (const char* listener : {"http", "https", "wrong_name", "untrusted", "refused"}) {
      std::string name = "QUORVIX_TEST_" + std::string(listener) + "_PORT";
      std::transform(name.begin(), name.end(), name.begin(), ::toupper);
      const char* port = std::getenv(name.c_str());
      found->ports_.emplace_back(listener, port ? std::atoi(port) : 0);
    }
    found->caFile_ = localPath(ca);
    found->log_ = localPath(log);
#ifdef _WIN32
    // The Windows build trusts what the system's store trusts: the test prefix's store.
    trustAuthorityForThisRun(found->caFile_);
#endif
    return found;
  }();
  return server;
}

int TestServer::port(std::string_view listener) const {
  for (const auto& [name, number] : ports_)
    if (name == listener) return number;
  return 0;
}

std::string TestServer::url(std::string_view listener, std::string_view pathAndQuery) const {
  const bool tls = listener == "https" || listener == "wrong_name" || listener == "untrusted";
  // TLS by name: Wine's certificate check matches names, not addresses.
  return std::string(tls ? "https://localhost:" : "http://127.0.0.1:") +
         std::to_string(port(listener)) + std::string(pathAndQuery);
}

std::vector<RecordedRequest> TestServer::requestsFor(std::string_view tag) const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(log_, error)) {
    std::string name = entry.path().filename().string();
    if (name.size() > 11 && name.ends_with(".req")) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::vector<RecordedRequest> found;
  for (const auto& name : names) {
    std::ifstream in(log_ / name, std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t lineEnd = raw.find("\r\n");
    if (raw.substr(0, lineEnd).find(tag) == std::string::npos) continue;
    found.push_back(parse(name, std::move(raw)));
  }
  return found;
}

std::string uniqueTag(std::string_view name) {
  static std::atomic<int> counter{0};
  return std::string(name) + "-" + std::to_string(++counter);
}

std::string queryValue(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += char(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      out += escaped;
    }
  }
  return out;
}

}  // namespace testsupport
