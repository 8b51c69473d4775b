// The one table of per-bank facts: for every bank, what the window, the
// settings, the command line and the job need to know of it, and the
// routine of its source. The rows stand in the order of the window's bank
// choices (rdShop1, rdShop2, ...), which is also the order of the values of
// "SelShop" in rvl.ini (0, 1, ...).
//
// Adding a bank is one row here and its source files under sources/, plus
// what the window's fixed form needs: a radio button (main_view.h's Control,
// win32/control_ids.h, win32/main_window.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "job/bank_facts.h"
#include "job/job_request.h"
#include "job/site_config.h"

namespace tenrovel::app {

struct BankRow {
  job::BankFacts facts;
  // The routine of the bank's source, handed to the job driver.
  job::SourceEntry source;
  // The site the source cannot do without; the command line names its
  // setting when it has no host.
  std::string job::SiteConfig::*site = nullptr;
};

// The rows' places in the table.
enum BankIndex : std::size_t { kMizuho, kSmbc, kMufg, kBankCount };

using BankTable = std::array<BankRow, kBankCount>;

const BankTable& Banks();

// The index of the row whose key is `key` (the command line's --bank value).
std::optional<std::size_t> FindBank(std::string_view key);

}  // namespace tenrovel::app
