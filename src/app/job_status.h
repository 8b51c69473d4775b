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
// Writing the output file failed; the chosen file was left as it was.
inline constexpr int kJobWriteFailed = 7;
// An internal error (an exception from a source) stopped the job.
inline constexpr int kJobInternalError = 8;
// No row, and a download failed: the site could not be reached.
inline constexpr int kJobSiteUnreachable = 9;

}  // namespace tenrovel::app
