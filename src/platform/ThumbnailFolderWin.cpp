#include "platform/ThumbnailFolder.h"

QString ThumbnailCacheFolder() {
    // No cache is shared with the file managers here (ThumbnailFolder.h).
    return {};
}
