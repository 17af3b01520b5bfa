#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What a body's own structure says about its end, for the picture formats the tool knows: a JPEG reaches its
// end-of-image marker after the entropy-coded data of its last scan, a PNG its IEND chunk, a GIF its trailer; a WebP
// (RIFF) and a BMP hold at least as many bytes as their headers declare. Bytes after that end are allowed: some
// cameras and editors append data.
enum class PictureShape {
    NotKnown,  // no bytes, or bytes in none of the known formats: the structure says nothing
    Whole,
    Cut,  // a known format short of its end or broken, or only the beginning of a known signature
};

// Follows a body as it arrives, piece by piece, in constant memory; the pieces may be cut anywhere.
class PictureStructure {
  public:
    void Feed(std::string_view bytes) noexcept;
    PictureShape Shape() const noexcept;

  private:
    enum class Step : uint8_t {
        Signature,
        NotKnown,
        JpegMarker,      // the 0xFF that starts a marker
        JpegCode,        // the marker's code
        JpegLength,      // a segment's length, then its bytes
        JpegScanLength,  // the scan header's length, then its bytes, then entropy-coded data
        JpegEntropy,
        PngChunk,  // length and type, then data and CRC
        GifScreen,
        GifBlock,
        GifLabel,
        GifImage,
        GifCodeSize,
        GifSubBlock,
        BmpSize,
        Sized,  // the declared size is known: every further byte only counts
        Ended,  // the end is reached once the bytes still to pass over have come
        Broken,
    };
    void Expect(Step step, size_t bytes) noexcept;
    void PassOver(uint64_t bytes, Step then, size_t thenBytes) noexcept;
    void TakeStep() noexcept;
    void TakeSignature() noexcept;
    void TakeJpegCode(uint8_t code) noexcept;
    void ScanEntropy(std::string_view& bytes) noexcept;

    Step step_ = Step::Signature;
    std::string head_;  // the bytes of the current step, up to want_ (never more than a signature's 12)
    size_t want_ = 1;
    uint64_t skip_ = 0;  // bytes to pass over before the current step
    uint64_t total_ = 0;
    uint64_t declared_ = 0;   // RIFF and BMP: the size the header declares
    bool sawScan_ = false;    // JPEG
    bool entropyFF_ = false;  // JPEG: the last entropy-coded byte was 0xFF
};
