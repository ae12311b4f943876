#include "ocr_service/http_front.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "ocr_service/form_fields.h"
#include "ocr_service/http_messages.h"
#include "ocr_service/work_pool.h"

namespace ocr_service {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A kept-alive connection may wait this long for its next request; a request's head must then
// arrive within its own deadline, and its body within another. Replies that the client does not
// take in time are dropped with the connection.
constexpr auto kIdleTimeout = 5s;
constexpr auto kHeadDeadline = 10s;
constexpr auto kBodyDeadline = 30s;
constexpr auto kWriteDeadline = 10s;
// After a refusal the connection is closed once what the client is still sending has been read
// for a moment, so the refusal reaches it instead of being lost to a reset.
constexpr auto kDrainTime = 1s;

// Past this many connections the one that has waited longest without a request is dropped.
// Fewer when the process may open fewer files: the engine needs some, and a listener that
// cannot accept would wake the loop without end.
constexpr std::size_t kMaxConnections = 512;

std::size_t connectionLimit() {
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == RLIM_INFINITY)
    return kMaxConnections;
  return std::clamp<std::size_t>(files.rlim_cur > 64 ? files.rlim_cur - 64 : 0, 8, kMaxConnections);
}
// Bodies held at once, in all; a request whose body does not fit waits its turn. Small bodies
// (a token request's form) never wait, so clients holding the budget cannot keep tokens back;
// the connection limit bounds them.
constexpr std::size_t kBodyBudget = std::size_t(64) << 20;
constexpr std::size_t kSmallBody = std::size_t(64) << 10;

enum class Phase { kIdle, kHead, kBody, kWorking, kWriting, kDraining };

struct Connection {
  int fd = -1;
  Phase phase = Phase::kIdle;
  Clock::time_point deadline;
  std::string received;  // bytes read and not yet used
  RequestHead head;
  std::size_t bodyReserved = 0;  // share of the budget held for its body
  bool waitingForBudget = false;
  bool moved = false;  // has something new to go on with
  std::string reply;
  std::size_t replySent = 0;
  bool closeAfterReply = false;
};

void makeNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

struct HttpFront::Server {
  RecognitionService& service;
  int recognitionThreads;
  std::size_t maxConnections = connectionLimit();
  int listener = -1;
  int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  std::atomic<bool> stopping{false};

  std::map<std::uint64_t, Connection> connections;  // by id, oldest first
  std::uint64_t nextId = 1;
  std::size_t bodyBytesHeld = 0;

  // Finished recognitions, handed over by the workers.
  std::mutex finishedMutex;
  std::vector<std::pair<std::uint64_t, ServiceReply>> finished;

  Server(RecognitionService& service, int threads)
      : service(service), recognitionThreads(std::max(1, threads)) {}
  ~Server() {
    if (listener >= 0) close(listener);
    if (wakeFd >= 0) close(wakeFd);
  }

  void wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd, &one, sizeof one);
  }

  bool serve();
  void acceptAll();
  void readFrom(std::uint64_t id, Connection& connection);
  void writeTo(Connection& connection);
  void advance(std::uint64_t id, Connection& connection, WorkPool& workers);
  void advanceOnce(std::uint64_t id, Connection& connection, WorkPool& workers);
  void dispatch(std::uint64_t id, Connection& connection, std::string body, WorkPool& workers);
  void respond(Connection& connection, const ServiceReply& reply, bool close);
  void refuse(Connection& connection, int status);
  void releaseBody(Connection& connection);
  void drop(std::uint64_t id);
  void takeFinished();
  void expire(Clock::time_point now);
};

void HttpFront::Server::acceptAll() {
  while (true) {
    const int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    if (connections.size() >= maxConnections) {
      // Make room by dropping the oldest connection that has not yet sent a whole head.
      auto oldest = std::find_if(connections.begin(), connections.end(), [](const auto& entry) {
        return entry.second.phase == Phase::kIdle || entry.second.phase == Phase::kHead;
      });
      if (oldest == connections.end()) {
        close(fd);
        continue;
      }
      drop(oldest->first);
    }
    Connection connection;
    connection.fd = fd;
    connection.deadline = Clock::now() + kIdleTimeout;
    connections.emplace(nextId++, std::move(connection));
  }
}

void HttpFront::Server::drop(std::uint64_t id) {
  const auto found = connections.find(id);
  if (found == connections.end()) return;
  releaseBody(found->second);
  close(found->second.fd);
  connections.erase(found);
}

void HttpFront::Server::releaseBody(Connection& connection) {
  bodyBytesHeld -= connection.bodyReserved;
  connection.bodyReserved = 0;
}

void HttpFront::Server::respond(Connection& connection, const ServiceReply& reply, bool close) {
  connection.waitingForBudget = false;
  connection.closeAfterReply = close || !connection.head.keepAlive;
  connection.reply = replyText(reply.status, reply.body, !connection.closeAfterReply);
  connection.replySent = 0;
  connection.phase = Phase::kWriting;
  connection.deadline = Clock::now() + kWriteDeadline;
  writeTo(connection);
}

void HttpFront::Server::refuse(Connection& connection, int status) {
  respond(connection, status == 413 ? service.bodyTooLarge() : service.unsupported(status), true);
}

void HttpFront::Server::readFrom(std::uint64_t id, Connection& connection) {
  char buffer[64 * 1024];
  if (connection.phase == Phase::kDraining) {
    const ssize_t got = recv(connection.fd, buffer, sizeof buffer, 0);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) drop(id);
    return;
  }
  // Never more than the head's bound or the rest of the declared body.
  const std::size_t wanted = connection.phase == Phase::kBody
                                 ? std::size_t(connection.head.contentLength)
                                 : kMaxHeadBytes + 1;
  const std::size_t room =
      std::min(sizeof buffer, wanted - std::min(wanted - 1, connection.received.size()));
  const ssize_t got = recv(connection.fd, buffer, room, 0);
  if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) return drop(id);
  if (got < 0) return;
  connection.received.append(buffer, std::size_t(got));
  connection.moved = true;
  if (connection.phase == Phase::kIdle) {
    connection.phase = Phase::kHead;
    connection.deadline = Clock::now() + kHeadDeadline;
  }
}

void HttpFront::Server::writeTo(Connection& connection) {
  while (connection.replySent < connection.reply.size()) {
    const ssize_t sent = send(connection.fd, connection.reply.data() + connection.replySent,
                              connection.reply.size() - connection.replySent, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EAGAIN || errno == EINTR) return;
      connection.phase = Phase::kDraining;  // the client is gone; closed below
      connection.deadline = Clock::now();
      return;
    }
    connection.replySent += std::size_t(sent);
  }
  connection.reply.clear();
  connection.moved = true;
  releaseBody(connection);
  if (connection.closeAfterReply) {
    shutdown(connection.fd, SHUT_WR);
    connection.phase = Phase::kDraining;
    connection.deadline = Clock::now() + kDrainTime;
  } else {
    connection.phase = connection.received.empty() ? Phase::kIdle : Phase::kHead;
    connection.deadline =
        Clock::now() + (connection.phase == Phase::kIdle ? kIdleTimeout : kHeadDeadline);
  }
}

// Moves a connection on as far as the bytes it has sent allow: a head, then its body, then the
// request's answer. Pipelined requests wait in `received` until the reply before is written.
void HttpFront::Server::advance(std::uint64_t id, Connection& connection, WorkPool& workers) {
  connection.moved = false;
  // A reply written at once may leave the next pipelined request ready in `received`.
  while (connection.phase == Phase::kHead || connection.phase == Phase::kBody) {
    const Phase before = connection.phase;
    const std::size_t unread = connection.received.size();
    advanceOnce(id, connection, workers);
    if (!connections.contains(id) ||
        (connection.phase == before && connection.received.size() == unread))
      return;
  }
}

void HttpFront::Server::advanceOnce(std::uint64_t id, Connection& connection, WorkPool& workers) {
  if (connection.phase == Phase::kHead) {
    const HeadReading reading = readRequestHead(connection.received);
    if (reading.state == HeadState::kIncomplete) return;
    if (reading.state == HeadState::kRefused) return refuse(connection, reading.refusal);
    connection.head = reading.head;
    connection.received.erase(0, reading.headBytes);
    if (connection.head.contentLength > kMaxRequestBodyBytes) return refuse(connection, 413);
    connection.phase = Phase::kBody;
    connection.deadline = Clock::now() + kBodyDeadline;
    connection.waitingForBudget = true;
  }
  if (connection.phase != Phase::kBody) return;
  if (connection.waitingForBudget) {
    const std::size_t length = std::size_t(connection.head.contentLength);
    if (length > kSmallBody) {
      if (bodyBytesHeld + length > kBodyBudget) return;
      bodyBytesHeld += length;
      connection.bodyReserved = length;
    }
    connection.waitingForBudget = false;
    if (connection.head.expectContinue && connection.received.size() < length) {
      // A line this short goes straight into an empty socket buffer.
      const std::string goOn = replyText(100, {}, true);
      if (send(connection.fd, goOn.data(), goOn.size(), MSG_NOSIGNAL) != ssize_t(goOn.size()))
        return drop(id);
    }
  }
  if (connection.received.size() < connection.head.contentLength) return;
  std::string body = connection.received.substr(0, std::size_t(connection.head.contentLength));
  connection.received.erase(0, body.size());
  dispatch(id, connection, std::move(body), workers);
}

void HttpFront::Server::dispatch(std::uint64_t id, Connection& connection, std::string body,
                                 WorkPool& workers) {
  const RequestHead& head = connection.head;
  const std::string_view path = pathOf(head.target);
  if (path == kTokenPath && (head.method == "GET" || head.method == "POST")) {
    const bool form = head.method == "POST" && isFormContentType(head.contentType);
    return respond(connection, service.tokenRequest(head.target, form ? body : std::string()),
                   false);
  }
  if (path == kRecognitionPath && head.method == "POST") {
    connection.phase = Phase::kWorking;
    workers.post([this, id, target = head.target, type = head.contentType, body = std::move(body)] {
      ServiceReply reply;
      try {
        reply = service.recognitionRequest(target, type, body);
      } catch (...) {
        reply = serviceError(ServiceError::kInternal, 0, 500);
      }
      {
        std::lock_guard lock(finishedMutex);
        finished.emplace_back(id, std::move(reply));
      }
      wake();
    });
    return;
  }
  respond(connection, service.unsupported(404), false);
}

void HttpFront::Server::takeFinished() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t got = read(wakeFd, &count, sizeof count);
  std::vector<std::pair<std::uint64_t, ServiceReply>> replies;
  {
    std::lock_guard lock(finishedMutex);
    replies.swap(finished);
  }
  for (auto& [id, reply] : replies) {
    const auto found = connections.find(id);
    if (found != connections.end()) respond(found->second, reply, false);
  }
}

void HttpFront::Server::expire(Clock::time_point now) {
  std::vector<std::uint64_t> late;
  for (auto& [id, connection] : connections)
    if (connection.phase != Phase::kWorking && connection.deadline <= now) late.push_back(id);
  for (std::uint64_t id : late) {
    Connection& connection = connections.at(id);
    if (connection.phase == Phase::kHead || connection.phase == Phase::kBody)
      refuse(connection, 408);
    else
      drop(id);
  }
}

bool HttpFront::Server::serve() {
  if (listener < 0 || wakeFd < 0) return false;
  WorkPool workers(recognitionThreads);
  std::vector<pollfd> watched;
  std::vector<std::uint64_t> watchedIds;
  while (!stopping) {
    watched.assign({{listener, POLLIN, 0}, {wakeFd, POLLIN, 0}});
    watchedIds.assign(2, 0);
    Clock::time_point soonest = Clock::now() + 1s;
    for (auto& [id, connection] : connections) {
      if (connection.phase == Phase::kWorking) continue;
      soonest = std::min(soonest, connection.deadline);
      if (connection.waitingForBudget) continue;
      const short events = connection.phase == Phase::kWriting ? POLLOUT : POLLIN;
      watched.push_back({connection.fd, events, 0});
      watchedIds.push_back(id);
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(soonest - Clock::now());
    if (poll(watched.data(), watched.size(), int(std::max<std::int64_t>(0, wait.count()))) < 0 &&
        errno != EINTR)
      return false;
    if (watched[1].revents) takeFinished();
    for (std::size_t i = 2; i < watched.size(); ++i) {
      if (!watched[i].revents) continue;
      const auto found = connections.find(watchedIds[i]);
      if (found == connections.end()) continue;
      Connection& connection = found->second;
      if (connection.phase == Phase::kWriting)
        writeTo(connection);
      else
        readFrom(watchedIds[i], connection);
    }
    // Every connection that can go on does, the oldest first, so bodies waiting for the budget
    // are taken in the order they came.
    std::vector<std::uint64_t> ids;
    for (const auto& [id, connection] : connections)
      if (connection.moved || connection.waitingForBudget) ids.push_back(id);
    for (std::uint64_t id : ids) {
      const auto found = connections.find(id);
      if (found != connections.end()) advance(id, found->second, workers);
    }
    expire(Clock::now());
    if (watched[0].revents) acceptAll();
  }
  for (auto& entry : connections) close(entry.second.fd);
  connections.clear();
  bodyBytesHeld = 0;
  return true;
}

HttpFront::HttpFront(RecognitionService& service, int recognitionThreads)
    : server_(std::make_unique<Server>(service, recognitionThreads)) {}

HttpFront::~HttpFront() = default;

int HttpFront::bind(const std::string& address, int port, std::string& error) {
  error = "cannot listen on " + address + " port " + std::to_string(port);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
  int fd = -1;
  for (addrinfo* at = found; at && fd < 0; at = at->ai_next) {
    fd = socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC, at->ai_protocol);
    if (fd < 0) continue;
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, at->ai_addr, at->ai_addrlen) != 0 || listen(fd, SOMAXCONN) != 0) {
      close(fd);
      fd = -1;
    }
  }
  freeaddrinfo(found);
  if (fd < 0) return -1;
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
  makeNonBlocking(fd);
  if (server_->listener >= 0) close(server_->listener);
  server_->listener = fd;
  error.clear();
  return bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                     : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
}

bool HttpFront::run() { return server_->serve(); }

void HttpFront::stop() {
  server_->stopping = true;
  server_->wake();
}

}  // namespace ocr_service
