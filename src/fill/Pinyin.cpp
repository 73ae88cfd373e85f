#include "fill/Pinyin.h"

#include <algorithm>
#include <iterator>

namespace pennora {
namespace {

#include "fill/PinyinTable.inc"

constexpr int kTrails = 191;  // 0x40..0xFE

}  // namespace

std::size_t PinyinReadings(unsigned char lead, unsigned char trail, std::string_view* out, std::size_t room) {
    if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE) return 0;
    const unsigned slot = unsigned(lead - 0x81) * kTrails + unsigned(trail - 0x40);
    const unsigned at = slot * 9;
    const unsigned first = ((kFirstSyllable[at / 8] | kFirstSyllable[at / 8 + 1] << 8) >> (at % 8)) & 0x1FF;
    if (first == 0) return 0;
    std::size_t count = 0;
    const auto add = [&](unsigned syllable) {
        if (count < room) out[count] = kSyllables[syllable];
        ++count;
    };
    add(first - 1);
    const auto further = std::lower_bound(std::begin(kFurtherSyllables), std::end(kFurtherSyllables), slot,
                                          [](const unsigned short(&pair)[2], unsigned s) { return pair[0] < s; });
    for (auto it = further; it != std::end(kFurtherSyllables) && (*it)[0] == slot; ++it) add((*it)[1]);
    return count;
}

}  // namespace pennora
