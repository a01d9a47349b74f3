// Runs a fuzz target without the fuzzing engine: every file of the corpus folders given as
// arguments, then a fixed number of pseudo-random mutations of them drawn from a
// fixed seed (bits flipped, bytes replaced, characters that steer the readers inserted,
// tails cut off), so every run feeds the same inputs.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    std::vector<std::string> corpus;
    for (int folder = 1; folder < argc; ++folder) {
        for (const auto &entry : std::filesystem::directory_iterator(argv[folder])) {
            std::ifstream in(entry.path(), std::ios::binary);
            corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    std::mt19937 rng(20240611u);
    for (std::size_t i = 0; i < corpus.size() + 20000 && !corpus.empty(); ++i) {
        std::string s = corpus[i % corpus.size()];
        for (int step = i < corpus.size() ? 0 : 1 + int(rng() % 4); step > 0; --step) {
            const std::size_t at = rng() % (s.size() + 1), kind = rng() % 4;
            if (kind == 0 && at < s.size())
                s[at] = char(s[at] ^ char(1u << (rng() % 8)));
            else if (kind == 1 && at < s.size())
                s[at] = char(rng() % 256);
            else if (kind == 2)
                s.insert(at, 1, "[],/\r\n"[rng() % 6]);
            else
                s.resize(at);
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(s.data()), s.size());
    }
    std::printf("%zu corpus files and 20000 mutations run\n", corpus.size());
    return corpus.empty() ? 2 : 0;
}
