#include "app/svgpicture.h"

// Where Qt reads no SVG (the Windows build's Qt has neither its SVG module
// nor an XML stream reader), no SVG is drawn at all.

bool inflateSvgz(const QByteArray &, qint64, QByteArray *svg)
{
    svg->clear();
    return false;
}

QByteArray cleanSvg(const QByteArray &, const QString &, const QSize &)
{
    return QByteArray();
}
