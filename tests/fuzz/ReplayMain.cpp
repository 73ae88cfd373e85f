// Runs a libFuzzer target without libFuzzer: every file of the seed corpus,
// then a fixed run of mutated seeds, so the ordinary test run catches a target
// that crashes or no longer builds.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    std::vector<std::vector<uint8_t>> seeds{{}};
    if (argc > 1 && std::filesystem::is_directory(argv[1])) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
            std::ifstream in(entry.path(), std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    for (const auto& seed : seeds) LLVMFuzzerTestOneInput(seed.data(), seed.size());

    std::mt19937 random(12345);
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> input = seeds[random() % seeds.size()];
        int edits = 1 + random() % 8;
        for (int i = 0; i < edits; ++i) {
            switch (random() % 3) {
            case 0: if (!input.empty()) input[random() % input.size()] = uint8_t(random()); break;
            case 1: input.insert(input.begin() + (input.empty() ? 0 : random() % input.size()), uint8_t(random())); break;
            case 2: if (!input.empty()) input.resize(random() % input.size()); break;
            }
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("replayed %zu seeds and 20000 mutations\n", seeds.size());
    return 0;
}
