#pragma once

#include <QPixmap>

namespace quadrilo {

// The program's logo, drawn at the given height.
QPixmap drawLogo(int height);

} // namespace quadrilo
