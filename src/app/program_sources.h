// The real bank sources and downloader, as both front-ends wire them into a job.
#pragma once

#include "job/job_request.h"

namespace tenrovel::app {

// The sources that exist; a bank whose source is not built yet has none.
job::BankSources ProgramSources();

// Downloads with the job's DownloadToFile (libcurl or WinINet underneath).
job::Downloader ProgramDownloader();

}  // namespace tenrovel::app
