#include "app/program_sources.h"

#include "job/download.h"
#include "sources/mizuho.h"
#include "sources/mufg.h"
#include "sources/smbc.h"

namespace tenrovel::app {

job::BankSources ProgramSources() {
  job::BankSources sources;
  sources.mizuho = &sources::FetchMizuhoPrefecture;
  sources.smbc = &sources::FetchSmbcPrefecture;
  sources.mufg = &sources::FetchMufgPrefecture;
  return sources;
}

job::Downloader ProgramDownloader() {
  return &job::DownloadToFileWithOutcome;
}

}  // namespace tenrovel::app
