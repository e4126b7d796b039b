#include "PictureGifBuilder.h"

namespace kvttest {

unsigned PaletteBits(std::size_t count) {
    unsigned bits = 1;
    while ((std::size_t(1) << bits) < count && bits < 8) ++bits;
    return bits;
}

GifBuilder::GifBuilder(int width, int height, const std::vector<Rgb>& palette,
                       const char* version) {
    const std::string head = std::string("GIF") + version;
    bytes_.assign(head.begin(), head.end());
    Word(width);
    Word(height);
    globalBits_ = palette.empty() ? 8 : PaletteBits(palette.size());
    bytes_.push_back(std::uint8_t(palette.empty() ? 0x70 : 0xF0 | (globalBits_ - 1)));
    bytes_.push_back(0);   // background colour index
    bytes_.push_back(0);   // pixel aspect ratio
    if (!palette.empty()) ColourTable(palette, globalBits_);
}

void GifBuilder::Word(int value) {
    bytes_.push_back(std::uint8_t(value & 0xFF));
    bytes_.push_back(std::uint8_t((value >> 8) & 0xFF));
}

void GifBuilder::ColourTable(const std::vector<Rgb>& palette, unsigned bits) {
    for (std::size_t i = 0; i < (std::size_t(1) << bits); ++i) {
        const Rgb c = i < palette.size() ? palette[i] : Rgb{0, 0, 0};
        bytes_.push_back(c.r);
        bytes_.push_back(c.g);
        bytes_.push_back(c.b);
    }
}

void GifBuilder::SubBlocks(const std::vector<std::uint8_t>& data) {
    for (std::size_t pos = 0; pos < data.size(); pos += 255) {
        const std::size_t n = data.size() - pos < 255 ? data.size() - pos : 255;
        bytes_.push_back(std::uint8_t(n));
        bytes_.insert(bytes_.end(), data.begin() + pos, data.begin() + pos + n);
    }
    bytes_.push_back(0);
}

GifBuilder& GifBuilder::Loop() {
    const std::uint8_t block[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E',
                                  '2',  '.',  '0',  0x03, 0x01, 0x00, 0x00, 0x00};
    bytes_.insert(bytes_.end(), block, block + sizeof block);
    return *this;
}

GifBuilder& GifBuilder::Comment(const std::string& text) {
    bytes_.push_back(0x21);
    bytes_.push_back(0xFE);
    SubBlocks(std::vector<std::uint8_t>(text.begin(), text.end()));
    return *this;
}

GifBuilder& GifBuilder::Control(int delay, int disposal, int transparentIndex) {
    bytes_.push_back(0x21);
    bytes_.push_back(0xF9);
    bytes_.push_back(4);
    bytes_.push_back(std::uint8_t(((disposal & 7) << 2) | (transparentIndex >= 0 ? 1 : 0)));
    Word(delay);
    bytes_.push_back(std::uint8_t(transparentIndex >= 0 ? transparentIndex : 0));
    bytes_.push_back(0);
    return *this;
}

GifBuilder& GifBuilder::Image(int left, int top, int width, int height, std::uint8_t index,
                              const std::vector<Rgb>& localPalette) {
    return Pixels(left, top, width, height,
                  std::vector<std::uint8_t>(std::size_t(width) * height, index), localPalette);
}

GifBuilder& GifBuilder::Pixels(int left, int top, int width, int height,
                               const std::vector<std::uint8_t>& indices,
                               const std::vector<Rgb>& localPalette) {
    bytes_.push_back(0x2C);
    Word(left);
    Word(top);
    Word(width);
    Word(height);
    unsigned bits = globalBits_;
    if (!localPalette.empty()) {
        bits = PaletteBits(localPalette.size());
        bytes_.push_back(std::uint8_t(0x80 | (bits - 1)));
        ColourTable(localPalette, bits);
    } else {
        bytes_.push_back(0);
    }

    // Uncompressed LZW: every pixel is a literal code, and a clear code
    // comes often enough that the code width never grows.
    const unsigned minCode = bits < 2 ? 2 : bits;
    const unsigned width_bits = minCode + 1;
    const unsigned clear = 1u << minCode, end = clear + 1;
    const unsigned run = (1u << minCode) - 3;
    bytes_.push_back(std::uint8_t(minCode));

    std::vector<std::uint8_t> packed;
    unsigned long acc = 0;
    unsigned filled = 0;
    auto put = [&](unsigned code) {
        acc |= (unsigned long)code << filled;
        filled += width_bits;
        while (filled >= 8) {
            packed.push_back(std::uint8_t(acc & 0xFF));
            acc >>= 8;
            filled -= 8;
        }
    };
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % run == 0) put(clear);
        put(indices[i]);
    }
    put(end);
    if (filled) packed.push_back(std::uint8_t(acc & 0xFF));
    SubBlocks(packed);
    return *this;
}

GifBuilder& GifBuilder::PlainText(const std::string& text) {
    const std::uint8_t head[] = {0x21, 0x01, 0x0C, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0};
    bytes_.insert(bytes_.end(), head, head + sizeof head);
    SubBlocks(std::vector<std::uint8_t>(text.begin(), text.end()));
    return *this;
}

GifBuilder& GifBuilder::Raw(const std::vector<std::uint8_t>& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

GifBuilder& GifBuilder::Trailer() {
    bytes_.push_back(0x3B);
    return *this;
}

}  // namespace kvttest
