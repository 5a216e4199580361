#pragma once

class QStyle;

// Fusion, Qt's own style where the desktop sets none, with the frame of a
// group box drawn from the same picture, read by Zarvel's picture reader.
// Fusion loads that picture by file name alone, and Qt then asks every
// image plugin whether it reads it: the panel's first show would map the
// TIFF, WebP, MNG and SVG plugins and their libraries, which no button
// needs.
QStyle *fusionStyle();

// Puts fusionStyle() in Fusion's place when Fusion is the application's
// style; other styles stay.
void useOwnFusion();
