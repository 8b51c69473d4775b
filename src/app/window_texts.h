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
};

const WindowTexts& Texts();

}  // namespace tenrovel::app
