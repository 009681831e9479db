// Resources, an application object and a scripted message box for the framework's tests.
#pragma once

#include <platform/Hooks.h>

#include <string>
#include <vector>

#include "afx/Afx.h"

namespace afxtest {

// Command and control ids of the test resources.
enum : int {
  kMenu = 128,
  kDialogForm = 200,     // child form: edits, check box, read-only edit
  kDialogNumbers = 201,  // modal: three numbers, OK, Cancel
  kDialogChoice = 202,   // modal: radio group, combo, check box, text
  kCmdViewOnly = 32001,
  kCmdDocOnly = 32002,
  kCmdFrameOnly = 32003,
  kCmdAppOnly = 32004,
  kCmdEverywhere = 32005,
  kCmdNoHandler = 32006,
  kCmdDisabled = 32007,
  kEditName = 1001,
  kEditValue = 1002,
  kEditReadOnly = 1003,
  kCheckFlag = 1004,
  kEditMulti = 1005,
  kEditDay = 1010,
  kEditHour = 1011,
  kEditYear = 1012,
  kRadioFirst = 1020,
  kRadioSecond = 1021,
  kRadioThird = 1022,
  kCombo = 1023,
  kCheckOther = 1024,
  kEditText = 1025,
};

void RegisterTestResources();
/** How often the test application's own table ran a command. */
int AppCommandCount(UINT id);

/** Answers message boxes from a script and records what they said (as UTF-8). */
class ScriptedMessageBoxes {
 public:
  explicit ScriptedMessageBoxes(std::vector<int> answers = {});
  ~ScriptedMessageBoxes();
  std::vector<std::string> texts;
  std::vector<std::string> captions;
  std::vector<UINT> types;

 private:
  std::vector<int> m_answers;
};

/** Modal hook for the duration of a scope. */
class ScopedModalHook {
 public:
  explicit ScopedModalHook(afx::ModalHook hook) { afx::SetModalHook(std::move(hook)); }
  ~ScopedModalHook() { afx::SetModalHook(nullptr); }
};

}  // namespace afxtest
