// Runs a fuzz target without the fuzzing engine: every file of the corpus folder given as
// the first argument, then a fixed number of pseudo-random mutations of them drawn from a
// fixed seed, so every run feeds the same inputs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

constexpr int kMutations = 20000;

void runOne(const std::string &bytes)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
}

std::string mutate(std::string s, std::mt19937 &rng)
{
    static const char kInserts[] = {'[', ']', ',', '/', '\r', '\n'};
    const int steps = 1 + int(rng() % 4);
    for (int i = 0; i < steps; ++i) {
        const std::size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
        switch (rng() % 4) {
        case 0: // flip bits of one byte
            if (!s.empty())
                s[at % s.size()] = char(s[at % s.size()] ^ char(1u << (rng() % 8)));
            break;
        case 1: // insert a character that steers the reader
            s.insert(at, 1, kInserts[rng() % sizeof kInserts]);
            break;
        case 2: // replace one byte with any byte
            if (!s.empty())
                s[at % s.size()] = char(rng() % 256);
            break;
        default: // cut the tail off
            s.resize(at);
            break;
        }
    }
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    std::vector<std::string> corpus;
    for (const auto &entry : std::filesystem::directory_iterator(argv[1])) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (corpus.empty()) {
        std::fprintf(stderr, "no files in %s\n", argv[1]);
        return 2;
    }
    for (const std::string &bytes : corpus)
        runOne(bytes);

    std::mt19937 rng(20240611u);
    for (int i = 0; i < kMutations; ++i)
        runOne(mutate(corpus[rng() % corpus.size()], rng));
    std::printf("%zu corpus files and %d mutations run\n", corpus.size(), kMutations);
    return 0;
}
