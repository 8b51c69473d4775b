// What a command-line program needs of its system: its arguments as UTF-8
// whatever the locale, UTF-8 text on standard error, whether that is a
// terminal, and Ctrl-C / termination requests turned into a flag.
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace tenrovel::platform {

// The program's arguments (argv[0] included) as UTF-8. POSIX: the bytes as
// given (taken to be UTF-8 whatever the locale). Windows: the wide command
// line, converted, so that no character is lost to the ANSI code page.
std::vector<std::string> CommandLineUtf8(int argc, char** argv);

bool StderrIsTerminal();
// The width in columns of the terminal that standard error shows on; 0 when
// it is none or the system does not say.
int StderrColumns();
// Writes UTF-8 text to standard error (to a Windows console as wide text).
void WriteStderr(std::string_view utf8);
// Writes UTF-8 text to standard output, bytes unchanged.
void WriteStdout(std::string_view utf8);

// From now on Ctrl-C and termination requests (SIGINT, SIGTERM and SIGHUP;
// the console's Ctrl-C, Ctrl-Break, close, logoff and shutdown events) set
// `*flag` instead of ending the program; SIGPIPE and SIGXFSZ are ignored, so
// that a closed pipe or a file-size limit shows as a failed write. The flag
// must live as long as the program.
//
// Windows ends a program a few seconds after a close, logoff or shutdown
// event however its handler returns; the handler therefore waits (up to
// kCloseWaitMilliseconds) until ReportCleanupDone says that the job has
// stopped and its temporary files are gone.
void InstallInterruptFlag(std::atomic<bool>* flag);
void ReportCleanupDone();
inline constexpr unsigned kCloseWaitMilliseconds = 4500;

}  // namespace tenrovel::platform
