#include "sources/mizuho.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "sources/comma_split.h"
#include "sources/mizuho_answer.h"
#include "sources/mizuho_record.h"
#include "text/cp932.h"
#include "text/csv_row.h"

namespace tenrovel::sources {

namespace {

// The service answers at most this many records per request ("pm=10").
constexpr int kPageSize = 10;

// Loads the answer's first line, converted from UTF-8, and cuts it into
// items; the items replace the answer in the temporary file.
std::vector<std::string> LoadAnswerItems(const std::filesystem::path& temp) {
  std::vector<std::string> items;
  const auto bytes = platform::ReadFileBytes(temp);
  if (!bytes)
    return items;
  const std::vector<std::string> lines = text::SplitLines(*bytes);
  if (lines.empty())
    return items;
  items = CommaSplit(platform::Utf8ToCp932(text::Trim(lines.front())), true);
  std::string saved;
  for (const std::string& item : items) {
    saved += item;
    saved += "\r\n";
  }
  platform::ReplaceFileAtomically(temp, saved);
  return items;
}

}  // namespace

void ExtractMizuhoRecord(job::SourceContext& context, std::size_t start,
                         std::vector<std::string>& items) {
  const MizuhoColumns columns = ExtractMizuhoColumns(
      items, start, [&context] { return context.Terminated(); }, context.Sites().mizuho_detail_url);
  context.WriteRow(text::CsvRow(columns, context.Bank().quoting));
}

void FetchMizuhoPrefecture(job::SourceContext& context, const std::string& pref_code) {
  auto& fields = context.Fields();
  fields.PrefItemTotal = 0;
  fields.PrefItemDone = 0;
  const std::filesystem::path& temp = context.TempFilePath();
  const auto stop = [&context] { return context.Terminated(); };

  // The service answers ten records at a time: further answers are asked for
  // while the first answer's hit count has not been reached.
  for (int start = 1;; start += kPageSize) {
    // A failed download must read as an empty answer, never as the last one.
    platform::DeleteFileAt(temp);
    context.DownloadToFile(context.Sites().mizuho_url + MizuhoRequestPath(pref_code, start), temp);
    context.Pause(context.Bank().pauses.after_download);
    std::vector<std::string> items = LoadAnswerItems(temp);

    if (start == 1) {
      if (!items.empty())
        fields.PrefItemTotal = ReadMizuhoHitCount(items, stop);
      if (fields.PrefItemTotal <= 0 || context.Terminated()) {
        context.SyncShowItemStatus();
        return;
      }
    }

    int records_in_answer = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (IsMizuhoRecordStart(items[i])) {
        ExtractMizuhoRecord(context, i, items);
        ++fields.PrefItemDone;
        context.SyncShowItemStatus();
        ++records_in_answer;
      }
      if (records_in_answer >= kPageSize || fields.PrefItemDone >= fields.PrefItemTotal ||
          context.Terminated()) {
        break;
      }
    }
    if (records_in_answer == 0 || fields.PrefItemDone >= fields.PrefItemTotal ||
        context.Terminated()) {
      return;
    }
  }
}

}  // namespace tenrovel::sources
