#include "app/program_sources.h"

#include "platform/http.h"
#include "sources/mizuho.h"

namespace tenrovel::app {

job::BankSources ProgramSources() {
  job::BankSources sources;
  sources.mizuho = &sources::FetchMizuhoPrefecture;
  return sources;
}

job::Downloader ProgramDownloader() {
  return
      [](const std::string& url, const std::filesystem::path& path, const std::atomic<bool>* stop) {
        platform::DownloadOptions options;
        options.stop = stop;
        const platform::DownloadResult result = platform::HttpGetToFile(url, path, options);
        return job::DownloadOutcome{result.ok, result.error};
      };
}

}  // namespace tenrovel::app
