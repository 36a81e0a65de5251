#pragma once

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

// Records every message instead of showing a modal box.
class FakeDialogs final : public Dialogs
{
public:
    void information(QWidget*, const QString& text) override { messages.append(text); }

    QStringList messages;
};
