#include "tests/support/FakeHttpServer.hpp"

#include "core/support/Text.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace tovrane::fakes {

namespace {

using namespace std::chrono_literals;

[[noreturn]] void failSystem(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

bool sendAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Query decoding as web frameworks do it: "+" is a blank, "%XX" a byte.
std::string decodeQueryPart(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<http::QueryItem> decodeQuery(std::string_view query) {
  std::vector<http::QueryItem> items;
  while (!query.empty()) {
    std::string_view item = query.substr(0, query.find('&'));
    query.remove_prefix(std::min(query.size(), item.size() + 1));
    if (item.empty()) continue;
    const auto equals = item.find('=');
    items.push_back({decodeQueryPart(item.substr(0, equals)),
                     equals == std::string_view::npos ? std::string() : decodeQueryPart(item.substr(equals + 1))});
  }
  return items;
}

// Parses the request line and headers (without the blank line that ends
// them); nullopt for anything that is not HTTP, such as a TLS handshake.
std::optional<RecordedRequest> parseHead(std::string_view head) {
  RecordedRequest request;
  std::size_t lineEnd = head.find("\r\n");
  std::string_view requestLine = head.substr(0, lineEnd);
  const auto firstBlank = requestLine.find(' ');
  const auto secondBlank = requestLine.find(' ', firstBlank + 1);
  if (firstBlank == 0 || firstBlank == std::string_view::npos || secondBlank == std::string_view::npos) return std::nullopt;
  request.method = std::string(requestLine.substr(0, firstBlank));
  if (!std::all_of(request.method.begin(), request.method.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
    return std::nullopt;
  std::string_view target = requestLine.substr(firstBlank + 1, secondBlank - firstBlank - 1);
  const auto question = target.find('?');
  request.path = std::string(target.substr(0, question));
  if (question != std::string_view::npos) request.query = decodeQuery(target.substr(question + 1));

  while (lineEnd != std::string_view::npos) {
    head.remove_prefix(lineEnd + 2);
    lineEnd = head.find("\r\n");
    std::string_view line = head.substr(0, lineEnd);
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    request.headers.push_back({std::string(text::trimBlanks(line.substr(0, colon))), std::string(text::trimBlanks(line.substr(colon + 1)))});
  }
  return request;
}

}  // namespace

FakeHttpServer::FakeHttpServer() {
  int wake[2];
  if (::pipe2(wake, O_CLOEXEC) != 0) failSystem("pipe2");
  wakeRead_ = wake[0];
  wakeWrite_ = wake[1];

  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) failSystem("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) failSystem("bind");
  if (::listen(listener_, 128) != 0) failSystem("listen");
  if (::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) failSystem("getsockname");
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { acceptLoop(); });
}

FakeHttpServer::~FakeHttpServer() {
  // The byte is never read, so every later poll on wakeRead_ returns at once.
  const char byte = 1;
  while (::write(wakeWrite_, &byte, 1) < 0 && errno == EINTR) {
  }
  acceptor_.join();
  // The acceptor has ended, so no worker is added any more.
  for (std::thread& worker : workers_) worker.join();
  ::close(listener_);
  ::close(wakeRead_);
  ::close(wakeWrite_);
}

std::string FakeHttpServer::url(std::string_view pathAndQuery) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(pathAndQuery);
}

void FakeHttpServer::enqueue(FakeReply reply) {
  std::lock_guard lock(mutex_);
  queue_.push_back(std::move(reply));
}

void FakeHttpServer::on(const std::string& path, FakeReply reply) {
  std::lock_guard lock(mutex_);
  byPath_[path] = std::move(reply);
}

std::vector<RecordedRequest> FakeHttpServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

bool FakeHttpServer::awaitRequests(std::size_t count) const {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, arrivalBound, [&] { return requests_.size() >= count; });
}

int FakeHttpServer::maxInFlight() const {
  std::lock_guard lock(mutex_);
  return maxInFlight_;
}

void FakeHttpServer::acceptLoop() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) continue;
    std::lock_guard lock(mutex_);
    workers_.emplace_back([this, socket] {
      serve(socket);
      ::close(socket);
    });
  }
}

bool FakeHttpServer::pause(std::chrono::milliseconds delay) const {
  const auto until = std::chrono::steady_clock::now() + std::clamp(delay, 0ms, maxDelay);
  for (;;) {
    // Rounded up: a pause never ends before its delay.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left <= 0ms) return true;
    pollfd wake{wakeRead_, POLLIN, 0};
    const int ready = ::poll(&wake, 1, static_cast<int>(left.count()));
    if (ready > 0) return false;
  }
}

void FakeHttpServer::waitUntilClientLeaves(int socket) const {
  const auto until = std::chrono::steady_clock::now() + maxDelay;
  char buffer[512];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left <= 0ms) return;
    pollfd fds[2] = {{socket, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) return;
    if (fds[1].revents != 0) return;
    if (fds[0].revents != 0 && ::recv(socket, buffer, sizeof buffer, 0) <= 0) return;
  }
}

FakeReply FakeHttpServer::replyFor(const RecordedRequest& request) {
  if (auto found = byPath_.find(request.path); found != byPath_.end()) return found->second;
  if (!queue_.empty()) {
    FakeReply reply = std::move(queue_.front());
    queue_.pop_front();
    return reply;
  }
  FakeReply notFound;
  notFound.status = 404;
  return notFound;
}

void FakeHttpServer::serve(int socket) {
  // Reads until the head and its body are complete; any wait is bounded and
  // ends when the server stops.
  std::string received;
  std::size_t headEnd = std::string::npos;
  std::optional<RecordedRequest> request;
  std::size_t bodyLength = 0;
  const auto until = std::chrono::steady_clock::now() + arrivalBound;
  for (;;) {
    if (headEnd == std::string::npos && (headEnd = received.find("\r\n\r\n")) != std::string::npos) {
      request = parseHead(std::string_view(received).substr(0, headEnd));
      if (!request) return;
      if (auto length = request->header("content-length")) {
        auto [end, error] = std::from_chars(length->data(), length->data() + length->size(), bodyLength);
        if (error != std::errc() || end != length->data() + length->size()) return;
      }
    }
    if (request && received.size() >= headEnd + 4 + bodyLength) break;
    // Anything that does not start like a request line (a TLS handshake, say)
    // is not HTTP: close at once instead of waiting for a blank line.
    if (!received.empty() && !(received[0] >= 'A' && received[0] <= 'Z')) return;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left <= 0ms) return;
    pollfd fds[2] = {{socket, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    if (::poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) return;
    if (fds[1].revents != 0) return;
    if (fds[0].revents == 0) continue;
    char buffer[16384];
    const ssize_t count = ::recv(socket, buffer, sizeof buffer, 0);
    if (count <= 0) return;
    received.append(buffer, static_cast<std::size_t>(count));
  }
  request->body = received.substr(headEnd + 4, bodyLength);

  FakeReply reply;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(*request);
    reply = replyFor(*request);
    maxInFlight_ = std::max(maxInFlight_, ++inFlight_);
  }
  arrived_.notify_all();
  // A request is in flight until its client can have the whole answer, so the
  // count drops before the last bytes go out: a client may send its next
  // request at once, before this thread runs again.
  struct Leave {
    FakeHttpServer& server;
    bool done = false;
    void now() {
      if (std::exchange(done, true)) return;
      std::lock_guard lock(server.mutex_);
      --server.inFlight_;
    }
    ~Leave() { now(); }
  } leave{*this};

  if (reply.whileInFlight) reply.whileInFlight();
  if (!pause(reply.delay)) return;
  switch (reply.mode) {
    case FakeReply::Mode::closeWithoutAnswer:
      return;
    case FakeReply::Mode::stall:
      waitUntilClientLeaves(socket);
      return;
    case FakeReply::Mode::answer:
      break;
  }
  std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " Fake\r\n";
  for (const http::Header& header : reply.headers) head += header.name + ": " + header.value + "\r\n";
  if (reply.chunks.empty() || reply.announcedLength) {
    head += "Content-Length: " + std::to_string(reply.announcedLength.value_or(reply.body.size())) + "\r\n";
  } else {
    head += "Transfer-Encoding: chunked\r\n";
  }
  head += "Connection: close\r\n\r\n";
  if (reply.chunks.empty()) {
    leave.now();
    sendAll(socket, head + reply.body);
    return;
  }
  if (!sendAll(socket, head)) return;
  for (std::size_t i = 0; i < reply.chunks.size(); ++i) {
    const FakeChunk& chunk = reply.chunks[i];
    if (reply.beforeChunk) reply.beforeChunk(i);
    if (!pause(chunk.delay)) return;
    // A chunk of size zero would end the body early.
    if (chunk.data.empty()) continue;
    if (reply.announcedLength) {
      // The announced length may be reached with the last chunk.
      if (i + 1 == reply.chunks.size()) leave.now();
      if (!sendAll(socket, chunk.data)) return;
      continue;
    }
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", chunk.data.size());
    if (!sendAll(socket, size + chunk.data + "\r\n")) return;
  }
  if (!reply.breakOff && !reply.announcedLength) {
    leave.now();
    sendAll(socket, "0\r\n\r\n");
  }
}

}  // namespace tovrane::fakes
