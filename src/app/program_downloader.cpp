#include "app/program_downloader.h"

#include "platform/http.h"

namespace tenrovel::app {

job::Downloader ProgramDownloader() {
  return
      [](const std::string& url, const std::filesystem::path& path, const std::atomic<bool>* stop) {
        platform::DownloadOptions options;
        options.stop = stop;
        return platform::HttpGetToFile(url, path, options);
      };
}

}  // namespace tenrovel::app
