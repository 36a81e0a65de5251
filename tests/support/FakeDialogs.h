#pragma once

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

// Records every message instead of showing a modal box, and answers save dialogs
// from a script.
class FakeDialogs final : public Dialogs
{
public:
    void information(QWidget*, const QString& text) override { messages.append(text); }

    QString saveFileName(QWidget*, const QString& filter) override
    {
        saveFilters.append(filter);
        return savePaths.isEmpty() ? QString() : savePaths.takeFirst();
    }

    QStringList messages;
    QStringList savePaths;    // answers, in order; empty: cancelled
    QStringList saveFilters;  // the filters the dialogs were shown with
};
