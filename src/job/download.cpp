#include "job/download.h"

#include "platform/http.h"

namespace tenrovel::job {

bool DownloadToFile(const std::string& url, const std::filesystem::path& path,
                    const std::atomic<bool>* stop) {
  platform::DownloadOptions options;
  options.stop = stop;
  return platform::HttpGetToFile(url, path, options).ok;
}

}  // namespace tenrovel::job
