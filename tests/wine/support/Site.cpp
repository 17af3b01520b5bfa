#include "support/Site.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "framework/Win32.h"

#include <winhttp.h>

namespace {

constexpr char kChunkPath[] = "note/ajax/detail/getNoteDetailContentChunk";

using InternetHandle = std::unique_ptr<void, decltype(&WinHttpCloseHandle)>;

std::string EscapeSlashes(std::string_view text) {
    std::string escaped;
    for (char c : text) escaped += c == '/' ? std::string("\\/") : std::string(1, c);
    return escaped;
}

}  // namespace

Site::Site(std::string_view name) {
    const char* port = std::getenv("VOYANTA_SITE_PORT");
    port_ = port ? std::atoi(port) : 0;
    static int sites = 0;
    const std::string process = std::to_string(GetCurrentProcessId());
    corner_ = "/t/" + std::string(name) + "-" + process + "-" + std::to_string(++sites);
    noteId_ = process + std::to_string(sites);
}

std::string Site::Url(std::string_view path) const {
    return "http://" + Host() + "/" + std::string(path);
}

std::string Site::Host() const {
    return "127.0.0.1:" + std::to_string(port_) + corner_;
}

std::string Site::Call(const char* method, const std::string& target, std::string_view body) const {
    const std::wstring wideMethod(method, method + std::char_traits<char>::length(method));
    const std::wstring wideTarget(target.begin(), target.end());  // ASCII
    const InternetHandle session(WinHttpOpen(L"site", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0),
                                 WinHttpCloseHandle);
    const InternetHandle connection(
        WinHttpConnect(session.get(), L"127.0.0.1", static_cast<INTERNET_PORT>(port_), 0), WinHttpCloseHandle);
    const InternetHandle request(WinHttpOpenRequest(connection.get(), wideMethod.c_str(), wideTarget.c_str(), nullptr,
                                                    nullptr, nullptr, 0),
                                 WinHttpCloseHandle);
    if (!request) return {};
    auto* data = const_cast<char*>(body.data());
    const auto size = static_cast<DWORD>(body.size());
    if (!WinHttpSendRequest(request.get(), nullptr, 0, size ? data : nullptr, size, size, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr))
        return {};
    std::string reply;
    char buffer[16384];
    DWORD got = 0;
    while (WinHttpReadData(request.get(), buffer, sizeof(buffer), &got) && got > 0) reply.append(buffer, got);
    return reply;
}

void Site::Serve(std::string_view path, std::string_view body, std::string_view options) const {
    std::string escaped;
    for (char c : corner_ + "/" + std::string(path)) {
        if (c == '?' || c == '&' || c == '=' || c == '%' || c == '#' || c == '+' || static_cast<unsigned char>(c) > 126 ||
            c <= ' ') {
            char hex[4];
            std::snprintf(hex, sizeof(hex), "%%%02X", static_cast<unsigned char>(c));
            escaped += hex;
        } else {
            escaped += c;
        }
    }
    std::string target = "/_serve?path=" + escaped;
    if (!options.empty()) target.append("&").append(options);
    Call("POST", target, body);
}

std::vector<std::string> Site::Requests() const {
    std::vector<std::string> requests;
    const std::string log = Call("GET", "/_log?prefix=" + corner_ + "/");
    for (size_t at = 0, end; (end = log.find("\n\n", at)) != std::string::npos; at = end + 2)
        requests.push_back(log.substr(at, end - at + 1));
    return requests;
}

std::vector<std::string> Site::Targets() const {
    std::vector<std::string> targets;
    for (const std::string& request : Requests()) {
        const size_t start = request.find(' ') + 1 + corner_.size() + 1;
        targets.push_back(request.substr(start, request.find(' ', start) - start));
    }
    return targets;
}

std::pair<int, int> Site::InFlight(std::string_view prefix) const {
    std::istringstream counts(Call("GET", "/_inflight?prefix=" + corner_ + "/" + std::string(prefix)));
    std::pair<int, int> now{-1, -1};
    counts >> now.first >> now.second;
    return now;
}

std::string Site::ChunkTarget(int seq) const {
    const std::string first = std::string(kChunkPath) + "?id=" + noteId_;
    return seq == 0 ? first : first + "&seq=" + std::to_string(seq) + "&back=0";
}

std::string Site::Chunk(const std::vector<std::string>& names, bool more, int nextSeq) const {
    std::string html = "{\"data\":{\"html\":\"<div class=\\\"_j_note_content\\\">";
    for (const std::string& name : names) {
        html += "<p data-seq=\\\"" + std::to_string(nextSeq) + "\\\"><img data-src=\\\"" +
                EscapeSlashes(Picture(name)) + "?imageView2\\/2\\/w\\/660\\/q\\/90\\\"><\\/p>";
    }
    return html + "<\\/div>\",\"has_more\":" + (more ? "true" : "false") + "}}";
}

void Site::ServeNote(const std::vector<std::vector<std::string>>& chunks) const {
    for (size_t k = 0; k < chunks.size(); ++k) {
        const int seq = static_cast<int>(10 * k);
        Serve(ChunkTarget(seq), Chunk(chunks[k], k + 1 < chunks.size(), seq + 10), "type=application/json");
    }
}
