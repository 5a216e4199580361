#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// The one reader of the pictures Zarvel shows on its own account: button
// icons, the icons desktop entries name, the tray's. Those files come from
// anywhere, so whatever one holds, reading it takes bounded time and memory:
//
// - only a regular file is read (a pipe would hold the panel until someone
//   writes to it, a device never ends), and no more than
//   `largestPictureFile` bytes of it;
// - it is decoded from memory: no decoder opens another file by name;
// - no more than `largestPicture` pixels are decoded, counted from the size
//   the decoder itself makes, not from a container's header: the PNG inside
//   an ICO or ICNS, a GIF's whole logical screen, a JPEG at the size it
//   decodes to after its own downscaling; of an animation, only the first
//   frame;
// - an SVG (or an SVGZ, inflated to at most `largestSvg` bytes) is drawn
//   from a clean copy: no processing instruction, entity or comment, no
//   deeper than a picture needs, and each <image> read under these same
//   rules, but never an SVG again (a picture that names itself would
//   recurse) and never larger than drawn.
//
// The result fits within `drawn`, keeping its aspect ratio (an invalid
// `drawn` keeps the picture's own size, within the same limits). A null
// image when the file cannot be read within them.
QImage readPicture(const QString &file, const QSize &drawn = QSize());

// The same for a picture already in memory (one an SVG holds or names), but
// never an SVG; `suffix` (of its file name, if any) names its format where
// its content does not.
QImage decodePicture(const QByteArray &bytes, const QSize &drawn, const QByteArray &suffix = QByteArray());

inline constexpr qint64 largestPictureFile = 8 << 20;
inline constexpr qint64 largestPicture = 2048 * 2048;
inline constexpr qint64 largestSvg = 2 << 20;
