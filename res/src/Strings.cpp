// The string table: command prompts with their tool tips, indicator texts and the titles.
#include "ResourceParts.h"
#include "res/ResourceIds.h"

namespace res::detail {

std::map<int, std::string> Strings() {
  return {
      // Window title, document name (none), new-file name, filter name and extension (none),
      // type id, type name.
      {IDR_MAINFRAME, "Tolvane\n\nCookie\n\n\nTolvane.Document\nCookie Document"},
      {AFX_IDS_APP_TITLE, "Tolvane"},
      // Status-bar prompt, a newline, then the tool tip.
      {ID_FILE_NEW, "ｷｬｯｼｭを再読込する\n再読込"},
      {ID_FILE_SAVE, "編集中のCookieを全部上書保存する\n全部保存"},
      {ID_FILE_SAVE_AS, "全部のCookieをﾃｷｽﾄﾌｧｲﾙに出力する\nﾃｷｽﾄ出力"},
      {ID_STORE_OPEN, "別のCookieｽﾄｱ（cookies.txt、ﾌﾞﾗｳｻﾞのﾌﾟﾛﾌｧｲﾙ、Wine）を開く\nｽﾄｱを開く"},
      {ID_EXPORT_SITE_COOKIES_TXT, "選択中のｻｲﾄのCookieをcookies.txt形式で出力する\nｻｲﾄをcookies.txtに出力"},
      {ID_EXPORT_ALL_COOKIES_TXT, "全部のCookieをcookies.txt形式で出力する\ncookies.txt出力"},
      {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝを終了します\n終了"},
      {ID_ABORT_RELOAD, "選択項目についてｷｬｯｼｭから再読込する\nｱﾎﾞｰﾄ/再読込"},
      {ID_COMMIT, "選択中のCookieをｷｬｯｼｭに書込\nｺﾐｯﾄ"},
      {ID_DELETE_ITEM, "選択中の項目を削除し、ｷｬｯｼｭからも削除する\n削除"},
      {ID_COPY_ADD_VARIABLE, "変数をｺﾋﾟｰして追加する\n変数追加"},
      {ID_COPY_ADD_CACHE, "ｷｬｯｼｭをｺﾋﾟｰして追加します\nｷｬｼｭ追加"},
      {ID_SEARCH, "ﾂﾘｰを検索\n検索"},
      {ID_SEARCH_NEXT, "ﾂﾘｰを連続検索\n連続検索"},
      {ID_EXPAND_TOGGLE, "ﾂﾘｰの展開/非展開を切り替えます\nﾂﾘｰ展開"},
      {ID_SORT, "ﾂﾘｰを指定ｷｰでｿｰﾄする\nｿｰﾄ"},
      {ID_TOGGLE_GMT, "編集する時刻のﾀｲﾑｿﾞｰﾝをGMT/ﾛｰｶﾙとで切り替える\n時刻ﾓｰﾄﾞ"},
      {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰの表示切り替え\nﾂｰﾙ ﾊﾞｰの 表示/非表示"},
      {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰの表示切り替え\nｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示"},
      {ID_APP_ABOUT, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
      {ID_SEARCH_NEXT_HINT, "次を検索\n次検索"},
      {AFX_IDS_IDLEMESSAGE, "ﾚﾃﾞｨ"},
      {ID_INDICATOR_EXT, "EXT"},
      {ID_INDICATOR_CAPS, "CAP"},
      {ID_INDICATOR_NUM, "NUM"},
      {ID_INDICATOR_SCRL, "SCRL"},
      {ID_INDICATOR_OVR, "上書"},
      {ID_INDICATOR_REC, "記録"},
      {ID_INDICATOR_KANA, "ｶﾅ"},
  };
}

}  // namespace res::detail
