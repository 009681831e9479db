// Menu bar and accelerators of the main frame, and the cookie tree's context menu.
#include "ResourceParts.h"
#include "res/ResourceIds.h"

namespace res::detail {
namespace {

constexpr bool kChecked = true;

afx::MenuItem Item(int id, std::string text, bool checked = false) {
  afx::MenuItem item;
  item.id = id;
  item.text = std::move(text);
  item.checked = checked;
  return item;
}

afx::MenuItem Separator() {
  afx::MenuItem item;
  item.separator = true;
  return item;
}

afx::MenuItem Popup(std::string text, std::vector<afx::MenuItem> children) {
  afx::MenuItem item;
  item.text = std::move(text);
  item.children = std::move(children);
  return item;
}

}  // namespace

std::vector<afx::MenuResource> Menus() {
  // The check marks are only initial; the update handlers set the real state.
  afx::MenuResource mainMenu{
      IDR_MAINFRAME,
      {
          Popup("ﾌｧｲﾙ(&F)",
                {
                    Item(ID_FILE_NEW, "ｷｬｯｼｭを再読込(&R)\tCtrl+R"),
                    Item(ID_FILE_SAVE, "全部保存(&S)\tCtrl+S"),
                    Item(ID_FILE_SAVE_AS, "ﾃｷｽﾄ形式で出力(&T)..."),
                    Separator(),
                    Item(ID_STORE_OPEN, "ｽﾄｱを開く(&O)...\tCtrl+O"),
                    Item(ID_EXPORT_SITE_COOKIES_TXT, "選択ｻｲﾄを cookies.txt に出力(&K)..."),
                    Item(ID_EXPORT_ALL_COOKIES_TXT, "全部を cookies.txt に出力(&C)..."),
                    Separator(),
                    Item(ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"),
                }),
          Popup("編集(&E)",
                {
                    Item(ID_ABORT_RELOAD, "ｱﾎﾞｰﾄ/再読込(&A)"),
                    Item(ID_COMMIT, "コミット(&C)"),
                    Separator(),
                    Item(ID_DELETE_ITEM, "削除(&D)\tDEL"),
                    Separator(),
                    Item(ID_COPY_ADD_VARIABLE, "変数をｺﾋﾟｰ追加(&N)\tINS"),
                    Item(ID_COPY_ADD_CACHE, "ｷｬｯｼｭをコピー追加(&E)\tCtrl+INS"),
                }),
          Popup("検索(&F)",
                {
                    Item(ID_SEARCH, "検索(&F)...\tCtrl+F"),
                    Item(ID_SEARCH_NEXT, "連続検索(&N)...\tF3"),
                }),
          Popup("表示(&V)",
                {
                    Item(ID_EXPAND_TOGGLE, "ﾂﾘｰ展開(&E)", kChecked),
                    Item(ID_SORT, "ｿｰﾄ(&S)..."),
                    Item(ID_TOGGLE_GMT, "ｸﾞﾘﾆｯｼﾞ標準時(&Z)", kChecked),
                    Separator(),
                    Item(ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)"),
                    Item(ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"),
                }),
          Popup("ﾍﾙﾌﾟ(&H)",
                {
                    Item(ID_APP_ABOUT, "Tolvane のﾊﾞｰｼﾞｮﾝ情報(&A)..."),
                }),
      }};
  // The context menu keeps captions of its own, worded differently from the menu bar's.
  afx::MenuResource popupMenu{IDR_POPUP,
                              {
                                  Popup("Popup1",
                                        {
                                            Item(ID_ABORT_RELOAD, "ｱﾎﾞｰﾄ/再読込(&A)"),
                                            Item(ID_COMMIT, "コミット(&C)"),
                                            Separator(),
                                            Item(ID_DELETE_ITEM, "削除(&D)"),
                                            Item(ID_COPY_ADD_VARIABLE, "変数のをコピー追加(&N)"),
                                            Item(ID_COPY_ADD_CACHE, "ｷｬｯｼｭのコピー追加(&E)"),
                                        }),
                              }};
  return {std::move(mainMenu), std::move(popupMenu)};
}

std::vector<afx::AcceleratorTable> Accelerators() {
  // The three editing keys have no handler in the program; with no handler anywhere the
  // framework disables them, so they never reach the tree.
  return {{IDR_MAINFRAME,
           {
               {FVIRTKEY | FCONTROL, 'F', ID_SEARCH},
               {FVIRTKEY | FCONTROL, 'O', ID_STORE_OPEN},
               {FVIRTKEY | FCONTROL, 'R', ID_FILE_NEW},
               {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
               {FVIRTKEY, VK_DELETE, ID_DELETE_ITEM},
               {FVIRTKEY, VK_F3, ID_SEARCH_NEXT},
               {FVIRTKEY, VK_INSERT, ID_COPY_ADD_VARIABLE},
               {FVIRTKEY | FCONTROL, VK_INSERT, ID_COPY_ADD_CACHE},
               {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
               {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},
               {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},
           }}};
}

}  // namespace res::detail
