// DownloadToFile: the HTTP GET that every bank source uses to fetch a page or
// a data file into the job's temporary file.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>

namespace tenrovel::job {

struct DownloadOutcome {
  bool ok = false;
  std::string error;  // a short reason when not ok, for the end-of-job summary
};

// DownloadToFile with the reason of a failure.
DownloadOutcome DownloadToFileWithOutcome(const std::string& url, const std::filesystem::path& path,
                                          const std::atomic<bool>* stop = nullptr);

// Stores the response body of an HTTP GET of `url` in the file at `path`,
// as received. Returns whether the transfer succeeded; callers that only look
// at the file afterwards may ignore it. On failure (unreachable host, HTTP
// status of 400 or more, a body that breaks off or ends short, a stall, a stop
// request) the file at `path` is left as it was, possibly absent. When `stop`
// becomes true the download is abandoned promptly, so that a job can always
// be cancelled.
bool DownloadToFile(const std::string& url, const std::filesystem::path& path,
                    const std::atomic<bool>* stop = nullptr);

}  // namespace tenrovel::job
