#include "sources/mufg.h"

#include "platform/files.h"
#include "sources/comma_split.h"
#include "text/ascii_case.h"
#include "text/cp932.h"
#include "text/csv_row.h"

namespace tenrovel::sources {

namespace {

// The prefecture code, then the 15 columns of the MUFG header row.
constexpr std::size_t kFieldCount = 16;

}  // namespace

bool IsMufgPrefectureLine(std::string_view trimmed_line, std::string_view pref_code) {
  if (trimmed_line.empty())
    return false;
  // Shorter than two bytes when the line is.
  return text::EqualsIgnoreAsciiCase(trimmed_line.substr(1, 2), pref_code);
}

std::vector<std::string_view> KeepMufgLines(std::span<const std::string_view> lines,
                                            std::string_view pref_code,
                                            const std::function<bool()>& stop_requested) {
  std::vector<std::string_view> kept;
  for (const std::string_view line : lines) {
    const std::string_view trimmed = text::TrimView(line);
    if (IsMufgPrefectureLine(trimmed, pref_code))
      kept.emplace_back(trimmed);
    if (stop_requested())
      break;
  }
  return kept;
}

std::optional<std::vector<std::string>> MufgColumns(std::string_view kept_line) {
  const std::vector<std::string> fields = CommaSplit(kept_line);
  if (fields.size() != kFieldCount)
    return std::nullopt;
  std::vector<std::string> columns;
  columns.reserve(kFieldCount - 1);
  for (std::size_t i = 1; i < kFieldCount; ++i)
    columns.push_back(text::Trim(fields[i]));
  return columns;
}

void FetchMufgPrefecture(job::SourceContext& context, const std::string& pref_code) {
  auto& fields = context.Fields();
  fields.PrefItemTotal = 0;
  fields.PrefItemDone = 0;
  const std::filesystem::path& local = context.TempFilePath();

  // One download serves the whole job. A failed download leaves no file, so
  // the next prefecture tries again. Without a configured host the URL has
  // none, which the downloader refuses without sending anything: the job
  // still records the failure.
  if (!platform::FileExists(local)) {
    std::string url = context.Sites().mufg_url;
    url += kMufgDataPath;
    context.DownloadToFile(url, local);
  }
  context.Pause(context.Bank().pauses.after_download);

  // The kept lines are views of the file's bytes, which stay loaded while
  // they are written.
  const std::optional<std::string> bytes = platform::ReadFileBytes(local);
  std::vector<std::string_view> kept;
  if (bytes) {
    kept = KeepMufgLines(text::SplitLines(*bytes), pref_code,
                         [&context] { return context.Terminated(); });
  }
  if (kept.empty() || context.Terminated()) {
    context.SyncShowItemStatus();
    return;
  }

  fields.PrefItemTotal = static_cast<int>(kept.size());
  for (const std::string_view line : kept) {
    context.Pause(context.Bank().pauses.before_row);
    // The split has removed the fields' own quotes; the row's quoting gives
    // them back where a column holds a comma or a quote, or it would turn
    // into extra columns.
    if (const auto columns = MufgColumns(line))
      context.WriteRow(text::CsvRow(*columns, context.Bank().quoting));
    ++fields.PrefItemDone;
    context.SyncShowItemStatus();
    if (fields.PrefItemDone >= fields.PrefItemTotal || context.Terminated())
      break;
  }
}

}  // namespace tenrovel::sources
