// The GIF container: block classification, sub-block chains, stepping from
// frame to frame and cutting one frame out as a one-image GIF. Decoding the
// compressed image data is left to the platform's picture loader.
//
// Plain C++ over a byte span, no Win32: every read is checked against the
// span, so the parser also builds on the host and runs under sanitizers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvt {
namespace gif {

enum class BlockKind {
    ApplicationExtension,   // 0x21 0xFF
    CommentExtension,       // 0x21 0xFE
    GraphicControl,         // 0x21 0xF9
    PlainText,              // 0x21 0x01
    Image,                  // 0x2C
    Trailer,                // 0x3B
    Unrecognised            // anything else, other extension labels too
};

// Delay of a frame that no graphic control extension preceded.
const int kNoDelay = -1;

// Pause between frames in milliseconds for a delay in hundredths of a second
// (kNoDelay: no pause). Very short delays are slowed down as browsers do, and
// no frame waits longer than ten seconds.
unsigned FramePauseMs(int delay);

// True when the data starts with "GIF87a" or "GIF89a".
bool IsGif(const std::uint8_t* data, std::size_t size);

struct Frame {
    std::size_t start = 0;   // first byte of the frame's blocks
    std::size_t end = 0;     // one past the frame's image (or plain text)
    int left = 0, top = 0, width = 0, height = 0;   // 0 for plain text
    int delay = kNoDelay;    // hundredths of a second
    int disposal = 0;        // 0..7; 2 restore to background, 3 to previous
};

class Parser {
public:
    // Reads the header and logical screen descriptor and places the offset
    // on the first block. False when the data is not a GIF87a/89a or too
    // short for its logical screen descriptor.
    bool Open(const std::uint8_t* data, std::size_t size);

    int Width() const { return width_; }
    int Height() const { return height_; }
    std::size_t GlobalColourTableSize() const { return globalTableSize_; }
    std::size_t FirstBlock() const { return 13 + globalTableSize_; }
    std::size_t Offset() const { return offset_; }
    void Rewind() { offset_ = FirstBlock(); }

    BlockKind KindAt(std::size_t offset) const;
    // Length of the block at `offset`, or 0 when it is unrecognised or runs
    // past the end of the data.
    std::size_t BlockLength(std::size_t offset) const;
    // Length of the sub-block chain at `offset` including its terminator,
    // or 0 when the chain runs past the end of the data.
    std::size_t ChainLength(std::size_t offset) const;

    // Advances over the block at the offset; false (offset unchanged) when
    // it is unrecognised or incomplete.
    bool SkipBlock();
    // Advances past the next frame; false when there is none.
    bool StepToNextFrame();
    // Number of complete frames from the first block on; leaves the offset
    // at the first block.
    int CountFrames();
    // Finds the next frame from the offset and advances past it; false when
    // extraction ends.
    bool ExtractNextFrame(Frame& frame);
    // The one-image GIF of a frame: the source's header, logical screen
    // descriptor and global colour table, the frame's blocks and a trailer.
    std::vector<std::uint8_t> BuildFrameGif(const Frame& frame) const;

private:
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }
    unsigned Byte(std::size_t offset) const { return data_[offset]; }
    unsigned Word(std::size_t offset) const {
        return data_[offset] | (unsigned(data_[offset + 1]) << 8);
    }
    bool IsExtension(BlockKind kind) const;
    void SkipLeadingExtensions();

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t offset_ = 0;
    std::size_t globalTableSize_ = 0;
    int width_ = 0, height_ = 0;
};

}  // namespace gif
}  // namespace kvt
