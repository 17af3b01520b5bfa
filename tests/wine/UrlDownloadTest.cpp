#include "download/UrlDownload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "framework/Win32.h"
#include "support/LoopbackServer.h"
#include "support/ScratchFolder.h"

using namespace loopback;
using namespace std::chrono_literals;

namespace {

std::string PictureBytes(std::size_t size) {
    std::string bytes = "\xFF\xD8\xFF\xE0";  // a JPEG start, then every byte value over and over, zero included
    for (std::size_t i = 0; bytes.size() < size; ++i) bytes.push_back(static_cast<char>((i * 7) & 0xFF));
    bytes.resize(size);
    return bytes;
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void AppendLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A gzip stream of stored (uncompressed) deflate blocks: valid gzip without a compressor at hand.
std::string GzipStored(const std::string& data) {
    std::string out("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\xFF", 10);
    std::size_t at = 0;
    do {
        const std::size_t length = std::min<std::size_t>(data.size() - at, 65535);
        out.push_back(at + length == data.size() ? 1 : 0);  // final block flag, block type "stored"
        AppendLittleEndian(out, static_cast<uint32_t>(length), 2);
        AppendLittleEndian(out, static_cast<uint32_t>(~length & 0xFFFF), 2);
        out.append(data, at, length);
        at += length;
    } while (at < data.size());
    AppendLittleEndian(out, Crc32(data), 4);
    AppendLittleEndian(out, static_cast<uint32_t>(data.size()), 4);
    return out;
}

std::string Describe(const UrlDownloadOutcome& o) {
    char text[200];
    std::snprintf(text, sizeof(text), "done %d, result 0x%08lX, status %d, received %llu of %llu, too slow %d", o.done,
                  static_cast<unsigned long>(o.result), o.httpStatus, static_cast<unsigned long long>(o.received),
                  static_cast<unsigned long long>(o.announced), o.tooSlow);
    return text;
}

class UrlDownloadTest : public ::testing::Test {
  protected:
    std::wstring Url(const std::string& path) const {
        const std::string url = server.BaseUrl() + path;
        return std::wstring(url.begin(), url.end());
    }
    UrlDownloadOutcome Download(const std::string& path, const std::wstring& fileName,
                                std::chrono::milliseconds paceWindow = 60s) {
        return DownloadUrlToFile(Url(path), folder.Path() + fileName, {.paceWindow = paceWindow});
    }

    LoopbackServer server;
    ScratchFolder folder;
};

}  // namespace

TEST_F(UrlDownloadTest, SavesPicturesByteForByte) {
    ASSERT_TRUE(server.Listening());
    const std::string big = PictureBytes(3 * 1024 * 1024 + 17);
    const std::string small = PictureBytes(1);
    server.ServePath("/big.jpg", Response::Text(big, 200, "image/jpeg"));
    server.ServePath("/small.jpg", Response::Text(small, 200, "image/jpeg"));
    Response chunked = Response::Text(PictureBytes(100'000), 200, "image/png");
    chunked.chunked = true;
    chunked.chunkSize = 4096;
    server.ServePath("/chunked.png", chunked);

    UrlDownloadOutcome outcome = Download("/big.jpg", L"1.jpg");
    EXPECT_TRUE(outcome.done) << Describe(outcome);
    EXPECT_EQ(folder.Read(L"1.jpg"), big);
    outcome = Download("/small.jpg", L"2.jpg");
    EXPECT_TRUE(outcome.done) << Describe(outcome);
    EXPECT_EQ(folder.Read(L"2.jpg"), small);
    outcome = Download("/chunked.png", L"3.png");
    EXPECT_TRUE(outcome.done) << Describe(outcome);
    EXPECT_EQ(folder.Read(L"3.png"), PictureBytes(100'000));
    EXPECT_EQ(folder.CountEntries(), 3) << "the pictures and nothing else";
}

// The download asks for gzip; a compressed reply is saved as the picture itself.
TEST_F(UrlDownloadTest, SavesACompressedReplyDecoded) {
    const std::string picture = PictureBytes(40'000);
    Response compressed = Response::Text(GzipStored(picture), 200, "image/jpeg");
    compressed.headers = {{"Content-Encoding", "gzip"}};
    server.ServePath("/gz.jpg", compressed);
    const UrlDownloadOutcome outcome = Download("/gz.jpg", L"1.jpg");
    EXPECT_TRUE(outcome.done) << Describe(outcome);
    EXPECT_EQ(folder.Read(L"1.jpg"), picture);
}

// An earlier file of the same name is never replaced, also when an abandoned download left its partial file.
TEST_F(UrlDownloadTest, KeepsAnEarlierFileOfTheSameName) {
    server.ServePath("/a.jpg", Response::Text(PictureBytes(5000), 200, "image/jpeg"));
    folder.Write(L"1.jpg", std::string(90'000, 'x'));
    folder.Write(L"~1.jpg.part", std::string(120'000, 'y'));
    for (int round = 0; round < 2; ++round) {  // the second time, the picture is there already
        const UrlDownloadOutcome outcome = Download("/a.jpg", L"1.jpg");
        EXPECT_TRUE(outcome.done) << Describe(outcome);
        EXPECT_EQ(outcome.savedAs, folder.Path() + L"1 (2).jpg");
        EXPECT_EQ(folder.Read(L"1.jpg"), std::string(90'000, 'x'));
        EXPECT_EQ(folder.Read(L"1 (2).jpg"), PictureBytes(5000));
        EXPECT_EQ(folder.CountEntries(), 2) << "no partial file stays beside the pictures";
    }
}

TEST_F(UrlDownloadTest, ErrorRepliesFailAndLeaveNoFile) {
    server.ServePath("/missing.jpg", Response::Text("<h1>not here</h1>", 404));
    server.ServePath("/broken.jpg", Response::Text("<h1>server error</h1>", 500));
    server.ServePath("/nobody.jpg", Response::Text("", 204));
    server.ServePath("/empty.jpg", Response::Text("", 200, "image/jpeg"));  // no picture at all
    for (const char* path : {"/missing.jpg", "/broken.jpg", "/elsewhere.jpg", "/nobody.jpg", "/empty.jpg"}) {
        const UrlDownloadOutcome outcome = Download(path, L"1.jpg");
        EXPECT_FALSE(outcome.done) << path << ": " << Describe(outcome);
        EXPECT_EQ(folder.CountEntries(), 0) << path << ": neither the picture nor a partial file";
    }
}

// The user checks a finished row again and this time the download fails: the picture saved before stays as it was.
TEST_F(UrlDownloadTest, AFailedDownloadLeavesAnEarlierPictureAsItWas) {
    const std::string earlier = PictureBytes(64'000);
    server.ServePath("/missing.jpg", Response::Text("<h1>not here</h1>", 404));
    server.ServePath("/empty.jpg", Response::Text("", 200, "image/jpeg"));
    Response cut = Response::Text(PictureBytes(100'000), 200, "image/jpeg");
    cut.mode = Mode::CutShort;
    cut.partialBytes = 5000;
    server.ServePath("/cut.jpg", cut);
    Response reset = cut;
    reset.mode = Mode::ResetMidBody;
    server.ServePath("/reset.jpg", reset);
    Response stalled = cut;
    stalled.mode = Mode::StallMidBody;
    server.ServePath("/stalled.jpg", stalled);
    for (const char* path : {"/missing.jpg", "/empty.jpg", "/cut.jpg", "/reset.jpg", "/stalled.jpg"}) {
        ASSERT_TRUE(folder.Write(L"1.jpg", earlier));
        const UrlDownloadOutcome outcome = Download(path, L"1.jpg", 1500ms);
        EXPECT_FALSE(outcome.done) << path << ": " << Describe(outcome);
        EXPECT_EQ(folder.Read(L"1.jpg"), earlier) << path;
        EXPECT_EQ(folder.CountEntries(), 1) << path << ": the partial file is removed";
    }
}

// A folder where the picture should go is left alone; the picture takes the next free name.
TEST_F(UrlDownloadTest, ATargetThatIsAFolderKeepsIt) {
    server.ServePath("/a.jpg", Response::Text(PictureBytes(5000), 200, "image/jpeg"));
    ASSERT_TRUE(CreateDirectoryW((folder.Path() + L"1.jpg").c_str(), nullptr));
    const UrlDownloadOutcome outcome = Download("/a.jpg", L"1.jpg");
    EXPECT_TRUE(outcome.done) << Describe(outcome);
    EXPECT_EQ(GetFileAttributesW((folder.Path() + L"1.jpg").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(folder.Read(L"1 (2).jpg"), PictureBytes(5000));
    EXPECT_EQ(folder.CountEntries(), 2);
    RemoveDirectoryW((folder.Path() + L"1.jpg").c_str());
}

TEST_F(UrlDownloadTest, BodiesCutShortFailAndLeaveNoFile) {
    Response cut = Response::Text(PictureBytes(100'000), 200, "image/jpeg");
    cut.mode = Mode::CutShort;
    cut.partialBytes = 5000;
    server.ServePath("/cut.jpg", cut);
    Response reset = cut;
    reset.mode = Mode::ResetMidBody;
    server.ServePath("/reset.jpg", reset);
    for (const char* path : {"/cut.jpg", "/reset.jpg"}) {
        const UrlDownloadOutcome outcome = Download(path, L"1.jpg");
        EXPECT_FALSE(outcome.done) << path << ": " << Describe(outcome);
        EXPECT_EQ(folder.CountEntries(), 0) << path;
    }
}

TEST_F(UrlDownloadTest, StalledServersAreGivenUpAndLeaveNoFile) {
    Response silent = Response::Text(PictureBytes(50'000), 200, "image/jpeg");
    silent.mode = Mode::Stall;
    server.ServePath("/silent.jpg", silent);
    Response midway = silent;
    midway.mode = Mode::StallMidBody;
    midway.partialBytes = 20'000;
    server.ServePath("/midway.jpg", midway);
    for (const char* path : {"/silent.jpg", "/midway.jpg"}) {
        const auto start = std::chrono::steady_clock::now();
        const UrlDownloadOutcome outcome = Download(path, L"1.jpg", 2s);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(outcome.done) << path << ": " << Describe(outcome);
        EXPECT_TRUE(outcome.tooSlow) << path << ": " << Describe(outcome);
        EXPECT_LT(took, 60s) << path << ": the stall limit did not bound the download";
        EXPECT_EQ(folder.CountEntries(), 0) << path;
    }
}

// The stall limit is about silence, not about the length of the whole download.
TEST_F(UrlDownloadTest, SteadyTricklesAreNotGivenUp) {
    const std::string body = PictureBytes(60'000);
    server.ServePath("/slow.jpg", Response::Text(body, 200, "image/jpeg"));
    server.SetShaping({0ms, 20'000});  // three seconds for the whole body
    const UrlDownloadOutcome outcome = Download("/slow.jpg", L"1.jpg", 1500ms);
    EXPECT_TRUE(outcome.done) << Describe(outcome);
    EXPECT_EQ(folder.Read(L"1.jpg"), body);
    EXPECT_EQ(folder.CountEntries(), 1);
}

TEST_F(UrlDownloadTest, ATargetInAMissingFolderFails) {
    server.ServePath("/a.jpg", Response::Text(PictureBytes(5000), 200, "image/jpeg"));
    const UrlDownloadOutcome outcome = Download("/a.jpg", L"not-there\\1.jpg");
    EXPECT_FALSE(outcome.done) << Describe(outcome);
    EXPECT_FALSE(folder.Exists(L"not-there"));
}

TEST_F(UrlDownloadTest, AnUnreachableAddressFails) {
    const uint16_t port = server.Port();
    server.Stop();
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/a.jpg";
    const UrlDownloadOutcome outcome =
        DownloadUrlToFile(std::wstring(url.begin(), url.end()), folder.Path() + L"1.jpg", {.paceWindow = 2s});
    EXPECT_FALSE(outcome.done) << Describe(outcome);
    EXPECT_EQ(folder.CountEntries(), 0);
}
