// The downloader that both front-ends wire into a job.
#pragma once

#include "job/job_request.h"

namespace tenrovel::app {

// Downloads with the job's DownloadToFile (libcurl or WinINet underneath).
job::Downloader ProgramDownloader();

}  // namespace tenrovel::app
