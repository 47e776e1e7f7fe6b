// Pictures the program draws for itself: the logo, the window icon and the toolbar glyphs.
// Drawn in code so they stay sharp at any size and need no image files.
#pragma once

#include <QIcon>
#include <QPixmap>

QPixmap SonorixLogo(const QSize& size);
QIcon SonorixIcon();

enum class Glyph { Open, Settings, Channels };
QIcon ToolbarGlyph(Glyph glyph);

// The maker's contact details shown by the about box and the link labels.
QString MakerWebAddress();
QString MakerEmail();
QString MakerPhone();
