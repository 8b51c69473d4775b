#include "job/download.h"

#include "platform/http.h"

namespace tenrovel::job {

DownloadOutcome DownloadToFileWithOutcome(const std::string& url, const std::filesystem::path& path,
                                          const std::atomic<bool>* stop) {
  platform::DownloadOptions options;
  options.stop = stop;
  platform::DownloadResult result = platform::HttpGetToFile(url, path, options);
  return {result.ok, std::move(result.error)};
}

bool DownloadToFile(const std::string& url, const std::filesystem::path& path,
                    const std::atomic<bool>* stop) {
  return DownloadToFileWithOutcome(url, path, stop).ok;
}

}  // namespace tenrovel::job
