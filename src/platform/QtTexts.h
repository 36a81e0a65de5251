#pragma once

class QCoreApplication;

namespace qttexts {

// Shows Qt's own texts (the save dialog, the colour and font dialogs, the edit fields'
// menus) in Japanese like the rest of the program, whatever the desktop's language.
// False, and Qt's English kept, when Qt's Japanese translations are not installed.
bool useJapanese(QCoreApplication& app);

}  // namespace qttexts
