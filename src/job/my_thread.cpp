#include "job/my_thread.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>
#include <thread>
#include <utility>

#include "job/prefectures.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace tenrovel::job {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// How often a pause looks at the stop request.
constexpr std::chrono::milliseconds kPauseSlice{20};

// A write to the output file failed; ends the job through the sources.
class OutputWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace

TMyThread::TMyThread(JobRequest request, UiDispatcher& ui, JobCallbacks& callbacks)
    : request_(std::move(request)),
      ui_(ui),
      callbacks_(callbacks),
      part_path_(platform::PartPathFor(request_.output_path)) {
  if (!request_.source)
    throw std::invalid_argument("TMyThread: no source for the chosen bank");
  if (!request_.download)
    throw std::invalid_argument("TMyThread: no downloader");
}

TMyThread::~TMyThread() {
  RequestStop();
  WaitFor();
}

void TMyThread::Start() {
  if (thread_.joinable())
    throw std::logic_error("TMyThread::Start called twice");
  // Running from here on: a Cancel pressed before the new thread gets its
  // first turn must find a running job, not one that has ended.
  fields_.JobRunning = true;
  thread_ = std::thread([this] { Execute(); });
}

void TMyThread::RequestStop() {
  stop_.store(true);
}

void TMyThread::WaitFor() {
  if (!thread_.joinable())
    return;
  assert(std::this_thread::get_id() != thread_.get_id());
  thread_.join();
}

void TMyThread::Execute() {
  fields_.RowWritten = kNoRowWritten;
  try {
    RunJob();
  } catch (const OutputWriteError& error) {
    report_.write_error = error.what();
    report_.reader_gone = output_.ReaderGone();
  } catch (const std::exception& error) {
    RecordEscapedError(error.what());
  } catch (...) {
    RecordEscapedError("unknown error");
  }
  SettleOutputFile(Terminated());
  platform::DeleteFileAt(request_.temp_path);  // a failure is of no consequence
  if (fields_.RowWritten == kNoRowWritten && download_failed_)
    fields_.RowWritten = kSiteUnreachable;
  fields_.JobRunning = false;
  stop_ = true;
  SyncFinishJob();
}

void TMyThread::SettleOutputFile(bool stopped_by_request) {
  if (fields_.OutputOpenFailed)
    return;
  if (output_.IsOpen())
    (void)output_.Close();  // after an exception; the rows are on disk already
  if (request_.to_standard_output)
    return;
  const bool rows = fields_.RowWritten == kRowsWritten;
  const bool unreachable = !rows && download_failed_ && !stopped_by_request;
  if (report_.write_error || unreachable || (report_.escaped_error && !rows)) {
    platform::DeleteFileAt(part_path_);
    return;
  }
  if (report_.escaped_error) {
    report_.kept_part_file = part_path_;
    return;
  }
  if (const platform::FileFailure failure =
          platform::MoveFileOver(part_path_, request_.output_path)) {
    report_.replace_error = *failure;
    report_.kept_part_file = part_path_;
  }
}

void TMyThread::RecordEscapedError(const std::string& message) {
  report_.escaped_error =
      fields_.CurrentPrefName.empty() ? message : fields_.CurrentPrefName + ": " + message;
}

void TMyThread::RunJob() {
  const platform::FileFailure opened = request_.to_standard_output
                                           ? output_.OpenStandardOutput()
                                           : output_.Create(part_path_, request_.output_path);
  if (opened) {
    report_.create_error = *opened;
    fields_.OutputOpenFailed = true;
    return;
  }
  if (request_.encoding == OutputEncoding::kUtf8)
    WriteBytes(kUtf8ByteOrderMark);
  WriteLine(request_.bank.header_row);

  // A source that keeps its download downloads only when the file is absent,
  // so one left behind by an earlier run must go.
  if (request_.bank.keeps_download)
    platform::DeleteFileAt(request_.temp_path);

  const auto pref_count = std::count(request_.checked.begin(), request_.checked.end(), true);
  if (pref_count > 0) {
    fields_.PrefCount = static_cast<int>(pref_count);
    SyncInitProgress();
    int no_host_in_a_row = 0;
    for (std::size_t i = 0; i < kPrefectureCount; ++i) {
      if (!request_.checked[i])
        continue;
      const int limit = request_.give_up_after_unreachable;
      if (limit > 0 && no_host_in_a_row >= limit) {
        report_.not_tried.push_back(PrefectureNames()[i]);
        continue;
      }
      SyncStepProgress();
      fields_.CurrentPrefName = PrefectureNames()[i];
      RunSource(i);
      if (Terminated())
        break;
      no_host_in_a_row = PrefectureFoundNoHost() ? no_host_in_a_row + 1 : 0;
    }
  }
  if (const platform::FileFailure failure = output_.Close())
    throw OutputWriteError(*failure);
}

void TMyThread::RunSource(std::size_t prefecture_index) {
  fields_.PrefItemTotal = 0;
  fields_.PrefItemDone = 0;
  rows_in_prefecture_ = 0;
  unreachable_in_prefecture_ = 0;
  reached_in_prefecture_ = 0;
  const std::string arg = request_.bank.argument == SourceArgument::kPrefectureName
                              ? fields_.CurrentPrefName
                              : PrefectureCode(prefecture_index);
  request_.source(*this, arg);
  if (rows_in_prefecture_ < fields_.PrefItemTotal)
    report_.shortfalls.push_back(
        {fields_.CurrentPrefName, rows_in_prefecture_, fields_.PrefItemTotal});
}

bool TMyThread::PrefectureFoundNoHost() const {
  return unreachable_in_prefecture_ > 0 && reached_in_prefecture_ == 0;
}

void TMyThread::WriteRow(std::string_view row) {
  if (!output_.IsOpen())
    throw std::logic_error("TMyThread::WriteRow without an open output file");
  WriteLine(row);
  fields_.RowWritten = kRowsWritten;
  ++rows_in_prefecture_;
  ++report_.rows_written;
}

void TMyThread::WriteLine(std::string_view line) {
  std::string bytes =
      request_.encoding == OutputEncoding::kUtf8 ? platform::Cp932ToUtf8(line) : std::string(line);
  bytes += kLineEnd;
  WriteBytes(bytes);
}

void TMyThread::WriteBytes(std::string_view bytes) {
  if (const platform::FileFailure failure = output_.Write(bytes))
    throw OutputWriteError(*failure);
}

bool TMyThread::DownloadToFile(const std::string& url, const std::filesystem::path& path) {
  const platform::DownloadResult outcome = request_.download(url, path, &stop_);
  if (platform::HostUnreachable(outcome))
    ++unreachable_in_prefecture_;
  else
    ++reached_in_prefecture_;
  if (!outcome.ok && !Terminated()) {
    download_failed_ = true;
    report_.download_failures.push_back({fields_.CurrentPrefName, url, outcome.error});
  }
  return outcome.ok;
}

void TMyThread::Pause(std::chrono::milliseconds fixed) {
  const double scale = std::max(request_.sites.delay_scale, 0.0);
  auto left = std::chrono::milliseconds(static_cast<long long>(fixed.count() * scale));
  while (left.count() > 0 && !Terminated()) {
    const auto slice = std::min(left, kPauseSlice);
    std::this_thread::sleep_for(slice);
    left -= slice;
  }
}

void TMyThread::SyncInitProgress() {
  ui_.RunOnUiThread([this] { callbacks_.OnInitProgress(*this); });
}

void TMyThread::SyncStepProgress() {
  ui_.RunOnUiThread([this] { callbacks_.OnStepProgress(*this); });
}

void TMyThread::SyncShowItemStatus() {
  ui_.RunOnUiThread([this] { callbacks_.OnShowItemStatus(*this); });
}

void TMyThread::SyncFinishJob() {
  ui_.RunOnUiThread([this] { callbacks_.OnFinishJob(*this); });
}

}  // namespace tenrovel::job
