#include "base/error.h"

#include "base/text_encoding.h"

namespace ntr {
namespace {
// The message of a code; "%s" marks where the detail goes. nullptr for a
// number that is not a code.
const char* MessageTemplate(int code) {
  switch (static_cast<ErrorCode>(code)) {
    case kErrNone:
      return nullptr;
    case kErrNoMemory:
      return "メモリが不足しています。";
    case kErrUnknownModel:
      return "不明な機種です。";
    case kErrBaseInfoSave:
      return "BaseInfoファイルの保存に失敗しました。";
    case kErrScreenCreate:
      return "Screenの生成に失敗しました。";
    case kErrReceiveThreadCreate:
      return "受信スレッドの生成に失敗しました。";
    case kErrFileOpen:
      return "ファイルがオープンできません。";
    case kErrConfigSyntax:
      return "コンフィグファイル文法エラーです。";
    case kErrSendInterrupted:
      return "送信が中断されました。";
    case kErrNoResponse:
      return "スイッチから応答がありませんでした。";
    case kErrBadResponseValue:
      return "機能設定応答のValueが不正です。";
    case kErrOutOfRange:
      return "データが範囲外です(%s)";
    case kErrSwitchBusy:
      return "スイッチが他の処理を行っています。";
    case kErrSwitchPending:
      return "スイッチがPending中です。";
    case kErrMagicMismatch:
      return "マジックコードが一致しません。";
    case kErrChecksumMismatch:
      return "チェックサムが一致しません。";
    case kErrFlashWrite:
      return "フラッシュROMの書き換えに失敗しました。";
    case kErrNoSuchFunction:
      return "機能が存在しません。";
    case kErrAccessDenied:
      return "アクセスが不正です。";
    case kErrBadParameter:
      return "パラメータが不正です。";
    case kErrFatal:
      return "致命的なエラー。";
    case kErrStatusPollCreate:
      return "ステータスポーリングの生成に失敗しました。";
    case kErrFirmwareUpdating:
      return "ファームウェアアップデート中です。";
    case kErrConfigSyncRunning:
      return "コンフィグ同期実行中です。";
    case kErrWindowClosed:
      return "ウィンドウがクローズされました。";
    case kErrFunctionInfo:
      return "Function情報が間違っています。";
    case kErrPortNumber:
      return "ポート番号の指定が間違っています。(%s)";
    case kErrCounterNumber:
      return "カウンタ番号の指定が間違っています。(%s)";
    case kErrRegistrationNumber:
      return "登録番号の指定が間違っています。(%s)";
    case kErrSpeedValue:
      return "速度の数値が不正です。";
    case kErrSpeedValueRemoved:
      return "速度の数値が不正なため削除されました。";
    case kErrRxIdentifierClass:
      return "受信データ：Identifier octetのクラスに誤りがあります。";
    case kErrRxIdentifierPc:
      return "受信データ：Identifier octetのP/Cに誤りがあります。";
    case kErrRxIdentifierTag:
      return "受信データ：Identifier octetのタグに誤りがあります。";
    case kErrRxApplication:
      return "受信データ：無効なアプリケーション番号です。";
    case kErrRxLength:
      return "受信データ：無効なデータ長です。";
    case kErrRxFunctionId:
      return "受信データ：無効なFunction IDです。";
    case kErrBufferExhausted:
      return "エンコードバッファの容量が不足しています。";
    case kErrApplicationNumber:
      return "アプリケーション番号の指定が間違っています。";
    case kErrValueType:
      return "Function requestのValue typeの指定が間違っています。";
    case kErrIndexType:
      return "Function requestのIndex typeの指定が間違っています。";
    case kErrNoNetwork:
      return "ネットワークに接続できません。";
    case kErrDeviceChoiceCancelled:
      return "ネットワークデバイス選択がキャンセルされました。";
    case kErrDeviceIndexRange:
      return "ネットワークデバイスのインデックスが範囲外です。";
    case kErrNoDeviceSelected:
      return "ネットワークデバイスが選択されていません。";
    case kErrDeviceSearch:
      return "ネットワークデバイス検索に失敗しました。 (%s)";
    case kErrAdapterSearch:
      return "ネットワークアダプタ検索に失敗しました。";
    case kErrDeviceOpen:
      return "ネットワークデバイスをオープンできません。 (%s)";
    case kErrDeviceNotOpen:
      return "ネットワークデバイスがオープンされていません。";
    case kErrSend:
      return "送信エラーが発生しました。 (%s)";
    case kErrCaptureThreadCreate:
      return "ネットワークキャプチャスレッドの生成に失敗しました。";
    case kErrNoCaptureThread:
      return "ネットワークキャプチャスレッドが生成されていません。";
    case kErrSettingsThreadCreate:
      return "設定実行スレッドの生成に失敗しました。";
  }
  return nullptr;
}

}  // namespace

std::string FormatErrorMessage(int code, std::string_view detail) {
  const char* message = MessageTemplate(code);
  if (message == nullptr) {
    return "未知のエラーコードです。 (" + std::to_string(code) + ")";
  }
  std::string text(message);
  const auto placeholder = text.find("%s");
  if (placeholder != std::string::npos) {
    // Details may come from the capture library or from received bytes:
    // keep the message valid UTF-8 whatever they hold.
    text.replace(placeholder, 2, SanitizeUtf8(detail));
  }
  return text;
}

}  // namespace ntr
