#include "app/program_downloader.h"

#include "platform/http.h"

namespace tenrovel::app {

job::Downloader ProgramDownloader(const platform::DownloadOptions& options) {
  return [options](const std::string& url, const std::filesystem::path& path,
                   const std::atomic<bool>* stop) {
    platform::DownloadOptions with_stop = options;
    with_stop.stop = stop;
    return platform::HttpGetToFile(url, path, with_stop);
  };
}

}  // namespace tenrovel::app
