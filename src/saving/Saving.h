#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class Dialogs;
class QImage;
class QWidget;

// The three saves of the main window. Each asks for a path, writes the canvas all
// or nothing, and returns the path written; empty when the user cancelled or the
// write failed (then the user has been told why and an existing file is intact).
namespace saving {

// The file of the current settings, asked for once a path has been chosen; nothing
// when the picture cannot be encoded.
using FileSource = std::function<std::optional<QByteArray>()>;

QString SaveJpeg(QWidget* parent, Dialogs& dialogs, const FileSource& file);
QString SavePng(QWidget* parent, Dialogs& dialogs, const FileSource& file);
QString SaveBmp(QWidget* parent, Dialogs& dialogs, const QImage& canvas);

}  // namespace saving
