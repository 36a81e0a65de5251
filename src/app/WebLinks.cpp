#include "app/WebLinks.h"

#include "platform/AppPaths.h"

#include <QDesktopServices>
#include <QUrl>

namespace weblinks {

void openAddress(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}

void openHelp()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(apppaths::resolve(u"HELP.html")));
}

}  // namespace weblinks
