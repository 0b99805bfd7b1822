#pragma once

#include "core/base/Version.h"

namespace brindle
{

/// The application's name, as the desktop and the settings know it.
inline constexpr const char* kAppName = "Brindlewick";
/// The title of the application: message boxes carry it, the main window's caption begins with it.
inline constexpr const char* kAppTitle = "Brindlewick v" BRINDLE_VERSION_TEXT;
/// The notice of the years and the maker that follows the title in the main window's caption.
inline constexpr const char* kAppNotice = "(c) 2025 the Brindlewick developers";
/// The author line of the About box.
inline constexpr const char* kAppAuthor = "by the Brindlewick developers";
/// The local help page, below the application folder.
inline constexpr const char* kHelpFile = "help/index.html";

} // namespace brindle
