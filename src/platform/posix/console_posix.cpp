// platform/console.h on POSIX: arguments and output as the bytes they are,
// SIGINT and SIGTERM turned into the interrupt flag.
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/console.h"

namespace tenrovel::platform {

std::vector<std::string> CommandLineUtf8(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool StderrIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

int StderrColumns() {
  struct winsize size {};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0)
    return 0;
  return size.ws_col;
}

namespace {

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::atomic<bool>* g_interrupt_flag = nullptr;

extern "C" void OnInterrupt(int) {
  if (g_interrupt_flag != nullptr)
    g_interrupt_flag->store(true);
}

}  // namespace

void WriteStderr(std::string_view utf8) {
  WriteAll(STDERR_FILENO, utf8);
}
void WriteStdout(std::string_view utf8) {
  WriteAll(STDOUT_FILENO, utf8);
}

void ReportCleanupDone() {}  // a POSIX signal handler has nothing to wait for

void InstallInterruptFlag(std::atomic<bool>* flag) {
  static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
  g_interrupt_flag = flag;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A closed terminal ends the job the same way, so that nothing is left behind.
  sigaction(SIGHUP, &action, nullptr);
  // A reader that went away makes a failed write, not a killed process: a
  // lost progress line is no error. The same for a file-size limit, which
  // then comes back as a write error of the output file.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
  sigaction(SIGXFSZ, &ignore, nullptr);
}

}  // namespace tenrovel::platform
