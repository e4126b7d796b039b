// Builds small GIF files block by block for the picture tests: solid or
// pixel-exact images (stored uncompressed in valid LZW), graphic control,
// comment, application and plain text extensions, and raw bytes for
// malformed cases. Plain C++, so the host-side parser tests use it too.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kvttest {

struct Rgb {
    std::uint8_t r, g, b;
};

class GifBuilder {
public:
    // A header ("GIF" + version) and logical screen descriptor, with the
    // palette as global colour table (none when it is empty).
    GifBuilder(int width, int height, const std::vector<Rgb>& palette,
               const char* version = "89a");

    GifBuilder& Loop();                                  // NETSCAPE2.0 application extension
    GifBuilder& Comment(const std::string& text);
    GifBuilder& Control(int delay, int disposal, int transparentIndex = -1);
    // An image filled with one palette index.
    GifBuilder& Image(int left, int top, int width, int height, std::uint8_t index,
                      const std::vector<Rgb>& localPalette = {});
    // An image with one palette index per pixel, row by row.
    GifBuilder& Pixels(int left, int top, int width, int height,
                       const std::vector<std::uint8_t>& indices,
                       const std::vector<Rgb>& localPalette = {});
    GifBuilder& PlainText(const std::string& text);
    GifBuilder& Raw(const std::vector<std::uint8_t>& bytes);
    GifBuilder& Trailer();

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::string String() const { return std::string(bytes_.begin(), bytes_.end()); }

private:
    void Word(int value);
    void ColourTable(const std::vector<Rgb>& palette, unsigned bits);
    void SubBlocks(const std::vector<std::uint8_t>& data);

    std::vector<std::uint8_t> bytes_;
    unsigned globalBits_ = 1;
};

// Bits needed for a colour table of `count` entries (at least 1).
unsigned PaletteBits(std::size_t count);

}  // namespace kvttest
