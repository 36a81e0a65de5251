#pragma once

#include <QString>

// The program's web addresses and its help file, opened with the user's programs.
namespace weblinks {

inline const QString kUploadPage = QStringLiteral("https://example.org/sorakado/upload/");
inline const QString kOfficialSite = QStringLiteral("https://example.org/sorakado/");
inline const QString kSupportBoard = QStringLiteral("https://example.org/sorakado/bbs/");

// Opens an address in the user's browser; a failure has no visible effect.
void openAddress(const QString& address);

// Opens HELP.html beside the program.
void openHelp();

}  // namespace weblinks
