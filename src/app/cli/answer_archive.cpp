#include "app/cli/answer_archive.h"

#include <cstdio>
#include <system_error>
#include <utility>

#include "platform/files.h"

namespace tenrovel::cli {

namespace fs = std::filesystem;

struct AnswerArchive::State {
  fs::path folder;
  int count = 0;
  std::string list;  // answers.txt, rewritten whole after each request
  std::optional<std::string> problem;
};

std::optional<std::string> AnswerArchive::Prepare(const fs::path& folder) {
  std::error_code error;
  if (fs::is_directory(folder, error))
    return fs::is_empty(folder, error) ? std::nullopt
                                       : std::optional<std::string>("the folder is not empty");
  if (!fs::create_directories(folder, error))
    return error ? error.message() : "it exists and is not a folder";
  return std::nullopt;
}

AnswerArchive::AnswerArchive(fs::path folder) : state_(std::make_shared<State>()) {
  state_->folder = std::move(folder);
}

job::Downloader AnswerArchive::Wrap(job::Downloader download) const {
  return [state = state_, download = std::move(download)](
             const std::string& url, const fs::path& path, const std::atomic<bool>* stop) {
    const platform::DownloadResult result = download(url, path, stop);
    char number[16];
    std::snprintf(number, sizeof number, "%04d.txt", ++state->count);
    std::string file = "-";
    if (result.ok) {
      std::error_code error;
      fs::copy_file(path, state->folder / number, fs::copy_options::overwrite_existing, error);
      if (error && !state->problem)
        state->problem = error.message();
      if (!error)
        file = number;
    }
    const std::string status = result.ok ? std::to_string(result.http_status) : result.error;
    state->list += file + "\t" + status + "\t" + url + "\n";
    if (!platform::ReplaceFileAtomically(state->folder / "answers.txt", state->list) &&
        !state->problem)
      state->problem = "cannot write answers.txt";
    return result;
  };
}

std::optional<std::string> AnswerArchive::Problem() const {
  return state_->problem;
}

}  // namespace tenrovel::cli
