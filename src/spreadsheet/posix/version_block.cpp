// The native library's version block (see version_block.h); Windows uses xl_version.rc.
#include "spreadsheet/version_block.h"

extern "C" [[gnu::used]] const char xlVersionBlock[] =
    "QuorvixVersionBlock\0"
    "\\VarFileInfo\\Translation=080404B0\0"
    "\\StringFileInfo\\080404B0\\FileVersion=4.0.0.0\0"
    "\\StringFileInfo\\080404B0\\ProductVersion=4.0.0.0\0";
