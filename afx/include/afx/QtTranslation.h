// Qt's own texts in the program's language.
#pragma once

namespace afx {

/** Qt's own texts (message box buttons, the file dialog's labels and buttons) and its number and
 *  date formats in Japanese, like the rest of the window, whatever the system's language: loads
 *  Qt's Japanese translation into the application, once. False when no translation is
 *  installed (Debian: qt6-translations-l10n); Qt's texts then stay English. AfxWinMain calls it;
 *  hosts that build windows without it (tests) call it themselves. */
bool LoadQtTranslation();

}  // namespace afx
