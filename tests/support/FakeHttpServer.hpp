#pragma once
// An HTTP/1.1 server for tests, in this process, on 127.0.0.1 with a port the
// system picks. It answers from a script, records every request and counts
// how many were in flight at once. It never connects anywhere itself.
//
// Every connection gets its own thread and one answer, then is closed. Every
// delay is capped at maxDelay, and the destructor wakes all waits, closes
// every socket and joins every thread, so a test never hangs on the server.
// The cap lies far beyond any time a test may wait for: a pause of minutes is
// the slow alternative a test tells apart from "at once" on a loaded machine.
#include "core/support/Http.hpp"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tovrane::fakes {

struct FakeChunk {
  std::chrono::milliseconds delay{0};  // waited before this chunk is written
  std::string data;
};

struct FakeReply {
  enum class Mode {
    answer,               // status, headers and body (or chunks)
    closeWithoutAnswer,   // read the request, then close the connection
    stall,                // read the request, then say nothing until the client leaves
  };
  Mode mode = Mode::answer;
  int status = 200;
  http::Headers headers;
  // Sent with Content-Length when `chunks` is empty; otherwise the chunks are
  // sent with chunked transfer encoding, each after its delay.
  std::string body;
  std::vector<FakeChunk> chunks;
  // With chunks: close the connection after the last chunk instead of ending
  // the body, as a server that breaks down in the middle would.
  bool breakOff = false;
  // With chunks: sent as Content-Length, and the chunks then go out as a plain
  // body, each after its delay. A length above their total is never reached.
  std::optional<std::size_t> announcedLength;
  std::chrono::milliseconds delay{0};  // waited before the status line
  // Called on the serving thread once the request is recorded, before the
  // delay: a test acts there while the request is certainly in flight. It
  // must return, or the server's destructor waits for it.
  std::function<void()> whileInFlight;
  // With chunks: called on the serving thread with a chunk's index before its
  // delay. A test waits there until its client has handled what came before,
  // which shows that it did so while the answer was still coming. It must
  // return, as whileInFlight must.
  std::function<void(std::size_t)> beforeChunk;
};

struct RecordedRequest {
  std::string method;
  std::string path;    // the request target without its query
  std::vector<http::QueryItem> query;  // decoded as a web server would ("+" is a blank)
  http::Headers headers;
  std::string body;
  std::optional<std::string> header(std::string_view name) const { return http::findHeader(headers, name); }
};

class FakeHttpServer {
 public:
  static constexpr std::chrono::milliseconds maxDelay{std::chrono::minutes(10)};
  // How long the server waits for a request to arrive in full, and
  // awaitRequests for requests: a guard against hangs only.
  static constexpr std::chrono::milliseconds arrivalBound{std::chrono::minutes(1)};

  FakeHttpServer();
  ~FakeHttpServer();
  FakeHttpServer(const FakeHttpServer&) = delete;
  FakeHttpServer& operator=(const FakeHttpServer&) = delete;

  std::uint16_t port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by pathAndQuery.
  std::string url(std::string_view pathAndQuery = "/") const;

  // Answers for requests in arrival order, used once each.
  void enqueue(FakeReply reply);
  // The answer for every request to this path (query ignored); it takes
  // precedence over the queue. A request that matches neither gets a 404.
  void on(const std::string& path, FakeReply reply);

  std::vector<RecordedRequest> requests() const;
  // Waits until at least count requests have arrived, at most arrivalBound; false
  // if they did not. A client that gave up on a stalled answer may return
  // before the server has read all of its request.
  bool awaitRequests(std::size_t count) const;
  int maxInFlight() const;

 private:
  void acceptLoop();
  void serve(int socket);
  FakeReply replyFor(const RecordedRequest& request);
  bool pause(std::chrono::milliseconds delay) const;  // false when the server is stopping
  void waitUntilClientLeaves(int socket) const;

  int listener_ = -1;
  int wakeRead_ = -1;   // readable once the destructor has begun
  int wakeWrite_ = -1;
  std::uint16_t port_ = 0;

  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::deque<FakeReply> queue_;
  std::map<std::string, FakeReply> byPath_;
  std::vector<RecordedRequest> requests_;
  std::vector<int> sockets_;
  std::vector<std::thread> workers_;
  int inFlight_ = 0;
  int maxInFlight_ = 0;
  std::thread acceptor_;
};

}  // namespace tovrane::fakes
