// Picture addresses and note addresses made to lead a download out of its folder, through the real window: a search
// lists them, "下载选中" downloads them, and every file lands inside the download folder under a valid name (or its
// row fails). Nothing is written anywhere else.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "Form1Fixture.h"
#include "NoteSite.h"
#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "services/ListView.h"
#include "support/ScratchFolder.h"

using loopback::Request;
using loopback::Response;

namespace {

const std::wstring kDone = L"下载完成";
const std::wstring kFailed = L"下载失败";

// Every file and folder under the root, as paths relative to it; folders end in a backslash.
void ListTree(const std::wstring& root, const std::wstring& relative, std::set<std::wstring>& out) {
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((root + relative + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.insert(relative + name + L"\\");
            ListTree(root, relative + name + L"\\", out);
        } else {
            out.insert(relative + name);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

std::set<std::wstring> Tree(const std::wstring& root) {
    std::set<std::wstring> entries;
    ListTree(root, L"", entries);
    return entries;
}

// Names directly inside a folder that hold the marker.
std::vector<std::wstring> MarkedEntries(const std::wstring& folder, const std::wstring& marker) {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        if (std::wstring(entry.cFileName).find(marker) != std::wstring::npos) found.push_back(folder + entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

// The folder and each folder above it, up to the drive's root, each ending in a backslash.
std::vector<std::wstring> FolderAndAncestors(std::wstring folder) {
    std::vector<std::wstring> folders;
    while (!folder.empty()) {
        folders.push_back(folder);
        const size_t cut = folder.find_last_of(L'\\', folder.size() - 2);
        if (cut == std::wstring::npos) break;
        folder.resize(cut + 1);
    }
    return folders;
}

std::string PictureBytes() {
    std::string bytes = "\xFF\xD8\xFF\xE0 hostile";
    for (int i = 0; i < 9000; ++i) bytes.push_back(static_cast<char>((i * 31) & 0xFF));
    return bytes;
}

class HostileAddress : public Form1Fixture {
  protected:
    void SetUp() override {
        Form1Fixture::SetUp();
        ASSERT_TRUE(site_.server.Listening());
        marker_ = "esc" + std::to_string(GetCurrentProcessId());
    }

    HWND List() const { return Form().ListView1.window; }
    std::wstring Cell(int row, int column) const { return ListViewGetItemText(List(), row, column).Str(); }
    std::wstring Marker() const { return WideFromText(marker_); }

    void Search(const std::string& address) {
        SetControlText(Form().Text1.window, WString(address));
        Press(Form().Command1);
    }

    NoteSite site_;
    std::string marker_;  // in every hostile name, so that an escaped file is found wherever it went
};

}  // namespace

TEST_F(HostileAddress, PicturesLandInsideTheDownloadFolderUnderValidNamesOrTheirRowsFail) {
    const std::string base = site_.server.BaseUrl() + "/p/";
    const std::string m = marker_;
    // Each tail tries another way out of the folder or another character Windows refuses in a name. The reply
    // carries them as written; only "\/" becomes "/".
    const std::vector<std::string> tails = {
        "x.jpg\\..\\..\\..\\..\\..\\..\\..\\" + m,  // back out through the extension
        "x.\\..\\..\\..\\" + m + "\\y",             // a separator right after the last dot
        "a.jpg/../../../" + m,                      // forward slashes after the dot
        "x.jpg:" + m,                               // a stream of a file, or a drive on Linux
        "x.jpg::$DATA" + m,                         // the data stream of a file by its full name
        "x.j*g<>|" + m,                             // wildcards and redirections
        "x.j\tg" + m,                               // a control character
        "x.jpg\x95\x5C" + m,                        // a Chinese character whose second byte is a backslash
        "x.jpg%2F..%2F..%2F" + m,                   // escaped separators stay plain characters in a name
        m + "..",                                   // a name ending in dots
        m + ". .",                                  // dots and blanks that Windows trims
        "x.jpg\\C:\\" + m,                          // an absolute path inside the tail
    };
    std::string page = "<html>";
    for (const std::string& tail : tails) {
        std::string escaped;
        for (char c : base + tail) escaped += c == '/' ? std::string("\\/") : std::string(1, c);
        page += "<img src=\"" + escaped + "?imageView2\\/2\\/w\\/660\">";
    }
    site_.server.ServePath("/page", Response::Text(page + "</html>"));
    const std::string picture = PictureBytes();
    site_.server.SetFallback([picture](const Request&) { return Response::Text(picture, 200, "image/jpeg"); });

    ScratchFolder sandbox;
    const std::wstring folder = sandbox.Path() + L"inner\\pictures\\";
    std::vector<std::vector<std::wstring>> markedBefore;
    const std::vector<std::wstring> watched = FolderAndAncestors(sandbox.Path());
    for (const std::wstring& f : watched) markedBefore.push_back(MarkedEntries(f, Marker()));
    const std::wstring exeFolder = CurrentExecutablePath().folder;
    const std::vector<std::wstring> exeMarkedBefore = MarkedEntries(exeFolder, Marker());

    Search(site_.server.BaseUrl() + "/page");
    const int rows = ListViewGetItemCount(List());
    ASSERT_EQ(rows, static_cast<int>(tails.size())) << "each hostile address is listed";
    SetControlText(Form().Text3.window, WString(folder));
    Press(Form().Command2);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(Form().Command2.window); }, std::chrono::seconds(60)));

    // Inside the sandbox: the folder chain the download made, and in the folder only files of downloaded rows.
    std::set<std::wstring> expected = {L"inner\\", L"inner\\pictures\\"};
    int done = 0;
    for (int row = 0; row < rows; ++row) {
        const std::wstring status = Cell(row, 2);
        ASSERT_TRUE(status == kDone || status == kFailed) << "row " << row + 1;
        if (status != kDone) continue;
        ++done;
        // The row's own file name, as Windows keeps it: trailing dots and blanks dropped.
        const std::wstring number = std::to_wstring(row + 1);
        std::set<std::wstring> found;
        for (const std::wstring& entry : Tree(folder)) {
            if (entry.rfind(number, 0) == 0 && (entry.size() == number.size() || entry[number.size()] == L'.')) {
                found.insert(entry);
            }
        }
        ASSERT_EQ(found.size(), 1u) << "row " << row + 1 << " has one file";
        const std::wstring name = *found.begin();
        EXPECT_EQ(name.find_first_of(L"\\/:*?\"<>|"), std::wstring::npos) << "row " << row + 1;
        EXPECT_EQ(sandbox.Read(L"inner\\pictures\\" + name), picture) << "row " << row + 1;
        expected.insert(L"inner\\pictures\\" + name);
    }
    EXPECT_GE(done, 1) << "some hostile addresses are still plain pictures";
    EXPECT_EQ(Tree(sandbox.Path()), expected) << "nothing else under the sandbox: no folders made from a name, no "
                                                 "file outside the download folder, no partial file";
    for (size_t i = 0; i < watched.size(); ++i) {
        EXPECT_EQ(MarkedEntries(watched[i], Marker()), markedBefore[i]) << "a file escaped into " << watched[i];
    }
    EXPECT_EQ(MarkedEntries(exeFolder, Marker()), exeMarkedBefore);
    EXPECT_EQ(MarkedEntries(exeFolder + L"DadAzizEzaz\\", Marker()), std::vector<std::wstring>());
}

// A note address whose id is no folder name: the search shows the pictures folder itself, never a folder above it.
TEST_F(HostileAddress, NoteIdsThatAreNoFolderNameKeepTheDefaultFolder) {
    site_.UseForChunks();
    site_.server.SetFallback([this](const Request& request) {
        if (request.path != NoteSite::kChunkPath) return Response::Text("", 404);
        return Response::Text(site_.Chunk({"a.jpg"}, false, 1), 200, "application/json");
    });
    const std::wstring defaultFolder = CurrentExecutablePath().folder + L"DadAzizEzaz\\";
    const std::string m = marker_;
    for (const std::string& id : {"..\\..\\" + m, "a/../../" + m, std::string(".."), std::string(". ."), "C:\\" + m,
                                  "\\\\server\\" + m, m + ":x", m + "\t"}) {
        Search("http://www.voyanta.com/i/" + id + ".html");
        EXPECT_EQ(Text(Form().Text3.window), defaultFolder) << id;
    }
    // A plain id still gets its own folder.
    Search("http://www.voyanta.com/i/" + m + ".html");
    EXPECT_EQ(Text(Form().Text3.window), defaultFolder + Marker() + L"\\");
    EXPECT_EQ(MarkedEntries(defaultFolder, Marker()), std::vector<std::wstring>()) << "a search makes no folder";
}
