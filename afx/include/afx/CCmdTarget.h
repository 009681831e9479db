// Message and command tables. A class declares DECLARE_MESSAGE_MAP() and defines its table with
// BEGIN_MESSAGE_MAP(Class, Base) ... END_MESSAGE_MAP(); each entry binds a message, a command id
// or a control notification to a member function, named without its class:
//   BEGIN_MESSAGE_MAP(CLeftView, CTreeView)
//     ON_WM_DESTROY()
//     ON_NOTIFY_REFLECT(TVN_SELCHANGED, OnSelChanged)   // void OnSelChanged(NMHDR*, LRESULT*)
//     ON_COMMAND(32773, OnDeleteItem)                    // void OnDeleteItem()
//     ON_UPDATE_COMMAND_UI(32773, OnUpdateDelete)        // void OnUpdateDelete(CCmdUI*)
//     ON_EN_CHANGE(1019, OnChangeSite)                   // in a dialog: void OnChangeSite()
//     ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)        // a base class's public handler
//   END_MESSAGE_MAP()
// Tables chain to the base class's table; the most derived entry wins.
#pragma once

#include <afxcore/CObject.h>

#include "afx/AfxRes.h"
#include "afx/AfxTypes.h"

class CCmdTarget;
class CCmdUI;

/** A table entry's call: target is the object whose table matched; a1/a2 carry the arguments. */
typedef LRESULT (*AFX_PTHUNK)(CCmdTarget* target, void* a1, void* a2);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // WM_COMMAND, WM_NOTIFY, WM_DESTROY, ...; 0 ends the table
  UINT nCode;     // CN_COMMAND (== BN_CLICKED), CN_UPDATE_COMMAND_UI, EN_CHANGE, TVN_...
  UINT nID;       // command or control id (0 for window messages)
  UINT nLastID;
  AFX_PTHUNK pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

/** Filled when OnCmdMsg is asked only whether a handler exists. */
struct AFX_CMDHANDLERINFO {
  CCmdTarget* pTarget;
};

namespace afx::detail {
template <typename T>
struct MemberOf;
template <typename C, typename R, typename... A>
struct MemberOf<R (C::*)(A...)> {
  using type = C;
};
template <auto pmf>
LRESULT ThunkVoid(CCmdTarget* t, void*, void*) {
  (static_cast<typename MemberOf<decltype(pmf)>::type*>(t)->*pmf)();
  return 0;
}
template <auto pmf>
LRESULT ThunkCmdUI(CCmdTarget* t, void* a1, void*) {
  (static_cast<typename MemberOf<decltype(pmf)>::type*>(t)->*pmf)(static_cast<CCmdUI*>(a1));
  return 0;
}
template <auto pmf>
LRESULT ThunkNotify(CCmdTarget* t, void* a1, void* a2) {
  (static_cast<typename MemberOf<decltype(pmf)>::type*>(t)->*pmf)(static_cast<NMHDR*>(a1),
                                                                  static_cast<LRESULT*>(a2));
  return 0;
}
template <auto pmf>
LRESULT ThunkCreate(CCmdTarget* t, void* a1, void*) {
  return (static_cast<typename MemberOf<decltype(pmf)>::type*>(t)->*pmf)(
      static_cast<LPCREATESTRUCT>(a1));
}
}  // namespace afx::detail

#define DECLARE_MESSAGE_MAP()                       \
 protected:                                         \
  static const AFX_MSGMAP* GetThisMessageMap();     \
  const AFX_MSGMAP* GetMessageMap() const override; \
                                                    \
 private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass [[maybe_unused]] = theClass;                                    \
    typedef baseClass TheBaseClass;                                                 \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                   \
  { 0, 0, 0, 0, nullptr }                                                                   \
  }                                                                                         \
  ;                                                                                         \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, _messageEntries}; \
  return &messageMap;                                                                       \
  }

#define ON_COMMAND(id, memberFxn) \
  {WM_COMMAND, CN_COMMAND, UINT(id), UINT(id), &::afx::detail::ThunkVoid<&ThisClass::memberFxn>},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)    \
  {WM_COMMAND, CN_COMMAND, UINT(id), UINT(idLast), \
   &::afx::detail::ThunkVoid<&ThisClass::memberFxn>},
#define ON_UPDATE_COMMAND_UI(id, memberFxn)              \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, UINT(id), UINT(id), \
   &::afx::detail::ThunkCmdUI<&ThisClass::memberFxn>},
#define ON_CONTROL(code, id, memberFxn) \
  {WM_COMMAND, UINT(code), UINT(id), UINT(id), &::afx::detail::ThunkVoid<&ThisClass::memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn) \
  {WM_NOTIFY, UINT(code), UINT(id), UINT(id), &::afx::detail::ThunkNotify<&ThisClass::memberFxn>},
#define ON_NOTIFY_REFLECT(code, memberFxn)        \
  {WM_REFLECT_BASE + WM_NOTIFY, UINT(code), 0, 0, \
   &::afx::detail::ThunkNotify<&ThisClass::memberFxn>},
#define ON_WM_CREATE() {WM_CREATE, 0, 0, 0, &::afx::detail::ThunkCreate<&ThisClass::OnCreate>},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, &::afx::detail::ThunkVoid<&ThisClass::OnDestroy>},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, &::afx::detail::ThunkVoid<&ThisClass::OnClose>},

/** Root of everything that has a message table: windows, documents, the application. */
class CCmdTarget : public CObject {
 public:
  static const CRuntimeClass classCCmdTarget;
  const CRuntimeClass* GetRuntimeClass() const override;

  CCmdTarget() = default;
  ~CCmdTarget() override = default;

  /** Runs the handler for command nID with notification nCode (CN_COMMAND, CN_UPDATE_COMMAND_UI
   *  with pExtra a CCmdUI*, or a control code) from this object's table; TRUE when handled. With
   *  pHandlerInfo set, only reports whether a handler exists. Routing classes extend this. */
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

  /** The entry of this object's table chain for (message, code, id), or null. */
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;

  static const AFX_MSGMAP* GetThisMessageMap();

 protected:
  virtual const AFX_MSGMAP* GetMessageMap() const;
};
