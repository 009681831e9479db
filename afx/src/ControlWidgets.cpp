#include "ControlWidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "AfxInternal.h"
#include "WndClasses.h"
#include "afx/ResourceRegistry.h"
#include "afx/Text.h"

namespace afx::detail {

namespace {

// EN_SETFOCUS / EN_KILLFOCUS. Focus that comes back because a window was re-activated (after a
// modal dialog or message box closed) is not a new visit to the control, so it is not reported:
// a dialog opened from EN_SETFOCUS must not open again when its owner gets the focus back.
class EditFocusFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* obj, QEvent* event) override {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      const bool returning =
          reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
      if (!returning && g_suppressFocusNotify == 0) {
        auto* w = static_cast<QWidget*>(obj);
        NotifyControl(w, event->type() == QEvent::FocusIn ? EN_SETFOCUS : EN_KILLFOCUS);
      }
    }
    return false;
  }
};

EditFocusFilter* FocusFilter() {
  static EditFocusFilter* filter = new EditFocusFilter();
  return filter;
}

Qt::FocusPolicy TabPolicy(uint32_t style) {
  return (style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus;
}

}  // namespace

QWidget* MakeEdit(QWidget* parent, uint32_t style) {
  QWidget* result = nullptr;
  if (style & ES_MULTILINE) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setLineWrapMode((style & (ES_AUTOHSCROLL | WS_HSCROLL)) ? QPlainTextEdit::NoWrap
                                                                  : QPlainTextEdit::WidgetWidth);
    edit->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded
                                                          : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                            : Qt::ScrollBarAlwaysOff);
    edit->setTabChangesFocus(true);
    edit->setReadOnly(style & ES_READONLY);
    if (!(style & WS_BORDER)) edit->setFrameShape(QFrame::NoFrame);
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit,
                     [edit] { NotifyControl(edit, EN_CHANGE); });
    result = edit;
  } else {
    auto* edit = new QLineEdit(parent);
    edit->setFrame(style & WS_BORDER);
    edit->setReadOnly(style & ES_READONLY);
    if (style & ES_RIGHT) edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [edit] { NotifyControl(edit, EN_CHANGE); });
    result = edit;
  }
  result->setFocusPolicy(TabPolicy(style));
  result->installEventFilter(FocusFilter());
  return result;
}

void ButtonSetCheck(QAbstractButton* button, bool checked) {
  QButtonGroup* group = button->group();
  if (!checked && group && group->exclusive() && button->isChecked()) {
    group->setExclusive(false);
    button->setChecked(false);
    group->setExclusive(true);
    return;
  }
  button->setChecked(checked);
}

QWidget* MakeControl(QWidget* parent, const DialogItem& item,
                     const std::vector<std::string>* listItems) {
  const QString text = afx::ToQString(afx::Cp932(item.text));
  QWidget* w = nullptr;
  switch (item.kind) {
    case ControlKind::GroupBox: {
      auto* box = new QGroupBox(text, parent);
      box->setFocusPolicy(Qt::NoFocus);
      w = box;
      break;
    }
    case ControlKind::Static: {
      auto* label = new QLabel(text, parent);
      const uint32_t align = item.style & 0x3u;
      label->setAlignment((align == SS_RIGHT ? Qt::AlignRight
                           : align == 1      ? Qt::AlignHCenter
                                             : Qt::AlignLeft) |
                          Qt::AlignTop);
      label->setWordWrap(true);
      w = label;
      break;
    }
    case ControlKind::Icon: {
      auto* label = new QLabel(parent);
      label->setPixmap(IconPixmap(LoadIconResource(std::atoi(item.text.c_str()))));
      w = label;
      break;
    }
    case ControlKind::Edit:
      return MakeEdit(parent, item.style);
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
      auto* button = new QPushButton(text, parent);
      if (item.kind == ControlKind::DefPushButton || (item.style & BS_DEFPUSHBUTTON))
        button->setDefault(true);
      w = button;
      break;
    }
    case ControlKind::AutoCheckBox:
      w = new QCheckBox(text, parent);
      break;
    case ControlKind::AutoRadioButton: {
      auto* radio = new QRadioButton(text, parent);
      radio->setAutoExclusive(false);  // groups follow WS_GROUP, set up by the dialog
      w = radio;
      break;
    }
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      QStringList items;
      if (listItems)
        for (const std::string& s : *listItems) items << afx::ToQString(afx::Cp932(s));
      if (item.style & CBS_SORT) items.sort();
      combo->addItems(items);
      combo->setCurrentIndex(-1);
      QObject::connect(combo, &QComboBox::activated, combo,
                       [combo] { NotifyControl(combo, CBN_SELCHANGE); });
      w = combo;
      break;
    }
  }
  if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [button] { NotifyControl(button, BN_CLICKED); });
  }
  if (w && item.kind != ControlKind::GroupBox && item.kind != ControlKind::Static &&
      item.kind != ControlKind::Icon)
    w->setFocusPolicy(TabPolicy(item.style));
  return w;
}

bool IsEditWidget(const QWidget* w) {
  return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w);
}

BOOL EditGetModify(const QWidget* w) {
  if (auto* line = qobject_cast<const QLineEdit*>(w)) return line->isModified();
  if (auto* plain = qobject_cast<const QPlainTextEdit*>(w)) return plain->document()->isModified();
  return FALSE;
}

void EditSetModify(QWidget* w, BOOL modified) {
  if (auto* line = qobject_cast<QLineEdit*>(w)) line->setModified(modified);
  if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) plain->document()->setModified(modified);
}

BOOL EditSetReadOnly(QWidget* w, BOOL readOnly) {
  if (auto* line = qobject_cast<QLineEdit*>(w))
    line->setReadOnly(readOnly);
  else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
    plain->setReadOnly(readOnly);
  else
    return FALSE;
  return TRUE;
}

void EditSetSel(QWidget* w, int start, int end) {
  if (auto* line = qobject_cast<QLineEdit*>(w)) {
    if (start == 0 && end == -1)
      line->selectAll();
    else if (start < 0)
      line->deselect();
    else
      line->setSelection(start, (end < 0 ? int(line->text().size()) : end) - start);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
    if (start == 0 && end == -1)
      plain->selectAll();
    else {
      QTextCursor c = plain->textCursor();
      c.setPosition(start < 0 ? 0 : start);
      if (start >= 0)
        c.setPosition(end < 0 ? int(plain->document()->characterCount()) - 1 : end,
                      QTextCursor::KeepAnchor);
      plain->setTextCursor(c);
    }
  }
}

}  // namespace afx::detail
