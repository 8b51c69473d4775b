// Throughput of the text work a job does per answer: converting the answer
// from UTF-8, cutting it into items, reading its records, and the CP932
// conversions. A Mizuho answer of ten records is about 5 KB.
//
//   build/native-release/tools/bench/text_bench
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "sources/comma_split.h"
#include "sources/mizuho_answer.h"
#include "sources/mizuho_record.h"
#include "text/cp932.h"

namespace {

using namespace tenrovel;

std::string MizuhoAnswerUtf8(int records) {
  std::string items;
  for (int k = 0; k < records; ++k) {
    if (!items.empty())
      items += ",";
    items += R"({"id":")" + std::to_string(1000 + k) +
             R"(","name":"東京営業部","poi_name_yomi":"とうきょうえいぎょうぶ","shop_no":"100",)"
             R"("kind":"支店","zip":"100-0005","full_address":"東京都千代田区丸の内1-3-3, 本館",)"
             R"("access":"東京駅から徒歩1分","tel":"<b>03-3214-1111</b>","park_name":"",)"
             R"("atm_time":"8:00～21:00","atm_sat":"9:00～19:00","atm_sun":"9:00～17:00",)"
             R"("atm_hol":"9:00～17:00","book_time":"ATMの時間と同じ","foreign":"1","invest":"0",)"
             R"("bond":"1","insurance":"0","salon":"0","lottery":"1","lat":"35.68","lon":"139.76",)"
             R"("update_date":"2020-11-20"})";
  }
  return R"(cb({"status":"OK","count":{"hits":"10","start":"1"},"items":[)" + items + "]})";
}

void BM_MizuhoAnswer(benchmark::State& state) {
  const std::string answer = MizuhoAnswerUtf8(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string line = platform::Utf8ToCp932(text::TrimView(answer));
    const std::vector<std::string_view> items = sources::CommaSplitInPlace(line, true);
    int rows = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (!sources::IsMizuhoRecordStart(items[i]))
        continue;
      benchmark::DoNotOptimize(sources::ExtractMizuhoColumns(
          items, i, [] { return false; }, "https://detail.example"));
      ++rows;
    }
    benchmark::DoNotOptimize(rows);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * answer.size()));
}
BENCHMARK(BM_MizuhoAnswer)->Arg(10)->Arg(1000);

void BM_Cp932RoundTrip(benchmark::State& state) {
  std::string text;
  while (text.size() < 1 << 20)
    text += platform::Utf8ToCp932("東京都千代田区丸の内1-3-3 ﾃｽﾄ ABC ");
  for (auto _ : state) {
    benchmark::DoNotOptimize(platform::Utf16ToCp932(platform::Cp932ToUtf16(text)));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Cp932RoundTrip);

void BM_SplitLines(benchmark::State& state) {
  std::string file;
  while (file.size() < 1 << 20)
    file += "\"131\",\"line\",\"of\",\"a\",\"data\",\"file\"\r\n";
  for (auto _ : state)
    benchmark::DoNotOptimize(text::SplitLines(file));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_SplitLines);

}  // namespace

BENCHMARK_MAIN();
