// Runs one job for the command-line tool and turns its end into an exit code.
#pragma once

#include "app/cli/cli_options.h"

namespace tenrovel::cli {

int RunCliJob(const CliOptions& options);

}  // namespace tenrovel::cli
