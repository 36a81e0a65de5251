#include "app/frmAbout.h"

#include "common/Twips.h"
#include "platform/Labels.h"
#include "platform/PictureButton.h"

#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

constexpr int kClientWidthTwips = 4650;
constexpr int kClientHeightTwips = 1470;

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcon"));
    icon->setPixmap(QPixmap(QStringLiteral(":/icons/sorakado-48.png")));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    QLabel* version =
        makeLabel(QStringLiteral("Sorakado ver.1.23"), QStringLiteral("lblVersion"), this);
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    QLabel* note = makeLabel(QStringLiteral("スクリーンの一部を携帯電話の待ち受け画像にします。"),
                             QStringLiteral("lblNote"), this);

    QPushButton* ok = makePictureButton(QStringLiteral("cmdOk"), QStringLiteral(" OK"),
                                        QStringLiteral("ok"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // The note wraps beside the icon; the button sits beside the version line, so
    // everything fits the small fixed client area at any font size within reason.
    note->setWordWrap(true);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    grid->addWidget(icon, 0, 0, 2, 1);
    grid->addWidget(version, 0, 1, Qt::AlignVCenter);
    grid->addWidget(ok, 0, 2);
    grid->addWidget(note, 1, 1, 1, 2, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);

    setFixedSize(twips::toPixels(kClientWidthTwips), twips::toPixels(kClientHeightTwips));
}
