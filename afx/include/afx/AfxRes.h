// The framework's standard command, string and window ids (afxres.h values).
#pragma once

#define ID_SEPARATOR 0

#define ID_FILE_NEW 0xE100         // 57600
#define ID_FILE_OPEN 0xE101        // 57601
#define ID_FILE_CLOSE 0xE102       // 57602
#define ID_FILE_SAVE 0xE103        // 57603
#define ID_FILE_SAVE_AS 0xE104     // 57604
#define ID_EDIT_CLEAR 0xE120       // 57632
#define ID_EDIT_COPY 0xE122        // 57634
#define ID_EDIT_CUT 0xE123         // 57635
#define ID_EDIT_PASTE 0xE125       // 57637
#define ID_EDIT_UNDO 0xE12B        // 57643
#define ID_APP_EXIT 0xE141         // 57665
#define ID_APP_ABOUT 0xE140        // 57664
#define ID_VIEW_TOOLBAR 0xE800     // 59392
#define ID_VIEW_STATUS_BAR 0xE801  // 59393
#define ID_VIEW_REBAR 0xE804       // 59396

#define ID_INDICATOR_EXT 0xE700   // 59136
#define ID_INDICATOR_CAPS 0xE701  // 59137
#define ID_INDICATOR_NUM 0xE702   // 59138
#define ID_INDICATOR_SCRL 0xE703  // 59139
#define ID_INDICATOR_OVR 0xE704   // 59140
#define ID_INDICATOR_REC 0xE705   // 59141
#define ID_INDICATOR_KANA 0xE706  // 59142

#define AFX_IDS_APP_TITLE 0xE000    // 57344
#define AFX_IDS_IDLEMESSAGE 0xE001  // 57345

#define AFX_IDW_TOOLBAR 0xE800     // 59392
#define AFX_IDW_STATUS_BAR 0xE801  // 59393
#define AFX_IDW_REBAR 0xE804       // 59396
#define AFX_IDW_PANE_FIRST 0xE900  // 59648
#define AFX_IDW_PANE_LAST 0xE9FF

#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))
