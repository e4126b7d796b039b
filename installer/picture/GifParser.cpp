#include "picture/GifParser.h"

#include <cstring>

namespace kvt {
namespace gif {

unsigned FramePauseMs(int delay) {
    if (delay < 0) return 0;
    if (delay < 5) return 100;
    const unsigned ms = unsigned(delay) * 10u;
    return ms > 10000u ? 10000u : ms;
}

bool IsGif(const std::uint8_t* data, std::size_t size) {
    return data && size >= 6 && std::memcmp(data, "GIF", 3) == 0 &&
           (std::memcmp(data + 3, "87a", 3) == 0 || std::memcmp(data + 3, "89a", 3) == 0);
}

// Size in bytes of a colour table announced by a packed byte.
static std::size_t ColourTableSize(unsigned packed) {
    return (packed & 0x80) ? std::size_t(3) << ((packed & 7) + 1) : 0;
}

bool Parser::Open(const std::uint8_t* data, std::size_t size) {
    *this = Parser();
    if (!IsGif(data, size) || size < 13) return false;
    data_ = data;
    size_ = size;
    width_ = int(Word(6));
    height_ = int(Word(8));
    globalTableSize_ = ColourTableSize(Byte(10));
    offset_ = FirstBlock();
    return true;
}

BlockKind Parser::KindAt(std::size_t offset) const {
    if (!Has(offset, 1)) return BlockKind::Unrecognised;
    switch (Byte(offset)) {
    case 0x2C: return BlockKind::Image;
    case 0x3B: return BlockKind::Trailer;
    case 0x21:
        if (!Has(offset, 2)) return BlockKind::Unrecognised;
        switch (Byte(offset + 1)) {
        case 0xFF: return BlockKind::ApplicationExtension;
        case 0xFE: return BlockKind::CommentExtension;
        case 0xF9: return BlockKind::GraphicControl;
        case 0x01: return BlockKind::PlainText;
        }
        break;
    }
    return BlockKind::Unrecognised;
}

std::size_t Parser::ChainLength(std::size_t offset) const {
    std::size_t pos = offset;
    for (;;) {
        if (!Has(pos, 1)) return 0;
        const std::size_t n = Byte(pos);
        pos += n + 1;
        if (n == 0) return pos - offset;
    }
}

std::size_t Parser::BlockLength(std::size_t offset) const {
    // Fixed part of a block followed by a sub-block chain; 0 when either
    // part runs past the end.
    auto withChain = [this, offset](std::size_t fixed) -> std::size_t {
        if (!Has(offset, fixed)) return 0;
        const std::size_t chain = ChainLength(offset + fixed);
        return chain ? fixed + chain : 0;
    };
    switch (KindAt(offset)) {
    case BlockKind::ApplicationExtension: return withChain(14);
    case BlockKind::CommentExtension: return withChain(2);
    case BlockKind::PlainText: return withChain(15);
    case BlockKind::GraphicControl: return Has(offset, 8) ? 8 : 0;
    case BlockKind::Trailer: return 1;
    case BlockKind::Image:
        if (!Has(offset, 10)) return 0;
        return withChain(11 + ColourTableSize(Byte(offset + 9)));
    case BlockKind::Unrecognised: break;
    }
    return 0;
}

bool Parser::SkipBlock() {
    const std::size_t length = BlockLength(offset_);
    if (length == 0) return false;
    offset_ += length;
    return true;
}

bool Parser::IsExtension(BlockKind kind) const {
    return kind == BlockKind::ApplicationExtension || kind == BlockKind::CommentExtension ||
           kind == BlockKind::GraphicControl;
}

void Parser::SkipLeadingExtensions() {
    for (;;) {
        const BlockKind kind = KindAt(offset_);
        if (kind != BlockKind::ApplicationExtension && kind != BlockKind::CommentExtension) return;
        // A chain that runs past the end stops here; the caller then finds
        // no frame at this block.
        if (!SkipBlock()) return;
    }
}

bool Parser::ExtractNextFrame(Frame& frame) {
    frame = Frame();
    SkipLeadingExtensions();
    BlockKind kind = KindAt(offset_);
    if (kind != BlockKind::Image && kind != BlockKind::PlainText &&
        kind != BlockKind::GraphicControl)
        return false;

    const std::size_t start = offset_;
    std::size_t pos = offset_;
    if (kind == BlockKind::GraphicControl) {
        if (BlockLength(pos) == 0) return false;
        frame.disposal = int((Byte(pos + 3) >> 2) & 7);
        frame.delay = int(Word(pos + 4));
        // The frame's image may follow after further extensions (a comment
        // between the control and its image is common).
        do {
            const std::size_t length = BlockLength(pos);
            if (length == 0) return false;
            pos += length;
            kind = KindAt(pos);
        } while (IsExtension(kind));
        if (kind != BlockKind::Image && kind != BlockKind::PlainText) return false;
    }

    const std::size_t length = BlockLength(pos);
    if (length == 0) return false;
    if (kind == BlockKind::Image) {
        frame.left = int(Word(pos + 1));
        frame.top = int(Word(pos + 3));
        frame.width = int(Word(pos + 5));
        frame.height = int(Word(pos + 7));
    }
    frame.start = start;
    frame.end = pos + length;
    offset_ = frame.end;
    return true;
}

bool Parser::StepToNextFrame() {
    Frame frame;
    return ExtractNextFrame(frame);
}

int Parser::CountFrames() {
    Rewind();
    int count = 0;
    while (StepToNextFrame()) ++count;
    Rewind();
    return count;
}

std::vector<std::uint8_t> Parser::BuildFrameGif(const Frame& frame) const {
    std::vector<std::uint8_t> out;
    const std::size_t prefix = FirstBlock();
    if (!data_ || frame.start < prefix || frame.end < frame.start || frame.end > size_)
        return out;
    out.reserve(prefix + (frame.end - frame.start) + 1);
    out.insert(out.end(), data_, data_ + prefix);
    out.insert(out.end(), data_ + frame.start, data_ + frame.end);
    out.push_back(0x3B);
    return out;
}

}  // namespace gif
}  // namespace kvt
