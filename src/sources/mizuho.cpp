#include "sources/mizuho.h"

#include <string>
#include <unordered_set>

#include "platform/codepage.h"
#include "platform/files.h"
#include "sources/comma_split.h"
#include "sources/mizuho_answer.h"
#include "sources/mizuho_record.h"
#include "text/cp932.h"
#include "text/csv_row.h"

namespace tenrovel::sources {

namespace {

// Loads the answer's first line, converted from UTF-8, into `line` and cuts
// it into items, views of `line`; the items replace the answer in the
// temporary file. The rest of the answer is let go before the cut, so that
// an answer is held about once.
std::vector<std::string_view> LoadAnswerItems(const std::filesystem::path& temp,
                                              std::string& line) {
  {
    const auto bytes = platform::ReadFileBytes(temp);
    if (!bytes || bytes->empty())
      return {};
    line = platform::Utf8ToCp932(text::TrimView(text::LineAt(*bytes, 0).content));
  }
  std::vector<std::string_view> items = CommaSplitInPlace(line, true);
  std::string saved;
  std::size_t size = 0;
  for (const std::string_view item : items)
    size += item.size() + 2;
  saved.reserve(size);
  for (const std::string_view item : items) {
    saved += item;
    saved += "\r\n";
  }
  platform::ReplaceFileAtomically(temp, saved);
  return items;
}

}  // namespace

std::optional<std::string> ExtractMizuhoRecord(
    job::SourceContext& context, std::size_t start, std::span<const std::string_view> items,
    const std::unordered_set<std::string>& written_before) {
  const MizuhoColumns columns = ExtractMizuhoColumns(
      items, start, [&context] { return context.Terminated(); }, context.Sites().mizuho_detail_url);
  std::string row = text::CsvRow(columns, context.Bank().quoting);
  // Column 17, the detail page URL, is made from the location id.
  std::string identity = columns.back().empty() ? row : columns.back();
  if (written_before.contains(identity))
    return std::nullopt;
  context.WriteRow(row);
  return identity;
}

void FetchMizuhoPrefecture(job::SourceContext& context, const std::string& pref_code) {
  auto& fields = context.Fields();
  fields.PrefItemTotal = 0;
  fields.PrefItemDone = 0;
  const std::filesystem::path& temp = context.TempFilePath();
  const auto stop = [&context] { return context.Terminated(); };
  bool status_shown = false;
  const auto show_status = [&] {
    context.SyncShowItemStatus();
    status_shown = true;
  };
  // Records written from earlier answers of this prefecture, by location id
  // (the detail page URL) or, without one, by the whole row: a service that
  // ignores "start" must not have its first answer written again and again.
  std::unordered_set<std::string> written_before;

  // The service answers ten records at a time: further answers are asked for
  // while the first answer's hit count has not been reached, as long as the
  // last one brought a record not seen before, and never beyond the answers
  // that the hit count allows.
  long long answer_limit = 1;
  for (long long answer = 0; answer < answer_limit; ++answer) {
    const long long start = 1 + answer * kMizuhoPageSize;
    // A failed download must read as an empty answer, never as the last one.
    platform::DeleteFileAt(temp);
    context.DownloadToFile(context.Sites().mizuho_url + MizuhoRequestPath(pref_code, start), temp);
    context.Pause(context.Bank().pauses.after_download);
    std::string line;  // the items' bytes
    const std::vector<std::string_view> items = LoadAnswerItems(temp, line);

    if (answer == 0) {
      if (!items.empty())
        fields.PrefItemTotal = ReadMizuhoHitCount(items, stop);
      if (fields.PrefItemTotal <= 0 || context.Terminated())
        break;
      answer_limit = MizuhoAnswerLimit(fields.PrefItemTotal);
    }

    int records_in_answer = 0;
    std::unordered_set<std::string> written_now;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (IsMizuhoRecordStart(items[i])) {
        if (auto identity = ExtractMizuhoRecord(context, i, items, written_before)) {
          written_now.insert(std::move(*identity));
          ++fields.PrefItemDone;
          show_status();
        }
        ++records_in_answer;
      }
      if (records_in_answer >= kMizuhoPageSize || fields.PrefItemDone >= fields.PrefItemTotal ||
          context.Terminated()) {
        break;
      }
    }
    if (written_now.empty() || fields.PrefItemDone >= fields.PrefItemTotal || context.Terminated())
      break;
    written_before.merge(written_now);
  }
  // A prefecture that wrote nothing still shows its counts once.
  if (!status_shown)
    context.SyncShowItemStatus();
}

}  // namespace tenrovel::sources
