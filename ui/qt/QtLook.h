// Fonts and colours of the platform layer as Qt values.
#pragma once

#include <QColor>
#include <QFont>

#include "Platform.h"

namespace QtLook {

QColor ToQColor(Platform::Color colour);
// "Courier" becomes a fixed-pitch face and "System" the desktop's general face, both at the
// given pixel height and weight; another face is asked for by name.
QFont FontFor(const Platform::Font& font);
// The fixed-pitch family used in place of "Courier" when this machine has no such face.
QString FixedFamily();

}  // namespace QtLook
