// The GIF container parser: block classification and lengths, frame
// counting and the one-image GIFs cut out of an animation.
#include "picture/GifParser.h"

#include <gtest/gtest.h>

#include "PictureGifBuilder.h"

using kvt::gif::BlockKind;
using kvt::gif::Frame;
using kvt::gif::Parser;
using kvttest::GifBuilder;
using kvttest::Rgb;
typedef std::vector<std::uint8_t> Bytes;

namespace {

const std::vector<Rgb> kPalette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The blocks a builder call appends, without the header in front.
Bytes BlocksOf(const GifBuilder& built, std::size_t headerSize) {
    return Bytes(built.Bytes().begin() + headerSize, built.Bytes().end());
}

}  // namespace

TEST(GifBlocks, KindAndLengthOfEachBlock) {
    // A 13-byte header without global colour table, then the block.
    const Bytes header = GifBuilder(4, 4, {}).Bytes();
    ASSERT_EQ(13u, header.size());
    const Bytes twelve(12, 0);
    struct Case {
        const char* name;
        Bytes block;
        BlockKind kind;
        std::size_t length;   // 0: invalid
    } cases[] = {
        {"application", BlocksOf(GifBuilder(4, 4, {}).Loop(), 13),
         BlockKind::ApplicationExtension, 19},
        {"application cut in its identifier", {0x21, 0xFF, 0x0B, 'N', 'E', 'T'},
         BlockKind::ApplicationExtension, 0},
        {"comment of two sub-blocks", {0x21, 0xFE, 1, 'a', 2, 'b', 'c', 0},
         BlockKind::CommentExtension, 8},
        {"comment without terminator", {0x21, 0xFE, 2, 'h', 'i'}, BlockKind::CommentExtension, 0},
        {"comment whose sub-block runs past the end", {0x21, 0xFE, 9, 'h', 'i', 0},
         BlockKind::CommentExtension, 0},
        {"graphic control", {0x21, 0xF9, 4, 0x09, 0x96, 0, 0, 0}, BlockKind::GraphicControl, 8},
        {"graphic control cut short", {0x21, 0xF9, 4, 0x09, 0x96, 0, 0},
         BlockKind::GraphicControl, 0},
        {"plain text", Bytes{0x21, 0x01, 0x0C} + twelve + Bytes{1, 'x', 0},
         BlockKind::PlainText, 18},
        {"image", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00, 2, 2, 0x4C, 0x01, 0},
         BlockKind::Image, 15},
        {"image with local colour table (4 entries)",
         Bytes{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x81} + twelve + Bytes{2, 2, 0x4C, 0x01, 0},
         BlockKind::Image, 27},
        {"image whose local colour table runs past the end",
         Bytes{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x87} + twelve + Bytes{2, 2, 0x4C, 0x01, 0},
         BlockKind::Image, 0},
        {"image whose data runs past the end", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00, 2, 5, 0x4C},
         BlockKind::Image, 0},
        {"image cut in its descriptor", {0x2C, 0, 0, 0, 0, 1}, BlockKind::Image, 0},
        {"trailer", {0x3B}, BlockKind::Trailer, 1},
        {"unrecognised extension label", {0x21, 0xAA, 0}, BlockKind::Unrecognised, 0},
        {"extension introducer at the end", {0x21}, BlockKind::Unrecognised, 0},
        {"unrecognised byte", {0x00, 0x3B}, BlockKind::Unrecognised, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes gif = header + c.block;
        Parser parser;
        ASSERT_TRUE(parser.Open(gif.data(), gif.size()));
        EXPECT_EQ(13u, parser.Offset());
        EXPECT_EQ(int(c.kind), int(parser.KindAt(13)));
        EXPECT_EQ(c.length, parser.BlockLength(13));
        EXPECT_EQ(c.length != 0, parser.SkipBlock());
        EXPECT_EQ(13 + c.length, parser.Offset());   // unchanged when the skip fails
    }
}

TEST(GifBlocks, OpenReadsTheLogicalScreenAndFindsTheFirstBlock) {
    struct Case {
        const char* name;
        Bytes gif;
        bool opens;
        int width, height;
        std::size_t globalTable;
    } cases[] = {
        {"89a with four-colour table", GifBuilder(300, 2, kPalette).Bytes(), true, 300, 2, 12},
        {"87a without table", GifBuilder(7, 9, {}, "87a").Bytes(), true, 7, 9, 0},
        {"256-colour table", GifBuilder(1, 1, std::vector<Rgb>(256)).Bytes(), true, 1, 1, 768},
        {"other version", GifBuilder(1, 1, {}, "88a").Bytes(), false, 0, 0, 0},
        {"header only", Bytes{'G', 'I', 'F', '8', '9', 'a'}, false, 0, 0, 0},
        {"not a GIF", Bytes(20, 'x'), false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Parser parser;
        EXPECT_EQ(c.opens, parser.Open(c.gif.data(), c.gif.size()));
        if (!c.opens) continue;
        EXPECT_EQ(c.width, parser.Width());
        EXPECT_EQ(c.height, parser.Height());
        EXPECT_EQ(c.globalTable, parser.GlobalColourTableSize());
        EXPECT_EQ(13 + c.globalTable, parser.Offset());
    }
}

TEST(GifFrames, Counting) {
    const Bytes twoImages = GifBuilder(8, 8, kPalette).Image(0, 0, 8, 8, 0).Image(0, 0, 4, 4, 1)
                                .Trailer().Bytes();
    const Bytes firstImageOnly = GifBuilder(8, 8, kPalette).Image(0, 0, 8, 8, 0).Bytes();
    struct Case {
        const char* name;
        Bytes gif;
        int frames;
    } cases[] = {
        {"loop and comment extensions are not frames",
         GifBuilder(8, 8, kPalette).Loop().Comment("made here").Control(10, 2)
             .Image(0, 0, 8, 8, 0).Comment("x").Control(10, 2).Image(0, 0, 8, 8, 1).Trailer().Bytes(),
         2},
        {"images without graphic control", twoImages, 2},
        {"comment between control and image",
         GifBuilder(8, 8, kPalette).Control(10, 1).Comment("c").Image(0, 0, 8, 8, 0).Trailer().Bytes(),
         1},
        {"plain text is a frame",
         GifBuilder(8, 8, kPalette).PlainText("hi").Control(5, 0).PlainText("there")
             .Image(0, 0, 8, 8, 0).Trailer().Bytes(),
         3},
        {"truncated last image is not counted",
         Bytes(twoImages.begin(), twoImages.end() - 4), 1},
        {"missing trailer", Bytes(twoImages.begin(), twoImages.end() - 1), 2},
        {"control without image", GifBuilder(8, 8, kPalette).Control(10, 2).Trailer().Bytes(), 0},
        {"no image at all", GifBuilder(8, 8, kPalette).Loop().Comment("empty").Trailer().Bytes(), 0},
        {"counting stops at an unrecognised block",
         firstImageOnly + Bytes{0x21, 0x77, 0} + BlocksOf(GifBuilder(8, 8, kPalette).Image(0, 0, 8, 8, 1), 25),
         1},
        {"truncated loop extension hides what follows",
         GifBuilder(8, 8, kPalette).Raw({0x21, 0xFF, 0x0B, 'N', 'E'}).Bytes(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Parser parser;
        ASSERT_TRUE(parser.Open(c.gif.data(), c.gif.size()));
        EXPECT_EQ(c.frames, parser.CountFrames());
        EXPECT_EQ(parser.FirstBlock(), parser.Offset());
    }
}

TEST(GifFrames, ExtractedFramesAreOneImageGifs) {
    const GifBuilder empty(16, 12, kPalette);
    const Bytes prefix = empty.Bytes();   // header, screen, global table
    ASSERT_EQ(13u + 12u, prefix.size());
    const std::size_t n = prefix.size();
    const Bytes loop = BlocksOf(GifBuilder(16, 12, kPalette).Loop(), n);
    const Bytes control = {0x21, 0xF9, 4, 3 << 2, 0x2C, 0x01, 0, 0};   // restore previous, 3 s
    const Bytes comment = BlocksOf(GifBuilder(16, 12, kPalette).Comment("between"), n);
    const Bytes image1 = BlocksOf(GifBuilder(16, 12, kPalette).Image(0, 0, 16, 12, 2), n);
    const Bytes image2 = BlocksOf(
        GifBuilder(16, 12, kPalette).Image(3, 4, 5, 6, 1, {{1, 2, 3}, {4, 5, 6}}), n);
    const Bytes source = prefix + loop + control + comment + image1 + image2 + Bytes{0x3B};

    Parser parser;
    ASSERT_TRUE(parser.Open(source.data(), source.size()));
    Frame frame;

    ASSERT_TRUE(parser.ExtractNextFrame(frame));
    EXPECT_EQ(300, frame.delay);     // from the control, though a comment came between
    EXPECT_EQ(3, frame.disposal);
    EXPECT_EQ(0, frame.left);
    EXPECT_EQ(0, frame.top);
    EXPECT_EQ(16, frame.width);
    EXPECT_EQ(12, frame.height);
    EXPECT_EQ(prefix + control + comment + image1 + Bytes{0x3B}, parser.BuildFrameGif(frame));

    ASSERT_TRUE(parser.ExtractNextFrame(frame));
    EXPECT_EQ(kvt::gif::kNoDelay, frame.delay);
    EXPECT_EQ(0, frame.disposal);
    EXPECT_EQ(3, frame.left);
    EXPECT_EQ(4, frame.top);
    EXPECT_EQ(5, frame.width);
    EXPECT_EQ(6, frame.height);
    EXPECT_EQ(prefix + image2 + Bytes{0x3B}, parser.BuildFrameGif(frame));

    EXPECT_FALSE(parser.ExtractNextFrame(frame));
}

TEST(GifFrames, DisposalMethodIsBitsTwoToFourOfTheControl) {
    struct Case {
        std::uint8_t packed;
        int disposal;
    } cases[] = {{0x00, 0}, {0x04, 1}, {0x09, 2}, {0x0C, 3}, {0x1C, 7}, {0xE3, 0}, {0xFF, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.packed));
        const Bytes gif = GifBuilder(2, 2, kPalette).Raw({0x21, 0xF9, 4, c.packed, 7, 0, 0, 0})
                              .Image(0, 0, 2, 2, 0).Trailer().Bytes();
        Parser parser;
        ASSERT_TRUE(parser.Open(gif.data(), gif.size()));
        Frame frame;
        ASSERT_TRUE(parser.ExtractNextFrame(frame));
        EXPECT_EQ(c.disposal, frame.disposal);
        EXPECT_EQ(7, frame.delay);
    }
}

TEST(GifFrames, PauseBetweenFrames) {
    struct Case {
        int delay;   // hundredths of a second
        unsigned ms;
    } cases[] = {
        {0, 100}, {2, 100}, {4, 100},              // too short: slowed down
        {5, 50}, {10, 100}, {150, 1500},           // as given
        {1000, 10000}, {3000, 10000}, {65535, 10000},   // at most ten seconds
        {kvt::gif::kNoDelay, 0},                   // no control: next frame at once
    };
    for (const Case& c : cases) EXPECT_EQ(c.ms, kvt::gif::FramePauseMs(c.delay)) << c.delay;
}
