#pragma once
// The program's version block, shown by the splash window and the About box.

namespace Version {
inline constexpr const char* ProductName = "Lotwarden";
inline constexpr const char* ProductVersion = "1.0.0";
inline constexpr const char* PrivateBuild = "Linux build";
inline constexpr const char* LegalCopyright = "Copyright (C) 2000-2026 Ashgrove";
} // namespace Version
