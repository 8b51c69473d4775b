// The job driver with sources and downloads that the tests inject: the file
// it writes, the callbacks it makes, and how it ends in every case.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "job/my_thread.h"
#include "job/queue_dispatcher.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/http.h"
#include "platform/output_file.h"

namespace tenrovel::job {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHeader = "\"h1\",\"h2\"";

std::string Utf8(const std::string& cp932) {
  return platform::Cp932ToUtf8(cp932);
}
const std::string& Pref(std::size_t index) {
  return PrefectureNames().at(index);
}

// The user-interface side: every callback goes into the shared log, which the
// sources write too (the hand-over to the UI thread orders the two).
class RecordingUi final : public JobCallbacks {
 public:
  explicit RecordingUi(std::vector<std::string>& log) : log_(log) {}

  std::function<void(TMyThread&)> on_status;
  bool finished = false;
  bool running_at_finish = true;

  void OnInitProgress(TMyThread& worker) override {
    log_.push_back("init " + std::to_string(worker.Fields().PrefCount));
  }
  void OnStepProgress(TMyThread&) override { log_.push_back("step " + std::to_string(++steps_)); }
  void OnShowItemStatus(TMyThread& worker) override {
    const JobFields& f = worker.Fields();
    log_.push_back("status " + Utf8(f.CurrentPrefName) + " " + std::to_string(f.PrefItemDone) +
                   "/" + std::to_string(f.PrefItemTotal));
    if (on_status)
      on_status(worker);
  }
  void OnFinishJob(TMyThread& worker) override {
    running_at_finish = worker.Fields().JobRunning;
    log_.push_back("finish");
    finished = true;
  }

 private:
  std::vector<std::string>& log_;
  int steps_ = 0;
};

struct Outcome {
  std::string file;  // the output file's bytes
  int row_written = 0;
  bool output_open_failed = false;
  bool download_failed = false;
  bool running_at_finish = true;
  JobReport report;
};

class DriverTest : public ::testing::Test {
 protected:
  fs::path Temp() const { return folder_.path() / "tmp.dat"; }

  // A job of a made-up bank whose source gets `argument`.
  JobRequest Request(const std::vector<std::size_t>& prefs,
                     SourceArgument argument = SourceArgument::kPrefectureCode) const {
    JobRequest request;
    request.bank.header_row = kHeader;
    request.bank.argument = argument;
    for (const std::size_t i : prefs)
      request.checked.at(i) = true;
    request.output_path = folder_.path() / "out.csv";
    request.temp_path = Temp();
    request.sites.delay_scale = 0;
    // A URL containing "fail" fails; any other one stores its text.
    request.download = [](const std::string& url, const fs::path& path,
                          const std::atomic<bool>* stop) -> platform::DownloadResult {
      if (*stop)
        return {false, "cancelled"};
      if (url.find("fail") != std::string::npos)
        return {false, "cannot connect"};
      platform::ReplaceFileAtomically(path, url);
      return {true, ""};
    };
    return request;
  }

  // A source that logs its argument and writes `rows` rows, refreshing the
  // status line after each (or once when there are none).
  SourceEntry Source(int rows) {
    return [this, rows](SourceContext& worker, const std::string& arg) {
      log.push_back("source " + Utf8(arg));
      worker.Fields().PrefItemTotal = rows;
      for (int i = 0; i < rows; ++i) {
        worker.WriteRow(arg + "," + std::to_string(i));
        ++worker.Fields().PrefItemDone;
        worker.SyncShowItemStatus();
      }
      if (rows == 0)
        worker.SyncShowItemStatus();
    };
  }

  Outcome Run(JobRequest request, std::function<void(TMyThread&)> on_status = {}) {
    RecordingUi ui_side(log);
    ui_side.on_status = std::move(on_status);
    QueueDispatcher ui;
    Outcome outcome;
    {
      TMyThread worker(std::move(request), ui, ui_side);
      worker.Start();
      ui.RunUntil([&] { return ui_side.finished; });
      worker.WaitFor();
      outcome.row_written = worker.Fields().RowWritten;
      outcome.output_open_failed = worker.Fields().OutputOpenFailed;
      outcome.download_failed = worker.DownloadFailed();
      outcome.report = worker.Report();
      outcome.file = platform::ReadFileBytes(worker.Request().output_path).value_or("");
    }
    outcome.running_at_finish = ui_side.running_at_finish;
    return outcome;
  }

  std::vector<std::string> log;

 private:
  platform::PrivateTempFolder folder_;
};

TEST_F(DriverTest, HeaderRowThenTheSourceOfEachCheckedPrefectureInListOrder) {
  struct Case {
    SourceArgument argument;
    std::vector<std::size_t> prefs;
    int rows;  // per prefecture
    std::vector<std::string> log;
    std::string rows_in_file;  // after the header row
  };
  const std::vector<Case> cases = {
      {SourceArgument::kPrefectureCode,
       {12, 0},
       2,
       {"init 2", "step 1", "source 01", "status 北海道 1/2", "status 北海道 2/2", "step 2",
        "source 13", "status 東京都 1/2", "status 東京都 2/2", "finish"},
       "01,0\r\n01,1\r\n13,0\r\n13,1\r\n"},
      {SourceArgument::kPrefectureName,
       {26},
       0,
       {"init 1", "step 1", "source 大阪府", "status 大阪府 0/0", "finish"},
       ""},
      {SourceArgument::kPrefectureCode,
       {46},
       1,
       {"init 1", "step 1", "source 47", "status 沖縄県 1/1", "finish"},
       "47,0\r\n"},
      // Without a checked prefecture only the header row is written.
      {SourceArgument::kPrefectureCode, {}, 0, {"finish"}, ""},
  };
  for (const Case& c : cases) {
    log.clear();
    JobRequest request = Request(c.prefs, c.argument);
    request.source = Source(c.rows);
    const Outcome outcome = Run(std::move(request));
    EXPECT_EQ(log, c.log);
    // CP932 as is: no byte order mark, CR LF after every line.
    EXPECT_EQ(outcome.file, std::string(kHeader) + "\r\n" + c.rows_in_file);
    EXPECT_EQ(outcome.row_written, c.rows_in_file.empty() ? kNoRowWritten : kRowsWritten);
    EXPECT_FALSE(outcome.running_at_finish);
  }
}

TEST_F(DriverTest, EveryRowIsOnDiskAsSoonAsItIsWritten) {
  JobRequest request = Request({0});
  const fs::path output = platform::PartPathFor(request.output_path);
  std::string on_disk;  // while the job still runs
  request.source = [&](SourceContext& worker, const std::string&) {
    worker.WriteRow("first");
    on_disk = platform::ReadFileBytes(output).value_or("unreadable");
  };
  Run(std::move(request));
  EXPECT_EQ(on_disk, std::string(kHeader) + "\r\nfirst\r\n");
}

TEST_F(DriverTest, AFailedDownloadWithoutRowsEndsAsSiteUnreachable) {
  struct Case {
    const char* name;
    std::vector<std::string> urls;  // downloaded by the source of the first prefecture
    bool stop_first;                // the stop request comes before the downloads
    int rows;                       // written by the source of the second prefecture
    int row_written;
    std::size_t failures;
  };
  const Case cases[] = {
      {"failed, no row", {"https://a/ok", "https://a/fail"}, false, 0, kSiteUnreachable, 1},
      {"failed, rows", {"https://a/fail"}, false, 1, kRowsWritten, 1},
      {"succeeded, no row", {"https://a/ok"}, false, 0, kNoRowWritten, 0},
      {"cut short by a stop", {"https://a/ok"}, true, 0, kNoRowWritten, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JobRequest request = Request({0, 1});
    request.source = [&](SourceContext& worker, const std::string& code) {
      if (code == "01") {
        if (c.stop_first)
          worker.SyncShowItemStatus();  // where the user interface sets the stop request
        for (const std::string& url : c.urls)
          worker.DownloadToFile(url, worker.TempFilePath());
      }
      for (int i = 0; i < c.rows && code == "02"; ++i)
        worker.WriteRow("row");
    };
    const Outcome outcome = Run(std::move(request), [&](TMyThread& worker) {
      if (c.stop_first)
        worker.RequestStop();
    });
    EXPECT_EQ(outcome.row_written, c.row_written);
    EXPECT_EQ(outcome.download_failed, c.failures > 0);
    ASSERT_EQ(outcome.report.download_failures.size(), c.failures);
    if (c.failures > 0) {
      const DownloadFailure& failure = outcome.report.download_failures.front();
      EXPECT_EQ(failure.prefecture, Pref(0));
      EXPECT_EQ(failure.url, "https://a/fail");
      EXPECT_EQ(failure.error, "cannot connect");
    }
  }
}

TEST_F(DriverTest, AnExceptionFromASourceStillEndsTheJobProperly) {
  JobRequest request = Request({0, 1, 2});
  request.source = [&](SourceContext& worker, const std::string& code) {
    log.push_back("source " + code);
    worker.WriteRow("row " + code);
    platform::ReplaceFileAtomically(worker.TempFilePath(), "downloaded");
    if (code == "02")
      throw std::runtime_error("broken answer");
  };
  const fs::path part = platform::PartPathFor(request.output_path);
  const Outcome outcome = Run(std::move(request));

  // The rows stay in the part file, which the report names.
  EXPECT_EQ(platform::ReadFileBytes(part).value_or(""),
            std::string(kHeader) + "\r\nrow 01\r\nrow 02\r\n");
  EXPECT_EQ(outcome.report.kept_part_file, part);
  EXPECT_EQ(std::count(log.begin(), log.end(), "source 03"), 0);
  EXPECT_EQ(log.back(), "finish");
  EXPECT_FALSE(outcome.running_at_finish);
  EXPECT_FALSE(platform::FileExists(Temp()));
  EXPECT_EQ(outcome.row_written, kRowsWritten);
  ASSERT_TRUE(outcome.report.escaped_error.has_value());
  EXPECT_EQ(*outcome.report.escaped_error, Pref(1) + ": broken answer");
}

TEST_F(DriverTest, CancelDuringTheThirdOfFivePrefectures) {
  JobRequest request = Request({0, 1, 2, 3, 4});
  request.source = [&](SourceContext& worker, const std::string& code) {
    log.push_back("source " + code);
    platform::ReplaceFileAtomically(worker.TempFilePath(), "downloaded");
    worker.WriteRow(code + " a");
    worker.SyncShowItemStatus();
    worker.WriteRow(code + " b");  // the call that saw the stop request still finishes
  };
  const Outcome outcome = Run(std::move(request), [](TMyThread& worker) {
    if (worker.Fields().CurrentPrefName == Pref(2))
      worker.RequestStop();
  });

  const std::vector<std::string> expected_log = {"init 5",
                                                 "step 1",
                                                 "source 01",
                                                 "status 北海道 0/0",
                                                 "step 2",
                                                 "source 02",
                                                 "status 青森県 0/0",
                                                 "step 3",
                                                 "source 03",
                                                 "status 岩手県 0/0",
                                                 "finish"};
  EXPECT_EQ(log, expected_log);
  EXPECT_EQ(outcome.file,
            std::string(kHeader) + "\r\n01 a\r\n01 b\r\n02 a\r\n02 b\r\n03 a\r\n03 b\r\n");
  EXPECT_FALSE(platform::FileExists(Temp()));
}

TEST_F(DriverTest, AnOutputFileThatCannotBeOpenedStartsNoWriting) {
  JobRequest request = Request({0});
  request.output_path = Temp().parent_path() / "missing" / "out.csv";
  request.source = Source(1);
  platform::ReplaceFileAtomically(Temp(), "left over");
  const Outcome outcome = Run(std::move(request));

  EXPECT_TRUE(outcome.output_open_failed);
  EXPECT_EQ(log, std::vector<std::string>{"finish"});
  EXPECT_EQ(outcome.row_written, kNoRowWritten);
  EXPECT_FALSE(platform::FileExists(Temp()));
}

// Rows go to "<output>.part"; the chosen file is replaced only by a job
// whose outcome is decided.
TEST_F(DriverTest, TheOutcomeDecidesWhetherAnExistingFileIsReplaced) {
  struct Case {
    const char* name;
    int rows;
    bool fail_download;
    bool stop;
    bool throws;
    bool folder_at_output;  // appears during the job: the final move fails
    bool replaced;
    bool part_kept;
  };
  const Case cases[] = {
      {"rows", 1, false, false, false, false, true, false},
      {"nothing found", 0, false, false, false, false, true, false},
      {"cancelled", 1, false, true, false, false, true, false},
      {"rows and a failed download", 1, true, false, false, false, true, false},
      {"site unreachable", 0, true, false, false, false, false, false},
      {"internal error after rows", 1, false, false, true, false, false, true},
      {"internal error without rows", 0, false, false, true, false, false, false},
      {"final move fails", 1, false, false, false, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JobRequest request = Request({0});
    const fs::path output = request.output_path.parent_path() / "existing.csv";
    const fs::path part = platform::PartPathFor(output);
    request.output_path = output;
    ASSERT_TRUE(platform::ReplaceFileAtomically(output, "old"));
    request.source = [&](SourceContext& worker, const std::string&) {
      if (c.fail_download)
        worker.DownloadToFile("https://a/fail", worker.TempFilePath());
      for (int i = 0; i < c.rows; ++i)
        worker.WriteRow("row");
      if (c.stop)
        worker.SyncShowItemStatus();
      if (c.folder_at_output) {
        fs::remove(output);
        fs::create_directories(output / "in the way");
      }
      if (c.throws)
        throw std::runtime_error("broken");
    };
    const Outcome outcome =
        Run(std::move(request), [](TMyThread& worker) { worker.RequestStop(); });
    if (!c.folder_at_output) {
      EXPECT_EQ(platform::ReadFileBytes(output).value_or("gone") == "old", !c.replaced);
    }
    EXPECT_EQ(platform::FileExists(part), c.part_kept);
    EXPECT_EQ(outcome.report.kept_part_file.has_value(), c.part_kept);
    EXPECT_EQ(outcome.report.replace_error.has_value(), c.folder_at_output);
    fs::remove_all(output);
    fs::remove(part);
  }
}

TEST_F(DriverTest, OnlyABankThatKeepsItsDownloadFindsAnOldTemporaryFileRemoved) {
  for (const bool keeps_download : {false, true}) {
    log.clear();
    JobRequest request = Request({0});
    request.bank.keeps_download = keeps_download;
    request.source = [&](SourceContext& worker, const std::string&) {
      log.push_back(platform::FileExists(worker.TempFilePath()) ? "present" : "absent");
    };
    platform::ReplaceFileAtomically(Temp(), "from an earlier run");
    Run(std::move(request));
    EXPECT_EQ(log.at(2), keeps_download ? "absent" : "present");
    EXPECT_FALSE(platform::FileExists(Temp()));
  }
}

TEST_F(DriverTest, RecordsPrefecturesWithFewerRowsThanHits) {
  JobRequest request = Request({0, 1});
  request.source = [](SourceContext& worker, const std::string& code) {
    worker.Fields().PrefItemTotal = 3;
    worker.WriteRow("a");
    worker.WriteRow("b");
    if (code == "02")
      worker.WriteRow("c");
  };
  const Outcome outcome = Run(std::move(request));
  ASSERT_EQ(outcome.report.shortfalls.size(), 1u);
  EXPECT_EQ(outcome.report.shortfalls[0].prefecture, Pref(0));
  EXPECT_EQ(outcome.report.shortfalls[0].rows_written, 2);
  EXPECT_EQ(outcome.report.shortfalls[0].item_total, 3);
  EXPECT_EQ(outcome.report.rows_written, 5);
}

TEST_F(DriverTest, GivesUpAfterPrefecturesInARowWhoseHostCouldNotBeReached) {
  // Per prefecture, the downloads its source makes: "fail" finds no host,
  // "err" is answered with an error, "ok" succeeds.
  struct Case {
    const char* name;
    int limit;
    std::vector<std::vector<std::string>> downloads;  // for prefectures 01, 02, ...
    std::vector<std::string> sources_run;
    std::size_t not_tried;
  };
  const Case cases[] = {
      {"three in a row", 3, {{"fail"}, {"fail"}, {"fail"}, {"ok"}, {"ok"}}, {"01", "02", "03"}, 2},
      {"an answer between them",
       3,
       {{"fail"}, {"fail"}, {"ok"}, {"fail"}, {"fail"}},
       {"01", "02", "03", "04", "05"},
       0},
      {"reached in the same prefecture",
       2,
       {{"fail"}, {"ok", "fail"}, {"fail"}, {"ok"}},
       {"01", "02", "03", "04"},
       0},
      {"an error answer is a reached host",
       2,
       {{"fail"}, {"err"}, {"fail"}, {"ok"}},
       {"01", "02", "03", "04"},
       0},
      {"no limit: the window walks all",
       0,
       {{"fail"}, {"fail"}, {"fail"}, {"fail"}},
       {"01", "02", "03", "04"},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::size_t> prefs;
    for (std::size_t i = 0; i < c.downloads.size(); ++i)
      prefs.push_back(i);
    JobRequest request = Request(prefs);
    request.give_up_after_unreachable = c.limit;
    request.download = [](const std::string& url, const fs::path&, const std::atomic<bool>*) {
      if (url.ends_with("fail"))
        return platform::DownloadResult{false, platform::kDownloadHostNotFound};
      if (url.ends_with("err"))
        return platform::DownloadResult{false, "HTTP 500"};
      return platform::DownloadResult{true, ""};
    };
    std::vector<std::string> sources_run;
    request.source = [&](SourceContext& worker, const std::string& code) {
      sources_run.push_back(code);
      for (const std::string& what : c.downloads.at(std::stoul(code) - 1))
        worker.DownloadToFile("https://a/" + what, worker.TempFilePath());
    };
    const Outcome outcome = Run(std::move(request));
    EXPECT_EQ(sources_run, c.sources_run);
    ASSERT_EQ(outcome.report.not_tried.size(), c.not_tried);
    for (std::size_t k = 0; k < c.not_tried; ++k)
      EXPECT_EQ(outcome.report.not_tried[k], Pref(c.sources_run.size() + k));
    EXPECT_EQ(outcome.row_written, kSiteUnreachable) << "giving up is no cancel";
  }
}

TEST_F(DriverTest, PausesLastTheirScaledTimeAndEndOnAStopRequest) {
  using std::chrono::milliseconds;
  struct Case {
    const char* name;
    double scale;
    milliseconds fixed;
    int stop_after_ms;      // -1: never; 0: before the pause
    milliseconds at_least;  // and it ends within a minute
  };
  constexpr auto kHour = std::chrono::hours(1);
  const Case cases[] = {
      {"scaled", 0.5, milliseconds(200), -1, milliseconds(100)},
      {"no delay", 0, kHour, -1, milliseconds(0)},
      {"stopped before", 1, kHour, 0, milliseconds(0)},
      {"stopped during", 1, kHour, 50, milliseconds(50)},
  };
  for (const Case& c : cases) {
    QueueDispatcher ui;
    RecordingUi ui_side(log);
    JobRequest request = Request({0});
    request.source = Source(0);
    request.sites.delay_scale = c.scale;
    TMyThread worker(request, ui, ui_side);
    if (c.stop_after_ms == 0)
      worker.RequestStop();
    const auto start = std::chrono::steady_clock::now();
    std::thread stopper([&] {
      if (c.stop_after_ms > 0) {
        std::this_thread::sleep_for(milliseconds(c.stop_after_ms));
        worker.RequestStop();
      }
    });
    worker.Pause(c.fixed);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    stopper.join();
    EXPECT_GE(elapsed, c.at_least) << c.name;
    EXPECT_LT(elapsed, std::chrono::minutes(1)) << c.name;
  }
}

TEST_F(DriverTest, RefusesARequestWithoutSourceOrDownloader) {
  QueueDispatcher ui;
  RecordingUi ui_side(log);
  EXPECT_THROW(TMyThread(Request({0}), ui, ui_side), std::invalid_argument);
  JobRequest without_download = Request({0});
  without_download.source = Source(0);
  without_download.download = nullptr;
  EXPECT_THROW(TMyThread(without_download, ui, ui_side), std::invalid_argument);
}

}  // namespace
}  // namespace tenrovel::job
