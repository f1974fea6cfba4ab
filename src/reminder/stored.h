#pragma once
// Where the reminder's own last choices live in the registry (full paths, key and value name joined by the
// last backslash). The settings load them at start-up with the other options.
namespace dida::reg {
inline constexpr const char* kDefaultKind = "Software\\TORV\\默认功能";
inline constexpr const char* kDefaultAction = "Software\\TORV\\默认事件";
inline constexpr const char* kMusicPath = "Software\\TORV\\MP3路径";
}  // namespace dida::reg
