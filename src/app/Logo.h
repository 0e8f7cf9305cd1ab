#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace quadrilo {

// The program's logo, drawn at the given height.
QPixmap drawLogo(int height);

// The program's icon (a white Q on a blue square, as quadrilo.svg draws it),
// size x size pixels.
QImage drawIcon(int size);
// The icon at the sizes window managers ask for.
QIcon programIcon();

} // namespace quadrilo
