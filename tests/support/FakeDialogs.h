#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

// Records every message instead of showing a modal box, and answers the other
// dialogs from a script (an empty script: the user cancels).
class FakeDialogs final : public Dialogs
{
public:
    void information(QWidget* parent, const QString& text) override
    {
        messages.append(text);
        parentsShown.append(parent && parent->window()->isVisible());
    }

    QString saveFileName(QWidget*, const QString& filter) override
    {
        saveFilters.append(filter);
        return savePaths.isEmpty() ? QString() : savePaths.takeFirst();
    }

    std::optional<QColor> chooseColour(QWidget*, const QColor& initial) override
    {
        colourStarts.append(initial);
        return colours.isEmpty() ? std::nullopt : colours.takeFirst();
    }

    std::optional<QFont> chooseFont(QWidget*, const QFont& initial) override
    {
        fontStarts.append(initial);
        return fonts.isEmpty() ? std::nullopt : fonts.takeFirst();
    }

    QStringList messages;
    QList<bool> parentsShown;              // whether each message's window was on the screen
    QStringList savePaths;                 // answers, in order; empty: cancelled
    QStringList saveFilters;               // the filters the dialogs were shown with
    QList<std::optional<QColor>> colours;  // answers; nullopt: cancelled
    QList<QColor> colourStarts;
    QList<std::optional<QFont>> fonts;  // answers; nullopt: cancelled
    QList<QFont> fontStarts;
};
