// SPDX-License-Identifier: MIT
#include "examples/example_set.h"

namespace holvane::examples {

namespace {

ExampleEntry Ru(std::string_view utf8, std::int32_t flag) { return {ToCp1251(utf8), flag}; }

}  // namespace

std::string ToCp1251(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      ++i;
      continue;
    }
    std::size_t width = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t code = 0;
    if (width == 2 && i + 1 < utf8.size()) {
      code = (char32_t{lead} & 0x1F) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
    }
    if (code >= 0x0410 && code <= 0x044F) {
      out.push_back(static_cast<char>(0xC0 + (code - 0x0410)));
    } else if (code == 0x0401) {
      out.push_back(static_cast<char>(0xA8));  // Ё
    } else if (code == 0x0451) {
      out.push_back(static_cast<char>(0xB8));  // ё
    } else {
      out.push_back('?');
    }
    i += width;
  }
  return out;
}

std::vector<ExampleFile> ExampleFiles() {
  return {
      {"basic.wvl",
       {
           {"Hello", -1},
           {"Goodbye", 0},
           {"", 0},
           {"An unknown flag", 1},
           {"Another one", 2147483647},
           {"Last line", -1},
       }},
      {"словарь.wvl",
       {
           Ru("Привет", -1),
           Ru("Пока", 0),
           Ru("Ёжик в тумане", -1),
           Ru("ещё одна строка", 0),
           Ru("Непонятный флаг", 7),
           Ru("Съешь же ещё этих мягких французских булок, да выпей чаю.", -1),
       }},
      {"mixed.v1.wvl",
       {
           Ru("Глава 1", -1),
           Ru("Смешанный текст: Hello, мир!", 0),
           {"", -1},
           Ru("Отрицательный флаг -2", -2),
           Ru("Конец", 0),
       }},
  };
}

}  // namespace holvane::examples
