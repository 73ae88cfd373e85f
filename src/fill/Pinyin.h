#pragma once
// The toneless pinyin readings of the Chinese characters of the GBK code
// page as today's Mandarin reads them, every reading of a character with
// several (readings only classical texts give are left out); u with
// diaeresis is spelled v ("lv"). The table is made by
// scripts/make-pinyin-table.
#include <cstddef>
#include <string_view>

namespace pennora {

// The readings of the character of GBK bytes `lead` and `trail`, up to
// `room` of them into `out`; returns how many there are (0 for a byte pair
// that is no Chinese character).
std::size_t PinyinReadings(unsigned char lead, unsigned char trail, std::string_view* out, std::size_t room);

}  // namespace pennora
