// The downloader that both front-ends wire into a job.
#pragma once

#include "job/job_request.h"
#include "platform/http.h"

namespace tenrovel::app {

// HttpGetToFile (libcurl or WinINet) with `options` (its timeouts),
// abandoned on the job's stop request.
job::Downloader ProgramDownloader(const platform::DownloadOptions& options = {});

}  // namespace tenrovel::app
