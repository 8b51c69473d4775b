// The job's output file, written so that nothing already fetched is lost and
// a file the user had is never destroyed before the job has an outcome.
//
// Rows go to a sibling "<name>.part" file, each on disk as soon as it is
// written; every write and the close are checked, and a failure comes back
// as the system's reason (UTF-8). Only at the end is the part file moved
// over the chosen file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tenrovel::platform {

// The system's reason for a failed file operation (UTF-8); nullopt on success.
using FileFailure = std::optional<std::string>;

// "<path>.part", in the same folder, so that the final move is a rename.
std::filesystem::path PartPathFor(const std::filesystem::path& path);

// Whether the file at `path` could be replaced now: it can be opened for
// writing, or (POSIX) its folder allows renaming over it. Changes nothing;
// false when another program holds it (Windows) or it may not be touched.
bool CanReplaceFile(const std::filesystem::path& path);

// Moves `from` over `to` in one step, replacing `to`.
FileFailure MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to);

class OutputFile {
 public:
  OutputFile();
  // Closes an open file; failures then go unnoticed (use Close).
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates `path`, or truncates it. A new file on POSIX takes the access
  // mode of `mode_from` when that file exists.
  FileFailure Create(const std::filesystem::path& path, const std::filesystem::path& mode_from);
  // Writes to (a duplicate of) standard output instead of a file: for
  // "-o -". Close then closes the duplicate only and forces nothing to disk.
  FileFailure OpenStandardOutput();
  // Writes all of `bytes` at once, unbuffered.
  FileFailure Write(std::string_view bytes);
  // Forces the content to disk and closes the file.
  FileFailure Close();
  bool IsOpen() const;
  // Whether a write failed because the reader of a pipe went away.
  bool ReaderGone() const { return reader_gone_; }

 private:
  // A file descriptor on POSIX, a HANDLE on Windows.
  std::intptr_t handle_;
  bool stream_ = false;  // standard output, not a file of ours
  bool reader_gone_ = false;
};

}  // namespace tenrovel::platform
