#include "core/support/Http.hpp"

#include "tests/support/FakeHttpServer.hpp"
#include "tests/support/FakeTool.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <thread>

namespace tovrane::http {
namespace {

using namespace std::chrono_literals;
using fakes::FakeChunk;
using fakes::FakeHttpServer;
using fakes::FakeReply;
using testsupport::eventually;
using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A time-out no test means to reach: a loaded machine may be slow, never this slow.
constexpr std::chrono::milliseconds patient = std::chrono::minutes(10);
// The slow alternative of a transfer that must end "at once": a pause of
// minutes, of which such a transfer has to take less than a third.
constexpr std::chrono::milliseconds longPause = std::chrono::minutes(3);
constexpr std::chrono::milliseconds atOnce = longPause / 3;

FakeReply answer(int status, std::string body, Headers headers = {}) {
  FakeReply reply;
  reply.status = status;
  reply.body = std::move(body);
  reply.headers = std::move(headers);
  return reply;
}

FakeReply chunked(std::vector<FakeChunk> chunks) {
  FakeReply reply;
  reply.chunks = std::move(chunks);
  return reply;
}

FakeReply withMode(FakeReply::Mode mode) {
  FakeReply reply;
  reply.mode = mode;
  return reply;
}

Request get(std::string url, std::chrono::milliseconds timeout = patient) {
  Request request;
  request.url = std::move(url);
  request.timeout = timeout;
  return request;
}

// The HttpError that fn throws; none when it returns.
template <typename Fn>
std::optional<HttpError> thrown(Fn&& fn) {
  try {
    fn();
  } catch (const HttpError& error) {
    return error;
  }
  return std::nullopt;
}

// Runs fn, expects an HttpError of that kind with that message.
template <typename Fn>
void expectFailure(Fn&& fn, ErrorKind kind, const std::string& message) {
  const auto error = thrown(std::forward<Fn>(fn));
  ASSERT_TRUE(error) << "no HttpError";
  EXPECT_EQ(error->kind(), kind);
  EXPECT_EQ(error->what(), message);
}

// Runs fn, expects an HttpError and returns its kind.
template <typename Fn>
ErrorKind failureKind(Fn&& fn) {
  if (const auto error = thrown(std::forward<Fn>(fn))) return error->kind();
  ADD_FAILURE() << "no HttpError";
  return ErrorKind::other;
}

// A port that is bound but not listening: connecting to it is refused, and no
// other program can take it while the socket lives.
class RefusedPort {
 public:
  RefusedPort() {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length), 0);
    port_ = ntohs(address.sin_port);
  }
  ~RefusedPort() { ::close(socket_); }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

 private:
  int socket_ = -1;
  std::uint16_t port_ = 0;
};

// Sets environment variables for one test and restores them afterwards.
class ScopedEnvironment {
 public:
  void set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        ::setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        ::unsetenv(it->first.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(HttpQuery, EncodesEveryByteOutsideTheUnreservedSet) {
  struct Case {
    std::vector<QueryItem> items;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{}, ""},
      {{{"key", "plain-._~AZaz09"}}, "key=plain-._~AZaz09"},
      {{{"key", "a+b & c=d #e"}}, "key=a%2Bb%20%26%20c%3Dd%20%23e"},
      {{{"key", "ü/?"}}, "key=%C3%BC%2F%3F"},
      {{{"key", "x"}, {"key", "y"}, {"k y", ""}}, "key=x&key=y&k%20y="},
  };
  for (const Case& c : cases) EXPECT_EQ(query(c.items), c.expected);
}

TEST(Http, SendsMethodPathQueryHeadersAndBodyExactly) {
  FakeHttpServer server;
  server.enqueue(answer(201, "created", {{"Retry-After", "7"}, {"X-Custom", "a:b"}}));
  const std::vector<QueryItem> items = {{"key", "ph:a+b & c=d"}, {"key", "err:ü x #1"}, {"other", ""}};
  Request request;
  request.method = "POST";
  request.url = server.url("/v1/fixes?" + query(items));
  request.headers = {{"content-type", "application/json"}, {"x-api-key", "secret"}, {"anthropic-version", "2023-06-01"}};
  request.body = std::string("{\"a\":\"\xC3\xBC\"}\n") + std::string(1100000, 'x');

  const Response response = send(request);
  EXPECT_EQ(response.status, 201);
  EXPECT_EQ(response.body, "created");
  EXPECT_EQ(response.header("retry-after"), "7");
  EXPECT_EQ(response.header("X-CUSTOM"), "a:b");
  EXPECT_EQ(response.header("missing"), std::nullopt);

  const auto recorded = server.requests();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].method, "POST");
  EXPECT_EQ(recorded[0].path, "/v1/fixes");
  ASSERT_EQ(recorded[0].query.size(), items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(recorded[0].query[i].name, items[i].name);
    EXPECT_EQ(recorded[0].query[i].value, items[i].value);
  }
  EXPECT_EQ(recorded[0].body, request.body);
  EXPECT_EQ(recorded[0].header("content-type"), "application/json");
  EXPECT_EQ(recorded[0].header("x-api-key"), "secret");
  EXPECT_EQ(recorded[0].header("anthropic-version"), "2023-06-01");
  // A large body must go out at once, not wait for a "100 Continue".
  EXPECT_EQ(recorded[0].header("expect"), std::nullopt);
}

TEST(Http, EveryStatusIsAResponseNotAnError) {
  FakeHttpServer server;
  for (int status : {200, 201, 404, 429, 503}) {
    server.enqueue(answer(status, "body " + std::to_string(status)));
    const Response response = send(get(server.url("/status")));
    EXPECT_EQ(response.status, status);
    EXPECT_EQ(response.body, "body " + std::to_string(status));
  }
}

TEST(Http, GetWithoutBodyAndPostWithoutContentTypeAddNothingOfTheirOwn) {
  FakeHttpServer server;
  send(get(server.url("/tags")));
  Request post = get(server.url("/pull"));
  post.method = "POST";
  post.body = "{}";
  send(post);
  const auto recorded = server.requests();
  ASSERT_EQ(recorded.size(), 2u);
  EXPECT_EQ(recorded[0].method, "GET");
  EXPECT_EQ(recorded[0].header("content-length"), std::nullopt);
  EXPECT_EQ(recorded[1].method, "POST");
  EXPECT_EQ(recorded[1].header("content-type"), std::nullopt);
  EXPECT_EQ(recorded[1].body, "{}");
}

TEST(Http, HeaderWithLineBreakIsRefusedWithoutNamingItsValue) {
  FakeHttpServer server;
  Request request = get(server.url("/"));
  request.headers = {{"authorization", "Bearer sk-secret\r\nX-Injected: 1"}};
  expectFailure([&] { send(request); }, ErrorKind::other,
                "Die Anfrage an 127.0.0.1 wurde nicht gesendet: eine Kopfzeile hat einen ungültigen Namen oder "
                "enthält ein Steuerzeichen.");
  EXPECT_TRUE(server.requests().empty());
}

TEST(Http, TransfersWithoutAnAnswerFailWithTheirKindAndAGermanSentence) {
  FakeHttpServer server;
  RefusedPort refused;
  server.on("/drop", withMode(FakeReply::Mode::closeWithoutAnswer));
  ScopedEnvironment environment;
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
    environment.set(name, nullptr);
  const std::string plain = "127.0.0.1:" + std::to_string(server.port());
  struct Case {
    std::string url;
    ErrorKind kind;
    std::string message;
  };
  const std::vector<Case> cases = {
      // The ".invalid" name never resolves.
      {"http://tovrane.invalid/", ErrorKind::network,
       "Der Server tovrane.invalid wurde nicht gefunden. Besteht eine Internetverbindung?"},
      {refused.url(), ErrorKind::network, "Keine Verbindung zu 127.0.0.1 möglich."},
      {server.url("/drop"), ErrorKind::network,
       "Die Verbindung zu 127.0.0.1 wurde getrennt, bevor eine vollständige Antwort kam."},
      // A TLS handshake with a server that speaks plain HTTP.
      {"https://" + plain + "/", ErrorKind::network,
       "Keine sichere Verbindung zu 127.0.0.1 möglich: die TLS-Verbindung oder das Zertifikat wurde abgelehnt."},
      {"", ErrorKind::invalidURL, "Die Adresse „“ ist keine gültige http- oder https-Adresse."},
      {"not a url", ErrorKind::invalidURL, "Die Adresse „not a url“ ist keine gültige http- oder https-Adresse."},
      {"http://" + plain + "/a b", ErrorKind::invalidURL,
       "Die Adresse „http://" + plain + "/a b“ ist keine gültige http- oder https-Adresse."},
      {"ftp://127.0.0.1/", ErrorKind::invalidURL,
       "Die Adresse „ftp://127.0.0.1/“ ist keine gültige http- oder https-Adresse."},
      {"file:///etc/passwd", ErrorKind::invalidURL,
       "Die Adresse „file:///etc/passwd“ ist keine gültige http- oder https-Adresse."},
      {"127.0.0.1/no-scheme", ErrorKind::invalidURL,
       "Die Adresse „127.0.0.1/no-scheme“ ist keine gültige http- oder https-Adresse."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    expectFailure([&] { send(get(c.url)); }, c.kind, c.message);
  }
}

TEST(Http, SilenceLongerThanTheTimeOutFailsAfterTheTimeOut) {
  FakeHttpServer server;
  server.enqueue(withMode(FakeReply::Mode::stall));
  const auto start = Clock::now();
  expectFailure([&] { send(get(server.url("/stall"), 1s)); }, ErrorKind::timeout,
                "Der Server 127.0.0.1 antwortet nicht (Zeitüberschreitung).");
  // Not before the time-out; the server keeps silent for minutes, so only the
  // time-out ends the transfer, and the bound above allows for a loaded machine.
  const auto elapsed = millisecondsSince(start);
  EXPECT_GE(elapsed, 1000);
  EXPECT_LT(elapsed, 30000);
}

TEST(Http, TransferLongerThanItsDeadlineFailsThoughBytesKeepComing) {
  FakeHttpServer server;
  // A byte now and then, far within the idle time-out, for far longer than the deadline.
  std::vector<FakeChunk> trickle;
  for (int i = 0; i < 40; ++i) trickle.push_back({200ms, "x"});
  server.enqueue(chunked(trickle));
  Request request = get(server.url("/slow"));
  request.deadline = 1s;
  expectFailure([&] { send(request); }, ErrorKind::timeout,
                "Der Server 127.0.0.1 hat nicht rechtzeitig geantwortet (Zeitlimit überschritten).");
}

TEST(Http, StopRequestEndsARunningTransferAtOnce) {
  FakeHttpServer server;
  server.enqueue(withMode(FakeReply::Mode::stall));
  std::stop_source stop;
  std::atomic<Clock::time_point> stoppedAt{};
  // Stopped once the request is there, the transfer waits for a server that
  // stays silent for minutes, and for a time-out of minutes.
  std::thread stopper([&] {
    EXPECT_TRUE(server.awaitRequests(1));
    stoppedAt = Clock::now();
    stop.request_stop();
  });
  EXPECT_EQ(failureKind([&] { send(get(server.url("/stall"), longPause), stop.get_token()); }),
            ErrorKind::cancelled);
  const auto ended = Clock::now();
  stopper.join();
  EXPECT_LT(ended - stoppedAt.load(), atOnce);
  ASSERT_EQ(server.requests().size(), 1u);

  // Already stopped: nothing is sent.
  EXPECT_EQ(failureKind([&] { send(get(server.url("/late")), stop.get_token()); }), ErrorKind::cancelled);
  EXPECT_EQ(server.requests().size(), 1u);
}

FakeReply redirect(int status, std::string location) { return answer(status, "moved", {{"Location", location}}); }

TEST(Http, FollowsRedirectsToSafeAddressesWithinTheLimit) {
  FakeHttpServer server;
  const std::string port = std::to_string(server.port());
  server.on("/feed", redirect(302, "/moved/feed"));
  server.on("/moved/feed", redirect(301, "http://localhost:" + port + "/final"));
  server.on("/final", answer(200, "the feed"));
  for (int i = 0; i < 6; ++i) server.on("/hop" + std::to_string(i), redirect(307, "/hop" + std::to_string(i + 1)));
  server.on("/hop6", answer(200, "far"));
  server.on("/to-plain", redirect(302, "http://tovrane.invalid/archive.tar.gz"));
  server.on("/to-tls", redirect(308, "https://127.0.0.1:" + port + "/final"));

  const Response followed = send(get(server.url("/feed")));
  EXPECT_EQ(followed.status, 200);
  EXPECT_EQ(followed.body, "the feed");
  std::vector<std::string> paths;
  for (const auto& request : server.requests()) paths.push_back(request.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"/feed", "/moved/feed", "/final"}));

  // A download sees the final body alone.
  std::string downloaded;
  streamBytes(get(server.url("/feed")), [&](const Head& head, std::string_view bytes) {
    EXPECT_EQ(head.status, 200);
    downloaded += bytes;
    return Flow::proceed;
  });
  EXPECT_EQ(downloaded, "the feed");

  Request limited = get(server.url("/hop1"));
  EXPECT_EQ(send(limited).body, "far");  // five redirects
  limited.url = server.url("/hop0");
  struct Case {
    Request request;
    ErrorKind kind;
    std::string message;
  };
  const std::vector<Case> cases = {
      {limited, ErrorKind::other, "Der Server 127.0.0.1 leitet zu oft weiter."},
      {get(server.url("/to-plain")), ErrorKind::other,
       "Der Server 127.0.0.1 leitet auf eine unverschlüsselte Adresse weiter; das wird abgelehnt."},
      // An https target is followed; this server speaks no TLS.
      {get(server.url("/to-tls")), ErrorKind::network,
       "Keine sichere Verbindung zu 127.0.0.1 möglich: die TLS-Verbindung oder das Zertifikat wurde abgelehnt."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request.url);
    expectFailure([&] { send(c.request); }, c.kind, c.message);
  }

  // Without redirects the answer is the redirect itself.
  Request unfollowed = get(server.url("/feed"));
  unfollowed.maxRedirects = 0;
  const Response moved = send(unfollowed);
  EXPECT_EQ(moved.status, 302);
  EXPECT_EQ(moved.header("location"), "/moved/feed");
}

TEST(Http, BodyAboveItsCapEndsTheTransfer) {
  constexpr std::size_t cap = std::size_t{1} << 20;
  const std::string tooLarge = "Die Antwort von 127.0.0.1 ist zu groß und wurde verworfen.";
  FakeHttpServer server;
  server.on("/exact", answer(200, std::string(cap, 'x')));
  server.on("/over", answer(200, std::string(cap + 1, 'x')));
  // Announces far more than it sends, then stays silent: only the cap ends the wait early.
  FakeReply endless = chunked({});
  for (int i = 0; i < 64; ++i) endless.chunks.push_back({0ms, std::string(64 * 1024, 'y')});
  endless.announcedLength = std::size_t{1} << 40;
  server.on("/endless", endless);

  Request request = get(server.url("/exact"), 30s);
  request.maxBodyBytes = cap;
  EXPECT_EQ(send(request).body.size(), cap);
  for (const char* path : {"/over", "/endless"}) {
    SCOPED_TRACE(path);
    request.url = server.url(path);
    expectFailure([&] { send(request); }, ErrorKind::other, tooLarge);
    std::size_t streamed = 0;
    EXPECT_TRUE(thrown([&] {
      streamBytes(request, [&](const Head&, std::string_view bytes) {
        streamed += bytes.size();
        return Flow::proceed;
      });
    }));
    EXPECT_LE(streamed, cap);
  }
}

TEST(Http, WithoutACapOnlyTheStreamingCallsTakeALongerBody) {
  FakeHttpServer server;
  server.on("/", answer(200, std::string(defaultMaxBodyBytes + 1, 'x')));
  const Request request = get(server.url("/"), 60s);
  EXPECT_EQ(failureKind([&] { send(request); }), ErrorKind::other);
  // One line that long is refused too; a stream of bytes is handed on.
  EXPECT_EQ(failureKind([&] { stream(request, [](const Head&, std::string_view) { return Flow::proceed; }); }),
            ErrorKind::other);
  std::size_t streamed = 0;
  streamBytes(request, [&](const Head&, std::string_view bytes) {
    streamed += bytes.size();
    return Flow::proceed;
  });
  EXPECT_EQ(streamed, defaultMaxBodyBytes + 1);
}

TEST(HttpStream, HandsOverEachLineAsItArrives) {
  FakeHttpServer server;
  // Chunk i waits until i lines were handed over, and notes whether they were.
  std::atomic<std::size_t> handled = 0;
  std::array<std::atomic<bool>, 3> linesBefore{};
  FakeReply reply = chunked({{0ms, "{\"status\":\"one\"}\n"}, {0ms, "two\nthr"}, {0ms, "ee"}});
  reply.beforeChunk = [&](std::size_t i) { linesBefore[i] = eventually([&] { return handled >= i; }, 1min); };
  server.enqueue(reply);
  struct Call {
    std::string line;
    int status;
  };
  std::vector<Call> calls;
  Request request = get(server.url("/api/pull"));
  request.method = "POST";
  request.body = "{\"model\":\"m\",\"stream\":true}";
  const Head head = stream(request, [&](const Head& current, std::string_view line) {
    calls.push_back({std::string(line), current.status});
    ++handled;
    return Flow::proceed;
  });
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.header("transfer-encoding"), "chunked");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].line, "{\"status\":\"one\"}");
  EXPECT_EQ(calls[1].line, "two");
  // The last line has no LF and arrives when the body ends.
  EXPECT_EQ(calls[2].line, "three");
  EXPECT_EQ(calls[0].status, 200);
  // The first two lines were handed over while the server was still sending.
  EXPECT_TRUE(linesBefore[1]);
  EXPECT_TRUE(linesBefore[2]);
}

TEST(HttpStream, EmptyLinesAreKeptAndAnEmptyBodyGivesNoCall) {
  FakeHttpServer server;
  server.enqueue(chunked({{0ms, "a\n\n"}, {0ms, "b\n"}}));
  server.enqueue(answer(500, ""));
  std::vector<std::string> lines;
  auto collect = [&](const Head&, std::string_view line) {
    lines.emplace_back(line);
    return Flow::proceed;
  };
  stream(get(server.url("/")), collect);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b"}));
  lines.clear();
  EXPECT_EQ(stream(get(server.url("/")), collect).status, 500);
  EXPECT_TRUE(lines.empty());
}

TEST(HttpStream, HandlerEndsTheTransferByStopOrByThrowing) {
  FakeHttpServer server;
  const std::vector<FakeChunk> slow = {{0ms, "first\nsecond\n"}, {longPause, "late\n"}};
  server.on("/slow", chunked(slow));

  int calls = 0;
  auto start = Clock::now();
  EXPECT_EQ(failureKind([&] {
              stream(get(server.url("/slow")), [&](const Head&, std::string_view) {
                ++calls;
                return Flow::stop;
              });
            }),
            ErrorKind::cancelled);
  EXPECT_EQ(calls, 1);
  EXPECT_LT(millisecondsSince(start), atOnce.count());

  start = Clock::now();
  EXPECT_THROW(stream(get(server.url("/slow")),
                      [&](const Head&, std::string_view) -> Flow { throw std::runtime_error("bad line"); }),
               std::runtime_error);
  EXPECT_LT(millisecondsSince(start), atOnce.count());
}

TEST(HttpStream, SteadyStreamLongerThanTheTimeOutDoesNotTimeOut) {
  FakeHttpServer server;
  std::vector<FakeChunk> chunks;
  // Gaps far below the time-out, so a loaded machine's scheduling delays do
  // not reach it; together they last longer than it.
  for (int i = 0; i < 14; ++i) chunks.push_back({250ms, "line " + std::to_string(i) + "\n"});
  server.enqueue(chunked(chunks));
  int lines = 0;
  const auto start = Clock::now();
  const auto timeout = 3000ms;
  stream(get(server.url("/"), timeout), [&](const Head&, std::string_view) {
    ++lines;
    return Flow::proceed;
  });
  EXPECT_EQ(lines, 14);
  EXPECT_GT(millisecondsSince(start), timeout.count());
}

TEST(HttpStreamBytes, HandsOverTheBodyUnchangedAsItArrives) {
  FakeHttpServer server;
  // Binary bytes: NULs, line breaks and CR LF pairs are not split at or changed.
  std::string first("\x1f\x8b\0\r\n\n", 6);
  std::string second("\xff\0tail\r", 7);
  // The second piece waits until the first was handed over.
  std::atomic<std::size_t> handled = 0;
  std::atomic<bool> firstBeforeSecond = false;
  FakeReply pieced = chunked({{0ms, first}, {0ms, second}});
  pieced.beforeChunk = [&](std::size_t i) {
    if (i == 1) firstBeforeSecond = eventually([&] { return handled >= 1; }, 1min);
  };
  server.enqueue(pieced);
  std::string body(300000, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7);
  server.enqueue(answer(404, body));

  std::vector<std::string> pieces;
  std::vector<int> statuses;
  const Head head = streamBytes(get(server.url("/archive")), [&](const Head& current, std::string_view bytes) {
    pieces.emplace_back(bytes);
    statuses.push_back(current.status);
    ++handled;
    return Flow::proceed;
  });
  EXPECT_EQ(head.status, 200);
  ASSERT_GE(pieces.size(), 2u);
  std::string joined;
  for (const std::string& piece : pieces) joined += piece;
  EXPECT_EQ(joined, first + second);
  EXPECT_EQ(pieces.front(), first);
  EXPECT_TRUE(firstBeforeSecond);
  EXPECT_EQ(statuses.front(), 200);

  // A large body with its length, under any status: every byte, the head with it.
  joined.clear();
  std::optional<std::string> length;
  const Head notFound = streamBytes(get(server.url("/missing")), [&](const Head& current, std::string_view bytes) {
    length = current.header("content-length");
    joined += bytes;
    return Flow::proceed;
  });
  EXPECT_EQ(notFound.status, 404);
  EXPECT_EQ(length, std::to_string(body.size()));
  EXPECT_TRUE(joined == body);
}

TEST(HttpStreamBytes, BrokenBodyFailsAfterWhatArrivedAndHandlerCanStop) {
  FakeHttpServer server;
  FakeReply broken = chunked({{0ms, "part one"}, {100ms, "part two"}});
  broken.breakOff = true;
  server.on("/broken", broken);
  server.on("/slow", chunked({{0ms, "head"}, {longPause, "late"}}));

  std::string received;
  EXPECT_EQ(failureKind([&] {
              streamBytes(get(server.url("/broken")), [&](const Head&, std::string_view bytes) {
                received += bytes;
                return Flow::proceed;
              });
            }),
            ErrorKind::network);
  EXPECT_EQ(received, "part onepart two");

  int calls = 0;
  const auto start = Clock::now();
  EXPECT_EQ(failureKind([&] {
              streamBytes(get(server.url("/slow")), [&](const Head&, std::string_view) {
                ++calls;
                return Flow::stop;
              });
            }),
            ErrorKind::cancelled);
  EXPECT_EQ(calls, 1);
  EXPECT_LT(millisecondsSince(start), atOnce.count());
}

TEST(Http, ParallelRequestsFromManyThreadsGetTheirOwnBodies) {
  FakeHttpServer server;
  constexpr int requestCount = 32;
  constexpr int threadCount = 8;
  for (int i = 0; i < requestCount; ++i) {
    FakeReply reply = answer(200, "body of " + std::to_string(i) + std::string(static_cast<std::size_t>(i) * 997, '.'));
    reply.delay = 50ms;
    // The first answer waits for a second request: two are surely in flight at once.
    if (i == 0) reply.whileInFlight = [&server] { server.awaitRequests(2); };
    server.on("/item/" + std::to_string(i), reply);
  }
  std::atomic<int> next{0};
  std::atomic<int> correct{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < threadCount; ++t) {
    threads.emplace_back([&] {
      for (int i; (i = next++) < requestCount;) {
        Request request = get(server.url("/item/" + std::to_string(i)));
        request.headers = {{"x-index", std::to_string(i)}};
        const Response response = send(request);
        const std::string expected = "body of " + std::to_string(i) + std::string(static_cast<std::size_t>(i) * 997, '.');
        if (response.status == 200 && response.body == expected) ++correct;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(correct, requestCount);
  EXPECT_EQ(server.requests().size(), static_cast<std::size_t>(requestCount));
  EXPECT_GT(server.maxInFlight(), 1);
}

TEST(Http, LoopbackBypassesTheProxyAndOtherHostsUseIt) {
  FakeHttpServer server;
  FakeHttpServer proxy;
  RefusedPort deadProxy;
  ScopedEnvironment environment;
  environment.set("no_proxy", nullptr);
  environment.set("NO_PROXY", nullptr);

  environment.set("http_proxy", deadProxy.url().c_str());
  for (const std::string host : {"127.0.0.1", "localhost"}) {
    server.enqueue(answer(200, "direct"));
    EXPECT_EQ(send(get("http://" + host + ":" + std::to_string(server.port()) + "/direct")).body, "direct");
  }

  // The ".invalid" name never resolves: only a proxy can answer it.
  environment.set("http_proxy", proxy.url().c_str());
  proxy.enqueue(answer(200, "via proxy"));
  EXPECT_EQ(send(get("http://tovrane.invalid/probe")).body, "via proxy");
  ASSERT_EQ(proxy.requests().size(), 1u);
  EXPECT_EQ(proxy.requests()[0].path, "http://tovrane.invalid/probe");
}

}  // namespace
}  // namespace tovrane::http
