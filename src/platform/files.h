// Files and folders, the way the program needs them on every system.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tenrovel::platform {

// The folder of the running executable, e.g. the folder of Tenrovel.exe.
std::filesystem::path ProgramFolder();

bool FileExists(const std::filesystem::path& path);  // a file, not a folder
bool FolderExists(const std::filesystem::path& path);
// True when the file is gone afterwards (also when it never existed).
bool DeleteFileAt(const std::filesystem::path& path);

// Reads a whole file as bytes; nullopt when it cannot be opened.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);
// Writes bytes to a sibling temporary file and renames it over `path`, so a
// reader never sees a half-written file. False on any failure.
bool ReplaceFileAtomically(const std::filesystem::path& path, const std::string& bytes);

// Whether a new file can be created in the folder (probes with a temporary file).
bool FolderIsWritable(const std::filesystem::path& folder);

// A folder of its own for one job, created with owner-only access under the
// system's temporary folder as "<prefix>.<random>", removed with its content
// when the object ends.
class PrivateTempFolder {
 public:
  // Throws std::runtime_error when it cannot be created.
  explicit PrivateTempFolder(const std::string& prefix = "tenrovel");
  ~PrivateTempFolder();
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tenrovel::platform
