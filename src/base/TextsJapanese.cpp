// The program's texts in Japanese.

#include "base/Texts.h"

namespace pixkeeper {

const TextTable& JapaneseTexts() {
  static const TextTable table = {
      {TextId::kMenuFile, L"ファイル(&F)"},
      {TextId::kMenuOpenFolder, L"保存先を開く(&O)"},
      {TextId::kMenuQuit, L"Pixkeeper終了(&Q)"},
      {TextId::kMenuConfigure, L"環境設定(&C)"},
      {TextId::kMenuSaveDirectory, L"保存ディレクトリ...(&D)"},
      {TextId::kMenuFileNames, L"保存ファイル名...(&F)"},
      {TextId::kMenuStartCentred, L"起動時は画面中央に表示する(&P)"},
      {TextId::kMenuStartMinimised, L"最小化状態で起動する(&I)"},
      {TextId::kMenuViewWithProgram, L"関連付けられたアプリで表示する(&V)"},
      {TextId::kMenuSavePng, L"PNG形式で保存する(&G)"},
      {TextId::kMenuKeepClipboard, L"クリップボードを空にしない(&K)"},
      {TextId::kMenuDayFolders, L"日付ごとのフォルダに分ける(&Y)"},
      {TextId::kMenuProgramFolders, L"アプリごとのフォルダに分ける(&B)"},
      {TextId::kMenuSkipRepeats, L"同じ画像を続けて保存しない(&U)"},
      {TextId::kMenuThumbnails, L"一覧に縮小画像を表示する(&L)"},
      {TextId::kMenuPause, L"取り込みを一時停止する(&T)"},
      {TextId::kMenuStartWithWindows, L"Windows の起動時に開始する(&W)"},
      {TextId::kMenuHelp, L"ヘルプ(&H)"},
      {TextId::kMenuAbout, L"バージョン情報(&A)"},
      {TextId::kMenuShow, L"表示(&S)"},

      {TextId::kFnameTitle, L"保存ファイル名選択"},
      {TextId::kDirConfigTitle, L"保存ディレクトリ選択"},
      {TextId::kImageViewTitle, L"画像表示"},
      {TextId::kAboutTitle, L"バージョン情報"},

      {TextId::kReturnButton, L"戻る"},
      {TextId::kOkButton, L"OK"},
      {TextId::kResetButton, L"Reset"},
      {TextId::kFnameDateOption, L"日付形式(FNAMEmmddhhmmss.BMP)"},
      {TextId::kFnameNumberOption, L"通番形式(FNAME9999.BMP)"},
      {TextId::kFnameStartValue, L"初期値"},
      {TextId::kFnameNextValue, L"次回書込値"},
      {TextId::kFnameKeepValue, L"終了時に現在値を保持する"},
      {TextId::kFnameAskOption, L"ユーザ入力形式(保存時に入力ウインドウ表示)"},
      {TextId::kFnameSchemeFrame, L"ファイル保存名形式"},
      {TextId::kFnamePrefixFrame, L"日付および通番時のファイル先頭文字列"},
      {TextId::kAboutVersion, L"%1 Ver%2"},
      {TextId::kAboutHistoryFrame, L"更新履歴"},
      // A line that continues the version above begins with five blanks.
      {TextId::kAboutHistory,
       L"1.00-新規作成\n"
       L"1.01-環境設定ﾒﾆｭｰ追加\n"
       L"1.02-保存先ﾃﾞｨﾚｸﾄﾘ異常時の対応\n"
       L"     ｺﾏﾝﾄﾞﾗｲﾝ処理追加(ﾚｼﾞｽﾄﾘ異常対策)\n"
       L"1.03-通番の初期値を指定出来る様にした\n"
       L"     前回の現在値を保持出来る様にした\n"
       L"1.04-保存ﾌｧｲﾙ名の一覧を表示する様にした\n"
       L"     ｸﾘｯｸしたﾌｧｲﾙ名をさりげなくｸﾘｯﾌﾟﾎﾞｰﾄﾞに吐き出す様にした\n"
       L"     ﾌｧｲﾙ名をﾀﾞﾌﾞﾙｸﾘｯｸするとそのﾌｧｲﾙを表示する様にした\n"
       L"     表示の際に関連付けられているｱﾌﾟﾘを使用する様に選択出来る様にした\n"
       L"     PG実行中にVBを起動するとｴﾗｰ終了していた問題の回避\n"
       L"     PG実行中にExcelで切取/ｺﾋﾟｰすると画像として取りこんでしまう問題の回避\n"
       L"     保存ﾌｧｲﾙ名に時刻を指定した場合の同一時刻での上書き対策"},

      {TextId::kNoticeTitle, L"%1からのお知らせ"},
      {TextId::kAlreadyRunning, L"すでに起動されているので終了します。"},
      {TextId::kStartUpError, L"実行時エラー '%1':\r\n\r\n%2"},
      {TextId::kNamedPicture, L"%1\r\n対象画像名 [%2]"},
      {TextId::kPictureMissing, L"対象画像が存在しません。削除された可能性があります。"},
      {TextId::kPictureUnreadable, L"画像を表示できません。"},
      {TextId::kDirectoryMissing,
       L"前回指定されたディレクトリが存在しないのでルートディレクトリを表示します。\r\n前回指定ディレクトリ[%1]"},
      {TextId::kDriveNotReady, L"ドライブ %1: の準備ができていません。"},
      {TextId::kNoSuchNamingOption, L"コントロール配列の要素 '%1' は存在しません。"},
      {TextId::kSaveDialogFailed, L"ファイル選択ダイアログを表示できません。(コード %1)"},

      {TextId::kSaveDialogTitle, L"画像ファイル選択"},
      {TextId::kPngFilter, L"PNG ファイル (*.PNG)"},
      {TextId::kBmpFilter, L"画像ﾌｧｲﾙ (*.BMP)"},

      {TextId::kOtherProgramFolder, L"その他"},

      {TextId::kPausedStatus, L"取り込みを一時停止しています。"},
      {TextId::kPausedTip, L"%1 (一時停止中)"},
      {TextId::kSaveFailed, L"保存できませんでした: %1 (%2)"},
      {TextId::kRepeatSkipped, L"前と同じ画像のため、保存しませんでした。"},
      {TextId::kOwnerSilentSaving, L"画像を置いたプログラムが応答しないため、保存しませんでした。"},
      {TextId::kOwnerSilentEmptying, L"画像を置いたプログラムが応答しないため、クリップボードを空にできませんでした。"},
      {TextId::kNoSaveFolder, L"保存先のフォルダがありません: %1"},
      {TextId::kSaveFolderUnopened, L"保存先を開けませんでした: %1 (%2)"},
      {TextId::kStartWithWindowsFailed, L"Windows の起動時に開始する設定を変更できませんでした (%1)"},
      {TextId::kDroppedClipboardBusy, L"ほかのプログラムがクリップボードを使用中のため、画像を保存しませんでした。"},
      {TextId::kDroppedUnreadable, L"画像を読み取れないため、保存しませんでした。"},
      {TextId::kDroppedTooLarge, L"画像が大きすぎるため、保存しませんでした。"},
      {TextId::kDroppedOutOfMemory, L"メモリが足りないため、画像を保存しませんでした。"},
      {TextId::kDroppedOther, L"画像を保存しませんでした (%1)"},
      {TextId::kCopyClipboardBusy, L"ほかのプログラムがクリップボードを使用中のため、パスをコピーできませんでした。"},
      {TextId::kCopyFailed, L"パスをコピーできませんでした (%1)"},

      {TextId::kErrorInvalidCall, L"プロシージャの呼び出し、または引数が不正です。"},
      {TextId::kErrorOverflow, L"オーバーフローしました。"},
      {TextId::kErrorOutOfMemory, L"メモリが不足しています。"},
      {TextId::kErrorSubscript, L"インデックスが有効範囲にありません。"},
      {TextId::kErrorDivisionByZero, L"0 で除算しました。"},
      {TextId::kErrorTypeMismatch, L"型が一致しません。"},
      {TextId::kErrorBadFileName, L"ファイル名または番号が不正です。"},
      {TextId::kErrorFileNotFound, L"ファイルが見つかりません。"},
      {TextId::kErrorDeviceIo, L"デバイス I/O エラーです。"},
      {TextId::kErrorFileExists, L"既に同名のファイルが存在しています。"},
      {TextId::kErrorDiskFull, L"ディスクの空き容量が不足しています。"},
      {TextId::kErrorPermissionDenied, L"書き込みできません。"},
      {TextId::kErrorDiskNotReady, L"ディスクが準備されていません。"},
      {TextId::kErrorPathFileAccess, L"パス名が無効です。"},
      {TextId::kErrorPathNotFound, L"パスが見つかりません。"},
      {TextId::kErrorInvalidProperty, L"プロパティの値が不正です。"},
      {TextId::kErrorInvalidPicture, L"ピクチャが不正です。"},
      {TextId::kErrorCannotOpenClipboard, L"クリップボードを開けません。"},
      {TextId::kErrorPictureTooLarge, L"画像が大きすぎます。"},
      {TextId::kErrorDialogCancelled, L"[キャンセル] が選択されました。"},
      {TextId::kErrorApplicationDefined, L"アプリケーション定義またはオブジェクト定義のエラーです。"},
  };
  return table;
}

}  // namespace pixkeeper
