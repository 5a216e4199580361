#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

// The SVG side of readPicture() (app/picture.h): what Qt's SVG reader is
// given is never the file as it came.

// An SVGZ's SVG, inflated here so that no more than `limit` bytes ever
// are; false for a larger one or a broken stream.
bool inflateSvgz(const QByteArray &packed, qint64 limit, QByteArray *svg);

// The elements, attributes and text of `svg` written anew, without the
// rest (processing instructions such as an xml-stylesheet, which Qt's
// reader would open by name, a DTD, comments); every <image> holds its
// picture (the first two do) as a PNG no larger than `drawn`, read from its data or from the
// regular file it names (relative to `folder`) by decodePicture(), or
// nothing. Empty for a document that does not parse, nests deeper or holds
// more elements than a picture needs.
QByteArray cleanSvg(const QByteArray &svg, const QString &folder, const QSize &drawn);
