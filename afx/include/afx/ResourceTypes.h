// Resource data as the program's res/ layer declares it and the framework builds windows from:
// dialog templates, menus, accelerators, the tool bar, icons and the string table. Texts are
// UTF-8 in source; the framework converts them where they meet code page 932 text.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Window and control styles used by the templates (winuser.h values).
#define WS_CHILD 0x40000000u
#define WS_VISIBLE 0x10000000u
#define WS_POPUP 0x80000000u
#define WS_CAPTION 0x00C00000u
#define WS_SYSMENU 0x00080000u
#define WS_BORDER 0x00800000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define WS_DISABLED 0x08000000u
#define DS_SETFONT 0x40u
#define DS_MODALFRAME 0x80u
#define ES_LEFT 0x0000u
#define ES_RIGHT 0x0002u
#define ES_MULTILINE 0x0004u
#define ES_AUTOVSCROLL 0x0040u
#define ES_AUTOHSCROLL 0x0080u
#define ES_READONLY 0x0800u
#define ES_WANTRETURN 0x1000u
#define SS_LEFT 0x0000u
#define SS_RIGHT 0x0002u
#define SS_ICON 0x0003u
#define BS_DEFPUSHBUTTON 0x0001u
#define CBS_DROPDOWNLIST 0x0003u
#define CBS_SORT 0x0100u

// Virtual keys and accelerator flags (winuser.h values).
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_F3 0x72
#define FVIRTKEY 0x01
#define FSHIFT 0x04
#define FCONTROL 0x08

namespace afx {

enum class ControlKind {
  GroupBox,
  Static,
  Icon,
  Edit,
  PushButton,
  DefPushButton,
  AutoCheckBox,
  AutoRadioButton,
  ComboBox,
};

/** One control of a dialog template; position and size in dialog units. */
struct DialogItem {
  int id;  // -1 (IDC_STATIC) for controls without an id
  ControlKind kind;
  std::string text;  // UTF-8; for an icon, the icon resource id in decimal
  int x, y, cx, cy;
  uint32_t style;  // WS_/ES_/SS_/BS_/CBS_ bits beyond the kind's own
};

struct DialogTemplate {
  int id;
  std::string caption;  // UTF-8; empty for child forms
  int cx, cy;           // dialog units
  std::string font;     // UTF-8 face name
  int pointSize;
  uint32_t style;  // WS_CHILD for forms; WS_POPUP|WS_CAPTION|WS_SYSMENU|DS_MODALFRAME for dialogs
  std::vector<DialogItem> items;                      // in template (tab) order
  std::map<int, std::vector<std::string>> listItems;  // combo box id -> initial items, in order
};

/** A menu item or popup: a popup has children; a separator has id 0 and no text. */
struct MenuItem {
  int id = 0;
  std::string text;  // UTF-8, "&" marks the mnemonic, "\t" separates the key hint
  bool checked = false;
  bool separator = false;
  std::vector<MenuItem> children;
};

struct MenuResource {
  int id;
  std::vector<MenuItem> popups;
};

struct Accelerator {
  uint8_t flags;  // FVIRTKEY | FCONTROL | FSHIFT
  uint16_t key;   // virtual key ('F', VK_DELETE, ...)
  int id;
};

struct AcceleratorTable {
  int id;
  std::vector<Accelerator> entries;
};

/** A picture as rows of palette characters; ' ' or '.' is transparent. */
struct Pixmap {
  int width, height;
  std::map<char, uint32_t> palette;  // 0xAARRGGBB
  std::vector<std::string> rows;     // height rows of width characters
};

struct ToolBarResource {
  int id;
  int buttonWidth, buttonHeight;  // 16 x 15
  std::vector<int> buttons;       // command ids in order; 0 is a separator
  std::vector<Pixmap> images;     // one per non-separator button, in order
};

struct IconResource {
  int id;
  Pixmap image;
};

/** Everything res/ provides; the application registers it with the framework at start. */
struct ResourceSet {
  std::vector<DialogTemplate> dialogs;
  std::vector<MenuResource> menus;
  std::vector<AcceleratorTable> accelerators;
  std::vector<ToolBarResource> toolBars;
  std::vector<IconResource> icons;
  std::map<int, std::string> strings;  // UTF-8
};

}  // namespace afx
