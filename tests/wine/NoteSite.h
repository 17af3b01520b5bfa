#pragma once
// A note of the travel-notes site served from the loopback server: its content chunks, in the escaped form the
// chunk endpoint uses, and its full-size pictures.
#include <string>
#include <utility>
#include <vector>

#include "scrape/NoteFetch.h"
#include "support/LoopbackServer.h"

class NoteSite {
  public:
    static constexpr char kChunkPath[] = "/note/ajax/detail/getNoteDetailContentChunk";
    explicit NoteSite(std::string noteId = "123") : noteId_(std::move(noteId)) {}

    const std::string& NoteId() const { return noteId_; }
    // The address the user pastes: only its id matters, the page itself is never fetched.
    std::string NoteAddress() const { return "http://www.voyanta.com/i/" + noteId_ + ".html"; }

    // Points the tool's chunk requests at this server.
    void UseForChunks() const { ComposeChunkEndpointBase("127.0.0.1:" + std::to_string(server.Port())); }

    // The full-size address of a picture, as the list shows it.
    std::string Picture(const std::string& name) const { return server.BaseUrl() + "/photos/" + name; }

    // A picture's thumbnail as the chunk's page text carries it: slashes escaped, thumbnail parameters appended.
    std::string Thumbnail(const std::string& name) const {
        std::string escaped;
        for (char c : Picture(name)) escaped += c == '/' ? std::string("\\/") : std::string(1, c);
        return escaped + "?imageView2\\/2\\/w\\/660\\/q\\/90";
    }

    // One reply of the chunk endpoint. `nextSeq` is the number of the last paragraph, which the next request asks for.
    std::string Chunk(const std::vector<std::string>& names, bool more, int nextSeq) const {
        std::string html = "{\"data\":{\"html\":\"<div class=\\\"_j_note_content\\\">";
        for (const std::string& name : names) {
            html += "<p data-seq=\\\"" + std::to_string(nextSeq) + "\\\"><img class=\\\"_j_lazyload\\\" data-src=\\\"" +
                    Thumbnail(name) + "\\\" alt=\\\"\\\"><\\/p>";
        }
        html += "<\\/div>\",\"has_more\":";
        html += more ? "true" : "false";
        return html + "}}";
    }

    // Chunks served in order: the first for the note id alone, each next one for the seq the previous one names.
    void ServeChunks(const std::vector<std::vector<std::string>>& chunks) {
        const std::string first = std::string(kChunkPath) + "?id=" + noteId_;
        for (size_t k = 0; k < chunks.size(); ++k) {
            const bool more = k + 1 < chunks.size();
            const int nextSeq = static_cast<int>(10 * (k + 1));
            const std::string target = k == 0 ? first : first + "&seq=" + std::to_string(10 * k) + "&back=0";
            server.ServeTarget(target,
                               loopback::Response::Text(Chunk(chunks[k], more, nextSeq), 200, "application/json"));
        }
    }

    void ServePicture(const std::string& name, const std::string& bytes) {
        server.ServePath("/photos/" + name, loopback::Response::Text(bytes, 200, "image/jpeg"));
    }

    // The targets requested so far, in order.
    std::vector<std::string> Targets() const {
        std::vector<std::string> targets;
        for (const loopback::Request& r : server.Requests()) targets.push_back(r.target);
        return targets;
    }

    loopback::LoopbackServer server;

  private:
    std::string noteId_;
};
