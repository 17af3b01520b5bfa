#include "support/LoopbackServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace loopback {
namespace {

constexpr std::size_t kMaxHead = 64 * 1024;
constexpr long kPollMicroseconds = 20'000;  // how often blocked threads look whether the server stops

bool EqualNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

const char* StandardReason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 304:
            return "Not Modified";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

// Request line and headers of `head` (without the blank line); false when the request line is malformed.
bool ParseHead(std::string_view head, Request& request) {
    std::size_t lineEnd = head.find("\r\n");
    const std::string_view line = head.substr(0, lineEnd);
    const std::size_t sp1 = line.find(' ');
    const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos) return false;
    request.method = line.substr(0, sp1);
    request.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    request.version = line.substr(sp2 + 1);
    request.path = request.target.substr(0, request.target.find('?'));
    while (lineEnd != std::string_view::npos) {
        const std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string_view header =
            head.substr(start, lineEnd == std::string_view::npos ? head.npos : lineEnd - start);
        const std::size_t colon = header.find(':');
        if (colon == std::string_view::npos) continue;
        request.headers.emplace_back(std::string(header.substr(0, colon)), std::string(Trim(header.substr(colon + 1))));
    }
    return true;
}

std::string ChunkEncode(std::string_view body, std::size_t chunkSize) {
    static constexpr char kHex[] = "0123456789abcdef";
    chunkSize = std::max<std::size_t>(chunkSize, 1);
    std::string out;
    for (std::size_t at = 0; at < body.size(); at += chunkSize) {
        const std::size_t n = std::min(chunkSize, body.size() - at);
        std::string size;
        for (std::size_t v = n; v != 0; v >>= 4) size.insert(size.begin(), kHex[v & 15]);
        out += size + "\r\n";
        out.append(body.substr(at, n));
        out += "\r\n";
    }
    out += "0\r\n\r\n";
    return out;
}

// Waits until `s` can be read (or written); false when the poll interval passed first.
bool Ready(SOCKET s, bool forWriting) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{0, kPollMicroseconds};
    const int n = select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &tv);
    return n > 0;
}

}  // namespace

std::optional<std::string> Request::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualNoCase(key, name)) return value;
    }
    return std::nullopt;
}

Response Response::Text(std::string body, int status, std::string contentType) {
    Response r;
    r.status = status;
    r.body = std::move(body);
    r.contentType = std::move(contentType);
    return r;
}

struct LoopbackServer::Connection {
    SOCKET socket = INVALID_SOCKET;
    int number = 0;
    std::atomic<bool> done{false};
    std::thread thread;
};

LoopbackServer::LoopbackServer() : listener_(INVALID_SOCKET) {
    WSADATA data;
    winsockStarted_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!winsockStarted_) return;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return;
    listener_ = s;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof(address);
    u_long nonBlocking = 1;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(s, SOMAXCONN) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0 || ioctlsocket(s, FIONBIO, &nonBlocking)) {
        return;
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    Stop();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    if (winsockStarted_) WSACleanup();
}

std::string LoopbackServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

void LoopbackServer::ServeTarget(std::string target, Response response) {
    std::lock_guard lock(mutex_);
    byTarget_[std::move(target)] = std::make_shared<const Response>(std::move(response));
}

void LoopbackServer::ServePath(std::string path, Response response) {
    std::lock_guard lock(mutex_);
    byPath_[std::move(path)] = std::make_shared<const Response>(std::move(response));
}

void LoopbackServer::SetFallback(Handler handler) {
    std::lock_guard lock(mutex_);
    fallback_ = std::move(handler);
}

void LoopbackServer::SetShaping(Shaping shaping) {
    std::lock_guard lock(mutex_);
    shaping_ = shaping;
}

std::vector<Request> LoopbackServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LoopbackServer::RequestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

int LoopbackServer::ConnectionCount() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

bool LoopbackServer::WaitForRequests(std::size_t count, Milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

int LoopbackServer::MaxInFlight(std::string_view prefix) const {
    std::vector<std::pair<uint64_t, int>> events;
    {
        std::lock_guard lock(mutex_);
        for (const Span& span : spans_) {
            if (!span.path.starts_with(prefix)) continue;
            events.emplace_back(span.begin, +1);
            if (span.end != 0) events.emplace_back(span.end, -1);
        }
    }
    std::sort(events.begin(), events.end());  // clock values are unique, so no ties
    int now = 0, most = 0;
    for (const auto& [time, step] : events) most = std::max(most, now += step);
    return most;
}

int LoopbackServer::InFlight(std::string_view prefix) const {
    std::lock_guard lock(mutex_);
    return int(std::count_if(spans_.begin(), spans_.end(),
                             [&](const Span& s) { return s.end == 0 && s.path.starts_with(prefix); }));
}

void LoopbackServer::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (acceptor_.joinable()) acceptor_.join();
    std::list<std::unique_ptr<Connection>> open;
    {
        std::lock_guard lock(mutex_);
        open.swap(open_);
    }
    for (auto& connection : open) connection->thread.join();  // each thread closes its own socket
}

bool LoopbackServer::Stopping() const {
    std::lock_guard lock(mutex_);
    return stopping_;
}

bool LoopbackServer::Sleep(Milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, duration, [this] { return stopping_; });
}

void LoopbackServer::AcceptLoop() noexcept {
    const SOCKET listener = listener_;
    while (!Stopping()) {
        if (Ready(listener, false)) {
            const SOCKET s = accept(listener, nullptr, nullptr);
            if (s != INVALID_SOCKET) {
                u_long nonBlocking = 1;
                ioctlsocket(s, FIONBIO, &nonBlocking);
                BOOL noDelay = TRUE;
                setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
                auto connection = std::make_unique<Connection>();
                connection->socket = s;
                Connection& c = *connection;
                std::lock_guard lock(mutex_);
                c.number = ++connections_;
                c.thread = std::thread([this, &c] { Serve(c); });
                open_.push_back(std::move(connection));
            }
        }
        // Join the threads of connections that ended, so that a long benchmark does not pile them up.
        std::list<std::unique_ptr<Connection>> ended;
        {
            std::lock_guard lock(mutex_);
            for (auto it = open_.begin(); it != open_.end();) {
                auto next = std::next(it);
                if ((*it)->done) ended.splice(ended.end(), open_, it);
                it = next;
            }
        }
        for (auto& connection : ended) connection->thread.join();
    }
}

std::size_t LoopbackServer::BeginRequest(Request request) {
    std::size_t index;
    {
        std::lock_guard lock(mutex_);
        spans_.push_back(Span{request.path, ++clock_, 0});
        requests_.push_back(std::move(request));
        index = requests_.size() - 1;
    }
    changed_.notify_all();
    return index;
}

void LoopbackServer::EndRequest(std::size_t index) {
    std::lock_guard lock(mutex_);
    spans_[index].end = ++clock_;
}

std::shared_ptr<const Response> LoopbackServer::Route(const Request& request) {
    Handler fallback;
    {
        std::lock_guard lock(mutex_);
        if (auto it = byTarget_.find(request.target); it != byTarget_.end()) return it->second;
        if (auto it = byPath_.find(request.path); it != byPath_.end()) return it->second;
        fallback = fallback_;
    }
    if (fallback) return std::make_shared<const Response>(fallback(request));  // outside the lock: it may look back
    return std::make_shared<const Response>(Response::Text("not found", 404));
}

bool LoopbackServer::SendAll(Connection& connection, std::string_view bytes) {
    Shaping shaping;
    {
        std::lock_guard lock(mutex_);
        shaping = shaping_;
    }
    const auto start = std::chrono::steady_clock::now();
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (Stopping()) return false;
        std::size_t slice = bytes.size() - sent;
        if (shaping.bytesPerSecond != 0) {
            slice = std::min(slice, std::max<std::size_t>(shaping.bytesPerSecond / 50, 1));
            const auto due = start + Milliseconds(sent * 1000 / shaping.bytesPerSecond);
            const auto now = std::chrono::steady_clock::now();
            if (due > now && !Sleep(std::chrono::duration_cast<Milliseconds>(due - now) + Milliseconds(1))) {
                return false;
            }
        }
        slice = std::min<std::size_t>(slice, 1 << 20);
        const int n = send(connection.socket, bytes.data() + sent, int(slice), 0);
        if (n > 0) {
            sent += std::size_t(n);
        } else if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
            Ready(connection.socket, true);
        } else {
            return false;
        }
    }
    return true;
}

void LoopbackServer::Serve(Connection& connection) noexcept {
    std::string buffer;
    bool open = true;
    bool reset = false;
    while (open) {
        // Read one request: head, then as many body bytes as Content-Length says.
        std::size_t headEnd = std::string::npos;
        std::size_t total = 0;
        for (;;) {
            if (headEnd == std::string::npos) {
                headEnd = buffer.find("\r\n\r\n");
                if (headEnd != std::string::npos) {
                    total = headEnd + 4;
                    Request probe;
                    if (ParseHead(std::string_view(buffer).substr(0, headEnd), probe)) {
                        if (auto length = probe.Header("Content-Length"))
                            total += std::strtoul(length->c_str(), nullptr, 10);
                    }
                }
            }
            if (headEnd != std::string::npos && buffer.size() >= total) break;
            if (headEnd == std::string::npos && buffer.size() > kMaxHead) {
                open = false;
                break;
            }
            if (Stopping()) {
                open = false;
                break;
            }
            if (!Ready(connection.socket, false)) continue;
            char chunk[16 * 1024];
            const int n = recv(connection.socket, chunk, sizeof(chunk), 0);
            if (n > 0) {
                buffer.append(chunk, std::size_t(n));
            } else if (!(n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK)) {
                open = false;
                break;
            }
        }
        if (!open) break;

        Request request;
        if (!ParseHead(std::string_view(buffer).substr(0, headEnd), request)) break;
        request.body = buffer.substr(headEnd + 4, total - headEnd - 4);
        request.raw = buffer.substr(0, total);
        request.connection = connection.number;
        buffer.erase(0, total);
        const auto response = Route(request);
        const bool clientCloses =
            EqualNoCase(request.Header("Connection").value_or(""), "close") ||
            (request.version == "HTTP/1.0" && !EqualNoCase(request.Header("Connection").value_or(""), "keep-alive"));
        const bool isHead = request.method == "HEAD";
        const std::size_t index = BeginRequest(std::move(request));

        Shaping shaping;
        {
            std::lock_guard lock(mutex_);
            shaping = shaping_;
        }
        open = Sleep(response->delay) && Sleep(shaping.firstByteDelay);
        if (open && response->mode == Mode::Stall) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_; });
            open = false;
        }
        if (open) {
            const std::string body =
                response->chunked ? ChunkEncode(response->body, response->chunkSize) : response->body;
            const bool closeAfter = response->closeAfter || clientCloses || response->mode != Mode::Complete;
            std::string head = "HTTP/1.1 " + std::to_string(response->status) + " " +
                               (response->reason.empty() ? StandardReason(response->status) : response->reason) +
                               "\r\n";
            if (!response->contentType.empty()) head += "Content-Type: " + response->contentType + "\r\n";
            head += response->chunked ? std::string("Transfer-Encoding: chunked\r\n")
                                      : "Content-Length: " + std::to_string(body.size()) + "\r\n";
            head += closeAfter ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
            for (const auto& [name, value] : response->headers) head += name + ": " + value + "\r\n";
            head += "\r\n";
            const std::string_view wholeBody = isHead ? std::string_view() : std::string_view(body);
            const std::string_view sentBody =
                response->mode == Mode::Complete ? wholeBody : wholeBody.substr(0, response->partialBytes);
            open = SendAll(connection, head) && SendAll(connection, sentBody) && !closeAfter;
            switch (response->mode) {
                case Mode::StallMidBody: {
                    std::unique_lock lock(mutex_);
                    changed_.wait(lock, [this] { return stopping_; });
                    break;
                }
                case Mode::ResetMidBody:
                    reset = true;
                    break;
                default:
                    break;
            }
        }
        EndRequest(index);
    }

    if (reset) {
        linger hard{1, 0};  // close with RST instead of FIN
        setsockopt(connection.socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof(hard));
    } else {
        shutdown(connection.socket, SD_SEND);
    }
    closesocket(connection.socket);
    connection.done = true;
}

}  // namespace loopback
