// The modal dialogs of the detail pane and the document: date entry, encoded string, sort,
// search and opening another store.
#include "ResourceParts.h"
#include "res/ResourceIds.h"

namespace res::detail {
namespace {

using K = afx::ControlKind;
constexpr char kFont[] = "ＭＳ Ｐゴシック";
constexpr uint32_t kModalStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr uint32_t kNumberEdit = ES_RIGHT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

afx::DialogTemplate DateInput() {
  // OK comes first so that it has the focus; the labels follow the eight tab stops.
  return {IDD_DATE_INPUT,
          "日付入力",
          107,
          39,
          kFont,
          9,
          kModalStyle,
          {
              {IDOK, K::DefPushButton, "OK", 79, 4, 25, 14, WS_TABSTOP},
              {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 79, 21, 25, 14, WS_TABSTOP},
              {IDC_YEAR, K::Edit, "", 3, 4, 20, 12, kNumberEdit},
              {IDC_MONTH, K::Edit, "", 33, 4, 13, 12, kNumberEdit},
              {IDC_DAY, K::Edit, "", 56, 4, 13, 12, kNumberEdit},
              {IDC_HOUR, K::Edit, "", 10, 21, 13, 12, kNumberEdit},
              {IDC_MINUTE, K::Edit, "", 33, 21, 13, 12, kNumberEdit},
              {IDC_SECOND, K::Edit, "", 56, 21, 13, 12, kNumberEdit},
              {IDC_STATIC, K::Static, "年", 24, 6, 8, 8, SS_LEFT},
              {IDC_STATIC, K::Static, "月", 47, 6, 8, 8, SS_LEFT},
              {IDC_STATIC, K::Static, "日", 70, 6, 8, 8, SS_LEFT},
              {IDC_STATIC, K::Static, "：", 24, 23, 8, 8, SS_LEFT},
              {IDC_STATIC, K::Static, "：", 47, 23, 8, 8, SS_LEFT},
          },
          {}};
}

afx::DialogTemplate EncodedString() {
  // The radio buttons are no tab stops, so the edit control is the first one and takes the
  // focus; its group style also closes the radio group.
  return {IDD_ENCODED_STRING,
          "ｴﾝｺｰﾄﾞ前の文字列編集",
          266,
          106,
          kFont,
          10,
          kModalStyle,
          {
              {IDC_STATIC, K::GroupBox, "ｴﾝｺｰﾄﾞ:", 4, 2, 206, 26, 0},
              {IDC_ENCODING_7BIT, K::AutoRadioButton, "7Bit", 10, 13, 34, 10, WS_GROUP},
              {IDC_ENCODING_EUC, K::AutoRadioButton, "EUC", 48, 13, 32, 10, 0},
              {IDC_ENCODING_SJIS, K::AutoRadioButton, "Shift-JIS", 84, 13, 48, 10, 0},
              {IDC_ENCODING_JIS, K::AutoRadioButton, "JIS", 136, 13, 30, 10, 0},
              {IDC_ENCODING_UTF8, K::AutoRadioButton, "UTF-8", 170, 13, 36, 10, 0},
              {IDC_ENCODED_TEXT, K::Edit, "", 4, 32, 206, 70,
               ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL |
                   WS_HSCROLL | WS_BORDER | WS_GROUP | WS_TABSTOP},
              {IDOK, K::DefPushButton, "OK", 216, 6, 44, 14, WS_TABSTOP},
              {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 216, 24, 44, 14, WS_TABSTOP},
          },
          {}};
}

afx::DialogTemplate Sort() {
  // The combo box keeps this order (no sort style): the dialog's index is the position.
  return {
      IDD_SORT,
      "ﾀﾞｲｱﾛｸﾞ",
      170,
      37,
      kFont,
      10,
      kModalStyle,
      {
          {IDC_STATIC, K::Static, "ｿｰﾄｷｰ:", 6, 8, 24, 8, SS_LEFT},
          {IDC_SORT_KEY, K::ComboBox, "", 36, 4, 92, 64,
           CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
          {IDC_SORT_ASCENDING, K::AutoRadioButton, "昇順", 40, 24, 32, 8, WS_GROUP | WS_TABSTOP},
          {IDC_SORT_DESCENDING, K::AutoRadioButton, "降順", 82, 24, 32, 8, 0},
          {IDOK, K::DefPushButton, "OK", 134, 4, 30, 14, WS_GROUP | WS_TABSTOP},
          {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 134, 20, 30, 14, WS_TABSTOP},
      },
      {{IDC_SORT_KEY,
        {
            "ﾄﾞﾒｲﾝ名のｱﾙﾌｧﾍﾞｯﾄ順",
            "最終利用日時（同期）順",
            "最終登録日時（変更）順",
            "有効期限順",
            "利用頻度順",
        }}}};
}

afx::DialogTemplate Search() {
  return {IDD_SEARCH,
          "ツリー検索",
          279,
          55,
          kFont,
          9,
          kModalStyle,
          {
              {IDC_STATIC, K::Static, "検索文字列:", 4, 10, 40, 8, SS_LEFT},
              {IDC_FIND_TEXT, K::Edit, "", 44, 8, 194, 12, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
              {IDC_STATIC, K::GroupBox, "検索対象:", 4, 24, 116, 28, 0},
              {IDC_FIND_DOMAIN, K::AutoCheckBox, "ﾄﾞﾒｲﾝ名", 12, 36, 39, 10, WS_TABSTOP},
              {IDC_FIND_NAME, K::AutoCheckBox, "変数名", 52, 36, 39, 10, WS_TABSTOP},
              {IDC_FIND_VALUE, K::AutoCheckBox, "値", 92, 36, 23, 10, WS_TABSTOP},
              {IDC_FIND_FROM_NEXT, K::AutoCheckBox, "現在選択の次から検索をする", 130, 32, 108, 16,
               WS_TABSTOP},
              {IDOK, K::DefPushButton, "OK", 244, 8, 32, 14, WS_TABSTOP},
              {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 244, 24, 32, 14, WS_TABSTOP},
          },
          {}};
}

afx::DialogTemplate OpenStore() {
  // The location edit comes first in the tab order: typing a path is the common case.
  return {IDD_OPEN_STORE,
          "ｽﾄｱを開く",
          300,
          86,
          kFont,
          9,
          kModalStyle,
          {
              {IDC_STATIC, K::Static, "場所:", 4, 8, 30, 8, SS_LEFT},
              {IDC_STORE_LOCATION, K::Edit, "", 36, 6, 176, 12,
               WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
              {IDC_STORE_BROWSE, K::PushButton, "参照(&B)...", 216, 5, 40, 14, WS_TABSTOP},
              {IDC_STATIC, K::Static,
               "ﾌｫﾙﾀﾞかﾌｧｲﾙ。種類を決めるときは 種類:ﾊﾟｽ"
               "（urlcache、netscape、firefox、chromium、wine）",
               36, 22, 220, 16, SS_LEFT},
              {IDC_STATIC, K::Static, "見つかったｽﾄｱ:", 4, 44, 60, 8, SS_LEFT},
              {IDC_STORE_FOUND, K::ComboBox, "", 4, 54, 252, 80,
               CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
              {IDOK, K::DefPushButton, "OK", 262, 5, 34, 14, WS_GROUP | WS_TABSTOP},
              {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 262, 22, 34, 14, WS_TABSTOP},
          },
          {}};
}

}  // namespace

std::vector<afx::DialogTemplate> ModalDialogs() {
  return {DateInput(), EncodedString(), Sort(), Search(), OpenStore()};
}

}  // namespace res::detail
