// The language row of the key configuration: Auto (the command line's --language, else the locale),
// Japanese or English, kept in "dat/language.dat" in the player's folder (a file of its own beside the
// gamepad settings, which keep their format).
#pragma once

#include "base/Language.h"

#include <optional>
#include <string>

inline constexpr const char* kLanguageSettingsFile = "dat/language.dat";

// Nothing when there is no file; a damaged one is set aside (logged) and nothing is returned.
std::optional<ELanguageSetting> fLoadLanguageSetting(const std::string& path);
// Written to a temporary file and renamed over the old one. Throws CException when it cannot be written.
void fSaveLanguageSetting(const std::string& path, ELanguageSetting setting);

// At start-up: the --language option first, then the saved row, then the locale. False when English was
// chosen and its catalog cannot be used (the texts stay Japanese).
bool fStartLanguage(std::optional<ELanguage> commandLine, ELanguageSetting saved);
ELanguageSetting fGetLanguageSetting();
// Stores the row's choice and switches the game's texts to the language it means, at once. False when
// English was chosen and its catalog cannot be used (the texts stay as they were).
bool fApplyLanguageSetting(ELanguageSetting setting);
