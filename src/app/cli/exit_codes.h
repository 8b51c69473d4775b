// The exit codes of the command-line tool.
#pragma once

namespace tenrovel::cli {

enum ExitCode : int {
  kExitRowsWritten = 0,    // the job wrote at least one row
  kExitNothingFound = 1,   // the job ended without a row (the file holds the header)
  kExitCancelled = 2,      // stopped by Ctrl-C or SIGTERM (rows written before stay)
  kExitUnreachable = 3,    // no row, and a download failed (refused, HTTP error, cut short)
  kExitPartial = 4,        // some downloads failed; the rows that could be fetched were written
  kExitUsage = 64,         // bad arguments
  kExitInternal = 70,      // an unexpected internal error (a fault of ours)
  kExitCannotCreate = 73,  // the output file exists (without --force) or cannot be created
  kExitIoError = 74,       // writing the output failed, or the finished file could not replace it
  kExitConfig = 78,        // the chosen bank's site has no host (set its environment variable)
};

}  // namespace tenrovel::cli
