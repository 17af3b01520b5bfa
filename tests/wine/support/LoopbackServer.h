#pragma once
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

// An HTTP/1.1 server on 127.0.0.1 and an ephemeral port, living inside the test process. It answers each request from
// a table of canned responses, records what arrived, and can misbehave on purpose (stall, reset, cut a body short) so
// that tests see how the tool copes. Started by the constructor, stopped by the destructor; stopping never waits for
// a client, even one that stalls.
namespace loopback {

using Milliseconds = std::chrono::milliseconds;

struct Request {
    std::string method;
    std::string target;  // as sent on the request line: path and query
    std::string path;    // target up to the first '?'
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;  // in arrival order, values without surrounding blanks
    std::string body;
    std::string raw;     // every byte of the request: line, headers, blank line, body
    int connection = 0;  // 1-based number of the connection it arrived on

    // Value of the first header of that name (case-insensitive); nullopt when absent.
    std::optional<std::string> Header(std::string_view name) const;
};

// How the body goes out. Every mode but Complete stops after `partialBytes` bytes of the encoded body.
enum class Mode {
    Complete,      // the whole response; the connection then stays open for the next request
    Stall,         // read the request and never answer, until the server stops
    StallMidBody,  // status line, headers and `partialBytes` of the body, then nothing until the server stops
    ResetMidBody,  // headers and `partialBytes`, then a reset (RST) of the connection
    CutShort,      // headers announcing the full length, `partialBytes`, then an orderly close
};

struct Response {
    int status = 200;
    std::string reason;  // empty: a standard phrase for the status
    std::string contentType = "text/html";
    std::string body;                                          // any bytes, zero bytes included
    std::vector<std::pair<std::string, std::string>> headers;  // extra headers, sent after the standard ones
    bool chunked = false;                                      // Transfer-Encoding: chunked instead of Content-Length
    std::size_t chunkSize = 16;                                // body bytes per chunk when chunked
    Mode mode = Mode::Complete;
    std::size_t partialBytes = 0;  // bytes of the (encoded) body sent before the mode takes over
    Milliseconds delay{0};         // wait before the first byte of this response
    bool closeAfter = false;       // "Connection: close" and close once the response is out

    static Response Text(std::string body, int status = 200, std::string contentType = "text/html");
};

// Pacing of every connection, for benchmarks: a wait before the first byte of each response and a rate limit.
struct Shaping {
    Milliseconds firstByteDelay{0};
    std::size_t bytesPerSecond = 0;  // 0: unlimited
};

using Handler = std::function<Response(const Request&)>;

class LoopbackServer {
  public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool Listening() const { return port_ != 0; }
    uint16_t Port() const { return port_; }
    std::string BaseUrl() const;  // "http://127.0.0.1:<port>"

    // Routes, looked up in this order: the exact target ("path?query"), then the path alone, then the fallback;
    // without any match the answer is 404. Routes may change while the server runs.
    void ServeTarget(std::string target, Response response);
    void ServePath(std::string path, Response response);
    void SetFallback(Handler handler);
    void SetShaping(Shaping shaping);

    std::vector<Request> Requests() const;  // every request so far, in arrival order
    std::size_t RequestCount() const;
    int ConnectionCount() const;  // connections accepted so far
    // Waits until at least `count` requests have arrived; false on timeout.
    bool WaitForRequests(std::size_t count, Milliseconds timeout) const;
    // Largest number of requests whose path starts with `prefix` that were in flight at one moment. A request is in
    // flight from the end of its header until its response is sent in full or its connection ends.
    int MaxInFlight(std::string_view prefix) const;
    int InFlight(std::string_view prefix) const;

    // Closes every connection, stalled ones included, and joins all threads. Idempotent.
    void Stop();

  private:
    struct Connection;
    struct Span {
        std::string path;
        uint64_t begin = 0;
        uint64_t end = 0;  // 0 while in flight
    };

    void AcceptLoop() noexcept;
    void Serve(Connection& connection) noexcept;
    std::shared_ptr<const Response> Route(const Request& request);
    std::size_t BeginRequest(Request request);
    void EndRequest(std::size_t index);
    bool Sleep(Milliseconds duration);  // false when the server stops first
    bool SendAll(Connection& connection, std::string_view bytes);
    bool Stopping() const;

    uintptr_t listener_;  // SOCKET; kept as an integer so that this header needs no Winsock
    uint16_t port_ = 0;
    bool winsockStarted_ = false;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool stopping_ = false;
    std::map<std::string, std::shared_ptr<const Response>, std::less<>> byTarget_;
    std::map<std::string, std::shared_ptr<const Response>, std::less<>> byPath_;
    Handler fallback_;
    Shaping shaping_;
    std::vector<Request> requests_;
    std::vector<Span> spans_;  // one per request, same index
    uint64_t clock_ = 0;       // orders the begin and end of spans
    int connections_ = 0;

    std::list<std::unique_ptr<Connection>> open_;  // guarded by mutex_; threads joined by Stop
    std::thread acceptor_;
};

}  // namespace loopback
