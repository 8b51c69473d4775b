#include "job/job_report.h"

#include <algorithm>

#include "job/prefectures.h"

namespace tenrovel::job {

namespace {

// The names of the list that `named` holds, in the prefecture list's order.
std::vector<std::string> InListOrder(const std::vector<std::string>& named) {
  std::vector<std::string> ordered;
  for (const std::string& name : PrefectureNames()) {
    if (std::find(named.begin(), named.end(), name) != named.end())
      ordered.push_back(name);
  }
  return ordered;
}

}  // namespace

std::vector<std::string> PrefecturesWithFailedDownloads(const JobReport& report) {
  std::vector<std::string> named;
  for (const DownloadFailure& failure : report.download_failures)
    named.push_back(failure.prefecture);
  return InListOrder(named);
}

std::vector<std::string> PrefecturesNotFullyFetched(const JobReport& report) {
  std::vector<std::string> named = PrefecturesWithFailedDownloads(report);
  for (const PrefectureShortfall& shortfall : report.shortfalls)
    named.push_back(shortfall.prefecture);
  return InListOrder(named);
}

}  // namespace tenrovel::job
