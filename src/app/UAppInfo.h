#pragma once

namespace brindle
{

/// The application's name, as the desktop and the settings know it.
inline constexpr const char* kAppName = "Brindlewick";
/// The title of the application: message boxes carry it, the main window's caption begins with it.
inline constexpr const char* kAppTitle = "Brindlewick v2.02";
/// The notice of the years and the maker that follows the title in the main window's caption.
inline constexpr const char* kAppNotice = "(c) 2025 the Brindlewick developers";

} // namespace brindle
