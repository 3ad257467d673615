// SPDX-License-Identifier: MIT
#include "common/message_catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/test_support.h"

namespace holvane {
namespace {

using ::holvane::testing::ReadFileBytes;

// The Russian catalogue as msgfmt compiled it for this build.
std::string RussianMo() {
  return ReadFileBytes(std::filesystem::path(HOLVANE_LOCALE_BUILD_DIR) / "ru" / "LC_MESSAGES" /
                       "holvane.mo");
}

// Russian's three forms, by the rule its catalogue's Plural-Forms states in
// C, evaluated here by the catalogue's own reader.
TEST(MessageCatalogueTest, PluralFormsFollowTheCataloguesRule) {
  const std::string mo = RussianMo();
  const MessageCatalogue catalogue(mo);
  ASSERT_FALSE(catalogue.empty());
  for (std::uint64_t n = 0; n < 1000; ++n) {
    const std::size_t expected = n % 10 == 1 && n % 100 != 11 ? 0
                                 : n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 10 || n % 100 >= 20)
                                     ? 1
                                     : 2;
    ASSERT_EQ(catalogue.PluralIndex(n), expected) << n;
  }
  EXPECT_EQ(catalogue.PluralIndex(18'446'744'073'709'551'612ULL), 2u);  // ...612: 12, 2
  EXPECT_STREQ(catalogue.Find("file not found"), "файл не найден");
  EXPECT_EQ(catalogue.Find("not a sentence of the program"), nullptr);
}

// A catalogue cut short or damaged anywhere translates nothing rather than
// reading outside itself (the sanitizers watch the reads).
TEST(MessageCatalogueTest, ADamagedCatalogueTranslatesNothing) {
  const std::string mo = RussianMo();
  ASSERT_GT(mo.size(), 64u);
  for (std::size_t size : {std::size_t{0}, std::size_t{3}, std::size_t{19}, std::size_t{28},
                           mo.size() / 2, mo.size() - 1}) {
    SCOPED_TRACE(size);
    const std::string cut = mo.substr(0, size);
    const MessageCatalogue catalogue(cut);
    EXPECT_TRUE(catalogue.empty());
    EXPECT_EQ(catalogue.Find("file not found"), nullptr);
  }
  // Each byte of the header and the first table entries set to 0xFF in turn:
  // counts, offsets and lengths past the end.
  for (std::size_t at = 0; at < 48; ++at) {
    std::string damaged = mo;
    damaged[at] = '\xFF';
    const MessageCatalogue catalogue(damaged);
    // Either the damage is found and nothing is translated, or it fell where
    // a lookup does not read and the translation is still the right one.
    const char* found = catalogue.Find("file not found");
    if (found != nullptr) {
      EXPECT_STREQ(found, "файл не найден") << at;
    }
    EXPECT_LT(catalogue.PluralIndex(5), 3u) << at;
  }
}

}  // namespace
}  // namespace holvane
