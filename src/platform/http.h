// HTTP GET of one URL into a local file: the one network operation of the
// program. POSIX uses libcurl, Windows uses WinINet; both send the same
// request identity (a desktop browser's User-Agent and three header lines:
// Accept, Accept-Language: ja-JP, Connection: Keep-Alive), take no proxy from
// the environment, bypass every cache and follow redirects.
//
// The body is streamed, as received and without any conversion, into a
// temporary file beside `destination` (same folder, name derived from it),
// which replaces `destination` only when the whole transfer succeeded. After a
// failure `destination` is exactly as it was before the call (possibly absent)
// and no temporary file is left behind.
//
// A transfer fails when:
//   - the URL cannot be used, the host is not found, the connection is
//     refused or not made within `connect_timeout`, TLS fails;
//   - the final response (after redirects) has a status of 400 or more;
//   - the body breaks off, or ends short of its Content-Length;
//   - the body is larger than `max_body_bytes` (by its Content-Length before
//     any of it is stored, or once that many bytes have come);
//   - no byte arrives for `stall_timeout` once connected (a server that pauses
//     for a few seconds is waited out);
//   - `*stop` becomes true: the call then returns within a fraction of a
//     second whatever the server does (the worker's cancel request);
//   - the temporary file cannot be created or written, or cannot replace
//     `destination` (for instance because another program holds it open).
//
// Safe to call from several threads at once, as long as the destinations
// differ.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tenrovel::platform {

// The largest answer we store: the bank answers are a few hundred kilobytes
// (the MUFG data file, the largest, a few megabytes), and everything stored
// is later loaded whole, so a hostile or broken server must not decide how
// much memory the job takes.
inline constexpr std::uint64_t kMaxAnswerBytes = 64ull * 1024 * 1024;

struct DownloadOptions {
  std::chrono::milliseconds connect_timeout{30000};
  // Longest wait for the next byte (headers or body) once connected.
  std::chrono::milliseconds stall_timeout{60000};
  // Answers beyond it fail with kDownloadTooLarge, whatever the limit.
  std::uint64_t max_body_bytes = kMaxAnswerBytes;
  // When it becomes true the transfer is abandoned promptly. Read, never
  // written; may be null.
  const std::atomic<bool>* stop = nullptr;
};

struct DownloadResult {
  bool ok = false;
  // Empty on success; otherwise a short English reason for logs and tests:
  // "cancelled", "HTTP 404", "cannot connect", "stalled",
  // "body shorter than Content-Length", ...
  std::string error;
  // The final response's status once one came (0 when none did).
  int http_status = 0;
};

// The reasons that callers may want to tell apart; other failures carry the
// library's own wording.
inline constexpr const char* kDownloadCancelled = "cancelled";
inline constexpr const char* kDownloadStalled = "stalled";
inline constexpr const char* kDownloadCannotConnect = "cannot connect";
inline constexpr const char* kDownloadHostNotFound = "host not found";
inline constexpr const char* kDownloadShortBody = "body shorter than Content-Length";
inline constexpr const char* kDownloadBrokenBody = "transfer broke off";
inline constexpr const char* kDownloadTooLarge = "answer larger than 64 MB";

// GET `url` (ASCII, http or https) and store its body in `destination`.
// Whether a failure means that no connection to the host could be made at
// all: it refused, or its name was not found.
inline bool HostUnreachable(const DownloadResult& result) {
  return !result.ok &&
         (result.error == kDownloadCannotConnect || result.error == kDownloadHostNotFound);
}

// The HTTP library and its version, for --version: "libcurl 7.88.1" or "WinINet".
std::string HttpLibraryVersion();

DownloadResult HttpGetToFile(const std::string& url, const std::filesystem::path& destination,
                             const DownloadOptions& options = {});

}  // namespace tenrovel::platform
