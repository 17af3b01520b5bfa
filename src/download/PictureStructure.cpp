#include "download/PictureStructure.h"

#include <algorithm>
#include <cstring>

namespace {

// Signatures; '?' matches any byte.
constexpr std::string_view kJpeg = "\xFF\xD8\xFF", kPng = "\x89PNG\r\n\x1A\n", kWebp = "RIFF????WEBP", kBmp = "BM";
constexpr std::string_view kSignatures[] = {kJpeg, kPng, "GIF87a", "GIF89a", kWebp, kBmp};

bool BeginsLike(std::string_view bytes, std::string_view pattern) {
    if (bytes.size() > pattern.size()) return false;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (pattern[i] != '?' && pattern[i] != bytes[i]) return false;
    return true;
}

uint8_t Byte(const std::string& bytes, size_t at) {
    return static_cast<uint8_t>(bytes[at]);
}
uint32_t BigEndian(const std::string& bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) value = value << 8 | Byte(bytes, at + i);
    return value;
}
uint32_t LittleEndian32(const std::string& bytes, size_t at) {
    return Byte(bytes, at) | Byte(bytes, at + 1) << 8 | Byte(bytes, at + 2) << 16 | uint32_t{Byte(bytes, at + 3)} << 24;
}
// A GIF colour table follows its descriptor when the packed field says so: 3 bytes for each of 2^(n+1) colours.
uint64_t GifColourTable(uint8_t packed) {
    return (packed & 0x80) ? 3u << ((packed & 7) + 1) : 0;
}

}  // namespace

void PictureStructure::Feed(std::string_view bytes) noexcept {
    total_ += bytes.size();
    while (!bytes.empty()) {
        if (skip_ > 0) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(skip_, bytes.size()));
            skip_ -= n;
            bytes.remove_prefix(n);
            continue;
        }
        if (step_ == Step::NotKnown || step_ == Step::Sized || step_ == Step::Ended || step_ == Step::Broken) return;
        if (step_ == Step::JpegEntropy) {
            ScanEntropy(bytes);
            continue;
        }
        const size_t n = std::min(want_ - head_.size(), bytes.size());
        head_.append(bytes.data(), n);
        bytes.remove_prefix(n);
        if (head_.size() == want_) TakeStep();
    }
}

PictureShape PictureStructure::Shape() const noexcept {
    if (total_ == 0 || step_ == Step::NotKnown) return PictureShape::NotKnown;
    if (step_ == Step::Sized) return total_ >= declared_ ? PictureShape::Whole : PictureShape::Cut;
    if (step_ == Step::Ended && skip_ == 0) return PictureShape::Whole;
    return PictureShape::Cut;  // short of the end, broken, or only the beginning of a signature
}

void PictureStructure::Expect(Step step, size_t bytes) noexcept {
    step_ = step;
    want_ = bytes;
    head_.clear();
}

void PictureStructure::PassOver(uint64_t bytes, Step then, size_t thenBytes) noexcept {
    skip_ = bytes;
    Expect(then, thenBytes);
}

void PictureStructure::TakeSignature() noexcept {
    bool longerMatches = false;
    for (const std::string_view signature : kSignatures) {
        if (!BeginsLike(head_, signature)) continue;
        if (head_.size() < signature.size()) {
            longerMatches = true;
            continue;
        }
        if (signature == kJpeg) return Expect(Step::JpegCode, 1);  // its third byte starts a marker
        if (signature == kPng) return Expect(Step::PngChunk, 8);
        if (signature == kWebp) {
            declared_ = uint64_t{LittleEndian32(head_, 4)} + 8;  // the RIFF size counts what follows its field
            return Expect(Step::Sized, 0);
        }
        if (signature == kBmp) return Expect(Step::BmpSize, 4);
        return Expect(Step::GifScreen, 7);
    }
    if (longerMatches) {
        ++want_;  // the next byte decides; the signature's bytes so far stay
    } else {
        step_ = Step::NotKnown;
    }
}

void PictureStructure::TakeJpegCode(uint8_t code) noexcept {
    if (code == 0xFF) return Expect(Step::JpegCode, 1);  // fill byte
    if (code == 0xD9) return sawScan_ ? Expect(Step::Ended, 0) : Expect(Step::Broken, 0);
    if ((code >= 0xD0 && code <= 0xD7) || code == 0x01) return Expect(Step::JpegMarker, 1);  // markers without length
    if (code == 0x00 || code == 0xD8) return Expect(Step::Broken, 0);
    Expect(code == 0xDA ? Step::JpegScanLength : Step::JpegLength, 2);
}

void PictureStructure::TakeStep() noexcept {
    switch (step_) {
        case Step::Signature:
            return TakeSignature();
        case Step::JpegMarker:
            return Byte(head_, 0) == 0xFF ? Expect(Step::JpegCode, 1) : Expect(Step::Broken, 0);
        case Step::JpegCode:
            return TakeJpegCode(Byte(head_, 0));
        case Step::JpegLength:
        case Step::JpegScanLength: {
            const uint32_t length = BigEndian(head_, 0, 2);  // the length counts its own two bytes
            if (length < 2) return Expect(Step::Broken, 0);
            const bool scan = step_ == Step::JpegScanLength;
            sawScan_ = sawScan_ || scan;
            return PassOver(length - 2, scan ? Step::JpegEntropy : Step::JpegMarker, scan ? 0 : 1);
        }
        case Step::PngChunk: {
            const uint32_t length = BigEndian(head_, 0, 4);
            if (length > 0x7FFFFFFFu) return Expect(Step::Broken, 0);
            const bool end = head_.compare(4, 4, "IEND") == 0;
            return PassOver(uint64_t{length} + 4, end ? Step::Ended : Step::PngChunk, end ? 0 : 8);  // data and CRC
        }
        case Step::GifScreen:
            return PassOver(GifColourTable(Byte(head_, 4)), Step::GifBlock, 1);
        case Step::GifBlock: {
            const uint8_t introducer = Byte(head_, 0);
            if (introducer == 0x21) return Expect(Step::GifLabel, 1);
            if (introducer == 0x2C) return Expect(Step::GifImage, 9);
            return Expect(introducer == 0x3B ? Step::Ended : Step::Broken, 0);
        }
        case Step::GifLabel:
            return Expect(Step::GifSubBlock, 1);
        case Step::GifImage:
            return PassOver(GifColourTable(Byte(head_, 8)), Step::GifCodeSize, 1);
        case Step::GifCodeSize:
            return Expect(Step::GifSubBlock, 1);
        case Step::GifSubBlock: {
            const uint8_t size = Byte(head_, 0);
            return size == 0 ? Expect(Step::GifBlock, 1) : PassOver(size, Step::GifSubBlock, 1);
        }
        case Step::BmpSize:
            declared_ = LittleEndian32(head_, 0);
            return Expect(Step::Sized, 0);
        default:
            return;
    }
}

// Entropy-coded data ends at the first marker that is not a stuffed 0xFF 0x00, a restart marker or fill.
void PictureStructure::ScanEntropy(std::string_view& bytes) noexcept {
    while (!bytes.empty()) {
        if (entropyFF_) {
            const auto code = static_cast<uint8_t>(bytes.front());
            if (code == 0xFF) {
                bytes.remove_prefix(1);
                continue;
            }
            entropyFF_ = false;
            if (code == 0x00 || (code >= 0xD0 && code <= 0xD7)) {
                bytes.remove_prefix(1);
                continue;
            }
            return Expect(Step::JpegCode, 1);  // the code is read again as the next marker's
        }
        const void* mark = std::memchr(bytes.data(), 0xFF, bytes.size());
        if (mark == nullptr) {
            bytes = {};
            return;
        }
        bytes.remove_prefix(static_cast<size_t>(static_cast<const char*>(mark) - bytes.data()) + 1);
        entropyFF_ = true;
    }
}
