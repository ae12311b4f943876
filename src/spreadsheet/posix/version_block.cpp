// The native library's version block, in the form platform/file_version.h reads; Windows uses
// xl_version.rc.
#include <string_view>

#include "platform/file_version.h"

extern "C" [[gnu::used]] constexpr char xlVersionBlock[] =
    "QuorvixVersionBlock\0"
    "\\VarFileInfo\\Translation=080404B0\0"
    "\\StringFileInfo\\080404B0\\FileVersion=4.0.0.0\0"
    "\\StringFileInfo\\080404B0\\ProductVersion=4.0.0.0\0";

static_assert(std::string_view(xlVersionBlock) == platform::kVersionBlockMarker);
