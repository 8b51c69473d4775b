#include "app/cli/cli_options.h"

#include <CLI/CLI.hpp>

#include "app/bank_table.h"
#include "app/cli/exit_codes.h"
#include "app/cli/prefecture_lookup.h"
#include "app/output_path.h"
#include "app/site_config_loader.h"
#include "platform/codepage.h"
#include "platform/http.h"
#include "text/cp932.h"

#ifndef TENROVEL_VERSION
#define TENROVEL_VERSION "0"
#endif

namespace tenrovel::cli {

namespace {

constexpr char kSynopsis[] =
    "Usage: tenrovel --bank BANK (--pref PREFECTURE[,...]... | --all) [-o FILE | -o -] [OPTIONS]\n"
    "       tenrovel --list-prefectures | --help | --version\n";

// The synopsis in place of CLI11's own "Usage:" line.
class Formatter final : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App*, std::string) const override {
    return std::string("\n") + kSynopsis;
  }
};

// "mizuho, smbc or mufg": the banks of the table.
std::string BankChoices() {
  std::string choices;
  for (std::size_t i = 0; i < app::kBankCount; ++i) {
    const app::BankRow& row = app::Banks()[i];
    if (i > 0)
      choices += i + 1 < app::kBankCount ? ", " : " or ";
    choices += row.facts.key;
  }
  return choices;
}

// One line per bank: its key, its name in the window, its default file.
std::string BankLines() {
  std::string lines;
  for (const app::BankRow& row : app::Banks()) {
    lines += "  " + row.facts.key +
             std::string(row.facts.key.size() < 8 ? 8 - row.facts.key.size() : 1, ' ') +
             platform::Cp932ToUtf8(job::BankName(row.facts.caption)) + ", default file " +
             platform::Cp932ToUtf8(app::DefaultOutputFileName(row.facts)) + "\n";
  }
  return lines;
}

std::string Footer() {
  std::string sites;
  for (const app::SiteSetting& setting : app::kSiteSettings)
    sites += std::string(sites.empty() ? "" : ", ") + setting.environment;
  return "Banks (the default file is written in the current folder):\n" + BankLines() +
         "\n"
         "Examples:\n"
         "  tenrovel --bank mizuho --pref 東京都,大阪 -o mizuho.csv\n"
         "  tenrovel --bank smbc --all --force\n"
         "  tenrovel --bank mufg --pref 13 -o - --encoding utf-8 | less\n"
         "\n"
         "Exit codes:\n"
         "  0   rows were written\n"
         "  1   nothing found (the file holds the header row)\n"
         "  2   cancelled (rows written before the stop stay)\n"
         "  3   no row, and a download failed; an existing file is kept\n"
         "  4   some downloads failed; the rows that could be fetched were written\n"
         "  64  usage error\n"
         "  70  internal error (please report it)\n"
         "  73  the output file exists (without --force), is in use, or cannot be created\n"
         "  74  the output could not be written or could not replace the existing file\n"
         "  78  the bank's site has no host (MUFG: set TENROVEL_MUFG_URL)\n"
         "  When several apply, the first of 70, 74, 2, 4, 3, 1, 0.\n"
         "\n"
         "Sites (scheme://host[:port]): " +
         sites +
         ".\n"
         "TENROVEL_DELAY_SCALE scales the pauses between requests (0 = none).";
}

std::string CompilerName() {
#if defined(__clang__)
  return std::string("clang ") + __clang_version__;
#elif defined(__GNUC__)
  return std::string("GCC ") + __VERSION__;
#else
  return "an unknown compiler";
#endif
}

std::string VersionText() {
  return std::string("tenrovel ") + TENROVEL_VERSION + "\nbuilt with " + CompilerName() + ", " +
         platform::HttpLibraryVersion() + "\n";
}

ParseOutcome UsageError(const std::string& message) {
  ParseOutcome outcome;
  outcome.exit_code = kExitUsage;
  outcome.message = "tenrovel: " + message + "\nRun with --help for usage.\n";
  return outcome;
}

}  // namespace

ParseOutcome ParseCommandLine(const std::vector<std::string>& args) {
  CLI::App app{
      "Collects the branch and ATM lists of a bank for the chosen prefectures and saves them\n"
      "as one CSV file (code page 932, CR LF).",
      "tenrovel"};
  app.formatter(std::make_shared<Formatter>());
  std::string bank;
  std::vector<std::string> prefs;
  bool all = false;
  CliOptions options;
  std::vector<std::string> keys;
  for (const app::BankRow& row : app::Banks())
    keys.push_back(row.facts.key);
  bool list_prefectures = false;
  auto* bank_option = app.add_option("--bank", bank, "the bank: " + BankChoices())
                          ->transform(CLI::IsMember(keys, CLI::ignore_case))
                          ->type_name("BANK");
  auto* pref = app.add_option("--pref", prefs,
                              "prefecture by name (東京都, 東京, tokyo) or code (13, 1); "
                              "repeatable, comma-separated; processed in the list's order")
                   ->delimiter(',')
                   ->type_name("PREFECTURE");
  app.add_flag("--list-prefectures", list_prefectures, "print the 47 prefectures and their codes");
  auto* all_flag = app.add_flag("--all", all, "all 47 prefectures");
  pref->excludes(all_flag);
  auto* output =
      app.add_option(
             "-o,--output", options.output_utf8,
             "output file (default: the bank's file in the current folder); - for standard output")
          ->type_name("FILE");
  app.add_flag("--force", options.force,
               "replace an existing output file (only once the job has an outcome)");
  app.add_flag("-q,--quiet", options.quiet, "no progress and no summary; errors still show");
  app.add_option("--connect-timeout", options.connect_timeout_seconds,
                 "seconds to wait for a connection (default 30)")
      ->check(CLI::PositiveNumber)
      ->type_name("SECONDS");
  app.add_option("--timeout", options.stall_timeout_seconds,
                 "seconds to wait for the next byte of an answer (default 60)")
      ->check(CLI::PositiveNumber)
      ->type_name("SECONDS");
  std::string encoding = "cp932";
  app.add_option("--encoding", encoding,
                 "cp932 (default, the bytes the window program writes) or utf-8 (with a BOM)")
      ->transform(CLI::IsMember({"cp932", "utf-8"}, CLI::ignore_case))
      ->type_name("ENCODING");
  app.add_option("--save-answers", options.save_answers_utf8,
                 "keep every answer downloaded in this folder (new or empty), with a list "
                 "of their URLs and HTTP statuses")
      ->type_name("DIR");
  app.set_version_flag("--version", VersionText());
  app.footer(Footer());

  std::vector<std::string> reversed(args.rbegin(), args.rend() - (args.empty() ? 0 : 1));
  ParseOutcome outcome;
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    outcome.message = app.help();
    return outcome;
  } catch (const CLI::CallForVersion&) {
    outcome.message = VersionText();
    return outcome;
  } catch (const CLI::ParseError& e) {
    return UsageError(e.what());
  }
  if (list_prefectures) {
    outcome.message = PrefectureList();
    return outcome;
  }
  if (bank_option->count() == 0)
    return UsageError("--bank is required");
  if (!all && prefs.empty())
    return UsageError("choose prefectures with --pref or --all");
  if (output->count() > 0 && options.output_utf8.empty())
    return UsageError("-o needs a file name (or - for standard output)");
  for (const std::string& p : prefs) {
    const auto index = FindPrefecture(p);
    if (!index) {
      outcome.exit_code = kExitUsage;
      outcome.message = "tenrovel: no such prefecture: " + p;
      const std::vector<std::string> near = SuggestPrefectures(p);
      for (std::size_t k = 0; k < near.size(); ++k)
        outcome.message += (k == 0 ? "; did you mean " : ", ") + near[k];
      outcome.message += near.empty() ? "\n" : "?\n";
      outcome.message += "Run with --list-prefectures for the list.\n";
      return outcome;
    }
    options.checked[*index] = true;
  }
  if (all)
    options.checked.fill(true);
  options.bank = app::FindBank(bank).value_or(0);
  options.encoding = encoding == "utf-8" ? job::OutputEncoding::kUtf8 : job::OutputEncoding::kCp932;
  outcome.options = options;
  return outcome;
}

}  // namespace tenrovel::cli
