#include "app/program_downloader.h"

#include "job/download.h"

namespace tenrovel::app {

job::Downloader ProgramDownloader() {
  return &job::DownloadToFileWithOutcome;
}

}  // namespace tenrovel::app
