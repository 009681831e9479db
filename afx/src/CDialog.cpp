#include "afx/CDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

#include "AfxInternal.h"
#include "ControlWidgets.h"
#include "afx/CButton.h"
#include "afx/CComboBox.h"
#include "afx/CEdit.h"
#include "afx/CStatic.h"
#include "afx/CWinApp.h"
#include "afx/DialogUnits.h"
#include "afx/ResourceRegistry.h"
#include "afx/Text.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

namespace {

// Esc and the window's close button are IDCANCEL, handled by the dialog's table.
class AfxDialogWidget : public QDialog {
 public:
  using QDialog::QDialog;
  void reject() override {
    if (CWnd* wnd = CWnd::FromWidget(this)) wnd->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, 0));
  }
};

std::unique_ptr<CWnd> WrapperFor(afx::ControlKind kind) {
  switch (kind) {
    case afx::ControlKind::Edit:
      return std::make_unique<CEdit>();
    case afx::ControlKind::PushButton:
    case afx::ControlKind::DefPushButton:
    case afx::ControlKind::AutoCheckBox:
    case afx::ControlKind::AutoRadioButton:
      return std::make_unique<CButton>();
    case afx::ControlKind::ComboBox:
      return std::make_unique<CComboBox>();
    default:
      return std::make_unique<CStatic>();
  }
}

}  // namespace

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
  // The controls' widgets go with the dialog's widget; the wrappers must not outlive it.
  if (m_pWidget) {
    afx::detail::BindWidget(m_pWidget, nullptr);
    if (m_bOwnsWidget) delete m_pWidget.data();
  }
}

QWidget* CDialog::CreateWidget(QWidget* parent, const CREATESTRUCT&) { return new QWidget(parent); }

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  return CreateFromTemplate(nIDTemplate, pParentWnd, false);
}

BOOL CDialog::CreateFromTemplate(UINT nIDTemplate, CWnd* pParentWnd, bool modal) {
  if (m_pWidget) return FALSE;
  const afx::DialogTemplate* tmpl = afx::FindDialog(int(nIDTemplate));
  if (!tmpl) return FALSE;
  m_pTemplate = tmpl;
  m_nIDTemplate = nIDTemplate;
  if (pParentWnd) m_pParentWnd = pParentWnd;
  m_dwStyle = tmpl->style;

  QWidget* parentWidget = m_pParentWnd ? m_pParentWnd->GetClientWidget() : nullptr;
  const bool popup = modal || (tmpl->style & WS_POPUP) || !parentWidget;
  QWidget* w = nullptr;
  if (popup) {
    QWidget* owner = parentWidget ? parentWidget->window() : nullptr;
    if (!owner && AfxGetMainWnd()) owner = AfxGetMainWnd()->GetWidget();
    auto* dlg = new AfxDialogWidget(owner);
    dlg->setWindowTitle(afx::ToQString(afx::Cp932(tmpl->caption)));
    dlg->setModal(modal);
    dlg->setSizeGripEnabled(false);
    w = dlg;
  } else {
    w = new QWidget(parentWidget);
  }
  m_pWidget = w;
  m_bOwnsWidget = true;
  afx::detail::BindWidget(w, this);
  w->setObjectName(QStringLiteral("dialog%1").arg(nIDTemplate));

  const QFont font = afx::DialogFont(tmpl->font, tmpl->pointSize);
  w->setFont(font);
  const CSize base = afx::DialogBaseUnits(font);
  const CRect size = afx::DialogUnitsToPixels(0, 0, tmpl->cx, tmpl->cy, base);
  if (popup)
    w->setFixedSize(size.Width(), size.Height());
  else
    w->resize(size.Width(), size.Height());
  BuildControls(w);

  m_bEnded = false;
  m_nModalResult = -1;
  if (OnInitDialog()) FocusFirstTabStop();
  if (!modal && m_pWidget && (tmpl->style & WS_VISIBLE)) m_pWidget->show();
  return m_pWidget != nullptr;
}

void CDialog::BuildControls(QWidget* page) {
  const CSize base = afx::DialogBaseUnits(page->font());
  QButtonGroup* radioGroup = nullptr;
  QWidget* previousTabStop = nullptr;
  for (const afx::DialogItem& item : m_pTemplate->items) {
    const auto list = m_pTemplate->listItems.find(item.id);
    QWidget* w = afx::detail::MakeControl(
        page, item, list == m_pTemplate->listItems.end() ? nullptr : &list->second);
    if (!w) continue;
    w->setObjectName(QString::number(item.id));
    CRect r = afx::DialogUnitsToPixels(item.x, item.y, item.cx, item.cy, base);
    if (item.kind == afx::ControlKind::ComboBox) {
      // The template height includes the drop-down list; the closed box is one line high.
      r.bottom = r.top + w->sizeHint().height();
    } else if (item.kind == afx::ControlKind::Icon) {
      const QSize s = w->sizeHint();
      r.right = r.left + s.width();
      r.bottom = r.top + s.height();
    }
    w->setGeometry(r.left, r.top, r.Width(), r.Height());
    if (item.style & WS_DISABLED) w->setEnabled(false);

    if (item.style & WS_GROUP) radioGroup = nullptr;
    if (item.kind == afx::ControlKind::AutoRadioButton) {
      if (!radioGroup) {
        radioGroup = new QButtonGroup(page);
        radioGroup->setExclusive(true);
      }
      radioGroup->addButton(static_cast<QAbstractButton*>(w));
    }
    if (item.style & WS_TABSTOP) {
      if (previousTabStop) QWidget::setTabOrder(previousTabStop, w);
      previousTabStop = w;
    }

    std::unique_ptr<CWnd> wrapper = WrapperFor(item.kind);
    wrapper->Attach(w);
    wrapper->m_dwStyle = item.style;
    m_controls.push_back(wrapper.get());
    m_ownedControls.push_back(std::move(wrapper));
  }
}

void CDialog::FocusFirstTabStop() {
  if (!m_pTemplate) return;
  for (size_t i = 0; i < m_pTemplate->items.size() && i < m_controls.size(); ++i) {
    QWidget* w = m_controls[i]->GetWidget();
    if ((m_pTemplate->items[i].style & WS_TABSTOP) && w && w->isEnabled()) {
      GotoDlgCtrl(m_controls[i]);
      return;
    }
  }
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
  if (!pWndCtrl || !pWndCtrl->GetWidget()) return;
  QWidget* w = pWndCtrl->GetWidget();
  w->setFocus(Qt::TabFocusReason);
  if (auto* line = qobject_cast<QLineEdit*>(w)) line->selectAll();
}

INT_PTR CDialog::DoModal() {
  if (!CreateFromTemplate(m_nIDTemplate, m_pParentWnd, true)) return -1;
  auto* dlg = qobject_cast<QDialog*>(m_pWidget.data());
  m_bModal = true;
  if (const afx::ModalHook& hook = afx::detail::GetModalHook()) {
    if (!m_bEnded) {
      dlg->show();
      hook(*this);
    }
    // A dialog the hook left open is closed as the window's close button would.
    if (!m_bEnded && m_pWidget) OnCancel();
    if (!m_bEnded) EndDialog(IDCANCEL);
  } else if (!m_bEnded) {
    dlg->exec();
  }
  m_bModal = false;
  const int result = m_nModalResult;
  DestroyWindow();
  return result;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) {
  m_nModalResult = nResult;
  m_bEnded = true;
  if (auto* dlg = qobject_cast<QDialog*>(m_pWidget.data())) {
    if (m_bModal)
      dlg->done(nResult);
    else
      dlg->hide();
  } else if (m_pWidget) {
    m_pWidget->hide();
  }
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const CUserException&) {
    return FALSE;
  }
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}
