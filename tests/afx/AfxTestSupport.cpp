#include "AfxTestSupport.h"

#include <codec/Cp932.h>

#include <map>

namespace afxtest {

namespace {

std::map<UINT, int> g_appCommands;

class CTestApp : public CWinApp {
 public:
  CTestApp() : CWinApp("Tolvane") {}

 protected:
  void OnAppOnly() { ++g_appCommands[kCmdAppOnly]; }
  void OnEverywhere() { ++g_appCommands[kCmdEverywhere]; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
ON_COMMAND(kCmdAppOnly, OnAppOnly)
ON_COMMAND(kCmdEverywhere, OnEverywhere)
END_MESSAGE_MAP()

CTestApp theApp;

using K = afx::ControlKind;

afx::DialogTemplate FormTemplate() {
  return {kDialogForm,
          "",
          200,
          80,
          "ＭＳ Ｐゴシック",
          10,
          WS_CHILD | DS_SETFONT,
          {
              {-1, K::Static, "名前:", 4, 4, 30, 8, SS_LEFT},
              {kEditName, K::Edit, "", 40, 2, 150, 12, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
              {kEditValue, K::Edit, "", 40, 16, 150, 12, WS_BORDER | WS_TABSTOP},
              {kEditReadOnly, K::Edit, "", 40, 30, 150, 12, WS_BORDER | WS_TABSTOP | ES_READONLY},
              {kCheckFlag, K::AutoCheckBox, "Secure", 4, 46, 50, 10, WS_TABSTOP},
              {kEditMulti, K::Edit, "", 60, 46, 130, 30,
               WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL},
          },
          {}};
}

afx::DialogTemplate NumbersTemplate() {
  constexpr uint32_t number = ES_RIGHT | WS_BORDER | WS_TABSTOP;
  return {kDialogNumbers,
          "数値",
          120,
          50,
          "ＭＳ Ｐゴシック",
          9,
          WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
          {
              {IDOK, K::DefPushButton, "OK", 80, 4, 34, 14, WS_TABSTOP},
              {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 80, 22, 34, 14, WS_TABSTOP},
              {kEditYear, K::Edit, "", 4, 4, 30, 12, number},
              {kEditDay, K::Edit, "", 4, 20, 30, 12, number},
              {kEditHour, K::Edit, "", 40, 20, 30, 12, number},
          },
          {}};
}

afx::DialogTemplate ChoiceTemplate() {
  return {kDialogChoice,
          "選択",
          170,
          70,
          "ＭＳ Ｐゴシック",
          10,
          WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
          {
              {kCombo, K::ComboBox, "", 4, 4, 90, 60, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
              {kRadioFirst, K::AutoRadioButton, "一", 4, 22, 30, 8, WS_GROUP | WS_TABSTOP},
              {-1, K::Static, "ラベル", 40, 22, 20, 8, 0},
              {kRadioSecond, K::AutoRadioButton, "二", 64, 22, 30, 8, 0},
              {kRadioThird, K::AutoRadioButton, "三", 100, 22, 30, 8, 0},
              {kCheckOther, K::AutoCheckBox, "他", 4, 36, 30, 10, WS_GROUP | WS_TABSTOP},
              {kEditText, K::Edit, "", 40, 36, 80, 12, WS_BORDER | WS_TABSTOP},
              {IDOK, K::DefPushButton, "OK", 130, 4, 34, 14, WS_GROUP | WS_TABSTOP},
              {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 130, 22, 34, 14, WS_TABSTOP},
          },
          {{kCombo, {"ﾄﾞﾒｲﾝ名のｱﾙﾌｧﾍﾞｯﾄ順", "有効期限順", "利用頻度順"}}}};
}

afx::Pixmap Square(uint32_t color, const char* pattern) {
  afx::Pixmap p{16, 16, {{'x', color}}, {}};
  for (int y = 0; y < 16; ++y) {
    std::string row;
    for (int x = 0; x < 16; ++x)
      row += pattern[0] == 'f' || (pattern[0] == 't' && y < 3) ? 'x' : '.';
    p.rows.push_back(row);
  }
  return p;
}

}  // namespace

int AppCommandCount(UINT id) { return g_appCommands[id]; }

void RegisterTestResources() {
  afx::ResourceSet set;
  set.dialogs = {FormTemplate(), NumbersTemplate(), ChoiceTemplate()};
  set.menus = {{kMenu,
                {{0,
                  "ﾃｽﾄ(&T)",
                  false,
                  false,
                  {{kCmdViewOnly, "View", false, false, {}},
                   {kCmdDocOnly, "Doc", false, false, {}},
                   {kCmdFrameOnly, "Frame", false, false, {}},
                   {kCmdAppOnly, "App", false, false, {}},
                   {kCmdEverywhere, "All", false, false, {}},
                   {0, "", false, true, {}},
                   {kCmdNoHandler, "None\tCtrl+Z", false, false, {}},
                   {kCmdDisabled, "Disabled\tDEL", false, false, {}},
                   {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)", true, false, {}},
                   {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", true, false, {}}}}}},
               {134,
                {{0,
                  "Popup1",
                  false,
                  false,
                  {{kCmdViewOnly, "View", false, false, {}},
                   {0, "", false, true, {}},
                   {kCmdEverywhere, "All", false, false, {}}}}}}};
  set.accelerators = {{kMenu,
                       {{FVIRTKEY | FCONTROL, 'R', kCmdViewOnly},
                        {FVIRTKEY, VK_DELETE, kCmdDisabled},
                        {FVIRTKEY, VK_INSERT, kCmdEverywhere},
                        {FVIRTKEY | FCONTROL, 'Z', kCmdNoHandler}}}};
  set.toolBars = {{kMenu,
                   16,
                   15,
                   {kCmdViewOnly, 0, kCmdDocOnly},
                   {Square(0xFFFFFF00u, "f"), Square(0xFF00FF00u, "f")}}};
  set.icons = {{140, Square(0xFFFFFF00u, "f")},
               {141, Square(0xFF00FF00u, "f")},
               {139, Square(0xFFFF0000u, "t")}};
  set.strings = {{AFX_IDS_APP_TITLE, "Tolvane"},
                 {AFX_IDS_IDLEMESSAGE, "ﾚﾃﾞｨ"},
                 {kMenu, "Tolvane\n\nCookie\n\n\nTolvane.Document\nCookie Document"},
                 {kCmdViewOnly, "ビューのコマンド\nビュー"},
                 {ID_INDICATOR_KANA, "ｶﾅ"},
                 {ID_INDICATOR_CAPS, "CAP"}};
  afx::RegisterResources(set);
}

ScriptedMessageBoxes::ScriptedMessageBoxes(std::vector<int> answers)
    : m_answers(std::move(answers)) {
  platform::SetMessageBoxHandler([this](HWND, const char* text, const char* caption, UINT type) {
    texts.push_back(codec::Cp932ToUtf8(text));
    captions.push_back(codec::Cp932ToUtf8(caption));
    types.push_back(type);
    if (m_answers.empty()) return IDOK;
    const int answer = m_answers.front();
    m_answers.erase(m_answers.begin());
    return answer;
  });
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() { platform::SetMessageBoxHandler(nullptr); }

}  // namespace afxtest
