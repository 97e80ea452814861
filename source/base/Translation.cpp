#include "base/Translation.h"

#include "base/Log.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <libintl.h>

namespace fs = std::filesystem;

namespace {

struct STranslationState {
    ELanguage language = ELanguage::Japanese;
    std::string localeFolder;
    bool catalogBound = false;
};

STranslationState& fState() {
    static STranslationState state;
    return state;
}

bool fHoldsCatalog(const fs::path& folder) {
    std::error_code ignored;
    return fs::is_regular_file(folder / "en" / "LC_MESSAGES" / (std::string(kTextDomain) + ".mo"), ignored);
}

// gettext ignores LANGUAGE in the C locale and follows the process's locale otherwise, which may not exist
// here: the messages category is set to a UTF-8 locale every glibc has, and LANGUAGE names the catalog.
bool fBindCatalog(const std::string& folder) {
    const char* locale = nullptr;
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        locale = std::setlocale(LC_MESSAGES, name);
        if (locale != nullptr) {
            break;
        }
    }
    if (locale == nullptr) {
        fLogWarning("English texts are not available: no UTF-8 locale could be set for messages");
        return false;
    }
    ::setenv("LANGUAGE", "en", 1);
    if (::bindtextdomain(kTextDomain, folder.c_str()) == nullptr ||
        ::bind_textdomain_codeset(kTextDomain, "UTF-8") == nullptr) {
        fLogWarning("English texts are not available: the catalog in " + folder + " cannot be bound");
        return false;
    }
    // Any cached lookups are dropped when the domain is set again.
    ::textdomain(kTextDomain);
    return true;
}

} // namespace

const char* fTr(const char* japanese) {
    if (fState().language == ELanguage::Japanese || japanese == nullptr || *japanese == '\0') {
        return japanese;
    }
    return ::dgettext(kTextDomain, japanese);
}

std::string fTr(const std::string& japanese) {
    return fTr(japanese.c_str());
}

ELanguage fGetLanguage() {
    return fState().language;
}

bool fSetLanguage(ELanguage language) {
    STranslationState& state = fState();
    if (language == ELanguage::English && !state.catalogBound) {
        if (state.localeFolder.empty() || !fHoldsCatalog(state.localeFolder)) {
            fLogWarning("English texts are not available: no catalog found" +
                        (state.localeFolder.empty() ? std::string() : " in " + state.localeFolder));
            return false;
        }
        if (!fBindCatalog(state.localeFolder)) {
            return false;
        }
        state.catalogBound = true;
    }
    state.language = language;
    return true;
}

std::vector<std::string> fLocaleCandidates(const std::string& executable) {
    if (executable.empty()) {
        return {};
    }
    const fs::path folder = fs::path(executable).parent_path();
    return {(folder / "locale").lexically_normal().string(),
            (folder / ".." / "share" / "locale").lexically_normal().string()};
}

std::string fFindLocaleFolder(const std::string& executable) {
    for (const std::string& candidate : fLocaleCandidates(executable)) {
        if (fHoldsCatalog(candidate)) {
            return candidate;
        }
    }
    return {};
}

void fSetLocaleFolder(const std::string& folder) {
    STranslationState& state = fState();
    if (folder != state.localeFolder) {
        state.localeFolder = folder;
        state.catalogBound = false;
    }
}
