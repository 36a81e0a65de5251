#pragma once

#include <QString>

class Dialogs;
class QImage;
class QWidget;
struct CompressionSettings;

// The three saves of the main window. Each asks for a path, writes the canvas all
// or nothing, and returns the path written; empty when the user cancelled or the
// write failed (then the user has been told why and an existing file is intact).
namespace saving {

QString SaveJpeg(QWidget* parent, Dialogs& dialogs, const QImage& canvas,
                 const CompressionSettings& settings);
QString SavePng(QWidget* parent, Dialogs& dialogs, const QImage& canvas,
                const CompressionSettings& settings);
QString SaveBmp(QWidget* parent, Dialogs& dialogs, const QImage& canvas);

}  // namespace saving
