// The downloader that both front-ends wire into a job.
#pragma once

#include "job/job_request.h"

namespace tenrovel::app {

// HttpGetToFile (libcurl or WinINet), abandoned on the job's stop request.
job::Downloader ProgramDownloader();

}  // namespace tenrovel::app
