// What the program does before the toolkit starts.
#pragma once

#include <string>

namespace vcl {

// Points fontconfig at the program's font mapping (beside the executable, or
// in the installed data folder) unless the user has set FONTCONFIG_FILE.
void UseProgramFontConfig(const std::string& executablePath);

// Puts the toolkit's own texts (file dialog columns, edit menus) into
// Japanese, when the translations are installed. Call after the application
// object is built.
void InstallToolkitTranslations();

// True when a display can be reached (or a platform was chosen explicitly).
bool DisplayAvailable();

}  // namespace vcl
