#include "app/cli/cli_options.h"

#include <CLI/CLI.hpp>

#include "app/bank_table.h"
#include "app/cli/exit_codes.h"
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

std::optional<std::size_t> FindPrefecture(const std::string& name_or_code) {
  const std::string text = text::Trim(name_or_code);
  if (!text.empty() && text.size() <= 2 &&
      text.find_first_not_of("0123456789") == std::string::npos) {
    const int code = std::stoi(text);
    if (code >= 1 && code <= static_cast<int>(job::kPrefectureCount)) {
      return static_cast<std::size_t>(code - 1);
    }
    return std::nullopt;
  }
  const auto& names = job::PrefectureNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (platform::Cp932ToUtf8(names[i]) == text)
      return i;
  }
  return std::nullopt;
}

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
  app.add_option("--bank", bank, BankChoices())->required()->check(CLI::IsMember(keys));
  auto* pref = app.add_option("--pref", prefs,
                              "prefecture by name (東京都) or code (13, 1); repeatable, "
                              "comma-separated")
                   ->delimiter(',');
  auto* all_flag = app.add_flag("--all", all, "all 47 prefectures");
  pref->excludes(all_flag);
  app.add_option("-o,--output", options.output_utf8,
                 "output file (default: the bank's proposed name in the current folder)");
  app.add_flag("--force", options.force, "replace an existing output file");
  app.set_version_flag("--version", std::string("tenrovel ") + TENROVEL_VERSION);
  std::string sites;
  for (const app::SiteSetting& setting : app::kSiteSettings)
    sites += std::string(sites.empty() ? "" : ", ") + setting.environment;
  app.footer(
      "Exit codes: 0 rows written, 1 nothing found, 2 cancelled, 3 a site could not be\n"
      "reached, 64 usage error, 70 internal error, 73 output file exists or cannot be\n"
      "created.\n"
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
  if (!all && prefs.empty()) {
    outcome.exit_code = kExitUsage;
    outcome.message = "tenrovel: choose prefectures with --pref or --all\n";
    return outcome;
  }
  for (const std::string& p : prefs) {
    const auto index = FindPrefecture(p);
    if (!index) {
      outcome.exit_code = kExitUsage;
      outcome.message = "tenrovel: no such prefecture: " + p + "\n";
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
