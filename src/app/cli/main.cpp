// tenrovel: the command-line front-end. It runs the same job as the window
// program and writes the same file.
#include <exception>

#include "app/cli/cli_job.h"
#include "app/cli/cli_options.h"
#include "app/cli/exit_codes.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  using namespace tenrovel;
  try {
    const cli::ParseOutcome parsed = cli::ParseCommandLine(platform::CommandLineUtf8(argc, argv));
    if (!parsed.options) {
      if (parsed.exit_code == 0) {
        platform::WriteStdout(parsed.message);
      } else {
        platform::WriteStderr(parsed.message);
      }
      return parsed.exit_code;
    }
    const int code = cli::RunCliJob(*parsed.options);
    // The job's temporary files are gone: a console close may end us now.
    platform::ReportCleanupDone();
    return code;
  } catch (const std::exception& e) {
    platform::WriteStderr(std::string("tenrovel: ") + e.what() + "\n");
    platform::ReportCleanupDone();
    return cli::kExitInternal;
  }
}
