// How the library states its version. On Windows it is a VERSIONINFO resource; natively the
// shared object carries the same answers as a text block that the version reader finds by
// its marker: "<marker>\0<query>=<value>\0...\0\0", queries spelled as for VerQueryValue.
#pragma once

namespace xlversion {

inline constexpr char kMarker[] = "QuorvixVersionBlock";
inline constexpr char kFileVersion[] = "4.0.0.0";

}  // namespace xlversion
