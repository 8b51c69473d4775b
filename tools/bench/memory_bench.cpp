// Peak heap memory of the sources against large and hostile answers, through
// the real source routines (download into the temporary file, loading,
// cutting, rows), with a context that serves a prepared file and writes rows
// nowhere. Prints one line per case with its goal; exits 1 when a case is
// over its goal. A benchmark, not a test: the figures depend on the standard
// library and the allocator.
//
//   build/native-release/tools/bench/memory_bench
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "heap_counter.h"
#include "job/bank_facts.h"
#include "job/source_context.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "sources/mizuho.h"
#include "sources/mufg.h"

namespace {

using namespace tenrovel;
namespace fs = std::filesystem;

constexpr double kMiB = 1024.0 * 1024.0;

// Serves the prepared answer for every request; rows and statuses go nowhere.
class ServingContext final : public job::SourceContext {
 public:
  ServingContext(const fs::path& answer, const fs::path& temp, text::CsvQuoting quoting)
      : answer_(answer), temp_(temp) {
    bank_.quoting = quoting;
    sites_.mizuho_url = sites_.mufg_url = "http://bench.invalid";
    fields_.CurrentPrefName = "13";
  }
  bool Terminated() const override { return false; }
  job::JobFields& Fields() override { return fields_; }
  void WriteRow(std::string_view) override { ++rows; }
  bool DownloadToFile(const std::string&, const fs::path& path) override {
    std::error_code error;
    return fs::copy_file(answer_, path, fs::copy_options::overwrite_existing, error);
  }
  void Pause(std::chrono::milliseconds) override {}
  void SyncShowItemStatus() override {}
  const fs::path& TempFilePath() const override { return temp_; }
  const job::SiteConfig& Sites() const override { return sites_; }
  const job::BankFacts& Bank() const override { return bank_; }

  long rows = 0;

 private:
  fs::path answer_, temp_;
  job::SiteConfig sites_;
  job::BankFacts bank_;
  job::JobFields fields_;
};

struct Case {
  const char* name;
  std::function<std::string()> make_answer;
  void (*source)(job::SourceContext&, const std::string&);
  text::CsvQuoting quoting;
  double goal_ratio;           // peak under this many times the answer, or 0
  double goal_bytes_per_item;  // or peak per comma-separated item, or 0
};

std::string MizuhoRecord(int k) {
  return R"({"id":")" + std::to_string(1000 + k) +
         R"(","name":"東京営業部","poi_name_yomi":"とうきょうえいぎょうぶ","shop_no":"100",)"
         R"("kind":"支店","zip":"100-0005","full_address":"東京都千代田区丸の内1-3-3",)"
         R"("access":"東京駅から徒歩1分","tel":"03-3214-1111","park_name":"",)"
         R"("atm_time":"8:00～21:00","atm_sat":"9:00～19:00","atm_sun":"9:00～17:00",)"
         R"("atm_hol":"9:00～17:00","book_time":"ATMの時間と同じ","foreign":"1","invest":"0",)"
         R"("bond":"1","insurance":"0","salon":"0","lottery":"1","lat":"35.68","lon":"139.76"})";
}

std::string MizuhoAnswer(std::size_t bytes) {
  std::string items;
  for (int k = 0; items.size() < bytes; ++k)
    items += (k > 0 ? "," : "") + MizuhoRecord(k);
  return R"(cb({"status":"OK","count":{"hits":"100000","start":"1"},"items":[)" + items + "]})";
}

std::string MufgFile(std::size_t bytes) {
  std::string file;
  for (int k = 0; file.size() < bytes; ++k) {
    char code[8];
    std::snprintf(code, sizeof code, "%02d", k % 47 + 1);
    file += "\"" + std::string(code) + "\"," +
            platform::Utf8ToCp932(
                "札幌支店,さっぽろしてん,401,060-0005,北海道札幌市中央区北五条西9-9-9,"
                "JR札幌駅南口より徒歩5分,011-555-0401,無,08:45-21:00,09:00-19:00,09:00-19:00,"
                "外貨両替・投資信託,43.0663,141.3503,https://mufg.example/branch/401/\r\n");
  }
  return file;
}

}  // namespace

int main() {
  const Case cases[] = {
      {"Mizuho: a 20 MB line of commas", [] { return std::string(20'000'000, ','); },
       &sources::FetchMizuhoPrefecture, text::CsvQuoting::kEveryField, 0, 20},
      {"Mizuho: 50 MB answer, its short first line used",
       [] { return MizuhoAnswer(5000) + "\r\n" + std::string(50'000'000, 'x'); },
       &sources::FetchMizuhoPrefecture, text::CsvQuoting::kEveryField, 4, 0},
      {"Mizuho: 20 MB answer of records on one line", [] { return MizuhoAnswer(20'000'000); },
       &sources::FetchMizuhoPrefecture, text::CsvQuoting::kEveryField, 4, 0},
      {"MUFG: 50 MB data file", [] { return MufgFile(50'000'000); }, &sources::FetchMufgPrefecture,
       text::CsvQuoting::kMinimal, 4, 0},
  };
  const platform::PrivateTempFolder folder;
  const fs::path answer_path = folder.path() / "answer";
  int over = 0;
  for (const Case& c : cases) {
    std::size_t answer_size = 0, items = 0;
    {
      const std::string answer = c.make_answer();
      answer_size = answer.size();
      items = static_cast<std::size_t>(std::count(answer.begin(), answer.end(), ',')) + 1;
      platform::ReplaceFileAtomically(answer_path, answer);
    }
    ServingContext context(answer_path, folder.path() / "tmp.dat", c.quoting);
    fs::remove(context.TempFilePath());
    const std::size_t base = bench::HeapInUse();
    bench::ResetHeapPeak();
    c.source(context, "13");
    const double peak = static_cast<double>(bench::HeapPeak() - base);
    bool ok = true;
    char goal[64];
    if (c.goal_ratio > 0) {
      ok = peak < c.goal_ratio * static_cast<double>(answer_size);
      std::snprintf(goal, sizeof goal, "under %.0fx the answer", c.goal_ratio);
    } else {
      ok = peak / static_cast<double>(items) <= c.goal_bytes_per_item;
      std::snprintf(goal, sizeof goal, "%.0f B per item at most", c.goal_bytes_per_item);
    }
    over += ok ? 0 : 1;
    std::printf(
        "%-48s answer %6.1f MB  peak %7.1f MB  %5.2fx  %6.1f B/item  %ld rows  goal %s: %s\n",
        c.name, answer_size / kMiB, peak / kMiB, peak / static_cast<double>(answer_size),
        peak / static_cast<double>(items), context.rows, goal, ok ? "met" : "MISSED");
  }
  return over == 0 ? 0 : 1;
}
