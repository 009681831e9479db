#include "afx/CFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include "AfxInternal.h"
#include "afx/CWinApp.h"
#include "afx/CWnd.h"
#include "afx/Text.h"
#include "platform/PathText.h"

namespace {

// "desc|pattern;pattern|...||" to Qt's "desc (pattern pattern)" entries.
QStringList QtFilters(const CString& filter) {
  QStringList result;
  const QStringList parts = afx::ToQString(filter).split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    result << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return result;
}

// A name typed without an extension gets the default one, as the common dialog does.
QString WithDefaultExt(const QString& path, const CString& defExt) {
  if (defExt.IsEmpty() || path.isEmpty()) return path;
  if (!QFileInfo(path).fileName().contains(QLatin1Char('.')))
    return path + QLatin1Char('.') + afx::ToQString(defExt);
  return path;
}

}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName,
                         DWORD dwFlags, LPCTSTR lpszFilter, CWnd* pParentWnd)
    : m_bOpen(bOpenFileDialog),
      m_strDefExt(lpszDefExt),
      m_strFileName(lpszFileName),
      m_dwFlags(dwFlags),
      m_strFilter(lpszFilter),
      m_pParentWnd(pParentWnd) {}

INT_PTR CFileDialog::DoModal() {
  QString chosen;
  if (const afx::FileDialogHook& hook = afx::detail::GetFileDialogHook()) {
    const afx::FileDialogRequest request{m_bOpen != FALSE, m_strDefExt, m_strFileName, m_strFilter,
                                         m_dwFlags};
    const std::optional<CString> answer = hook(request);
    if (!answer) return IDCANCEL;
    chosen = QString::fromStdString(platform::PathFromProgram(answer->str()));
  } else {
    CWnd* owner = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    QFileDialog dialog(owner ? owner->GetWidget() : nullptr);
    dialog.setAcceptMode(m_bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(m_bOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!(m_dwFlags & OFN_OVERWRITEPROMPT))
      dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    // The type list shows each description as given, as the common dialog does; Qt would add
    // the patterns after it, which the descriptions already name.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = QtFilters(m_strFilter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!m_strDefExt.IsEmpty()) dialog.setDefaultSuffix(afx::ToQString(m_strDefExt));
    if (!m_strFileName.IsEmpty()) {
      dialog.selectFile(QString::fromStdString(platform::PathFromProgram(m_strFileName.str())));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return IDCANCEL;
    chosen = dialog.selectedFiles().first();
  }
  chosen = WithDefaultExt(chosen, m_strDefExt);
  // Paths cross into the program in CP932, losing nothing (platform/PathText.h).
  m_strFileSystemPath = chosen.toStdString();
  m_strPathName = CString(platform::PathToProgram(m_strFileSystemPath));
  return IDOK;
}

std::string CFileDialog::GetFileSystemPath() const { return m_strFileSystemPath; }

CString CFileDialog::GetFileName() const {
  const std::string& path = m_strPathName.str();
  const size_t slash = path.find_last_of('/');
  return CString(slash == std::string::npos ? path : path.substr(slash + 1));
}
