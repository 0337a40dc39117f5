#pragma once

#include <QIcon>

// Kestrel's icon in every size it is drawn at, from the raw pixels that the build wrote into the
// resources: decoding a PNG would first have Qt scan and open its image-format plug-ins.
QIcon KestrelIcon();
