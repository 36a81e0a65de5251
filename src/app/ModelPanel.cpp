#include "app/ModelPanel.h"

#include "common/PhoneModel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

QLineEdit* addRow(QGridLayout* grid, int row, const QString& caption, const QString& objectName,
                  const QString& value, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    auto* field = new QLineEdit(value, parent);
    field->setObjectName(objectName);
    field->setAccessibleName(caption);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

}  // namespace

ModelPanel::ModelPanel(const PhoneModel& phone, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ModelPanel"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    addRow(grid, 0, QStringLiteral("キャリア"), QStringLiteral("lblCarrier"), phone.carrierName,
           this);
    addRow(grid, 1, QStringLiteral("機種名"), QStringLiteral("lblModel"), phone.modelName, this);
    addRow(grid, 2, QStringLiteral("縦サイズ"), QStringLiteral("lblHeight"),
           QString::number(phone.height), this);
    addRow(grid, 3, QStringLiteral("横サイズ"), QStringLiteral("lblWidth"),
           QString::number(phone.width), this);
    QLineEdit* limit = addRow(grid, 4, QStringLiteral("サイズ上限"), QStringLiteral("lblLimit"),
                              phone.sizeLimitKB, this);
    limit->setAlignment(Qt::AlignRight);
    grid->addWidget(new QLabel(QStringLiteral("KByte"), this), 4, 2);
    grid->setColumnStretch(1, 1);
}
