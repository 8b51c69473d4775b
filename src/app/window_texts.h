// The fixed texts of the main window (CP932): captions, dialog texts and
// message boxes.
#pragma once

#include <string>

namespace tenrovel::app {

struct WindowTexts {
  std::string app_title;       // "Tenrovel", also the window caption
  std::string group_bank;      // " 銀行の選択 "
  std::string chk_area;        // " 都道府県の選択 : "
  std::string btn_action;      // "取得開始 (&R)"
  std::string btn_cancel;      // "キャンセル (&C)"
  std::string status_initial;  // two ideographic spaces
  std::string status_fetching;

  std::string save_title;
  std::string save_filter;
  std::string file_suffix;  // appended to the bank name: "一覧.csv"

  std::string caption_error;     // "Error"
  std::string caption_cancel;    // "中断確認"
  std::string caption_finished;  // "処理確認"
  std::string caption_nothing;   // "検索終了"
  std::string caption_close;     // "終了確認"

  std::string msg_no_prefecture;
  std::string msg_file_in_use;
  std::string msg_nothing_found;
  std::string msg_file_not_found;
  std::string msg_site_unreachable;
  std::string msg_cancel_question;
  std::string msg_close_question;
  std::string msg_completed;
  std::string msg_path_too_long;
  std::string msg_open_failed;       // the saved file could not be opened
  std::string caption_overwrite;     // "上書き確認"
  std::string msg_overwrite_suffix;  // after the file name

  // Read by assistive technology and shown by Windows at sign-out.
  std::string accessible_list;    // lstArea's name
  std::string accessible_status;  // lblStatus's name
  std::string shutdown_reason;    // while a job runs
  // A second line of the completion question, before the names.
  std::string msg_not_fetched_prefix;  // "取得できなかった都道府県："
  std::string name_separator;          // "、"
  std::string msg_write_failed;        // then the system's reason on a line of its own
  std::string msg_replace_failed;      // then the path where the rows are
  std::string msg_internal_error;
  std::string msg_rows_kept_in;  // then the path
};

const WindowTexts& Texts();

}  // namespace tenrovel::app
