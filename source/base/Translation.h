// The game's texts in the chosen language. The Japanese texts are the message ids of the "tavoni" gettext
// domain: in Japanese they are shown as written, in English through the compiled catalog
// <locale folder>/en/LC_MESSAGES/tavoni.mo. scripts/update-po extracts every text marked below.
//
//   dx_DrawStringToHandle(x, y, fTr("ポーズ中"), colour, font);
//   constexpr SItem kQuit{"quit", fTrMark("おわる")};  ...  fTr(kQuit.label)
#pragma once

#include "base/Language.h"

#include <string>
#include <vector>

inline constexpr const char* kTextDomain = "tavoni";

// Marks a text kept in a table for the catalog; it is translated where it is shown.
constexpr const char* fTrMark(const char* japanese) {
    return japanese;
}

// The text in the current language; the text itself when the catalog has no translation for it.
// A printf format stays checked against its arguments through the translation.
__attribute__((format_arg(1))) const char* fTr(const char* japanese);
std::string fTr(const std::string& japanese);

ELanguage fGetLanguage();
// English needs the catalog: false (logged, and the language stays as it was) when it cannot be used.
bool fSetLanguage(ELanguage language);

// The folders the catalog is looked for in, from the program's path: beside the program (a build tree),
// then <prefix>/share/locale (installed).
std::vector<std::string> fLocaleCandidates(const std::string& executable);
// The first candidate holding the English catalog; empty when none does.
std::string fFindLocaleFolder(const std::string& executable);
// Where fSetLanguage looks for the catalog; set once at start-up (tests point it at their build).
void fSetLocaleFolder(const std::string& folder);
