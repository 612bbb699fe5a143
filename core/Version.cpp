// Anchors the model library; the version texts themselves are compile-time constants.
#include "core/Version.h"

const char* LotwardenVersion()
{
    return Version::ProductVersion;
}
