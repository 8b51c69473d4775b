#include "app/window_texts.h"

#include "platform/codepage.h"

namespace tenrovel::app {

namespace {

WindowTexts MakeTexts() {
  const auto cp932 = [](const char* utf8) { return platform::Utf8ToCp932(utf8); };
  WindowTexts t;
  t.app_title = "Tenrovel";
  t.group_bank = cp932(" 銀行の選択 ");
  t.chk_area = cp932(" 都道府県の選択 : ");
  t.btn_action = cp932("取得開始 (&R)");
  t.btn_cancel = cp932("キャンセル (&C)");
  t.status_initial = cp932("　　");
  t.status_fetching = cp932("ページ情報を取得中です。しばらくお待ちください。");

  t.save_title = cp932("取得情報の保存先を指定してください");
  t.save_filter = cp932("CSVファイル (*.csv)|*.csv");
  t.file_suffix = cp932("一覧.csv");

  t.caption_error = "Error";
  t.caption_cancel = cp932("中断確認");
  t.caption_finished = cp932("処理確認");
  t.caption_nothing = cp932("検索終了");
  t.caption_close = cp932("終了確認");

  t.msg_no_prefecture = cp932("都道府県は１つ以上を選択してください。");
  t.msg_file_in_use =
      cp932("選択されたファイルが他のアプリケーションで使用中の為\n開くことができませんでした。");
  t.msg_nothing_found = cp932("該当する店舗情報は見つかりませんでした。");
  t.msg_file_not_found = cp932("該当するファイルが見つかりませんでした。");
  t.msg_site_unreachable = cp932(
      "サイトへのアクセスができませんでした。\r\nしばらく時間を置いてから再度実行してください。");
  t.msg_cancel_question = cp932("取得処理を中断します。\nよろしいですか？");
  t.msg_close_question = cp932("取得処理の実行中ですが終了しますか？");
  t.msg_completed = cp932("店舗情報の取得が完了しました。\n保存したファイルを開きますか？");
  t.msg_path_too_long = cp932("選択されたファイルのパスが長すぎる為\n開くことができませんでした。");
  t.msg_open_failed = cp932("保存したファイルを開くことができませんでした。");
  t.caption_overwrite = cp932("上書き確認");
  t.msg_overwrite_suffix = cp932(" は既に存在します。\n上書きしますか？");

  t.accessible_list = cp932("都道府県の選択");
  t.accessible_status = cp932("状態");
  t.shutdown_reason = cp932("店舗情報を取得中です");
  t.msg_not_fetched_prefix = cp932("取得できなかった都道府県：");
  t.name_separator = cp932("、");
  t.msg_write_failed = cp932("ファイルに書き込めませんでした。");
  t.msg_replace_failed = cp932("保存先のファイルを置き換えられませんでした。");
  t.msg_internal_error = cp932("内部エラーのため取得処理を中止しました。");
  t.msg_rows_kept_in = cp932("取得した店舗情報は次のファイルに残っています。");
  return t;
}

}  // namespace

const WindowTexts& Texts() {
  static const WindowTexts kTexts = MakeTexts();
  return kTexts;
}

}  // namespace tenrovel::app
