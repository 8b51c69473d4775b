// A TFrmMain on a scripted view, with bank sources and downloads of the
// test's own, and the loop that serves the worker's callbacks.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/frm_main.h"
#include "job/queue_dispatcher.h"
#include "platform/files.h"
#include "scripted_view.h"

namespace tenrovel::app {

class FrmMainFixture : public ::testing::Test {
 protected:
  FrmMainFixture() {
    config.settings_file = folder.path() / "rvl.ini";
    config.temp_file = folder.path() / "tmp.dat";
    config.sites.delay_scale = 0;
    // Each source writes `rows_per_prefecture` rows, refreshing the status
    // line after each; with `fail_downloads` (or for the prefecture
    // `failing_code`) it first downloads in vain, and it throws for
    // `throwing_code`.
    const job::SourceEntry source = [this](job::SourceContext& worker, const std::string& arg) {
      source_calls.push_back(platform::Cp932ToUtf8(arg));
      if (fail_downloads || arg == failing_code)
        worker.DownloadToFile("https://bank.test/fail", worker.TempFilePath());
      if (arg == failing_code)
        return;
      worker.Fields().PrefItemTotal = rows_per_prefecture;
      for (int i = 0; i < rows_per_prefecture; ++i) {
        worker.WriteRow("row");
        ++worker.Fields().PrefItemDone;
        worker.SyncShowItemStatus();
      }
      while (hold_until_stopped && !worker.Terminated())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (arg == throwing_code)
        throw std::runtime_error("broken answer");
    };
    config.banks = Banks();
    for (BankRow& bank : config.banks)
      bank.source = source;
    ResetView();
    config.download = [](const std::string&, const std::filesystem::path&,
                         const std::atomic<bool>*) {
      return platform::DownloadResult{false, "refused"};
    };
  }

  // A fresh view whose dialogs deliver posted messages.
  void ResetView() {
    view = ScriptedView();
    view.modal_loop = [this] {
      if (frm)
        Pump();
    };
  }

  // Creates and shows the window and applies the settings.
  void Open() {
    frm = std::make_unique<TFrmMain>(view, ui, config);
    frm->FormCreate();
    frm->FormShow();
    Pump();
  }

  // Delivers the posted private messages.
  void Pump() {
    while (!view.posted.empty()) {
      const unsigned message = view.posted.front();
      view.posted.pop_front();
      frm->OnPrivateMessage(message);
    }
  }

  // Exactly these prefectures checked.
  void Select(const std::vector<int>& prefectures) {
    frm->UserSetChkArea(true);
    frm->UserSetChkArea(false);
    for (const int i : prefectures)
      frm->UserSetAreaChecked(i, true);
  }

  void Start(const std::string& file_name = "out.csv") {
    view.save_answer = folder.path() / file_name;
    frm->btnActionClick();
  }

  // Serves the worker until its end has been handled and it has been joined,
  // or the program has been told to end.
  void RunToEnd() {
    ui.RunUntil([&] {
      Pump();
      return view.ended || !frm->HasWorkerThread();
    });
  }

  platform::PrivateTempFolder folder;
  ScriptedView view;
  job::QueueDispatcher ui;
  TFrmMain::Config config;
  int rows_per_prefecture = 1;
  bool fail_downloads = false;
  bool hold_until_stopped = false;        // a source that works until the stop request
  std::string failing_code;
  std::string throwing_code;
  std::vector<std::string> source_calls;  // UTF-8; written by the worker
  std::unique_ptr<TFrmMain> frm;          // ends before the dispatcher
};

}  // namespace tenrovel::app
