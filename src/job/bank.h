// The three banks a job can collect, with the texts that belong to each: the
// caption of its choice in the window, the name derived from it (status line,
// proposed file name) and the header row of its output file.
#pragma once

#include <string>
#include <string_view>

namespace tenrovel::job {

enum class Bank { kMizuho, kSmbc, kMufg };

// "みずほ銀行 店舗", "三井住友銀行 店舗", "三菱UFJ銀行 店舗" (CP932).
const std::string& BankCaption(Bank bank);

// A caption made into a name: trimmed, every ASCII space removed, e.g.
// "みずほ銀行店舗".
std::string BankName(std::string_view caption);

// Line 1 of the output file: the column names, each in double quotes, joined
// by commas, without the line end (CP932).
const std::string& HeaderRow(Bank bank);

}  // namespace tenrovel::job
