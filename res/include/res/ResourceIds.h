// Resource ids of Tolvane: commands, menus, icons, dialogs and their controls.
// The framework's standard ids are written exactly as the framework's own header writes them,
// so the two headers may be included in either order.
#pragma once

// Framework command and string ids.
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#ifndef ID_FILE_NEW
#define ID_FILE_NEW 0xE100  // 57600
#endif
#ifndef ID_FILE_OPEN
#define ID_FILE_OPEN 0xE101  // 57601
#endif
#ifndef ID_FILE_SAVE
#define ID_FILE_SAVE 0xE103  // 57603
#endif
#ifndef ID_FILE_SAVE_AS
#define ID_FILE_SAVE_AS 0xE104  // 57604
#endif
#ifndef ID_EDIT_CUT
#define ID_EDIT_CUT 0xE123  // 57635
#endif
#ifndef ID_EDIT_PASTE
#define ID_EDIT_PASTE 0xE125  // 57637
#endif
#ifndef ID_EDIT_UNDO
#define ID_EDIT_UNDO 0xE12B  // 57643
#endif
#ifndef ID_APP_ABOUT
#define ID_APP_ABOUT 0xE140  // 57664
#endif
#ifndef ID_APP_EXIT
#define ID_APP_EXIT 0xE141  // 57665
#endif
#ifndef ID_VIEW_TOOLBAR
#define ID_VIEW_TOOLBAR 0xE800  // 59392
#endif
#ifndef ID_VIEW_STATUS_BAR
#define ID_VIEW_STATUS_BAR 0xE801  // 59393
#endif
#ifndef ID_INDICATOR_EXT
#define ID_INDICATOR_EXT 0xE700  // 59136
#endif
#ifndef ID_INDICATOR_CAPS
#define ID_INDICATOR_CAPS 0xE701  // 59137
#endif
#ifndef ID_INDICATOR_NUM
#define ID_INDICATOR_NUM 0xE702  // 59138
#endif
#ifndef ID_INDICATOR_SCRL
#define ID_INDICATOR_SCRL 0xE703  // 59139
#endif
#ifndef ID_INDICATOR_OVR
#define ID_INDICATOR_OVR 0xE704  // 59140
#endif
#ifndef ID_INDICATOR_REC
#define ID_INDICATOR_REC 0xE705  // 59141
#endif
#ifndef ID_INDICATOR_KANA
#define ID_INDICATOR_KANA 0xE706  // 59142
#endif
#ifndef ID_SEPARATOR
#define ID_SEPARATOR 0
#endif
#ifndef AFX_IDS_APP_TITLE
#define AFX_IDS_APP_TITLE 0xE000  // 57344
#endif
#ifndef AFX_IDS_IDLEMESSAGE
#define AFX_IDS_IDLEMESSAGE 0xE001  // 57345
#endif

// Shared resource id of the main frame: menu, accelerators, tool bar, icon, document string.
#define IDR_MAINFRAME 128
// Context menu of the cookie tree.
#define IDR_POPUP 134

// Tree icons: two item pictures and two overlay marks.
#define IDI_MARK_LOADING 139
#define IDI_SITE 140
#define IDI_VARIABLE 141
#define IDI_MARK_MODIFIED 142

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_SITECACHE_FORM 101
#define IDD_PERSETCOOKIE_FORM 130
#define IDD_DATE_INPUT 136
#define IDD_ENCODED_STRING 137
#define IDD_SORT 138
#define IDD_SEARCH 141
#define IDD_OPEN_STORE 143

// Program commands.
#define ID_ABORT_RELOAD 32771
#define ID_COMMIT 32772
#define ID_DELETE_ITEM 32773
#define ID_COPY_ADD_VARIABLE 32775
#define ID_EXPAND_TOGGLE 32776
#define ID_SORT 32777
#define ID_SEARCH 32778
#define ID_COPY_ADD_CACHE 32779
#define ID_SEARCH_NEXT_HINT 32780
#define ID_SEARCH_NEXT 32781
#define ID_TOGGLE_GMT 32789
#define ID_STORE_OPEN 32790
#define ID_EXPORT_SITE_COOKIES_TXT 32791
#define ID_EXPORT_ALL_COOKIES_TXT 32792

// Cache entry form (101).
#define IDC_LOCAL_FILE 1001
#define IDC_EXPIRE_TIME 1003
#define IDC_MODIFIED_TIME 1004
#define IDC_ACCESS_TIME 1005
#define IDC_SIZE 1006
#define IDC_LAST_SYNC_TIME 1008
#define IDC_HIT_RATE 1018
#define IDC_SITE 1019

// Cookie variable form (130); 1003 and 1004 keep the cache entry form's meaning.
#define IDC_VALUE 1002
#define IDC_EXPIRE IDC_EXPIRE_TIME
#define IDC_LAST_MODIFY IDC_MODIFIED_TIME
#define IDC_PATH 1005
#define IDC_NAME 1007
#define IDC_EDIT_VALUE 1016
#define IDC_EDIT_NAME 1017
#define IDC_DOMAIN 1019
#define IDC_FLAG_SECURE 1020
#define IDC_FLAG_SESSION 1021
#define IDC_FLAG_3RDPARTY 1022
#define IDC_FLAG_PROMPT 1023
#define IDC_FLAG_RESTRICTED 1024
#define IDC_FLAG_P3P 1026
#define IDC_FLAG_EVALUATE_P3P 1027
#define IDC_FLAG_APPLY_P3P 1028
#define IDC_FLAG_IE6 1029
#define IDC_FLAG_LEGACY 1030

// Date entry dialog (136).
#define IDC_YEAR 1022
#define IDC_MONTH 1023
#define IDC_DAY 1024
#define IDC_HOUR 1025
#define IDC_MINUTE 1026
#define IDC_SECOND 1027

// Encoded string dialog (137).
#define IDC_ENCODING_EUC 1026
#define IDC_ENCODING_SJIS 1027
#define IDC_ENCODING_7BIT 1028
#define IDC_ENCODING_UTF8 1029
#define IDC_ENCODED_TEXT 1030
#define IDC_ENCODING_JIS 1031

// Sort dialog (138).
#define IDC_SORT_KEY 1031
#define IDC_SORT_ASCENDING 1032
#define IDC_SORT_DESCENDING 1033

// Search dialog (141).
#define IDC_FIND_TEXT 1033
#define IDC_FIND_DOMAIN 1034
#define IDC_FIND_NAME 1035
#define IDC_FIND_VALUE 1036
#define IDC_FIND_FROM_NEXT 1037

// Open store dialog (143).
#define IDC_STORE_FOUND 1040
#define IDC_STORE_LOCATION 1041
#define IDC_STORE_BROWSE 1042
