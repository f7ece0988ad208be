#pragma once

// The program's own date and time texts; every conversion between dates and text uses these,
// whatever the desktop's locale says.
namespace DateFormats {
inline constexpr char kDate[] = "yyyy-MM-dd";
inline constexpr char kTime[] = "HH:mm:ss";
inline constexpr char kDateTime[] = "yyyy-MM-dd HH:mm:ss";
} // namespace DateFormats
