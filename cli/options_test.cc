// SPDX-License-Identifier: MIT
#include "cli/options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "cli/console.h"

namespace holvane::cli {
namespace {

using Arguments = std::vector<std::string>;

// The command line `arguments` make where each is given in one form, as on
// POSIX systems.
std::variant<Options, UsageError> Parse(const Arguments& arguments) {
  std::vector<Argument> given;
  for (const std::string& argument : arguments) given.push_back({argument, argument});
  return ParseCommandLine(given);
}

// The options `change` makes of the defaults.
template <typename Change>
Options With(Change change) {
  Options options;
  change(options);
  return options;
}

Options Paths(Arguments paths) {
  return With([&](Options& o) { o.paths.assign(paths.begin(), paths.end()); });
}

struct AcceptedCase {
  const char* name;
  Arguments arguments;
  Options expected;
};

void PrintTo(const AcceptedCase& c, std::ostream* out) { *out << c.name; }

class OptionsAccepted : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(OptionsAccepted, GivesTheOptionsAndPathsInOrder) {
  const AcceptedCase& c = GetParam();
  const auto parsed = Parse(c.arguments);
  const auto* options = std::get_if<Options>(&parsed);
  ASSERT_NE(options, nullptr) << std::get<UsageError>(parsed).message;
  EXPECT_EQ(options->command, c.expected.command);
  EXPECT_EQ(options->recursive, c.expected.recursive);
  EXPECT_EQ(options->to_stdout, c.expected.to_stdout);
  EXPECT_EQ(options->quiet, c.expected.quiet);
  EXPECT_EQ(options->help, c.expected.help);
  EXPECT_EQ(options->version, c.expected.version);
  EXPECT_EQ(options->force, c.expected.force);
  EXPECT_EQ(options->output, c.expected.output);
  EXPECT_EQ(options->output_dir, c.expected.output_dir);
  EXPECT_TRUE(options->form == c.expected.form);
  EXPECT_EQ(options->paths, c.expected.paths);
  EXPECT_EQ(options->catalogue_format, c.expected.catalogue_format);
  EXPECT_EQ(options->from, c.expected.from);
  EXPECT_EQ(options->catalogue, c.expected.catalogue);
}

const TextForm kUtf8Lf{TextEncoding::kUtf8, LineBreak::kLf};

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsAccepted,
    ::testing::Values(
        AcceptedCase{"PathsOnly", {"b", "a.wvl", "b"}, Paths({"b", "a.wvl", "b"})},
        AcceptedCase{"ShortRecursive", {"-r", "saves"}, With([](Options& o) {
                       o.recursive = true;
                       o.paths = {"saves"};
                     })},
        AcceptedCase{"LongRecursive", {"--recursive", "saves"}, With([](Options& o) {
                       o.recursive = true;
                       o.paths = {"saves"};
                     })},
        AcceptedCase{"OptionsAfterPaths", {"a", "-r", "b", "--quiet"}, With([](Options& o) {
                       o.recursive = o.quiet = true;
                       o.paths = {"a", "b"};
                     })},
        AcceptedCase{"Bundled", {"-rqc", "a"}, With([](Options& o) {
                       o.recursive = o.quiet = o.to_stdout = true;
                       o.paths = {"a"};
                     })},
        AcceptedCase{"StdoutLong", {"--stdout", "a"}, With([](Options& o) {
                       o.to_stdout = true;
                       o.paths = {"a"};
                     })},
        AcceptedCase{"ValuesJoined", {"--encoding=utf-8", "--eol=lf", "a"}, With([](Options& o) {
                       o.form = kUtf8Lf;
                       o.paths = {"a"};
                     })},
        AcceptedCase{
            "ValuesApart", {"--encoding", "utf-8", "--eol", "lf", "a"}, With([](Options& o) {
              o.form = kUtf8Lf;
              o.paths = {"a"};
            })},
        AcceptedCase{"ValuesAbbreviated", {"--enc=utf-8", "--eo", "lf", "a"}, With([](Options& o) {
                       o.form = kUtf8Lf;
                       o.paths = {"a"};
                     })},
        AcceptedCase{
            "LastValueCounts", {"--eol=lf", "--eol=crlf", "--encoding=cp1251", "a"}, Paths({"a"})},
        AcceptedCase{"HelpWithoutPaths", {"--help"}, With([](Options& o) { o.help = true; })},
        AcceptedCase{"ShortHelp", {"-h"}, With([](Options& o) { o.help = true; })},
        AcceptedCase{
            "VersionWithoutPaths", {"--version"}, With([](Options& o) { o.version = true; })},
        AcceptedCase{"ShortVersion", {"-V"}, With([](Options& o) { o.version = true; })},
        AcceptedCase{"HelpAmongPaths", {"a", "--help"}, With([](Options& o) {
                       o.help = true;
                       o.paths = {"a"};
                     })},
        AcceptedCase{"OptionAfterDoubleDashIsAPath", {"--", "-r"}, Paths({"-r"})},
        AcceptedCase{"OnlyTheFirstDoubleDashEndsOptions",
                     {"-r", "--", "--", "--help", "-x"},
                     With([](Options& o) {
                       o.recursive = true;
                       o.paths = {"--", "--help", "-x"};
                     })},
        AcceptedCase{"LoneDashIsAPath", {"-", "-r"}, With([](Options& o) {
                       o.recursive = true;
                       o.paths = {"-"};
                     })},
        AcceptedCase{"DashInsideANameIsAPath", {"a-r", "x--help"}, Paths({"a-r", "x--help"})},
        AcceptedCase{"Editable", {"--editable", "a"}, With([](Options& o) {
                       o.form = {TextEncoding::kUtf8, SystemLineBreak(), TextLayout::kEditable};
                       o.paths = {"a"};
                     })},
        AcceptedCase{"PackWithOutputApart", {"--pack", "-fo", "x.wvl", "a"}, With([](Options& o) {
                       o.command = Command::kPack;
                       o.force = true;
                       o.form.encoding = TextEncoding::kUtf8;
                       o.output = "x.wvl";
                       o.paths = {"a"};
                     })},
        AcceptedCase{"PackWithOutputJoined",
                     {"a", "--pack", "--output=x.wvl", "--force", "--encoding=cp1251"},
                     With([](Options& o) {
                       o.command = Command::kPack;
                       o.force = true;
                       o.output = "x.wvl";
                       o.paths = {"a"};
                     })},
        AcceptedCase{"PackIntoFolder", {"--pack", "-Oout", "a", "b"}, With([](Options& o) {
                       o.command = Command::kPack;
                       o.form.encoding = TextEncoding::kUtf8;
                       o.output_dir = "out";
                       o.paths = {"a", "b"};
                     })},
        AcceptedCase{
            "EditableForced", {"-f", "--editable", "--eol=crlf", "a"}, With([](Options& o) {
              o.force = true;
              o.form = {TextEncoding::kUtf8, LineBreak::kCrLf, TextLayout::kEditable};
              o.paths = {"a"};
            })},
        AcceptedCase{
            "CatalogueOfTwoPaths", {"--csv", "-ro", "t.csv", "a", "b"}, With([](Options& o) {
              o.command = Command::kCatalogue;
              o.catalogue_format = CatalogueFormat::kCsv;
              o.recursive = true;
              o.output = "t.csv";
              o.paths = {"a", "b"};
            })},
        AcceptedCase{
            "CatalogueFromAnother", {"--pot", "--from=old.po", "-c", "a"}, With([](Options& o) {
              o.command = Command::kCatalogue;
              o.from = "old.po";
              o.to_stdout = true;
              o.paths = {"a"};
            })},
        AcceptedCase{"ApplyInPlace", {"--apply", "uk.po", "-rf", "a", "b"}, With([](Options& o) {
                       o.command = Command::kApply;
                       o.catalogue = "uk.po";
                       o.recursive = o.force = true;
                       o.paths = {"a", "b"};
                     })},
        AcceptedCase{"ApplyIntoFolder", {"--apply=-", "-O", "out", "a"}, With([](Options& o) {
                       o.command = Command::kApply;
                       o.catalogue = "-";
                       o.output_dir = "out";
                       o.paths = {"a"};
                     })}),
    [](const auto& info) { return std::string(info.param.name); });

// A path, and a path an option's value names, is made from the argument as
// the system gave it (on Windows its UTF-16), not from its UTF-8: here the two
// forms differ after the option's own letters.
TEST(OptionsPaths, AreMadeFromTheArgumentsAsGiven) {
  struct Case {
    std::vector<Argument> arguments;
    std::optional<std::filesystem::path> output;
    std::optional<std::filesystem::path> output_dir;
  };
  const Argument a{"a", "native a"};
  const Argument b{"b", "native b"};
  for (const Case& c : {
           Case{{{"-ox.wvl", "-onative x"}, a, {"--pack", "--pack"}}, "native x", std::nullopt},
           Case{{{"--pack", "--pack"}, {"--output=x.wvl", "--output=native x"}, a},
                "native x",
                std::nullopt},
           Case{{{"--pack", "--pack"}, {"-o", "-o"}, {"x.wvl", "native x"}, a},
                "native x",
                std::nullopt},
           Case{{a, {"-Ox", "-Onative x"}, {"--pack", "--pack"}, b}, std::nullopt, "native x"},
       }) {
    const auto parsed = ParseCommandLine(c.arguments);
    const auto* options = std::get_if<Options>(&parsed);
    ASSERT_NE(options, nullptr) << std::get<UsageError>(parsed).message;
    EXPECT_EQ(options->output, c.output);
    EXPECT_EQ(options->output_dir, c.output_dir);
    const std::vector<std::filesystem::path> expected_paths =
        c.output_dir ? std::vector<std::filesystem::path>{"native a", "native b"}
                     : std::vector<std::filesystem::path>{"native a"};
    EXPECT_EQ(options->paths, expected_paths);
  }
}

struct RejectedCase {
  const char* name;
  Arguments arguments;
  // Texts the message must contain so the person sees what was wrong; none
  // when only the refusal matters.
  std::vector<std::string> named;
};

void PrintTo(const RejectedCase& c, std::ostream* out) { *out << c.name; }

class OptionsRejected : public ::testing::TestWithParam<RejectedCase> {};

TEST_P(OptionsRejected, IsAUsageError) {
  const RejectedCase& c = GetParam();
  const auto parsed = Parse(c.arguments);
  const auto* error = std::get_if<UsageError>(&parsed);
  ASSERT_NE(error, nullptr);
  EXPECT_FALSE(error->message.empty());
  for (const std::string& named : c.named) {
    EXPECT_NE(error->message.find(named), std::string::npos) << error->message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsRejected,
    ::testing::Values(
        RejectedCase{"UnknownShort", {"-x", "a.wvl"}, {"-x"}},
        RejectedCase{"UnknownLong", {"a.wvl", "--bogus"}, {"--bogus"}},
        RejectedCase{"UnknownInABundle", {"-rx", "a.wvl"}, {"-x"}},
        RejectedCase{"UnknownShortAfterALongOne", {"--stdout", "-xr", "a.wvl"}, {"-x"}},
        RejectedCase{"Ambiguous", {"--e=utf-8", "a.wvl"}, {"--e"}},
        RejectedCase{"ValueNotTaken", {"--recursive=yes", "a.wvl"}, {"--recursive"}},
        RejectedCase{
            "UnknownEncoding", {"--encoding=koi8-r", "a.wvl"}, {"koi8-r", "cp1251", "utf-8"}},
        RejectedCase{"UnknownLineBreak", {"--eol", "cr", "a.wvl"}, {"«cr»", "crlf", "lf"}},
        RejectedCase{"MissingValue", {"a.wvl", "--eol"}, {"--eol"}},
        RejectedCase{"Nothing", {}, {}}, RejectedCase{"RecursiveWithoutPath", {"-r"}, {}},
        RejectedCase{"DoubleDashWithoutPath", {"--"}, {}},
        // An unknown option fails the line even when --help would otherwise
        // need no path.
        RejectedCase{"UnknownBesideHelp", {"--help", "--bogus"}, {"--bogus"}},
        RejectedCase{"EditableWithPack", {"--editable", "--pack", "a"}, {"--editable", "--pack"}},
        RejectedCase{"OutputWithoutPack", {"-o", "x", "a"}, {"-o", "--pack"}},
        RejectedCase{"ForceWithoutPack", {"-f", "a"}, {"-f", "--pack", "--editable"}},
        RejectedCase{"OutputDirWithoutPack", {"-O", "x", "a"}, {"-O", "--pack"}},
        RejectedCase{"OutputAndOutputDir", {"--pack", "-o", "x", "-O", "y", "a"}, {"-o", "-O"}},
        RejectedCase{"OutputDirWithStdout", {"--pack", "-c", "--output-dir=y", "a"}, {"-O", "-c"}},
        RejectedCase{"OutputWithStdout", {"--pack", "-c", "-o", "x", "a"}, {"-o", "-c"}},
        RejectedCase{"OutputForTwo", {"--pack", "-o", "x", "a", "b"}, {"-o", "2"}},
        RejectedCase{"PackRecursive", {"--pack", "-r", "a"}, {"-r"}},
        RejectedCase{"CatalogueWithoutOutput", {"--pot", "a"}, {"-o", "-c"}},
        RejectedCase{"CatalogueIntoFolder", {"--csv", "-O", "x", "a"}, {"-O", "--apply"}},
        RejectedCase{"CatalogueForcedToStdout", {"--pot", "-fc", "a"}, {"-f", "-c"}},
        RejectedCase{"TwoCatalogues", {"--pot", "--csv", "-c", "a"}, {"--pot", "--csv"}},
        RejectedCase{"CatalogueInAnEncoding",
                     {"--pot", "--encoding=cp1251", "-c", "a"},
                     {"--encoding", "--pot"}},
        RejectedCase{"FromWithoutCatalogue", {"--from=old.po", "a"}, {"--from", "--pot"}},
        RejectedCase{"ApplyWithoutOutput", {"--apply=uk.po", "-r", "a"}, {"-O", "-o", "-c", "-f"}},
        RejectedCase{"ApplyWithoutCatalogue", {"a", "--apply"}, {"--apply"}},
        RejectedCase{"ApplyAndPack", {"--apply=uk.po", "--pack", "-f", "a"}, {"--apply", "--pack"}},
        RejectedCase{"ApplyFrom", {"--apply=uk.po", "--from=old.po", "-f", "a"}, {"--from"}},
        RejectedCase{"ApplyTwoToStdout", {"--apply=uk.po", "-c", "a", "b"}, {"-c", "2"}},
        RejectedCase{"CatalogueAndFileFromInput", {"--apply=-", "-c", "-"}, {"-"}},
        RejectedCase{"ApplyTwoToOutput", {"--apply=uk.po", "-o", "x", "a", "b"}, {"-o", "2"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace holvane::cli
