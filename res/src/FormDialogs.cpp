// The two child forms of the detail pane: the cache entry form and the cookie variable form.
#include "ResourceParts.h"
#include "res/ResourceIds.h"

namespace res::detail {
namespace {

using K = afx::ControlKind;
constexpr char kFont[] = "ＭＳ Ｐゴシック";
// Child forms are created hidden; the detail view shows and places them.
constexpr uint32_t kFormStyle = WS_CHILD | DS_SETFONT;

}  // namespace

std::vector<afx::DialogTemplate> FormDialogs() {
  afx::DialogTemplate siteCache{
      IDD_SITECACHE_FORM,
      "",
      277,
      80,
      kFont,
      10,
      kFormStyle,
      {
          {IDC_STATIC, K::GroupBox, "Cookieｷｬｯｼｭ情報:", 2, 0, 272, 76, 0},
          {IDC_STATIC, K::Static, "ﾄﾞﾒｲﾝ:", 4, 14, 22, 8, SS_LEFT},
          {IDC_SITE, K::Edit, "", 32, 12, 238, 12, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
          {IDC_STATIC, K::Static, "格納先:", 4, 30, 26, 8, SS_LEFT},
          {IDC_LOCAL_FILE, K::Edit, "", 32, 28, 160, 12, WS_BORDER | WS_TABSTOP | ES_READONLY},
          {IDC_STATIC, K::Static, "ｻｲｽﾞ:", 196, 28, 18, 8, SS_LEFT},
          {IDC_SIZE, K::Edit, "", 218, 28, 52, 12, WS_BORDER | WS_TABSTOP | ES_READONLY | ES_RIGHT},
          {IDC_STATIC, K::Static, "HIT数:", 6, 44, 24, 8, SS_LEFT},
          {IDC_HIT_RATE, K::Edit, "", 10, 56, 22, 12,
           WS_BORDER | WS_TABSTOP | ES_READONLY | ES_RIGHT},
          {IDC_STATIC, K::Static, "有効期限:", 42, 46, 34, 8, SS_RIGHT},
          {IDC_EXPIRE_TIME, K::Edit, "", 80, 44, 76, 12, WS_BORDER | WS_TABSTOP | ES_RIGHT},
          {IDC_STATIC, K::Static, "最終ｱｸｾｽ:", 41, 62, 35, 8, SS_RIGHT},
          {IDC_ACCESS_TIME, K::Edit, "", 80, 60, 76, 12,
           WS_BORDER | WS_TABSTOP | ES_READONLY | ES_RIGHT},
          {IDC_STATIC, K::Static, "更新日時:", 160, 46, 32, 8, SS_RIGHT},
          {IDC_MODIFIED_TIME, K::Edit, "", 194, 44, 76, 12, WS_BORDER | WS_TABSTOP | ES_RIGHT},
          {IDC_STATIC, K::Static, "同期日時:", 160, 62, 32, 8, SS_RIGHT},
          {IDC_LAST_SYNC_TIME, K::Edit, "", 194, 60, 76, 12,
           WS_BORDER | WS_TABSTOP | ES_READONLY | ES_RIGHT},
      },
      {}};
  afx::DialogTemplate persetCookie{
      IDD_PERSETCOOKIE_FORM,
      "",
      277,
      104,
      kFont,
      10,
      kFormStyle,
      {
          {IDC_STATIC, K::GroupBox, "Cookie変数;", 2, 0, 272, 100, 0},
          {IDC_STATIC, K::Static, "ﾄﾞﾒｲﾝ:", 6, 14, 20, 8, SS_RIGHT},
          {IDC_DOMAIN, K::Edit, "", 32, 12, 196, 12, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
          {IDC_STATIC, K::Static, "ﾊﾟｽ:", 230, 14, 14, 8, SS_RIGHT},
          {IDC_NAME, K::Edit, "", 32, 28, 238, 12, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
          {IDC_EDIT_NAME, K::PushButton, "名...", 4, 28, 24, 12, WS_TABSTOP},
          {IDC_PATH, K::Edit, "", 248, 12, 20, 12,
           WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY},
          {IDC_EDIT_VALUE, K::PushButton, "値...", 4, 44, 24, 12, WS_TABSTOP},
          {IDC_VALUE, K::Edit, "", 32, 44, 238, 12, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
          {IDC_STATIC, K::Static, "有効期限:", 32, 62, 32, 8, SS_RIGHT},
          {IDC_EXPIRE, K::Edit, "", 72, 60, 76, 12,
           WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT},
          {IDC_STATIC, K::Static, "更新日時:", 158, 62, 32, 8, SS_RIGHT},
          {IDC_LAST_MODIFY, K::Edit, "", 194, 60, 76, 12,
           WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT},
          {IDC_FLAG_RESTRICTED, K::AutoCheckBox, "Restricted", 6, 76, 50, 10, WS_TABSTOP},
          {IDC_FLAG_3RDPARTY, K::AutoCheckBox, "3rdParty", 58, 76, 43, 10, WS_TABSTOP},
          {IDC_FLAG_PROMPT, K::AutoCheckBox, "Prompt", 102, 76, 39, 10, WS_TABSTOP},
          {IDC_FLAG_EVALUATE_P3P, K::AutoCheckBox, "Evaluate P3P", 156, 76, 58, 10, WS_TABSTOP},
          {IDC_FLAG_APPLY_P3P, K::AutoCheckBox, "Apply P3P", 218, 76, 48, 10, WS_TABSTOP},
          {IDC_FLAG_IE6, K::AutoCheckBox, "IE6", 6, 88, 26, 10, WS_TABSTOP},
          {IDC_FLAG_SESSION, K::AutoCheckBox, "Session", 58, 88, 41, 10, WS_TABSTOP},
          {IDC_FLAG_LEGACY, K::AutoCheckBox, "Legacy", 102, 88, 38, 10, WS_TABSTOP},
          {IDC_FLAG_SECURE, K::AutoCheckBox, "Secure", 156, 88, 39, 10, WS_TABSTOP},
          {IDC_FLAG_P3P, K::AutoCheckBox, "P3P", 218, 88, 28, 10, WS_TABSTOP},
      },
      {}};
  return {std::move(siteCache), std::move(persetCookie)};
}

}  // namespace res::detail
