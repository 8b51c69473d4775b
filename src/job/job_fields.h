// The fields one job shares between the worker, the bank sources and the
// user interface.
//
// The worker writes them all. The user-interface thread reads the plain ones
// only inside a callback of the worker (the hand-over to the UI thread orders
// the accesses), and the atomic ones also at any other time: `JobRunning` and
// `RowWritten` from its handlers, `OutputOpenFailed` at the end.
#pragma once

#include <atomic>
#include <string>

namespace tenrovel::job {

// `RowWritten` values.
inline constexpr int kNoRowWritten = 0;
inline constexpr int kRowsWritten = 1;
// Set at the end of a job that wrote no row while a download failed: the
// site could not be reached.
inline constexpr int kSiteUnreachable = 9;

struct JobFields {
  std::atomic<bool> JobRunning{false};  // from Start until just before the worker's end
  std::atomic<int> RowWritten{kNoRowWritten};
  // The output file could not be opened: nothing was written, no source ran.
  std::atomic<bool> OutputOpenFailed{false};
  int PrefCount = 0;            // checked prefectures of the job; the progress maximum
  std::string CurrentPrefName;  // CP932 display name of the prefecture being processed
  int PrefItemTotal = 0;        // items the source will fetch for the current prefecture
  int PrefItemDone = 0;         // items fetched so far for the current prefecture
};

}  // namespace tenrovel::job
