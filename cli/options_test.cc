#include "cli/options.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace holvane::cli {
namespace {

using Arguments = std::vector<std::string>;

struct AcceptedCase {
  const char* name;
  Arguments arguments;
  bool recursive;
  bool help;
  bool version;
  Arguments paths;
};

void PrintTo(const AcceptedCase& c, std::ostream* out) { *out << c.name; }

class OptionsAccepted : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(OptionsAccepted, GivesTheOptionsAndPathsInOrder) {
  const AcceptedCase& c = GetParam();
  const auto parsed = ParseCommandLine(c.arguments);
  const auto* options = std::get_if<Options>(&parsed);
  ASSERT_NE(options, nullptr) << std::get<UsageError>(parsed).message;
  EXPECT_EQ(options->recursive, c.recursive);
  EXPECT_EQ(options->help, c.help);
  EXPECT_EQ(options->version, c.version);
  EXPECT_EQ(options->paths, c.paths);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsAccepted,
    ::testing::Values(
        AcceptedCase{"PathsOnly", {"b", "a.wvl", "b"}, false, false, false, {"b", "a.wvl", "b"}},
        AcceptedCase{"ShortRecursive", {"-r", "saves"}, true, false, false, {"saves"}},
        AcceptedCase{"LongRecursive", {"--recursive", "saves"}, true, false, false, {"saves"}},
        AcceptedCase{"RecursiveAfterPaths", {"a", "-r", "b"}, true, false, false, {"a", "b"}},
        AcceptedCase{"HelpWithoutPaths", {"--help"}, false, true, false, {}},
        AcceptedCase{"VersionWithoutPaths", {"--version"}, false, false, true, {}},
        AcceptedCase{"HelpAmongPaths", {"a", "--help"}, false, true, false, {"a"}},
        AcceptedCase{"OptionAfterDoubleDashIsAPath", {"--", "-r"}, false, false, false, {"-r"}},
        AcceptedCase{"OnlyTheFirstDoubleDashEndsOptions",
                     {"-r", "--", "--", "--help", "-x"},
                     true,
                     false,
                     false,
                     {"--", "--help", "-x"}},
        AcceptedCase{"LoneDashIsAPath", {"-", "-r"}, true, false, false, {"-"}},
        AcceptedCase{
            "DashInsideANameIsAPath", {"a-r", "x--help"}, false, false, false, {"a-r", "x--help"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct RejectedCase {
  const char* name;
  Arguments arguments;
  // Text the message must contain so the person sees what was wrong; empty
  // when only the refusal matters.
  std::string named;
};

void PrintTo(const RejectedCase& c, std::ostream* out) { *out << c.name; }

class OptionsRejected : public ::testing::TestWithParam<RejectedCase> {};

TEST_P(OptionsRejected, IsAUsageError) {
  const RejectedCase& c = GetParam();
  const auto parsed = ParseCommandLine(c.arguments);
  const auto* error = std::get_if<UsageError>(&parsed);
  ASSERT_NE(error, nullptr);
  EXPECT_FALSE(error->message.empty());
  EXPECT_NE(error->message.find(c.named), std::string::npos) << error->message;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsRejected,
    ::testing::Values(RejectedCase{"UnknownShort", {"-x", "a.wvl"}, "-x"},
                      RejectedCase{"UnknownLong", {"a.wvl", "--bogus"}, "--bogus"},
                      // Short options are not bundled, so "-rx" is not "-r -x".
                      RejectedCase{"BundledShort", {"-rx", "a.wvl"}, "-rx"},
                      RejectedCase{
                          "LongWithValue", {"--recursive=yes", "a.wvl"}, "--recursive=yes"},
                      RejectedCase{"Nothing", {}, ""},
                      RejectedCase{"RecursiveWithoutPath", {"-r"}, ""},
                      RejectedCase{"DoubleDashWithoutPath", {"--"}, ""},
                      // An unknown option fails the line even when --help
                      // would otherwise need no path.
                      RejectedCase{"UnknownBesideHelp", {"--help", "--bogus"}, "--bogus"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace holvane::cli
