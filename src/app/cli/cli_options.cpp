#include "app/cli/cli_options.h"

#include <CLI/CLI.hpp>

#include "app/bank_table.h"
#include "app/cli/exit_codes.h"
#include "app/cli/prefecture_lookup.h"
#include "app/site_config_loader.h"
#include "platform/codepage.h"
#include "text/cp932.h"

#ifndef TENROVEL_VERSION
#define TENROVEL_VERSION "0"
#endif

namespace tenrovel::cli {

namespace {

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

}  // namespace

ParseOutcome ParseCommandLine(const std::vector<std::string>& args) {
  CLI::App app{
      "Collects the branch and ATM lists of a bank for the chosen prefectures and saves them\n"
      "as one CSV file (code page 932, CR LF).",
      "tenrovel"};
  std::string bank;
  std::vector<std::string> prefs;
  bool all = false;
  CliOptions options;
  std::vector<std::string> keys;
  for (const app::BankRow& row : app::Banks())
    keys.push_back(row.facts.key);
  bool list_prefectures = false;
  auto* bank_option = app.add_option("--bank", bank, BankChoices())
                          ->transform(CLI::IsMember(keys, CLI::ignore_case));
  auto* pref = app.add_option("--pref", prefs,
                              "prefecture by name (東京都, 東京, tokyo) or code (13, 1); "
                              "repeatable, comma-separated; processed in the list's order")
                   ->delimiter(',');
  app.add_flag("--list-prefectures", list_prefectures, "print the 47 prefectures and their codes");
  auto* all_flag = app.add_flag("--all", all, "all 47 prefectures");
  pref->excludes(all_flag);
  app.add_option("-o,--output", options.output_utf8,
                 "output file (default: the bank's proposed name in the current folder)");
  app.add_flag("--force", options.force,
               "replace an existing output file (only once the job has an outcome)");
  app.add_flag("-q,--quiet", options.quiet, "no progress and no summary; errors still show");
  app.set_version_flag("--version", std::string("tenrovel ") + TENROVEL_VERSION);
  std::string sites;
  for (const app::SiteSetting& setting : app::kSiteSettings)
    sites += std::string(sites.empty() ? "" : ", ") + setting.environment;
  app.footer(
      "Exit codes: 0 rows written, 1 nothing found, 2 cancelled, 3 a site could not be\n"
      "reached, 4 some downloads failed (the rows that could be fetched were written),\n"
      "64 usage error, 70 internal error, 73 output file exists or cannot be created,\n"
      "74 output could not be written or replaced, 78 the bank's site\n"
      "has no host. When several apply: 70, 74, 2, 4, 3, 1, 0.\n"
      "Sites (scheme://host[:port]): " +
      sites +
      ".\n"
      "TENROVEL_DELAY_SCALE scales the pauses between requests (0 = none).");

  std::vector<std::string> reversed(args.rbegin(), args.rend() - (args.empty() ? 0 : 1));
  ParseOutcome outcome;
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    outcome.message = app.help();
    return outcome;
  } catch (const CLI::CallForVersion&) {
    outcome.message = std::string("tenrovel ") + TENROVEL_VERSION + "\n";
    return outcome;
  } catch (const CLI::ParseError& e) {
    outcome.exit_code = kExitUsage;
    outcome.message = std::string("tenrovel: ") + e.what() + "\nRun with --help for usage.\n";
    return outcome;
  }
  if (list_prefectures) {
    outcome.message = PrefectureList();
    return outcome;
  }
  if (bank_option->count() == 0) {
    outcome.exit_code = kExitUsage;
    outcome.message = "tenrovel: --bank is required\nRun with --help for usage.\n";
    return outcome;
  }
  if (!all && prefs.empty()) {
    outcome.exit_code = kExitUsage;
    outcome.message = "tenrovel: choose prefectures with --pref or --all\n";
    return outcome;
  }
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
  outcome.options = options;
  return outcome;
}

}  // namespace tenrovel::cli
