#pragma once
// The loopback stand-in of the travel-notes site (tools/loopback_site.py), started once for the test run; its port is
// in VOYANTA_SITE_PORT. Each Site object owns a corner of it, /t/<name>-<process>-<n>/, so tests running side by side
// never see each other's replies or requests.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Site {
  public:
    explicit Site(std::string_view name);

    bool Running() const { return port_ != 0; }
    // Where the tool's chunk requests go for this site's notes; the full address of a path ("photos/a.jpg").
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_) + corner_; }
    std::string Url(std::string_view path) const { return "http://" + Host() + "/" + std::string(path); }

    // A reply for a path of this site ("path" matches any query, "path?query" only that one, "path*" every path that
    // starts so). The options are those of the site's reply as a query: "status=404&type=text/html", "stall=1", ...
    void Serve(std::string_view path, std::string_view body, std::string_view options = "") const;
    // Every request for this site so far: its request line, then its "Name: value" header lines.
    std::vector<std::string> Requests() const;
    // The targets of those requests, without this site's corner: "photos/a.jpg".
    std::vector<std::string> Targets() const;
    // Requests for paths under the prefix being answered now, and the most answered at one moment.
    std::pair<int, int> InFlight(std::string_view prefix = "") const;

    // A note of this site with its own id, and the address the user pastes for it.
    std::string NoteId() const { return noteId_; }
    std::string NoteAddress() const { return "http://www.voyanta.com/i/" + noteId_ + ".html"; }
    // Serves the note's chunks: chunk k lists the thumbnails of its pictures and, but for the last, announces more.
    void ServeNote(const std::vector<std::vector<std::string>>& chunks) const;
    // The full-size address of a picture of the note, as the list shows it; served under "photos/".
    std::string Picture(std::string_view name) const { return Url("photos/" + std::string(name)); }
    // One chunk reply, in the escaped form of the site's endpoint.
    std::string Chunk(const std::vector<std::string>& names, bool more, int nextSeq) const;
    std::string ChunkTarget(int seq) const;  // the path and query of the chunk request for that seq (0: the first)

  private:
    std::string Call(const char* method, const std::string& target, std::string_view body = {}) const;

    int port_ = 0;
    std::string corner_;  // "/t/<name>-<process>-<n>"
    std::string noteId_;
};
