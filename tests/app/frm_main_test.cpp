// TFrmMain with a scripted view: the window's states, the start and cancel
// handlers, closing during a job, and every end of a job.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "app/job_status.h"
#include "frm_main_fixture.h"
#include "platform/ini_file.h"

namespace tenrovel::app {
namespace {

constexpr unsigned kInfo = kMbOk | kMbIconInformation | kMbTopmost;
const ShownBox kNoPrefectureBox{"都道府県は１つ以上を選択してください。", "Error", kInfo};
const ShownBox kInUseBox{
    "選択されたファイルが他のアプリケーションで使用中の為\n開くことができませんでした。", "Error",
    kInfo};
const ShownBox kNothingFoundBox{"該当する店舗情報は見つかりませんでした。", "検索終了", kInfo};
const ShownBox kFileGoneBox{"該当するファイルが見つかりませんでした。", "Error", kInfo};
const ShownBox kUnreachableBox{
    "サイトへのアクセスができませんでした。\r\nしばらく時間を置いてから再度実行してください。",
    "Error", kInfo};
const ShownBox kCancelBox{"取得処理を中断します。\nよろしいですか？", "中断確認",
                          kMbYesNo | kMbIconQuestion};
const ShownBox kCloseBox{"取得処理の実行中ですが終了しますか？", "終了確認",
                         kMbYesNo | kMbIconQuestion | kMbTopmost};
const ShownBox kCompletedBox{"店舗情報の取得が完了しました。\n保存したファイルを開きますか？",
                             "処理確認", kMbYesNo | kMbIconQuestion | kMbDefButton2 | kMbTopmost};
const ShownBox kOpenFailedBox{"保存したファイルを開くことができませんでした。", "Error", kInfo};
const ShownBox kTooLongBox{"選択されたファイルのパスが長すぎる為\n開くことができませんでした。",
                           "Error", kInfo};
const char* const kShutdownReason = "店舗情報を取得中です";

using Boxes = std::vector<ShownBox>;
using Calls = std::vector<std::string>;

class FrmMainTest : public FrmMainFixture {
 protected:
  FrmMainTest() { WatchStatus(); }

  // Runs the actions of When as the status line changes.
  void WatchStatus() {
    view.on_status = [this](const std::string& text) {
      for (std::size_t i = 0; i < triggers_.size(); ++i) {
        if (triggers_[i].fired || text.find(triggers_[i].marker) == std::string::npos)
          continue;
        triggers_[i].fired = true;
        const std::function<void()> action = triggers_[i].action;  // it may add triggers
        action();
      }
    };
  }

  // Selection and start enabled, cancel disabled, the cursor restored.
  void ExpectIdle() const {
    for (const Control c : {Control::rdShop1, Control::rdShop2, Control::rdShop3, Control::chkArea,
                            Control::lstArea, Control::btnAction})
      EXPECT_TRUE(view.Of(c).enabled) << static_cast<int>(c);
    EXPECT_FALSE(view.Of(Control::btnCancel).enabled);
    EXPECT_EQ(view.cursor, ScreenCursor::kOther);
  }

  // Idle after a job: status line and progress bar cleared too.
  void ExpectRestored() const {
    ExpectIdle();
    EXPECT_EQ(view.status, "");
    EXPECT_EQ(view.progress.position, 0);
  }

  // Acts once, in the middle of the job, when the status line first shows
  // `prefecture` with `done` items done.
  void When(const std::string& prefecture, int done, std::function<void()> action) {
    triggers_.push_back({prefecture + " : " + std::to_string(done) + "/", std::move(action)});
  }

 private:
  struct Trigger {
    std::string marker;
    std::function<void()> action;
    bool fired = false;
  };
  std::vector<Trigger> triggers_;
};

TEST_F(FrmMainTest, CreatesTheWindowInItsInitialStateAndLoadsTheSettingsWhenShown) {
  frm = std::make_unique<TFrmMain>(view, ui, config);
  frm->FormCreate();
  EXPECT_EQ(platform::Cp932ToUtf8(view.Of(Control::rdShop2).caption), "三井住友銀行 店舗");
  EXPECT_EQ(platform::Cp932ToUtf8(view.Of(Control::btnAction).caption), "取得開始 (&R)");
  EXPECT_TRUE(view.Of(Control::rdShop1).checked);
  EXPECT_FALSE(view.Of(Control::btnCancel).enabled);
  ASSERT_EQ(view.area_items.size(), 47u);
  EXPECT_EQ(platform::Cp932ToUtf8(view.area_items[13]), "神奈川県");
  EXPECT_EQ(view.status, "　　");

  // The settings come with the private message that showing the window posts.
  frm->FormShow();
  EXPECT_EQ(view.posted, std::deque<unsigned>{1124});
  EXPECT_FALSE(view.Of(Control::chkArea).checked);
  Pump();
  EXPECT_TRUE(view.Of(Control::chkArea).checked);
}

TEST_F(FrmMainTest, TaskbarProgressFromWindows7On) {
  struct Case {
    OsVersion version;
    bool api;
    bool ready;
  };
  const Case cases[] = {{{6, 0}, true, false}, {{5, 2}, true, false}, {{6, 1}, true, true},
                        {{6, 2}, true, true},  {{10, 0}, true, true}, {{6, 1}, false, false}};
  for (const Case& c : cases) {
    ScriptedView screen;
    screen.os_version = c.version;
    screen.taskbar_api = c.api;
    TFrmMain window(screen, ui, config);
    window.FormCreate();
    EXPECT_EQ(window.Fields().TaskbarReady, c.ready) << c.version.major << "." << c.version.minor;
    EXPECT_EQ(screen.taskbar_inits, IsWindows7OrLater(c.version) ? 1 : 0);
  }
}

TEST_F(FrmMainTest, TheCheckAllBoxAndTheListFollowEachOther) {
  Open();
  frm->UserSetChkArea(false);
  EXPECT_EQ(std::count(view.area_checked.begin(), view.area_checked.end(), true), 0);

  view.focused.clear();
  frm->UserSetChkArea(true);
  EXPECT_EQ(std::count(view.area_checked.begin(), view.area_checked.end(), true), 47);
  EXPECT_EQ(view.focused, std::vector<Control>{Control::lstArea});

  // Unchecking one item clears the box but leaves the other items checked.
  frm->UserSetAreaChecked(5, false);
  EXPECT_FALSE(view.Of(Control::chkArea).checked);
  EXPECT_EQ(std::count(view.area_checked.begin(), view.area_checked.end(), true), 46);

  // Checking the last unchecked item sets the box again, without its handler.
  frm->UserSetAreaChecked(5, true);
  EXPECT_TRUE(view.Of(Control::chkArea).checked);
  EXPECT_EQ(view.focused.size(), 1u);
}

TEST_F(FrmMainTest, StartStopsWithoutPrefectureOrChosenFile) {
  Open();
  Select({});
  frm->btnActionClick();
  EXPECT_EQ(view.boxes, Boxes{kNoPrefectureBox});
  EXPECT_TRUE(view.save_dialogs.empty());

  // The save dialog proposes the chosen bank's file; cancelling it ends the start.
  Select({12});
  frm->UserSelectBank(kSmbc);
  view.save_answer.reset();
  frm->btnActionClick();
  ASSERT_EQ(view.save_dialogs.size(), 1u);
  const SaveDialogRequest& dialog = view.save_dialogs[0];
  EXPECT_EQ(platform::Cp932ToUtf8(dialog.file_name), "三井住友銀行店舗一覧.csv");
  EXPECT_EQ(platform::Cp932ToUtf8(dialog.title), "取得情報の保存先を指定してください");
  EXPECT_EQ(platform::Cp932ToUtf8(dialog.filter), "CSVファイル (*.csv)|*.csv");
  EXPECT_TRUE(dialog.overwrite_prompt && dialog.hide_read_only && dialog.resizable);
  EXPECT_EQ(dialog.default_extension, "csv");  // so its overwrite question sees report.csv
  EXPECT_FALSE(frm->HasWorkerThread());
  ExpectIdle();
  EXPECT_FALSE(platform::FileExists(config.settings_file));
}

TEST_F(FrmMainTest, ACompletedJobOffersToOpenItsFile) {
  Open();
  Select({0, 12});
  frm->UserSelectBank(kMufg);
  std::vector<std::string> statuses;
  view.on_status = [&](const std::string& text) { statuses.push_back(text); };
  view.answers = {kIdYes};
  bool cancel_enabled_at_the_end = true;
  view.modal_loop = [&] { cancel_enabled_at_the_end = view.Of(Control::btnCancel).enabled; };
  Start("report");

  // Running: selection locked, cancel possible, work cursor.
  EXPECT_EQ(frm->Fields().JobStatus, kJobStarted);
  EXPECT_EQ(frm->Fields().OutputPath, folder.path() / "report.csv");
  EXPECT_FALSE(view.Of(Control::btnAction).enabled);
  EXPECT_FALSE(view.Of(Control::lstArea).enabled);
  EXPECT_TRUE(view.Of(Control::btnCancel).enabled);
  EXPECT_EQ(view.cursor, ScreenCursor::kAppStarting);
  EXPECT_TRUE(view.status_window_text);
  EXPECT_EQ(view.repaints, 1);
  RunToEnd();

  EXPECT_EQ(source_calls, (Calls{"01", "13"}));
  EXPECT_EQ(statuses, (Calls{"ページ情報を取得中です。しばらくお待ちください。",
                             "三菱UFJ銀行店舗 北海道 : 1/1件 取得中",
                             "三菱UFJ銀行店舗 東京都 : 1/1件 取得中", ""}));
  EXPECT_EQ(view.progress.max, 2);
  EXPECT_EQ(view.taskbar_values,
            (std::vector<std::pair<std::uint64_t, std::uint64_t>>{{1, 2}, {2, 2}}));
  EXPECT_EQ(view.beeps, std::vector<unsigned>{kMbIconQuestion});
  ASSERT_EQ(view.flashes.size(), 1u);
  EXPECT_EQ(view.flashes[0].flags, kFlashwAll | kFlashwTimerNoFg);
  EXPECT_EQ(view.flashes[0].count, 30u);
  EXPECT_EQ(view.flashes[0].timeout_ms, 700u);
  EXPECT_EQ(view.boxes, Boxes{kCompletedBox});
  EXPECT_EQ(view.opened, std::vector<std::filesystem::path>{folder.path() / "report.csv"});
  EXPECT_EQ(view.taskbar_states,
            std::vector<TTaskBarProgressState>{TTaskBarProgressState::tbpsNone});
  EXPECT_FALSE(cancel_enabled_at_the_end);
  EXPECT_EQ(view.shutdown_reasons, (Calls{kShutdownReason, ""}));
  ASSERT_FALSE(view.focused.empty());
  EXPECT_EQ(view.focused.back(), Control::btnAction);
  ExpectRestored();
}

TEST_F(FrmMainTest, ClosingWhileTheCompletionQuestionIsOpenAsksNothingAboutTheJob) {
  Open();
  Select({0});
  bool could_close = false;
  view.modal_loop = [&] { could_close = frm->FormCloseQuery(); };
  view.answers = {kIdNo};
  Start();
  RunToEnd();
  EXPECT_TRUE(could_close);
  EXPECT_EQ(view.boxes, Boxes{kCompletedBox});
  EXPECT_TRUE(platform::FileExists(config.settings_file));
}

// The user answers a question about a job that ends while the box is open:
// the end waits for the answer, and the answer acts only on a job still
// running. The question comes at once after the start, before the worker's
// thread may have had its first turn.
TEST_F(FrmMainTest, AnAnswerActsOnlyOnTheJobItWasAskedAbout) {
  struct Case {
    const char* name;
    bool close;  // the close question, else the cancel question
    int answer;
    Boxes boxes;
    bool ends_program;
  };
  const Case cases[] = {
      {"cancel yes", false, kIdYes, {kCancelBox, kCompletedBox}, false},
      {"cancel no", false, kIdNo, {kCancelBox, kCompletedBox}, false},
      {"close no", true, kIdNo, {kCloseBox, kCompletedBox}, false},
      // Last: ending the program closes the dispatcher that the cases share.
      {"close yes", true, kIdYes, {kCloseBox}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetView();
    Open();
    Select({0, 1});
    view.answers = {c.answer, kIdNo};
    Start();
    bool waited = false;
    view.modal_loop = [&] {
      if (!waited) {
        waited = true;
        ui.RunUntil([&] { return frm->JobEndPending() || frm->Fields().Worker == nullptr; });
      }
      Pump();
    };
    if (c.close)
      EXPECT_FALSE(frm->FormCloseQuery());
    else
      frm->btnCancelClick();
    RunToEnd();
    EXPECT_EQ(view.boxes, c.boxes);
    EXPECT_EQ(view.most_open_dialogs, 1);
    EXPECT_EQ(view.ended, c.ends_program);
    EXPECT_EQ(platform::ReadFileBytes(folder.path() / "out.csv").value_or(""),
              Banks()[kMizuho].facts.header_row + "\r\nrow\r\nrow\r\n");
    if (!c.ends_program)
      ExpectRestored();
    frm.reset();
  }
}

TEST_F(FrmMainTest, SigningOutDuringAJobStopsItAndKeepsWhatItWrote) {
  hold_until_stopped = true;
  Open();
  EXPECT_TRUE(frm->QueryEndSession());
  Select({0, 1});
  Start();
  ui.RunUntil([&] { return view.status.find("北海道") != std::string::npos; });
  EXPECT_EQ(view.shutdown_reasons, Calls{kShutdownReason});
  EXPECT_FALSE(frm->QueryEndSession());
  std::ofstream(config.temp_file) << "left over";
  frm->EndSession();
  EXPECT_TRUE(view.ended);
  EXPECT_TRUE(view.boxes.empty());
  EXPECT_EQ(platform::IniReadString(config.settings_file, "Config", "Area", ""),
            "11" + std::string(45, '0'));
  EXPECT_FALSE(platform::FileExists(config.temp_file));
  frm.reset();
  EXPECT_EQ(source_calls, Calls{"01"});
  EXPECT_EQ(platform::ReadFileBytes(folder.path() / "out.csv").value_or(""),
            Banks()[kMizuho].facts.header_row + "\r\nrow\r\n");
}

TEST_F(FrmMainTest, ANameTheDialogDidNotCheckIsReplacedOnlyWhenConfirmed) {
  const ShownBox question{"x.txt.csv は既に存在します。\n上書きしますか？", "上書き確認",
                          kMbYesNo | kMbIconWarning | kMbDefButton2};
  Open();
  Select({0});
  const auto target = folder.path() / "x.txt.csv";
  std::ofstream(target) << "old";
  view.answers = {kIdNo};
  Start("x.txt");
  EXPECT_EQ(view.boxes, Boxes{question});
  EXPECT_FALSE(frm->HasWorkerThread());
  EXPECT_EQ(platform::ReadFileBytes(target).value_or(""), "old");
  ExpectIdle();

  view.answers = {kIdYes, kIdNo};
  Start("x.txt");
  RunToEnd();
  EXPECT_EQ(view.boxes, (Boxes{question, question, kCompletedBox}));
  EXPECT_EQ(platform::ReadFileBytes(target).value_or(""),
            Banks()[kMizuho].facts.header_row + "\r\nrow\r\n");
}

TEST_F(FrmMainTest, EveryOtherEndOfAJobShowsItsOutcome) {
  const std::string part = (folder.path() / "x.csv.part").string();
  const ShownBox kPartialBox{kCompletedBox.text + "\n取得できなかった都道府県：岩手県",
                             kCompletedBox.caption, kCompletedBox.flags};
  struct Case {
    const char* name;
    int rows;
    bool fail_downloads;
    std::string failing_code;
    std::string throwing_code;
    const char* folder_in_the_way;  // a folder at this name
    bool path_too_long;
    int status;
    ShownBox box;
  };
  const Case cases[] = {
      {"nothing found", 0, false, "", "", nullptr, false, kJobNothingFound, kNothingFoundBox},
      {"site unreachable", 0, true, "", "", nullptr, false, kJobSiteUnreachable, kUnreachableBox},
      {"output unavailable", 1, false, "", "", "x.csv.part", false, kJobOutputUnavailable,
       kInUseBox},
      {"output path too long", 1, false, "", "", "x.csv.part", true, kJobOutputUnavailable,
       kTooLongBox},
      // Iwate failed; Miyagi gave its rows.
      {"some prefectures not fetched", 2, false, "03", "", nullptr, false, kJobStarted,
       kPartialBox},
      {"final replacement failed",
       1,
       false,
       "",
       "",
       "x.csv",
       false,
       kJobStarted,
       {"保存先のファイルを置き換えられませんでした。\n"
        "取得した店舗情報は次のファイルに残っています。\n" +
            part,
        "Error", kInfo}},
      {"internal error",
       1,
       false,
       "",
       "04",
       nullptr,
       false,
       kJobInternalError,
       {"内部エラーのため取得処理を中止しました。\n"
        "取得した店舗情報は次のファイルに残っています。\n" +
            part,
        "Error", kInfo}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetView();
    rows_per_prefecture = c.rows;
    fail_downloads = c.fail_downloads;
    failing_code = c.failing_code;
    throwing_code = c.throwing_code;
    for (const char* name : {"x.csv", "x.csv.part"})
      std::filesystem::remove_all(folder.path() / name);
    if (c.folder_in_the_way != nullptr)
      std::filesystem::create_directory(folder.path() / c.folder_in_the_way);
    config.path_too_long = [&](const std::filesystem::path&) { return c.path_too_long; };
    Open();
    Select({2, 3});
    view.answers = {kIdNo};
    Start("x.csv");
    RunToEnd();
    EXPECT_EQ(frm->Fields().JobStatus, c.status);
    EXPECT_EQ(view.boxes, Boxes{c.box});
    ExpectRestored();
    frm.reset();
  }
}

TEST_F(FrmMainTest, AnExistingOutputFileIsReplacedOrTheStartRefused) {
  Open();
  Select({0});
  const auto target = folder.path() / "old.csv";
  std::ofstream(target) << "old";
  view.answers = {kIdNo};
  Start("old.csv");
  RunToEnd();
  EXPECT_EQ(platform::ReadFileBytes(target).value_or(""),
            Banks()[kMizuho].facts.header_row + "\r\nrow\r\n");

  // A file that another program holds open cannot be deleted on Windows;
  // where an open file can be deleted there is nothing to test.
  const auto probe = folder.path() / "probe.csv";
  {
    std::ofstream hold(probe);
    if (platform::DeleteFileAt(probe))
      GTEST_SKIP() << "open files can be deleted here";
  }
  std::ofstream hold(target);
  view.boxes.clear();
  Start("old.csv");
  EXPECT_EQ(view.boxes, Boxes{kInUseBox});
  EXPECT_FALSE(frm->HasWorkerThread());
  EXPECT_TRUE(view.Of(Control::btnAction).enabled);
}

TEST_F(FrmMainTest, CancelAtOnceAfterTheStartAsksBeforeStopping) {
  // The click may come before the worker thread has run at all; twenty tries
  // catch a job that counts as running only once its thread does.
  Open();
  Select({0, 1});
  for (int i = 0; i < 20; ++i) {
    view.boxes.clear();
    view.answers = {kIdYes};
    Start();
    frm->btnCancelClick();
    RunToEnd();
    ASSERT_EQ(view.boxes, Boxes{kCancelBox}) << "try " << i;
  }
  ExpectRestored();
}

// Cancel and close during a job of five prefectures: the first act when
// 岩手県 shows its first item, a second one (if any) at its second.
TEST_F(FrmMainTest, CancelAndCloseDuringAJob) {
  enum Act { kCancel, kClose };
  struct Case {
    const char* name;
    std::vector<Act> acts;
    std::deque<int> answers;  // to the questions, the completion question last
    int status_after_first_act;
    bool stops;  // after 岩手県, else all five prefectures
    Boxes boxes;
    bool ends_program;
  };
  const Case cases[] = {
      {"cancel, yes", {kCancel}, {kIdYes}, kJobCancelled, true, {kCancelBox}, false},
      {"cancel, no",
       {kCancel},
       {kIdNo, kIdNo},
       kJobStarted,
       false,
       {kCancelBox, kCompletedBox},
       false},
      // The second Cancel returns to idle before the worker has ended, but
      // the start button waits for it.
      {"cancel, yes, cancel again",
       {kCancel, kCancel},
       {kIdYes},
       kJobCancelled,
       true,
       {kCancelBox},
       false},
      {"close, yes", {kClose}, {kIdYes}, kJobExitAfterWorker, true, {kCloseBox}, true},
      {"close, no",
       {kClose},
       {kIdNo, kIdNo},
       kJobStarted,
       false,
       {kCloseBox, kCompletedBox},
       false},
      {"close, yes, then cancel",
       {kClose, kCancel},
       {kIdYes},
       kJobExitAfterWorker,
       true,
       {kCloseBox},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetView();
    WatchStatus();
    source_calls.clear();
    std::filesystem::remove(config.settings_file);
    rows_per_prefecture = 2;
    Open();
    Select({0, 1, 2, 3, 4});
    view.answers = c.answers;
    for (std::size_t k = 0; k < c.acts.size(); ++k) {
      When("岩手県", static_cast<int>(k) + 1, [&, k] {
        EXPECT_FALSE(view.ended);
        if (c.acts[k] == kClose) {
          EXPECT_FALSE(frm->FormCloseQuery());
        } else {
          frm->btnCancelClick();
        }
        if (k == 0) {
          EXPECT_EQ(frm->Fields().JobStatus, c.status_after_first_act);
        }
        EXPECT_FALSE(view.Of(Control::btnAction).enabled) << "the worker still runs";
      });
    }
    Start();
    RunToEnd();
    EXPECT_TRUE(frm->Fields().Worker == nullptr);
    frm.reset();  // joins the worker also where the program has ended
    EXPECT_EQ(source_calls.size(), c.stops ? 3u : 5u);
    EXPECT_EQ(view.boxes, c.boxes);
    EXPECT_EQ(view.ended, c.ends_program);
    EXPECT_EQ(platform::FileExists(config.settings_file), c.ends_program) << "saved at the end";
    if (!c.ends_program) {
      ExpectRestored();
      EXPECT_TRUE(view.opened.empty());
      EXPECT_EQ(view.taskbar_states,
                std::vector<TTaskBarProgressState>{TTaskBarProgressState::tbpsNone});
    }
  }
}

TEST_F(FrmMainTest, FinishJobByStatus) {
  struct Case {
    int status;
    std::deque<int> answers;
    bool file_exists;
    Boxes boxes;
    bool opened;
    bool ends_program;
    bool shell_works = true;
  };
  // The codes that real jobs end with in the tests above are left out.
  const Case cases[] = {
      {kJobStarted, {kIdYes}, true, {kCompletedBox, kOpenFailedBox}, true, false, false},
      {kJobStarted, {kIdYes}, false, {kCompletedBox, kFileGoneBox}, false, false},
      {kJobStarted, {kIdNo}, true, {kCompletedBox}, false, false},
      {4, {}, true, {}, false, false},
      {kJobCloseRequested, {}, true, {}, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    ResetView();
    std::filesystem::remove(config.settings_file);
    Open();
    Select({0});
    view.answers = {kIdNo};
    Start("done.csv");
    RunToEnd();
    if (!c.file_exists)
      std::filesystem::remove(folder.path() / "done.csv");
    view.boxes.clear();
    view.taskbar_states.clear();
    view.answers = c.answers;
    view.shell_open_works = c.shell_works;
    view.cursor = ScreenCursor::kAppStarting;
    frm->FinishJob(c.status);

    EXPECT_EQ(view.boxes, c.boxes);
    EXPECT_EQ(view.opened.size(), c.opened ? 1u : 0u);
    EXPECT_EQ(view.ended, c.ends_program);
    EXPECT_EQ(platform::FileExists(config.settings_file), c.ends_program);
    EXPECT_EQ(view.taskbar_states.size(), c.ends_program ? 0u : 1u);
    EXPECT_EQ(view.cursor, ScreenCursor::kOther);
    if (!c.ends_program)
      ExpectRestored();
    frm.reset();
  }
}

}  // namespace
}  // namespace tenrovel::app
