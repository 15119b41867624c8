// The icon of the windows: the web running through a dryer, as quillmere.svg draws it for the
// desktop.
#pragma once

#include <QIcon>

namespace quillmere {

QIcon ApplicationIcon();

}  // namespace quillmere
