#include "core/support/Http.hpp"

#include "core/support/Text.hpp"

#include <curl/curl.h>

#include <arpa/inet.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>

namespace tovrane::http {

namespace {

using Clock = std::chrono::steady_clock;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
           return lower(x) == lower(y);
         });
}

// libcurl's global state must be set up once per process, before any handle
// and never concurrently; a function-local static gives exactly that.
void initializeCurl() {
  static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
  if (result != CURLE_OK) throw HttpError(ErrorKind::other, "Die HTTP-Bibliothek ließ sich nicht einrichten.");
}

// How a failed transfer is told: its kind and a German sentence in which %s
// stands for the host, the one detail a user can act on. libcurl's own texts
// are English and name internals.
struct FailureText {
  ErrorKind kind;
  std::string_view text;
};

constexpr FailureText notFound{ErrorKind::network,
                               "Der Server %s wurde nicht gefunden. Besteht eine Internetverbindung?"};
constexpr FailureText noConnection{ErrorKind::network, "Keine Verbindung zu %s möglich."};
constexpr FailureText viaProxy{ErrorKind::network, "Keine Verbindung zu %s über den Proxy-Server möglich."};
constexpr FailureText connectionLost{ErrorKind::network,
                                     "Die Verbindung zu %s wurde getrennt, bevor eine vollständige Antwort kam."};
constexpr FailureText insecure{ErrorKind::network,
                               "Keine sichere Verbindung zu %s möglich: die TLS-Verbindung oder das Zertifikat "
                               "wurde abgelehnt."};
constexpr FailureText silent{ErrorKind::timeout, "Der Server %s antwortet nicht (Zeitüberschreitung)."};
constexpr FailureText tooSlow{ErrorKind::timeout,
                              "Der Server %s hat nicht rechtzeitig geantwortet (Zeitlimit überschritten)."};
constexpr FailureText stopped{ErrorKind::cancelled, "Abgebrochen."};
constexpr FailureText refusedHeader{ErrorKind::other,
                                    "Die Anfrage an %s wurde nicht gesendet: eine Kopfzeile hat einen ungültigen "
                                    "Namen oder enthält ein Steuerzeichen."};
constexpr FailureText insecureRedirect{ErrorKind::other,
                                       "Der Server %s leitet auf eine unverschlüsselte Adresse weiter; das wird "
                                       "abgelehnt."};
constexpr FailureText tooManyRedirects{ErrorKind::other, "Der Server %s leitet zu oft weiter."};
constexpr FailureText tooLarge{ErrorKind::other, "Die Antwort von %s ist zu groß und wurde verworfen."};
constexpr FailureText failed{ErrorKind::other, "Die Anfrage an %s ist fehlgeschlagen."};

const FailureText& failureOf(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return notFound;
    case CURLE_COULDNT_CONNECT:
    case CURLE_QUIC_CONNECT_ERROR:
      return noConnection;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_PROXY:
      return viaProxy;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_HTTP3:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_BAD_CONTENT_ENCODING:
      return connectionLost;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return insecure;
    case CURLE_OPERATION_TIMEDOUT:
      return silent;
    case CURLE_ABORTED_BY_CALLBACK:
      return stopped;
    case CURLE_TOO_MANY_REDIRECTS:
      return tooManyRedirects;
    default:
      return failed;
  }
}

[[noreturn]] void raise(const FailureText& failure, std::string_view host) {
  throw HttpError(failure.kind, text::replaceAll(failure.text, "%s", host));
}

// Local model servers and test servers must never be sent to a company proxy.
bool isLoopbackHost(std::string_view host) {
  if (equalsIgnoringCase(host, "localhost")) return true;
  std::string literal(host);
  if (literal.size() >= 2 && literal.front() == '[' && literal.back() == ']') {
    literal = literal.substr(1, literal.size() - 2);
    literal = literal.substr(0, literal.find('%'));
    in6_addr address6{};
    return inet_pton(AF_INET6, literal.c_str(), &address6) == 1 && IN6_IS_ADDR_LOOPBACK(&address6);
  }
  in_addr address4{};
  return inet_pton(AF_INET, literal.c_str(), &address4) == 1 &&
         (ntohl(address4.s_addr) >> 24) == 127;
}

template <typename T, void (*release)(T*)>
struct Releaser {
  void operator()(T* handle) const { release(handle); }
};
using UrlHandle = std::unique_ptr<CURLU, Releaser<CURLU, curl_url_cleanup>>;
using HeaderList = std::unique_ptr<curl_slist, Releaser<curl_slist, curl_slist_free_all>>;
using EasyHandle = std::unique_ptr<CURL, Releaser<CURL, curl_easy_cleanup>>;
// curl_multi_cleanup returns a code, which a deleter has no use for.
void releaseMulti(CURLM* multi) { curl_multi_cleanup(multi); }
using MultiHandle = std::unique_ptr<CURLM, Releaser<CURLM, releaseMulti>>;

std::string urlPart(CURLU* url, CURLUPart part) {
  char* value = nullptr;
  if (curl_url_get(url, part, &value, 0) != CURLUE_OK || value == nullptr) return {};
  std::string result(value);
  curl_free(value);
  return result;
}

// Parses the URL before anything is sent, so that a malformed address or a
// scheme other than HTTP(S) fails as invalidURL and the proxy rule can look
// at the host.
[[noreturn]] void failInvalidURL(const std::string& text) {
  throw HttpError(ErrorKind::invalidURL, "Die Adresse „" + text::printable(text::prefixGraphemes(text, 200)) +
                                             "“ ist keine gültige http- oder https-Adresse.");
}

UrlHandle parseUrl(const std::string& text) {
  UrlHandle url(curl_url());
  if (!url) throw std::bad_alloc();
  if (curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) failInvalidURL(text);
  std::string scheme = urlPart(url.get(), CURLUPART_SCHEME);
  if (scheme != "http" && scheme != "https") failInvalidURL(text);
  return url;
}

// One transfer: the easy handle, the multi handle that drives it (so that
// the wait can be woken by a stop request and bounded by the idle time-out)
// and what the callbacks collect. Nothing of it outlives the call.
class Transfer {
 public:
  // At most one of onLine and onBytes; with neither, the body is collected whole.
  Transfer(const Request& request, const LineHandler* onLine, const ByteHandler* onBytes = nullptr)
      : request_(request),
        onLine_(onLine),
        onBytes_(onBytes),
        // What is kept in memory is always bounded: the whole body, or one line.
        bodyLimit_(request.maxBodyBytes.value_or(onLine || onBytes ? SIZE_MAX : defaultMaxBodyBytes)) {
    initializeCurl();
    url_ = parseUrl(request.url);
    const std::string host = urlPart(url_.get(), CURLUPART_HOST);
    host_ = text::printable(host);
    loopback_ = isLoopbackHost(host);
    easy_.reset(curl_easy_init());
    multi_.reset(curl_multi_init());
    if (!easy_ || !multi_) fail(failed);
    configure();
  }
  ~Transfer() {
    if (added_) curl_multi_remove_handle(multi_.get(), easy_.get());
  }
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  // Runs the transfer to its end; throws HttpError for every transfer that
  // did not produce a complete HTTP response.
  void run(std::stop_token stop);

  Head& head() { return head_; }
  std::string& body() { return body_; }

 private:
  void configure();
  void appendHeaderLine(const std::string& line);
  template <typename T>
  void set(CURLoption option, T value) {
    if (curl_easy_setopt(easy_.get(), option, value) != CURLE_OK) fail(failed);
  }
  [[noreturn]] void fail(const FailureText& failure) const { raise(failure, host_); }
  void takeHead();
  void deliverLines(bool atEnd);
  // Whether the redirect the finished header block asks for may be followed.
  bool redirectAllowed() const;

  static size_t onHeaderData(char* data, size_t size, size_t count, void* self);
  static size_t onBodyData(char* data, size_t size, size_t count, void* self);

  const Request& request_;
  const LineHandler* onLine_;
  const ByteHandler* onBytes_;
  const std::size_t bodyLimit_;
  // Declared so that each handle is released after everything that uses it:
  // the easy handle reads the URL and the header list, the multi handle
  // drives the easy handle.
  UrlHandle url_;
  std::string host_;  // as shown in messages
  bool loopback_ = false;
  HeaderList headerList_;
  EasyHandle easy_;
  MultiHandle multi_;
  bool added_ = false;

  // Written only by the callbacks, which run inside curl_multi_perform on
  // the calling thread.
  Headers collecting_;
  Head head_;
  bool headTaken_ = false;
  std::string body_;  // the whole body, or when streaming lines the unfinished one
  std::size_t scanned_ = 0;  // when streaming lines: the length of body_ searched for LF
  std::size_t received_ = 0;  // head and body
  std::size_t bodyReceived_ = 0;
  // Why a callback ended the transfer early: a body too large, a redirect
  // refused, the handler's stop.
  const FailureText* endedBy_ = nullptr;
  std::exception_ptr handlerFailure_;
};

void Transfer::appendHeaderLine(const std::string& line) {
  curl_slist* extended = curl_slist_append(headerList_.get(), line.c_str());
  if (extended == nullptr) fail(failed);
  // The list keeps its head; only the first append makes a new one.
  headerList_.release();
  headerList_.reset(extended);
}

void Transfer::configure() {
  set(CURLOPT_CURLU, url_.get());
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_VERBOSE, 0L);
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_SSL_VERIFYPEER, 1L);
  set(CURLOPT_SSL_VERIFYHOST, 2L);
  set(CURLOPT_HEADERFUNCTION, &Transfer::onHeaderData);
  set(CURLOPT_HEADERDATA, this);
  set(CURLOPT_WRITEFUNCTION, &Transfer::onBodyData);
  set(CURLOPT_WRITEDATA, this);
  set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::max<long long>(1, request_.timeout.count())));
  // An empty proxy overrides the proxy variables; elsewhere libcurl honours them.
  if (loopback_) set(CURLOPT_PROXY, "");
  if (request_.maxRedirects > 0) {
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, static_cast<long>(request_.maxRedirects));
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  }

  auto unsafe = [](const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; };
  bool hasContentType = false;
  for (const Header& header : request_.headers) {
    // A line break would smuggle further header lines into the request. The
    // text names neither the header nor its value: values carry API keys.
    if (header.name.empty() || unsafe(header.name) || unsafe(header.value) ||
        header.name.find(':') != std::string::npos)
      fail(refusedHeader);
    hasContentType = hasContentType || equalsIgnoringCase(header.name, "content-type");
    // "Name;" is libcurl's spelling of a header with an empty value.
    appendHeaderLine(header.value.empty() ? header.name + ";" : header.name + ": " + header.value);
  }
  const bool sendsBody = request_.method != "GET" || !request_.body.empty();
  // Without these, libcurl would label every body as a form and hold large
  // bodies back for a "100 Continue" that some servers never send.
  appendHeaderLine("Expect:");
  if (sendsBody && !hasContentType) appendHeaderLine("Content-Type:");
  set(CURLOPT_HTTPHEADER, headerList_.get());

  if (!sendsBody) {
    set(CURLOPT_HTTPGET, 1L);
  } else {
    set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request_.body.size()));
    set(CURLOPT_POSTFIELDS, request_.body.data());
    if (request_.method != "POST") set(CURLOPT_CUSTOMREQUEST, request_.method.c_str());
  }
}

size_t Transfer::onHeaderData(char* data, size_t size, size_t count, void* self) {
  auto& transfer = *static_cast<Transfer*>(self);
  const size_t length = size * count;
  transfer.received_ += length;
  std::string_view line(data, length);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  // The blank line ends a header block: libcurl follows a redirect right after it.
  if (line.empty() && !transfer.redirectAllowed()) {
    transfer.endedBy_ = &insecureRedirect;
    return 0;
  }
  if (text::startsWith(line, "HTTP/")) {
    // Each status line (an interim 1xx, a proxy's CONNECT answer, the final
    // response) starts a new header block; only the last one counts.
    transfer.collecting_.clear();
  } else if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
    if (!transfer.collecting_.empty()) {
      transfer.collecting_.back().value += ' ';
      transfer.collecting_.back().value += text::trimBlanks(line);
    }
  } else if (auto colon = line.find(':'); colon != std::string_view::npos) {
    transfer.collecting_.push_back(
        {std::string(text::trimBlanks(line.substr(0, colon))), std::string(text::trimBlanks(line.substr(colon + 1)))});
  }
  return length;
}

bool Transfer::redirectAllowed() const {
  if (request_.maxRedirects <= 0) return true;
  long status = 0;
  curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status);
  const std::optional<std::string> location = findHeader(collecting_, "location");
  if (status < 300 || status > 399 || status == 304 || !location) return true;
  // The target as libcurl will read it: relative to the address that answered.
  char* current = nullptr;
  curl_easy_getinfo(easy_.get(), CURLINFO_EFFECTIVE_URL, &current);
  UrlHandle target(curl_url());
  if (!target || current == nullptr || curl_url_set(target.get(), CURLUPART_URL, current, 0) != CURLUE_OK ||
      curl_url_set(target.get(), CURLUPART_URL, location->c_str(), 0) != CURLUE_OK)
    return true;  // libcurl cannot follow it either, and says so
  const std::string scheme = urlPart(target.get(), CURLUPART_SCHEME);
  return scheme == "https" || (scheme == "http" && loopback_ && isLoopbackHost(urlPart(target.get(), CURLUPART_HOST)));
}

void Transfer::takeHead() {
  if (headTaken_) return;
  long status = 0;
  curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status);
  head_.status = static_cast<int>(status);
  head_.headers = collecting_;
  headTaken_ = true;
}

void Transfer::deliverLines(bool atEnd) {
  std::size_t start = 0;
  // The unfinished line's bytes up to scanned_ hold no LF: a long line is searched once, not once per piece.
  for (std::size_t end; (end = body_.find('\n', std::max(start, scanned_))) != std::string::npos; start = end + 1) {
    if ((*onLine_)(head_, std::string_view(body_).substr(start, end - start)) == Flow::stop) {
      endedBy_ = &stopped;
      return;
    }
  }
  body_.erase(0, start);
  scanned_ = body_.size();
  if (atEnd && !body_.empty()) {
    if ((*onLine_)(head_, body_) == Flow::stop) endedBy_ = &stopped;
    body_.clear();
  }
}

size_t Transfer::onBodyData(char* data, size_t size, size_t count, void* self) {
  auto& transfer = *static_cast<Transfer*>(self);
  const size_t length = size * count;
  transfer.received_ += length;
  transfer.bodyReceived_ += length;
  transfer.takeHead();
  // Any count other than the one handed in makes libcurl abort the transfer.
  if (transfer.bodyReceived_ > transfer.bodyLimit_ ||
      (transfer.onLine_ != nullptr && transfer.body_.size() + length > defaultMaxBodyBytes)) {
    transfer.endedBy_ = &tooLarge;
    return 0;
  }
  if (transfer.onLine_ == nullptr && transfer.onBytes_ == nullptr) {
    transfer.body_.append(data, length);
    return length;
  }
  // The handler runs inside libcurl's C code, which an exception must not
  // cross: it is kept and rethrown once the transfer has been torn down.
  try {
    if (transfer.onBytes_ != nullptr) {
      if ((*transfer.onBytes_)(transfer.head_, std::string_view(data, length)) == Flow::stop)
        transfer.endedBy_ = &stopped;
    } else {
      transfer.body_.append(data, length);
      transfer.deliverLines(false);
    }
  } catch (...) {
    transfer.handlerFailure_ = std::current_exception();
    return 0;
  }
  return transfer.endedBy_ != nullptr ? 0 : length;
}

void Transfer::run(std::stop_token stop) {
  if (curl_multi_add_handle(multi_.get(), easy_.get()) != CURLM_OK) fail(failed);
  added_ = true;
  // Wakes the wait below at once; curl_multi_wakeup may be called from any
  // thread. Declared after the handles, so it is gone before they are.
  std::stop_callback wake(stop, [multi = multi_.get()] { curl_multi_wakeup(multi); });

  const auto timeout = std::max(request_.timeout, std::chrono::milliseconds(1));
  const auto start = Clock::now();
  auto lastActivity = start;
  std::size_t seenReceived = 0;
  curl_off_t seenSent = 0;
  std::optional<CURLcode> result;
  while (!result) {
    if (stop.stop_requested()) fail(stopped);
    int running = 0;
    if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) fail(failed);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
      if (message->msg == CURLMSG_DONE) result = message->data.result;
    }
    if (result) break;

    curl_off_t sent = 0;
    curl_easy_getinfo(easy_.get(), CURLINFO_SIZE_UPLOAD_T, &sent);
    const auto now = Clock::now();
    if (received_ != seenReceived || sent != seenSent) {
      seenReceived = received_;
      seenSent = sent;
      lastActivity = now;
    }
    const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastActivity);
    if (idle >= timeout) fail(silent);
    // libcurl shortens the wait further when one of its own timers is due.
    auto wait = std::min<std::chrono::milliseconds>(timeout - idle, std::chrono::seconds(1));
    if (request_.deadline) {
      const auto left = *request_.deadline - std::chrono::duration_cast<std::chrono::milliseconds>(now - start);
      if (left <= std::chrono::milliseconds(0)) fail(tooSlow);
      wait = std::min(wait, left);
    }
    if (curl_multi_poll(multi_.get(), nullptr, 0, static_cast<int>(wait.count()), nullptr) != CURLM_OK) fail(failed);
  }

  // A stop that came while the last bytes arrived still wins: the caller has
  // moved on.
  if (stop.stop_requested()) fail(stopped);
  if (handlerFailure_) std::rethrow_exception(handlerFailure_);
  if (endedBy_ != nullptr) fail(*endedBy_);
  if (*result != CURLE_OK) fail(failureOf(*result));
  takeHead();
  if (head_.status == 0) fail(connectionLost);
  if (onLine_ != nullptr) {
    deliverLines(true);
    if (endedBy_ != nullptr) fail(*endedBy_);
  }
}

}  // namespace

std::optional<std::string> findHeader(const Headers& headers, std::string_view name) {
  for (const Header& header : headers) {
    if (equalsIgnoringCase(header.name, name)) return header.value;
  }
  return std::nullopt;
}

Response send(const Request& request, std::stop_token stop) {
  Transfer transfer(request, nullptr);
  transfer.run(stop);
  return Response{transfer.head().status, std::move(transfer.head().headers), std::move(transfer.body())};
}

Head stream(const Request& request, const LineHandler& onLine, std::stop_token stop) {
  Transfer transfer(request, &onLine);
  transfer.run(stop);
  return std::move(transfer.head());
}

Head streamBytes(const Request& request, const ByteHandler& onBytes, std::stop_token stop) {
  Transfer transfer(request, nullptr, &onBytes);
  transfer.run(stop);
  return std::move(transfer.head());
}

std::string query(const std::vector<QueryItem>& items) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string out;
  auto encode = [&](std::string_view text) {
    for (unsigned char c : text) {
      const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                              c == '-' || c == '.' || c == '_' || c == '~';
      if (unreserved) {
        out += static_cast<char>(c);
      } else {
        out += '%';
        out += hex[c >> 4];
        out += hex[c & 0xF];
      }
    }
  };
  for (const QueryItem& item : items) {
    if (!out.empty()) out += '&';
    encode(item.name);
    out += '=';
    encode(item.value);
  }
  return out;
}

}  // namespace tovrane::http
