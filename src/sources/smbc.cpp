#include "sources/smbc.h"

#include <chrono>
#include <set>
#include <vector>

#include "job/cp932_text.h"
#include "job/my_thread.h"
#include "platform/files.h"
#include "sources/csv_row.h"
#include "sources/smbc_detail.h"
#include "sources/smbc_list.h"
#include "sources/smbc_postal.h"
#include "sources/smbc_request.h"

namespace tenrovel::sources {

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kPostalCodeColumn = 4;
constexpr std::size_t kAddressColumn = 5;
constexpr std::size_t kUrlColumn = 14;

// Download and load: the answer's lines, none when the download failed. The
// temporary file is removed first, so that a failed download never reads as
// the answer before it.
std::vector<std::string> DownloadLines(job::TMyThread& worker, const std::string& url) {
  const std::filesystem::path& temp = worker.TempFilePath();
  platform::DeleteFileAt(temp);
  worker.DownloadToFile(url, temp);
  worker.Pause(300ms);
  const auto bytes = platform::ReadFileBytes(temp);
  return bytes ? job::SplitLines(*bytes) : std::vector<std::string>{};
}

}  // namespace

void FetchSmbcPrefecture(job::TMyThread& worker, const std::string& pref_name) {
  auto& fields = worker.Fields();
  fields.PrefItemTotal = 0;
  fields.PrefItemDone = 0;
  const std::string& base = worker.Sites().smbc_url;
  const auto stop = [&worker] { return worker.Terminated(); };

  const std::string keyword = SmbcSearchKeyword(pref_name);
  const std::vector<std::string> search = DownloadLines(worker, base + SmbcSearchPath(keyword));
  if (!search.empty())
    fields.PrefItemTotal = ReadSmbcHitCount(search, stop);
  if (fields.PrefItemTotal <= 0 || worker.Terminated()) {
    worker.SyncShowItemStatus();
    return;
  }

  // The locator lists a limited number of locations per page: the pages are
  // read in turn until the hit count is reached or a page brings nothing new
  // (a locator that answers every page number with its last page).
  const std::string parent_host = UrlAuthority(base);
  std::set<std::string> earlier_pages;
  for (int page = 1;; ++page) {
    const std::vector<std::string> list =
        DownloadLines(worker, base + SmbcListPath(keyword, page, parent_host));
    if (list.empty())
      return;
    const std::vector<std::string> ids = SmbcDetailIds(job::Trim(list.front()));
    bool brought_new = false;
    for (const std::string& id : ids) {
      if (earlier_pages.contains(id))
        continue;
      brought_new = true;
      ExtractSmbcDetail(worker, id);
      ++fields.PrefItemDone;
      worker.SyncShowItemStatus();
      if (fields.PrefItemDone >= fields.PrefItemTotal || worker.Terminated())
        return;
    }
    if (!brought_new)
      return;
    earlier_pages.insert(ids.begin(), ids.end());
  }
}

void ExtractSmbcDetail(job::TMyThread& worker, const std::string& detail_id) {
  const std::string url = worker.Sites().smbc_url + SmbcDetailPath(detail_id);
  SmbcColumns columns =
      ScanSmbcDetailPage(DownloadLines(worker, url), [&worker] { return worker.Terminated(); });
  if (!worker.Terminated() && columns[kPostalCodeColumn].empty() &&
      !columns[kAddressColumn].empty()) {
    columns[kPostalCodeColumn] = LookupPostalCode(worker, columns[kAddressColumn]);
  }
  columns[kUrlColumn] = url;
  worker.WriteRow(QuotedCsvRow(columns));
}

std::string LookupPostalCode(job::TMyThread& worker, const std::string& address) {
  const std::string& base = worker.Sites().postal_url;
  if (base.empty())
    return {};
  const std::string town = PostalLookupTown(address);
  if (town.empty())
    return {};
  const std::vector<std::string> answer = DownloadLines(worker, base + PostalLookupPath(town));
  if (answer.empty())
    return {};
  return PostalCodeFromAnswer(job::Trim(answer.front()));
}

}  // namespace tenrovel::sources
