#include "sources/smbc.h"

#include <set>
#include <vector>

#include "platform/files.h"
#include "sources/smbc_detail.h"
#include "sources/smbc_list.h"
#include "sources/smbc_postal.h"
#include "sources/smbc_request.h"
#include "text/cp932.h"
#include "text/csv_row.h"

namespace tenrovel::sources {

namespace {

constexpr std::size_t kPostalCodeColumn = 4;
constexpr std::size_t kAddressColumn = 5;
constexpr std::size_t kUrlColumn = 14;

// Download and load: the answer's lines, none when the download failed. The
// temporary file is removed first, so that a failed download never reads as
// the answer before it.
std::vector<std::string> DownloadLines(job::SourceContext& context, const std::string& url) {
  const std::filesystem::path& temp = context.TempFilePath();
  platform::DeleteFileAt(temp);
  context.DownloadToFile(url, temp);
  context.Pause(context.Bank().pauses.after_download);
  const auto bytes = platform::ReadFileBytes(temp);
  if (!bytes)
    return {};
  const std::vector<std::string_view> lines = text::SplitLines(*bytes);
  return {lines.begin(), lines.end()};
}

}  // namespace

void FetchSmbcPrefecture(job::SourceContext& context, const std::string& pref_name) {
  auto& fields = context.Fields();
  fields.PrefItemTotal = 0;
  fields.PrefItemDone = 0;
  const std::string& base = context.Sites().smbc_url;
  const auto stop = [&context] { return context.Terminated(); };

  const std::string keyword = SmbcSearchKeyword(pref_name);
  const std::vector<std::string> search = DownloadLines(context, base + SmbcSearchPath(keyword));
  if (!search.empty())
    fields.PrefItemTotal = ReadSmbcHitCount(search, stop);
  if (fields.PrefItemTotal <= 0 || context.Terminated()) {
    context.SyncShowItemStatus();
    return;
  }

  // The locator lists a limited number of locations per page: the pages are
  // read in turn until the hit count is reached or a page brings nothing new
  // (a locator that answers every page number with its last page).
  const std::string parent_host = UrlAuthority(base);
  std::set<std::string> earlier_pages;
  for (int page = 1;; ++page) {
    const std::vector<std::string> list =
        DownloadLines(context, base + SmbcListPath(keyword, page, parent_host));
    if (list.empty())
      return;
    const std::vector<std::string> ids = SmbcDetailIds(text::Trim(list.front()));
    bool brought_new = false;
    for (const std::string& id : ids) {
      if (earlier_pages.contains(id))
        continue;
      brought_new = true;
      ExtractSmbcDetail(context, id);
      ++fields.PrefItemDone;
      context.SyncShowItemStatus();
      if (fields.PrefItemDone >= fields.PrefItemTotal || context.Terminated())
        return;
    }
    if (!brought_new)
      return;
    earlier_pages.insert(ids.begin(), ids.end());
  }
}

void ExtractSmbcDetail(job::SourceContext& context, const std::string& detail_id) {
  const std::string url = context.Sites().smbc_url + SmbcDetailPath(detail_id);
  SmbcColumns columns =
      ScanSmbcDetailPage(DownloadLines(context, url), [&context] { return context.Terminated(); });
  if (!context.Terminated() && columns[kPostalCodeColumn].empty() &&
      !columns[kAddressColumn].empty()) {
    columns[kPostalCodeColumn] = LookupPostalCode(context, columns[kAddressColumn]);
  }
  columns[kUrlColumn] = url;
  context.WriteRow(text::CsvRow(columns, context.Bank().quoting));
}

std::string LookupPostalCode(job::SourceContext& context, const std::string& address) {
  const std::string& base = context.Sites().postal_url;
  if (base.empty())
    return {};
  const std::string town = PostalLookupTown(address);
  if (town.empty())
    return {};
  const std::vector<std::string> answer = DownloadLines(context, base + PostalLookupPath(town));
  if (answer.empty())
    return {};
  return PostalCodeFromAnswer(text::Trim(answer.front()));
}

}  // namespace tenrovel::sources
