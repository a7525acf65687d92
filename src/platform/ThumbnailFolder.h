#pragma once

#include <QString>

// The folder of the thumbnail cache that the desktop's file managers share:
// $XDG_CACHE_HOME/thumbnails, ~/.cache/thumbnails by default. Empty on Windows, whose own
// cache is not shared this way: pictures are then decoded afresh every time.
QString ThumbnailCacheFolder();
