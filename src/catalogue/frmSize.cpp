#include "catalogue/frmSize.h"

#include "catalogue/mdlSize.h"
#include "common/Twips.h"
#include "platform/Dialogs.h"
#include "platform/Labels.h"
#include "platform/PictureButton.h"
#include "platform/WindowPlacement.h"
#include "platform/mdlIni.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

namespace {

constexpr int kClientWidthTwips = 8295;
constexpr int kClientHeightTwips = 7260;

// A one-line field the user reads but cannot operate.
QLineEdit* makeDisplayField(const QString& objectName, const QString& accessibleName,
                            QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setAccessibleName(accessibleName);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setAlignment(Qt::AlignRight);
    return field;
}

}  // namespace

frmSize::frmSize(SettingsFile& settings, Dialogs& dialogs, QString programFolder, QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_dialogs(dialogs),
      m_programFolder(std::move(programFolder))
{
    setObjectName(QStringLiteral("frmSize"));
    setWindowTitle(QStringLiteral("Sorakado"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    setFixedSize(twips::toPixels(kClientWidthTwips), twips::toPixels(kClientHeightTwips));
    // Wherever it is first shown: at start, or back from the scale dialog after a skip.
    placement::centreOnScreen(this);
}

frmSize::~frmSize() = default;

void frmSize::buildControls()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 14, 16, 14);
    root->setSpacing(8);

    root->addWidget(makeHeading(QStringLiteral("機種・ウィンドウスタイルの選択"),
                                QStringLiteral("lblTitle"), this));
    root->addWidget(
        makeLabel(QStringLiteral("ご使用の携帯電話の機種とPCのウィンドウスタイルを選択します。"),
                  QStringLiteral("lblLead"), this));
    root->addSpacing(10);

    root->addWidget(
        makeHeading(QStringLiteral("機種の選択"), QStringLiteral("lblModelHeading"), this));
    auto* models = new QGridLayout;
    models->setHorizontalSpacing(10);
    m_carriers = new QComboBox(this);
    m_carriers->setObjectName(QStringLiteral("Combo1"));
    m_carriers->setAccessibleName(QStringLiteral("キャリア"));
    m_carriers->setMinimumWidth(110);
    m_models = new QComboBox(this);
    m_models->setObjectName(QStringLiteral("Combo2"));
    m_models->setAccessibleName(QStringLiteral("機種名"));
    m_models->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_models->setMinimumContentsLength(14);
    QLabel* carrierLabel =
        makeLabel(QStringLiteral("キャリア"), QStringLiteral("lblCarrier"), this);
    QLabel* modelLabel = makeLabel(QStringLiteral("機種名"), QStringLiteral("lblModel"), this);
    carrierLabel->setBuddy(m_carriers);
    modelLabel->setBuddy(m_models);
    models->addWidget(carrierLabel, 0, 0);
    models->addWidget(m_carriers, 1, 0, Qt::AlignTop);
    models->addWidget(modelLabel, 0, 1);
    models->addWidget(m_models, 1, 1, Qt::AlignTop);

    auto* panel = new QGridLayout;
    m_height = makeDisplayField(QStringLiteral("Combo3"), QStringLiteral("縦サイズ"), this);
    m_width = makeDisplayField(QStringLiteral("Combo4"), QStringLiteral("横サイズ"), this);
    m_limit = makeDisplayField(QStringLiteral("Combo5"), QStringLiteral("サイズ上限"), this);
    panel->addWidget(makeLabel(QStringLiteral("縦サイズ"), QStringLiteral("lblHeight"), this), 0,
                     0);
    panel->addWidget(m_height, 0, 1);
    panel->addWidget(makeLabel(QStringLiteral("横サイズ"), QStringLiteral("lblWidth"), this), 1, 0);
    panel->addWidget(m_width, 1, 1);
    panel->addWidget(makeLabel(QStringLiteral("サイズ上限"), QStringLiteral("lblLimit"), this), 2,
                     0);
    panel->addWidget(m_limit, 2, 1);
    panel->addWidget(makeLabel(QStringLiteral("byte"), QStringLiteral("lblByte"), this), 2, 2);
    panel->setColumnMinimumWidth(1, 80);
    models->addLayout(panel, 0, 2, 2, 1);
    models->setColumnStretch(1, 1);
    root->addLayout(models);
    root->addSpacing(10);

    root->addWidget(makeHeading(QStringLiteral("ウィンドウスタイルの選択"),
                                QStringLiteral("lblStyleHeading"), this));
    auto* styles = new QHBoxLayout;
    m_classic = new QRadioButton(QStringLiteral("Windows クラシック スタイル"), this);
    m_classic->setObjectName(QStringLiteral("obtnStyle0"));
    m_xp = new QRadioButton(QStringLiteral("Windows XP スタイル"), this);
    m_xp->setObjectName(QStringLiteral("obtnStyle1"));
    m_styles = new QButtonGroup(this);
    m_styles->addButton(m_classic, FrameOffsets::kClassic);
    m_styles->addButton(m_xp, FrameOffsets::kWindowsXp);
    m_classic->setChecked(true);
    styles->addWidget(m_classic);
    styles->addWidget(m_xp);
    styles->addStretch();
    root->addLayout(styles);

    m_help = makeLabel(QString(), QStringLiteral("lblHelp"), this);
    m_help->setWordWrap(true);
    root->addWidget(m_help);
    root->addStretch();

    auto* bottom = new QHBoxLayout;
    m_skip = new QCheckBox(QStringLiteral("次回から機種・ウィンドウスタイルの選択をスキップする。"),
                           this);
    m_skip->setObjectName(QStringLiteral("chkSkip"));
    m_end = makePictureButton(QStringLiteral("cmdEnd"), QStringLiteral(" 終了"),
                              QStringLiteral("end"), this);
    m_next = makePictureButton(QStringLiteral("cmdNext"), QStringLiteral(" 次へ "),
                               QStringLiteral("next"), this);
    m_next->setDefault(true);
    bottom->addWidget(m_skip);
    bottom->addStretch();
    bottom->addWidget(m_end);
    bottom->addWidget(m_next);
    root->addLayout(bottom);

    for (QWidget* w : {static_cast<QWidget*>(m_carriers), static_cast<QWidget*>(m_models),
                       static_cast<QWidget*>(m_classic), static_cast<QWidget*>(m_xp),
                       static_cast<QWidget*>(m_skip), static_cast<QWidget*>(m_end)}) {
        w->setFocusPolicy(Qt::StrongFocus);
    }
    setTabOrder(m_carriers, m_models);
    setTabOrder(m_models, m_classic);
    setTabOrder(m_classic, m_xp);
    setTabOrder(m_xp, m_skip);
    setTabOrder(m_skip, m_end);
    setTabOrder(m_end, m_next);

    connect(m_carriers, &QComboBox::currentIndexChanged, this, &frmSize::onCarrierChanged);
    connect(m_models, &QComboBox::currentIndexChanged, this, &frmSize::onModelChanged);
    connect(m_styles, &QButtonGroup::idToggled, this, &frmSize::onStyleToggled);
    connect(m_next, &QPushButton::clicked, this, &frmSize::next);
    connect(m_end, &QPushButton::clicked, this, &frmSize::endRequested);
}

void frmSize::startUp()
{
    {
        const QSignalBlocker block(m_carriers);
        for (int carrier = 0; carrier < mdlSize::kCarrierCount; ++carrier) {
            m_carriers->addItem(mdlSize::carrierName(carrier));
        }
        m_carriers->setCurrentIndex(-1);
    }

    // Each selection runs its change handling as if the user had made it; the
    // carrier's loads the catalogue the rest of the plan depends on.
    const mdlSize::StoredChoice stored = mdlSize::LoadModelSettings(m_settings);
    const int carrier = mdlSize::storedCarrier(stored);
    if (carrier >= 0) {
        m_carriers->setCurrentIndex(carrier);
    }
    const mdlSize::StartPlan plan =
        mdlSize::planStart(stored, m_entries, !m_pendingMessages.isEmpty());
    if (plan.model >= 0) {
        m_models->setCurrentIndex(plan.model);
    }
    (plan.windowStyle == FrameOffsets::kWindowsXp ? m_xp : m_classic)->setChecked(true);
    m_skip->setChecked(plan.skip);
    m_help->setText(
        QStringLiteral("通常、Windows XPをご使用の方はWindows XP スタイルを、\n"
                       "それ以外のOSをご使用の方はWindows クラシック スタイルを選択ください。"));

    if (plan.then == mdlSize::StartPlan::Then::GoOn && goOn()) {
        return;
    }
    show();
    for (const QString& message : std::exchange(m_pendingMessages, {})) {
        m_dialogs.information(this, message);
    }
    if (plan.then == mdlSize::StartPlan::Then::ExplainAndShow) {
        goOn();
    }
}

void frmSize::tell(const QString& text)
{
    if (isVisible()) {
        m_dialogs.information(this, text);
    } else {
        m_pendingMessages.append(text);
    }
}

void frmSize::onCarrierChanged(int carrier)
{
    emit liveCaptureStopRequested();
    m_selection.phone = PhoneModel{};
    m_selection.phone.carrier = carrier;
    m_selection.phone.carrierName = mdlSize::carrierName(carrier);
    if (mdlSize::cataloguePath(carrier).isEmpty()) {
        return;
    }

    const CatalogueLoad load = mdlSize::LoadCatalogue(carrier, m_programFolder);
    m_entries = load.parse.entries;
    {
        const QSignalBlocker block(m_models);
        m_models->clear();
        for (const CatalogueEntry& entry : m_entries) {
            m_models->addItem(entry.modelName);
        }
        m_models->setCurrentIndex(-1);
    }
    onModelChanged(-1);
    const QString problem =
        catalogueProblemMessage(m_programFolder + mdlSize::cataloguePath(carrier), load);
    if (!problem.isEmpty()) {
        tell(problem);
    }
}

void frmSize::onModelChanged(int model)
{
    emit liveCaptureStopRequested();
    PhoneModel& phone = m_selection.phone;
    const bool valid = model >= 0 && model < m_entries.size();
    const CatalogueEntry entry = valid ? m_entries.at(model) : CatalogueEntry{};
    phone.model = valid ? model : -1;
    phone.modelName = entry.modelName;
    phone.height = entry.height;
    phone.width = entry.width;
    phone.fileSize = entry.fileSize;
    m_height->setText(valid ? QString::number(entry.height) : QString());
    m_width->setText(valid ? QString::number(entry.width) : QString());
    m_limit->setText(valid ? QString::number(entry.fileSize) : QString());
}

void frmSize::onStyleToggled(int style, bool checked)
{
    if (!checked) {
        return;
    }
    emit liveCaptureStopRequested();
    m_selection.frame = FrameOffsets::forStyle(style);
}

void frmSize::next()
{
    goOn();
}

bool frmSize::goOn()
{
    if (!mdlSize::canGoOn(m_carriers->currentText(), m_models->currentText())) {
        m_dialogs.information(this, QStringLiteral("キャリアまたは機種を選択してください。"));
        return false;
    }
    if (!mdlSize::SaveModelSettings(m_settings, m_carriers->currentIndex(),
                                    m_models->currentIndex(), m_selection.frame.windowStyle,
                                    m_skip->isChecked())) {
        // The choice still holds for this run; only the next start will not know it.
        m_dialogs.information(this, QStringLiteral("設定ファイル「%1」に書き込めませんでした。"
                                                   "選択した機種は次回の起動時には復元されません。")
                                        .arg(QDir::toNativeSeparators(m_settings.path())));
    }
    emit nextAccepted();
    return true;
}

void frmSize::closeEvent(QCloseEvent* event)
{
    // Closing the dialog through its frame ends the program, as " 終了" does.
    event->accept();
    emit endRequested();
}

void frmSize::reject()
{
    // Escape does not end the program behind the user's back; " 終了" does.
}
