// SPDX-License-Identifier: MIT
#include "bench/workloads.h"

#include <random>
#include <stdexcept>
#include <vector>

#include "tests/test_kit.h"

namespace holvane::bench {

namespace {

// Made-up words of two to four syllables, each a consonant and a vowel of
// code page 1251's lower-case Cyrillic letters, so that words share pieces as
// the words of a real language do.
std::vector<std::string> MakeVocabulary(std::mt19937& random, std::size_t count) {
  static constexpr unsigned char kConsonants[] = {0xE1, 0xE2, 0xE3, 0xE4, 0xE6, 0xE7, 0xEA,
                                                  0xEB, 0xEC, 0xED, 0xEF, 0xF0, 0xF1, 0xF2};
  static constexpr unsigned char kVowels[] = {0xE0, 0xE5, 0xE8, 0xEE, 0xF3, 0xFB, 0xFF};
  std::vector<std::string> words(count);
  for (auto& word : words) {
    const int syllables = std::uniform_int_distribution<int>(2, 4)(random);
    for (int i = 0; i < syllables; ++i) {
      word.push_back(static_cast<char>(
          kConsonants[std::uniform_int_distribution<std::size_t>(0, 13)(random)]));
      word.push_back(
          static_cast<char>(kVowels[std::uniform_int_distribution<std::size_t>(0, 6)(random)]));
    }
  }
  return words;
}

// Words drawn as in natural text: the k-th most common about 1/k as often as
// the first, which is what gives real word lists their 4:1 to 6:1 ratio.
class WordSource {
 public:
  explicit WordSource(std::uint32_t seed) : random_(seed), words_(MakeVocabulary(random_, 500)) {
    std::vector<double> weights(words_.size());
    for (std::size_t k = 0; k < weights.size(); ++k) weights[k] = 1.0 / static_cast<double>(k + 1);
    pick_ = std::discrete_distribution<std::size_t>(weights.begin(), weights.end());
  }

  void AppendWords(std::string& text, std::size_t at_least) {
    while (text.size() < at_least) {
      if (!text.empty()) text.push_back(' ');
      text += words_[pick_(random_)];
    }
  }

  std::int32_t Flag() {
    const int pick = std::uniform_int_distribution<int>(0, 19)(random_);
    return pick == 0 ? 1 : pick % 2 == 0 ? 0 : -1;
  }

  std::mt19937& random() { return random_; }

 private:
  std::mt19937 random_;
  std::vector<std::string> words_;
  std::discrete_distribution<std::size_t> pick_;
};

}  // namespace

std::string_view NameOf(Workload workload) {
  switch (workload) {
    case Workload::kShortEntries:
      return "short";
    case Workload::kLongEntries:
      return "long";
    case Workload::kIncompressible:
      return "incompressible";
  }
  return "?";
}

Workload WorkloadNamed(std::string_view name) {
  for (Workload workload :
       {Workload::kShortEntries, Workload::kLongEntries, Workload::kIncompressible}) {
    if (NameOf(workload) == name) return workload;
  }
  throw std::invalid_argument("unknown workload: " + std::string(name));
}

std::string MakeRecordStream(Workload workload, std::size_t output_bytes, std::uint32_t seed) {
  WordSource source(seed);
  std::string stream;
  stream.reserve(output_bytes + output_bytes / 4 + 64 * 1024);
  std::string text;
  std::vector<std::string> recent;
  std::size_t next_recent = 0;
  for (std::size_t rendered = 0; rendered < output_bytes;) {
    text.clear();
    switch (workload) {
      case Workload::kShortEntries: {
        // A quarter of the entries repeat one of the last few, as headwords
        // and set phrases recur in a word list.
        if (!recent.empty() && std::uniform_int_distribution<int>(0, 3)(source.random()) == 0) {
          text = recent[std::uniform_int_distribution<std::size_t>(
              0, recent.size() - 1)(source.random())];
          break;
        }
        const int words = std::uniform_int_distribution<int>(1, 5)(source.random());
        for (int i = 0; i < words; ++i) source.AppendWords(text, text.size() + 1);
        if (recent.size() < 64) {
          recent.push_back(text);
        } else {
          recent[next_recent++ % recent.size()] = text;
        }
        break;
      }
      case Workload::kLongEntries:
        source.AppendWords(
            text, std::uniform_int_distribution<std::size_t>(4096, 65536)(source.random()));
        break;
      case Workload::kIncompressible: {
        const auto length = std::uniform_int_distribution<std::size_t>(16, 255)(source.random());
        for (std::size_t i = 0; i < length; ++i) {
          text.push_back(static_cast<char>(source.random()() & 0xFF));
        }
        break;
      }
    }
    const std::int32_t flag = source.Flag();
    holvane::testing::AppendEntry(stream, text, flag);
    // A known flag's marker is one byte, any other "?" and a line break.
    rendered += (flag == 0 || flag == -1 ? 1 : 3) + text.size() + 2;
  }
  return stream;
}

}  // namespace holvane::bench
