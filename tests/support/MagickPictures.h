#pragma once

#include <QColorSpace>
#include <QImage>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

// One of ImageMagick's built-in pictures ("wizard:", "logo:", "rose:") stretched to
// `size`: real drawings and photos for the encoder tests. Null when ImageMagick is missing.
inline QImage magickPicture(const QString& name, QSize size)
{
    QProcess convert;
    convert.start(
        QStringLiteral("convert"),
        {name, QStringLiteral("-resize"),
         QStringLiteral("%1x%2!").arg(size.width()).arg(size.height()), QStringLiteral("png:-")});
    if (!convert.waitForFinished(60000) || convert.exitCode() != 0) {
        return {};
    }
    QImage picture = QImage::fromData(convert.readAllStandardOutput(), "PNG")
                         .convertToFormat(QImage::Format_RGB32);
    picture.setColorSpace(QColorSpace());  // plain pixels, as the canvas holds them
    return picture;
}
