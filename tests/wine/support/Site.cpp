#include "support/Site.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

#include "framework/Win32.h"

#include <winhttp.h>

Site::Site(std::string_view name) {
    static int sites = 0;
    const char* port = std::getenv("VOYANTA_SITE_PORT");
    port_ = port ? std::atoi(port) : 0;
    const std::string process = std::to_string(GetCurrentProcessId());
    corner_ = "/t/" + std::string(name) + "-" + process + "-" + std::to_string(++sites);
    noteId_ = process + std::to_string(sites);
}

// Always 127.0.0.1: the tests never reach beyond the loopback site.
std::string Site::Call(const char* method, const std::string& target, std::string_view body) const {
    using Handle = std::unique_ptr<void, decltype(&WinHttpCloseHandle)>;
    const Handle session(WinHttpOpen(L"site", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0), WinHttpCloseHandle);
    const Handle connection(WinHttpConnect(session.get(), L"127.0.0.1", static_cast<INTERNET_PORT>(port_), 0),
                            WinHttpCloseHandle);
    const std::wstring verb(method, method + std::strlen(method)), path(target.begin(), target.end());  // ASCII
    const Handle request(WinHttpOpenRequest(connection.get(), verb.c_str(), path.c_str(), nullptr, nullptr, nullptr, 0),
                         WinHttpCloseHandle);
    const auto size = static_cast<DWORD>(body.size());
    void* data = size ? const_cast<char*>(body.data()) : nullptr;
    if (!request || !WinHttpSendRequest(request.get(), nullptr, 0, data, size, size, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr))
        return {};
    std::string reply;
    char buffer[16384];
    for (DWORD got = 0; WinHttpReadData(request.get(), buffer, sizeof(buffer), &got) && got > 0;) reply.append(buffer, got);
    return reply;
}

void Site::Serve(std::string_view path, std::string_view body, std::string_view options) const {
    std::string target = "/_serve?path=";
    for (unsigned char c : corner_ + "/" + std::string(path)) {
        char hex[4] = {static_cast<char>(c)};
        if (c <= ' ' || c > 126 || std::string_view("?&=%#+").find(c) != std::string_view::npos)
            std::snprintf(hex, sizeof(hex), "%%%02X", c);
        target += hex;
    }
    Call("POST", options.empty() ? target : target + "&" + std::string(options), body);
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
    std::pair<int, int> now{-1, -1};
    std::istringstream(Call("GET", "/_inflight?prefix=" + corner_ + "/" + std::string(prefix))) >> now.first >> now.second;
    return now;
}

std::string Site::ChunkTarget(int seq) const {
    const std::string first = "note/ajax/detail/getNoteDetailContentChunk?id=" + noteId_;
    return seq == 0 ? first : first + "&seq=" + std::to_string(seq) + "&back=0";
}

std::string Site::Chunk(const std::vector<std::string>& names, bool more, int nextSeq) const {
    std::string html = "{\"data\":{\"html\":\"<div class=\\\"_j_note_content\\\">";
    for (const std::string& name : names) {
        std::string picture;  // the endpoint escapes every slash
        for (char c : Picture(name)) c == '/' ? picture += "\\/" : picture += c;
        html += "<p data-seq=\\\"" + std::to_string(nextSeq) + "\\\"><img data-src=\\\"" + picture +
                "?imageView2\\/2\\/w\\/660\\/q\\/90\\\"><\\/p>";
    }
    return html + "<\\/div>\",\"has_more\":" + (more ? "true" : "false") + "}}";
}

void Site::ServeNote(const std::vector<std::vector<std::string>>& chunks) const {
    for (size_t k = 0; k < chunks.size(); ++k) {
        const int seq = static_cast<int>(10 * k);
        Serve(ChunkTarget(seq), Chunk(chunks[k], k + 1 < chunks.size(), seq + 10), "type=application/json");
    }
}
