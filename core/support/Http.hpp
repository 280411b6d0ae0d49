#pragma once
// HTTP over libcurl for the model providers, the fixes service and the local
// model server. Every call owns its own transfer (no connection state is
// shared between calls or threads), so calls may run on any thread at once.
//
// Two limits in time: the idle time-out fails a transfer when no byte has
// moved in either direction for `timeout` (connecting and name resolution
// included), so a silent server is noticed after it; the deadline, when set,
// fails it once it has run that long in all, so a server that sends a byte
// now and then cannot hold the caller for ever.
//
// The client never invents a status: a transfer that ends without an HTTP
// response throws HttpError, whose message is a German sentence for the user
// that names the server's host and nothing else. Request headers carry API
// keys; they are never logged and never put into an error text.
#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane::http {

struct Header {
  std::string name;
  std::string value;
};
using Headers = std::vector<Header>;

// The value of the first header whose name equals `name` ignoring ASCII case.
std::optional<std::string> findHeader(const Headers& headers, std::string_view name);

// More than any answer of the services this system talks to; see Request::maxBodyBytes.
inline constexpr std::size_t defaultMaxBodyBytes = std::size_t{64} << 20;

struct Request {
  // "GET" without a body is a plain GET; any other method sends `body`.
  std::string method = "GET";
  std::string url;
  // Sent in this order, after the few libcurl adds itself (Host, Accept,
  // Content-Length).
  Headers headers;
  std::string body;
  std::chrono::milliseconds timeout{std::chrono::seconds(60)};
  // Unset: no limit on the whole transfer (a download may take long).
  std::optional<std::chrono::milliseconds> deadline;
  // Redirects followed, each to https, or to plain http from one loopback
  // address to another (a local server); a redirect elsewhere, or one more
  // than this, fails with ErrorKind::other and a German text. Every hop gets
  // the same headers, so a request that carries a secret sets 0: a redirect
  // is then a response like any other.
  int maxRedirects = 5;
  // The most body bytes the call takes; a longer body ends it with
  // ErrorKind::other and a German text. Unset, send() takes
  // defaultMaxBodyBytes and the streaming calls any length (stream() still
  // refuses a single line longer than defaultMaxBodyBytes).
  std::optional<std::size_t> maxBodyBytes;
};

// The status line and headers of the final response (interim 1xx responses
// are dropped).
struct Head {
  int status = 0;
  Headers headers;
  std::optional<std::string> header(std::string_view name) const { return findHeader(headers, name); }
};

struct Response {
  int status = 0;
  Headers headers;
  std::string body;
  std::optional<std::string> header(std::string_view name) const { return findHeader(headers, name); }
};

enum class ErrorKind {
  network,     // host not found, no connection, connection lost, TLS refused
  timeout,     // no byte moved for the request's time-out
  cancelled,   // stop requested, or the handler asked to stop
  invalidURL,  // malformed URL or a scheme other than http and https
  other,       // a request refused before sending, a body too large, a redirect refused, …
};

// A transfer that ended without a usable HTTP response. The message is the
// German sentence the user reads, with the host as its only detail.
class HttpError : public std::runtime_error {
 public:
  HttpError(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

// Sends the request and waits for the whole response. A stop request ends the
// transfer at once with ErrorKind::cancelled, also when it comes while the
// last bytes arrive. Any status, 4xx and 5xx included, is a response, not an
// error.
Response send(const Request& request, std::stop_token stop = {});

enum class Flow { proceed, stop };
// Receives each body line without its LF, together with the response's head,
// which is complete before the first line arrives.
using LineHandler = std::function<Flow(const Head& head, std::string_view line)>;

// Sends the request and hands the body to onLine line by line as it arrives
// (split at LF; a last line without LF is handed over when the body ends, an
// empty body gives no call). Returns the head once the body has ended.
// onLine returning Flow::stop, or a stop request, ends the transfer with
// ErrorKind::cancelled; an exception thrown by onLine ends it and propagates.
Head stream(const Request& request, const LineHandler& onLine, std::stop_token stop = {});

// Receives the body's bytes exactly as they arrive, in pieces of any size,
// together with the response's head, which is complete before the first piece.
using ByteHandler = std::function<Flow(const Head& head, std::string_view bytes)>;

// Sends the request and hands the body to onBytes unchanged as it arrives
// (an empty body gives no call), so that a binary download never has to sit
// in memory whole. Returns the head once the body has ended. Stopping and
// exceptions behave as with stream().
Head streamBytes(const Request& request, const ByteHandler& onBytes, std::stop_token stop = {});

struct QueryItem {
  std::string name;
  std::string value;
};
// "name=value&name=value…" in the given order (names may repeat), without a
// leading "?". Every byte outside the unreserved set (letters, digits, "-",
// ".", "_", "~") is percent-encoded, so "+", "&", "=", "#" and blanks arrive
// as written and no server reads "+" as a blank.
std::string query(const std::vector<QueryItem>& items);

}  // namespace tovrane::http
