// The about box.
#include "ResourceParts.h"
#include "res/ResourceIds.h"

namespace res::detail {

std::vector<afx::DialogTemplate> AppDialogs() {
  return {
      {IDD_ABOUTBOX,
       "Tolvaneのﾊﾞｰｼﾞｮﾝ情報",
       187,
       51,
       "ＭＳ Ｐゴシック",
       9,
       WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
       {
           {IDC_STATIC, afx::ControlKind::Icon, std::to_string(IDR_MAINFRAME), 11, 17, 20, 20, 0},
           {IDC_STATIC, afx::ControlKind::Static, "Tolvane Version 1.10", 40, 10, 84, 8, SS_LEFT},
           {IDC_STATIC, afx::ControlKind::Static, "Cookie編集ﾂｰﾙ", 40, 25, 82, 8, SS_LEFT},
           {IDOK, afx::ControlKind::DefPushButton, "OK", 138, 8, 38, 14, WS_GROUP | WS_TABSTOP},
       },
       {}}};
}

}  // namespace res::detail
