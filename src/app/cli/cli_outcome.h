// How a job of the tool ended, told on standard error and as the exit code.
// Called on the main thread once the worker has been joined.
#pragma once

#include <filesystem>
#include <string>

#include "job/my_thread.h"

namespace tenrovel::cli {

// A path as UTF-8, for messages.
std::string PathToUtf8(const std::filesystem::path& path);

// "tenrovel: " and `utf8` as one line on standard error.
void Say(const std::string& utf8);

// The lines that follow the job: an internal error and the prefectures not
// tried (also when quiet: they are errors), the shortfalls. Failed downloads
// were told as they happened.
void PrintSummary(const job::TMyThread& worker, bool quiet);

// The exit code when several outcomes meet, the gravest first; tells the
// errors. `file`: the output as the user should read its name.
int EndOfJob(const job::TMyThread& worker, const std::string& file, bool interrupted);

// What a job that ran to an outcome did, in one line.
void SayOutcome(int code, const job::TMyThread& worker, const std::string& file);

}  // namespace tenrovel::cli
