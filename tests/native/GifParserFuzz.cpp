// Host-side robustness test of the GIF container parser, built with
// AddressSanitizer and UBSan: real GIFs, every truncation of them and
// seeded random mutations go through the same calls a load makes (count,
// extract, build the one-image GIFs). Any out-of-bounds read, overflow or
// endless loop is a failure; so is a broken invariant of the results.
//
//   gif_parser_fuzz [SEED [MUTATIONS-PER-FILE]]   (seed also from KVT_FUZZ_SEED)
#include "picture/GifParser.h"
#include "PictureGifBuilder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

using kvt::gif::Frame;
using kvt::gif::Parser;
typedef std::vector<std::uint8_t> Bytes;

namespace {

int g_failures = 0;
std::string g_context;   // what the current input is, for failure reports

void Fail(const char* what, long a = 0, long b = 0) {
    if (++g_failures <= 20)
        std::fprintf(stderr, "FAIL [%s]: %s (%ld, %ld)\n", g_context.c_str(), what, a, b);
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Parses `size` bytes from a heap block of exactly that size, so any read
// past the end hits the sanitizer's redzone. Returns the number of frames
// extracted, or -1 when the data is not taken as a GIF.
int Exercise(const std::uint8_t* source, std::size_t size) {
    std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[size ? size : 1]);
    std::copy(source, source + size, data.get());

    Parser parser;
    if (!parser.Open(data.get(), size)) return -1;
    const int counted = parser.CountFrames();
    if (parser.Offset() != parser.FirstBlock()) Fail("count leaves the offset elsewhere");

    int extracted = 0;
    Frame frame;
    std::size_t last = parser.Offset();
    while (parser.ExtractNextFrame(frame)) {
        if (++extracted > int(size)) { Fail("extraction does not end"); break; }
        if (frame.start < parser.FirstBlock() || frame.end <= frame.start || frame.end > size)
            Fail("frame bounds", long(frame.start), long(frame.end));
        if (parser.Offset() <= last) Fail("extraction does not advance");
        last = parser.Offset();

        const Bytes one = parser.BuildFrameGif(frame);
        if (one.size() != parser.FirstBlock() + (frame.end - frame.start) + 1)
            Fail("one-image GIF size", long(one.size()));
        // The cut-out GIF must itself be one frame with the same properties.
        Parser again;
        if (!again.Open(one.data(), one.size())) { Fail("one-image GIF does not open"); continue; }
        if (again.CountFrames() != 1) Fail("one-image GIF frame count", again.CountFrames());
        Frame copy;
        if (!again.ExtractNextFrame(copy) || copy.delay != frame.delay ||
            copy.disposal != frame.disposal || copy.left != frame.left || copy.top != frame.top ||
            copy.width != frame.width || copy.height != frame.height)
            Fail("one-image GIF frame differs");
        if (again.KindAt(again.Offset()) != kvt::gif::BlockKind::Trailer)
            Fail("one-image GIF lacks its trailer");
    }
    if (extracted != counted) Fail("counted and extracted frames differ", counted, extracted);
    return counted;
}

struct Seed {
    std::string name;
    Bytes bytes;
    int frames;   // expected frame count of the intact file
};

std::vector<Seed> Corpus(const std::string& root) {
    using kvttest::GifBuilder;
    const std::vector<kvttest::Rgb> pal = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    std::vector<Seed> seeds = {
        {"anim148.gif", ReadFile(root + "/installer/resources/anim148.gif"), 4},
        {"gradient87.gif", ReadFile(root + "/tests/native/corpus/gradient87.gif"), 1},
        {"layers.gif", ReadFile(root + "/tests/native/corpus/layers.gif"), 3},
        {"local-tables.gif", ReadFile(root + "/tests/native/corpus/local-tables.gif"), 2},
        {"built: every block kind",
         GifBuilder(8, 8, pal).Loop().Comment("c").Control(10, 2).Comment("between")
             .Image(0, 0, 8, 8, 1).PlainText("txt").Control(0, 3).PlainText("x")
             .Image(2, 2, 4, 4, 2, {{1, 2, 3}, {4, 5, 6}}).Trailer().Bytes(), 4},
        {"built: no global table",
         GifBuilder(4, 4, {}).Image(0, 0, 4, 4, 0, {{9, 9, 9}, {8, 8, 8}})
             .Image(0, 0, 2, 2, 1, {{9, 9, 9}, {8, 8, 8}}).Trailer().Bytes(), 2},
        {"built: long sub-block chain",
         GifBuilder(40, 40, pal).Comment(std::string(600, 'z')).Control(5, 1)
             .Image(0, 0, 40, 40, 3).Trailer().Bytes(), 1},
    };
    for (const Seed& s : seeds)
        if (s.bytes.empty()) {
            std::fprintf(stderr, "cannot read %s below %s\n", s.name.c_str(), root.c_str());
            std::exit(2);
        }
    return seeds;
}

Bytes Mutate(const Bytes& in, std::mt19937& rng) {
    static const std::uint8_t interesting[] = {0x00, 0x01, 0x0B, 0x21, 0x2C, 0x3B,
                                               0x7F, 0x80, 0xF9, 0xFE, 0xFF};
    Bytes out = in;
    const int edits = 1 + int(rng() % 4);
    for (int e = 0; e < edits && !out.empty(); ++e) {
        const std::size_t at = rng() % out.size();
        switch (rng() % 6) {
        case 0: out[at] ^= std::uint8_t(1u << (rng() % 8)); break;
        case 1: out[at] = std::uint8_t(rng()); break;
        case 2: out[at] = interesting[rng() % sizeof interesting]; break;
        case 3: out.insert(out.begin() + at, std::uint8_t(rng())); break;
        case 4: out.erase(out.begin() + at); break;
        case 5: out.resize(at); break;
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned seed = 20261210u;
    if (const char* env = std::getenv("KVT_FUZZ_SEED")) seed = unsigned(std::strtoul(env, 0, 10));
    if (argc > 1) seed = unsigned(std::strtoul(argv[1], 0, 10));
    const int mutations = argc > 2 ? std::atoi(argv[2]) : 20000;
    std::printf("seed %u, %d mutations per file\n", seed, mutations);

    const std::vector<Seed> corpus = Corpus(KVT_SOURCE_ROOT);
    for (const Seed& s : corpus) {
        g_context = s.name;
        const int whole = Exercise(s.bytes.data(), s.bytes.size());
        if (whole != s.frames) Fail("frame count of the intact file", s.frames, whole);

        // Every truncation: a frame is counted only once all of it is there,
        // so the count grows with the length and never passes the whole.
        int previous = 0;
        for (std::size_t n = 0; n < s.bytes.size(); ++n) {
            g_context = s.name + " cut at " + std::to_string(n);
            const int frames = Exercise(s.bytes.data(), n);
            if (frames > whole || (frames >= 0 && frames < previous))
                Fail("frame count of a truncation", previous, frames);
            if (frames > previous) previous = frames;
        }

        std::mt19937 rng(seed ^ unsigned(std::hash<std::string>()(s.name)));
        for (int i = 0; i < mutations; ++i) {
            const Bytes mutated = Mutate(s.bytes, rng);
            g_context = s.name + " mutation " + std::to_string(i) + " of seed " + std::to_string(seed);
            Exercise(mutated.data(), mutated.size());
        }
    }
    if (g_failures) {
        std::fprintf(stderr, "%d failures\n", g_failures);
        return 1;
    }
    std::printf("no faults in %zu files\n", corpus.size());
    return 0;
}
