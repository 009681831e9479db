// System message texts, worded as a Japanese Windows system words them. Written here in UTF-8
// and converted to code page 932 by the codec once, on first use.
#include "MessageTable.h"

#include <windows.h>

#include <string>
#include <unordered_map>

#include "codec/Cp932.h"
#include "platform/StoreErrors.h"
#include "platform/SystemMessages.h"

namespace platform::detail {
namespace {

struct Message {
  DWORD code;
  const char* utf8;
};

const Message kMessages[] = {
    {ERROR_SUCCESS, "この操作を正しく終了しました。"},
    {ERROR_FILE_NOT_FOUND, "指定されたファイルが見つかりません。"},
    {ERROR_PATH_NOT_FOUND, "指定されたパスが見つかりません。"},
    {ERROR_TOO_MANY_OPEN_FILES, "システムはファイルを開くことができません。"},
    {ERROR_ACCESS_DENIED, "アクセスが拒否されました。"},
    {ERROR_INVALID_HANDLE, "ハンドルが無効です。"},
    {ERROR_NOT_ENOUGH_MEMORY, "このコマンドを実行するのに十分な記憶域がありません。"},
    {ERROR_INVALID_DATA, "データが無効です。"},
    {ERROR_OUTOFMEMORY, "この操作を完了するのに十分な記憶域がありません。"},
    {ERROR_WRITE_FAULT, "システムは指定されたデバイスに書き込めません。"},
    {ERROR_READ_FAULT, "システムは指定されたデバイスから読み取ることができません。"},
    {ERROR_GEN_FAILURE, "システムに接続されたデバイスが機能していません。"},
    {ERROR_SHARING_VIOLATION, "プロセスはファイルにアクセスできません。別のプロセスが使用中です。"},
    {ERROR_HANDLE_EOF, "ファイルの終わりに到達しました。"},
    {ERROR_HANDLE_DISK_FULL, "ディスクがいっぱいです。"},
    {ERROR_FILE_EXISTS, "ファイルがあります。"},
    {ERROR_INVALID_PARAMETER, "パラメータが間違っています。"},
    {ERROR_DISK_FULL, "ディスクに十分な空き領域がありません。"},
    {ERROR_INSUFFICIENT_BUFFER, "システム コールに渡されるデータ領域が小さすぎます。"},
    {ERROR_INVALID_NAME,
     "ファイル名、ディレクトリ名、またはボリューム ラベルの構文が間違っています。"},
    {ERROR_ALREADY_EXISTS, "既に存在するファイルを作成することはできません。"},
    {ERROR_FILENAME_EXCED_RANGE, "ファイル名または拡張子が長すぎます。"},
    {ERROR_NO_MORE_ITEMS, "データはこれ以上ありません。"},
    {ERROR_MR_MID_NOT_FOUND,
     "メッセージ番号 0x%1 に対するテキストがメッセージ ファイル %2 に見つかりません。"},
    {ERROR_INTERNAL_ERROR, "内部エラーが発生しました。"},
    {ERROR_FILE_CORRUPT, "ファイルまたはディレクトリが壊れているため、読み取ることができません。"},
    {ERROR_DATABASE_FAILURE, "データベースに対して読み取りまたは書き込みを実行できません。"},
    {ERROR_FILE_READ_ONLY, "指定されたファイルは読み取り専用です。"},
    // The store back ends' own codes (platform/StoreErrors.h).
    {ERROR_TOLVANE_STORE_CHANGED,
     "ストアは読み込まれた後でほかのプログラムによって変更されました。"
     "再読込してから変更し直してください。"},
    {ERROR_TOLVANE_STORE_IN_USE,
     "ストアを使うプログラム (ブラウザーまたは wineserver) が実行中のため、書き込めません。"
     "そのプログラムを終了してからやり直してください。"},
    {ERROR_TOLVANE_STORE_READ_ONLY, "ストアは読み取り専用のため、書き込めません。"},
    {ERROR_TOLVANE_COOKIE_OF_OTHER_ENTRY,
     "名前、ドメイン、パスが同じ Cookie が別のエントリにあります。"
     "Cookie のドメインを変えてからコミットしてください。"},
    {ERROR_TOLVANE_COOKIE_NOT_STORABLE,
     "このストアに保存できない Cookie があります (タブや制御文字を含むもの、"
     "このストアが持てない有効期限や属性の組み合わせのものなど)。"},
    {ERROR_TOLVANE_STORE_UNTESTED,
     "このストアの形式 (バージョン) は確認されていないため、書き込めません。"},
    {ERROR_TOLVANE_NOT_A_STORE, "指定された場所は Cookie のストアではありません。"},
    {ERROR_TOLVANE_VALUES_LOCKED,
     "暗号化された Cookie の値を復号する鍵 (Secret Service のパスワード) が得られないため、"
     "その Cookie は変更も削除もできません。"},
};

}  // namespace

const char* SystemMessageText(DWORD code) {
  // Built once, then only read: safe from any thread.
  static const auto* const texts = [] {
    auto* map = new std::unordered_map<DWORD, std::string>;
    for (const Message& message : kMessages) {
      (*map)[message.code] = codec::Utf8ToCp932(message.utf8) + "\r\n";
    }
    return map;
  }();
  const auto found = texts->find(code);
  return found == texts->end() ? nullptr : found->second.c_str();
}

}  // namespace platform::detail

namespace platform {

std::vector<SystemMessage> SystemMessages() {
  std::vector<SystemMessage> all;
  for (const detail::Message& message : detail::kMessages) {
    all.push_back({message.code, message.utf8});
  }
  return all;
}

}  // namespace platform
