// The texts the user reads in menus, tips and the status bar, compared byte for byte.
#include <codec/Cp932.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "res/ProgramResources.h"

namespace {

using Row = std::pair<int, std::string>;

const afx::MenuResource& Menu(int id) {
  for (const auto& m : res::Resources().menus) {
    if (m.id == id) return m;
  }
  throw std::runtime_error("no menu " + std::to_string(id));
}

// A popup row is (0, caption); a separator is (0, "").
std::vector<Row> Flatten(const afx::MenuResource& menu) {
  std::vector<Row> rows;
  for (const auto& popup : menu.popups) {
    rows.emplace_back(0, popup.text);
    for (const auto& item : popup.children) {
      EXPECT_TRUE(item.children.empty()) << item.text;
      rows.emplace_back(item.separator ? 0 : item.id, item.separator ? "" : item.text);
    }
  }
  return rows;
}

TEST(ResourceTexts, MenuBarCaptions) {
  const std::vector<Row> expected = {
      {0, "ﾌｧｲﾙ(&F)"},
      {57600, "ｷｬｯｼｭを再読込(&R)\tCtrl+R"},
      {57603, "全部保存(&S)\tCtrl+S"},
      {57604, "ﾃｷｽﾄ形式で出力(&T)..."},
      {0, ""},
      {32790, "ｽﾄｱを開く(&O)...\tCtrl+O"},
      {32791, "選択ｻｲﾄを cookies.txt に出力(&K)..."},
      {32792, "全部を cookies.txt に出力(&C)..."},
      {0, ""},
      {57665, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"},
      {0, "編集(&E)"},
      {32771, "ｱﾎﾞｰﾄ/再読込(&A)"},
      {32772, "コミット(&C)"},
      {0, ""},
      {32773, "削除(&D)\tDEL"},
      {0, ""},
      {32775, "変数をｺﾋﾟｰ追加(&N)\tINS"},
      {32779, "ｷｬｯｼｭをコピー追加(&E)\tCtrl+INS"},
      {0, "検索(&F)"},
      {32778, "検索(&F)...\tCtrl+F"},
      {32781, "連続検索(&N)...\tF3"},
      {0, "表示(&V)"},
      {32776, "ﾂﾘｰ展開(&E)"},
      {32777, "ｿｰﾄ(&S)..."},
      {32789, "ｸﾞﾘﾆｯｼﾞ標準時(&Z)"},
      {0, ""},
      {59392, "ﾂｰﾙ ﾊﾞｰ(&T)"},
      {59393, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"},
      {0, "ﾍﾙﾌﾟ(&H)"},
      {57664, "Tolvane のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
  };
  EXPECT_EQ(Flatten(Menu(IDR_MAINFRAME)), expected);
}

TEST(ResourceTexts, MenuBarCheckMarks) {
  std::vector<int> checked;
  for (const auto& popup : Menu(IDR_MAINFRAME).popups) {
    for (const auto& item : popup.children) {
      if (item.checked) checked.push_back(item.id);
    }
  }
  EXPECT_EQ(checked, (std::vector<int>{ID_EXPAND_TOGGLE, ID_TOGGLE_GMT}));
}

TEST(ResourceTexts, ContextMenuKeepsItsOwnCaptions) {
  const std::vector<Row> expected = {
      {0, "Popup1"},
      {32771, "ｱﾎﾞｰﾄ/再読込(&A)"},
      {32772, "コミット(&C)"},
      {0, ""},
      {32773, "削除(&D)"},
      {32775, "変数のをコピー追加(&N)"},
      {32779, "ｷｬｯｼｭのコピー追加(&E)"},
  };
  EXPECT_EQ(Flatten(Menu(IDR_POPUP)), expected);
}

TEST(ResourceTexts, StringTable) {
  const std::vector<Row> expected = {
      {57600, "ｷｬｯｼｭを再読込する\n再読込"},
      {57603, "編集中のCookieを全部上書保存する\n全部保存"},
      {57604, "全部のCookieをﾃｷｽﾄﾌｧｲﾙに出力する\nﾃｷｽﾄ出力"},
      {32790, "別のCookieｽﾄｱ（cookies.txt、ﾌﾞﾗｳｻﾞのﾌﾟﾛﾌｧｲﾙ、Wine）を開く\nｽﾄｱを開く"},
      {32791, "選択中のｻｲﾄのCookieをcookies.txt形式で出力する\nｻｲﾄをcookies.txtに出力"},
      {32792, "全部のCookieをcookies.txt形式で出力する\ncookies.txt出力"},
      {57665, "ｱﾌﾟﾘｹｰｼｮﾝを終了します\n終了"},
      {32771, "選択項目についてｷｬｯｼｭから再読込する\nｱﾎﾞｰﾄ/再読込"},
      {32772, "選択中のCookieをｷｬｯｼｭに書込\nｺﾐｯﾄ"},
      {32773, "選択中の項目を削除し、ｷｬｯｼｭからも削除する\n削除"},
      {32775, "変数をｺﾋﾟｰして追加する\n変数追加"},
      {32779, "ｷｬｯｼｭをｺﾋﾟｰして追加します\nｷｬｼｭ追加"},
      {32778, "ﾂﾘｰを検索\n検索"},
      {32781, "ﾂﾘｰを連続検索\n連続検索"},
      {32776, "ﾂﾘｰの展開/非展開を切り替えます\nﾂﾘｰ展開"},
      {32777, "ﾂﾘｰを指定ｷｰでｿｰﾄする\nｿｰﾄ"},
      {32789, "編集する時刻のﾀｲﾑｿﾞｰﾝをGMT/ﾛｰｶﾙとで切り替える\n時刻ﾓｰﾄﾞ"},
      {59392, "ﾂｰﾙ ﾊﾞｰの表示切り替え\nﾂｰﾙ ﾊﾞｰの 表示/非表示"},
      {59393, "ｽﾃｰﾀｽ ﾊﾞｰの表示切り替え\nｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示"},
      {57664, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
      {32780, "次を検索\n次検索"},
      {57345, "ﾚﾃﾞｨ"},
      {59136, "EXT"},
      {59137, "CAP"},
      {59138, "NUM"},
      {59139, "SCRL"},
      {59140, "上書"},
      {59141, "記録"},
      {59142, "ｶﾅ"},
      {57344, "Tolvane"},
      {128, "Tolvane\n\nCookie\n\n\nTolvane.Document\nCookie Document"},
  };
  const auto& strings = res::Resources().strings;
  for (const auto& [id, text] : expected) {
    auto it = strings.find(id);
    ASSERT_NE(it, strings.end()) << id;
    EXPECT_EQ(it->second, text) << id;
  }
}

// Every text must survive the trip to code page 932, or the user would see '?' in its place.
TEST(ResourceTexts, EveryTextIsCp932) {
  std::vector<std::string> texts;
  const auto& set = res::Resources();
  for (const auto& [id, text] : set.strings) texts.push_back(text);
  for (const auto& menu : set.menus) {
    for (const auto& popup : menu.popups) {
      texts.push_back(popup.text);
      for (const auto& item : popup.children) texts.push_back(item.text);
    }
  }
  for (const auto& dialog : set.dialogs) {
    texts.push_back(dialog.caption);
    texts.push_back(dialog.font);
    for (const auto& item : dialog.items) texts.push_back(item.text);
    for (const auto& [id, list] : dialog.listItems)
      texts.insert(texts.end(), list.begin(), list.end());
  }
  for (const auto& text : texts) {
    EXPECT_EQ(codec::Cp932ToUtf8(codec::Utf8ToCp932(text)), text);
  }
}

}  // namespace
