// Writes the chunk fuzzer's seeds: the factory bank and one of its programs as a host saves
// them, each followed by the trailing bytes the fuzzer reads first (the setup byte: program or
// bank, length mode, current and next program, entry point; the block length; the editor).
// Usage: fuzz_seed_writer <directory>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/FuzzHost.h"

namespace {

struct Seed {
    const char* name;
    bool isProgram;
    uint8_t lengthMode;  // 0 exact, 1 as given, 2 declared, 3 no data
    uint8_t current;
    uint8_t next;
    bool accumulate;
    bool withEditor;
};

constexpr Seed kSeeds[] = {
    {"factory-bank-exact", false, 0, 0, 1, false, true},
    {"factory-bank-as-given", false, 1, 2, 3, true, false},
    {"factory-program-exact", true, 0, 1, 0, false, false},
    {"factory-program-as-given", true, 1, 3, 2, true, true},
    {"factory-program-declared", true, 2, 0, 0, false, false},
    {"factory-bank-no-data", false, 3, 0, 2, false, false},
};

uint8_t setupByte(const Seed& seed) {
    return static_cast<uint8_t>((seed.isProgram ? 1 : 0) | seed.lengthMode << 1 |
                                seed.current << 3 | seed.next << 5 | (seed.accumulate ? 0x80 : 0));
}

}  // namespace

int main(int argc, char** argv) {
    using namespace marrowfold;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    fuzz::FuzzHost host;
    for (const Seed& seed : kSeeds) {
        host.dispatch(ReqSetProgram, 0, seed.current);
        std::vector<uint8_t> bytes = host.saveChunk(seed.isProgram);
        // Read from the end: the setup byte, a block of 256 frames (two bytes, the first one read
        // most significant, counted from 1), and whether the effect gets its editor (byte 0).
        bytes.push_back(seed.withEditor ? 0 : 1);
        bytes.push_back(0xFF);
        bytes.push_back(0x00);
        bytes.push_back(setupByte(seed));
        std::ofstream file(std::string(argv[1]) + "/" + seed.name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        if (!file) return 1;
    }
    return 0;
}
