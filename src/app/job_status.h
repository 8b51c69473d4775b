// The job status code (`JobStatus`), written only on the UI thread.
#pragma once

namespace tenrovel::app {

inline constexpr int kJobStarted = 0;  // at the end: completed with rows
inline constexpr int kJobNothingFound = 1;
inline constexpr int kJobCancelled = 2;
// The output file could not be opened, so the job wrote nothing.
inline constexpr int kJobOutputUnavailable = 3;
inline constexpr int kJobCloseRequested = 5;
inline constexpr int kJobExitAfterWorker = 6;
// No row, and a download failed: the site could not be reached.
inline constexpr int kJobSiteUnreachable = 9;

}  // namespace tenrovel::app
