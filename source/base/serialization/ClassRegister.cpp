#include "base/serialization/ClassRegister.h"

#include "base/CException.h"

#include <map>

namespace serialization {

namespace {
// Both maps live for the whole process and are never cleared; the tag map keeps every description alive.
std::map<std::string, std::shared_ptr<ClassDescriptionBase>>& tagMap() {
    static std::map<std::string, std::shared_ptr<ClassDescriptionBase>> map;
    return map;
}
std::map<std::type_index, ClassDescriptionBase*>& classMap() {
    static std::map<std::type_index, ClassDescriptionBase*> map;
    return map;
}
} // namespace

std::string classTag(std::string_view dottedName) {
    std::string tag = "C";
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = dottedName.find('.', start);
        const std::string_view part =
            dottedName.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        tag += std::to_string(part.size());
        tag += part;
        if (dot == std::string_view::npos) {
            return tag;
        }
        start = dot + 1;
    }
}

bool ClassRegister::isRegistered(const std::string& tag) {
    return tagMap().count(tag) != 0;
}

const ClassDescriptionBase* ClassRegister::findByTag(const std::string& tag) {
    const auto found = tagMap().find(tag);
    return found == tagMap().end() ? nullptr : found->second.get();
}

const ClassDescriptionBase* ClassRegister::findByClass(std::type_index type) {
    const auto found = classMap().find(type);
    return found == classMap().end() ? nullptr : found->second;
}

void ClassRegister::add(const std::string& tag, std::type_index type,
                        std::shared_ptr<ClassDescriptionBase> description) {
    if (tagMap().count(tag) != 0) {
        throw CException("There's already a class registered with the name " + tag);
    }
    ClassDescriptionBase* raw = description.get();
    tagMap()[tag] = std::move(description);
    // A class registered again under another tag is written under the newer one.
    classMap()[type] = raw;
}

} // namespace serialization
