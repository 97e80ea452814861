// The process-wide register of classes that travel through class references of the archive: a class tag
// (the type signature "C" + length + module + length + class) names a class description that can create
// an instance and describe its fields.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <typeindex>

namespace serialization {

class Serializer;

// Root of every class that can be written through a class reference. A concrete class T also provides
//   static constexpr const char* kClassName   module-dotted name, e.g. "Stage.CHighScoreInfo"
//   void describe(Serializer&)                its fields, in their stored order
//   a default constructor (used when T is registered on the spot)
class Serializable {
public:
    virtual ~Serializable() = default;
    // The module-dotted name of the run-time class, as error texts show it.
    virtual std::string className() const = 0;
};

// "Stage.CHighScoreInfo" -> "C5Stage14CHighScoreInfo".
std::string classTag(std::string_view dottedName);

class ClassDescriptionBase {
public:
    virtual ~ClassDescriptionBase() = default;
    virtual std::shared_ptr<Serializable> create() const = 0;
    virtual const std::string& tag() const = 0;
    virtual void describe(Serializer& serializer, Serializable& object) const = 0;
};

// Description of a class registered on the spot: instances come from the default constructor.
template <class T> class ClassDescriptionDefault final : public ClassDescriptionBase {
public:
    explicit ClassDescriptionDefault(std::string tag) : tag_(std::move(tag)) {}
    std::shared_ptr<Serializable> create() const override { return std::make_shared<T>(); }
    const std::string& tag() const override { return tag_; }
    void describe(Serializer& serializer, Serializable& object) const override {
        static_cast<T&>(object).describe(serializer);
    }

private:
    std::string tag_;
};

// Description of a class registered ahead of time with its own factory.
template <class T> class ClassDescription final : public ClassDescriptionBase {
public:
    ClassDescription(std::string tag, std::function<std::shared_ptr<T>()> factory)
        : tag_(std::move(tag)), factory_(std::move(factory)) {}
    std::shared_ptr<Serializable> create() const override { return factory_(); }
    const std::string& tag() const override { return tag_; }
    void describe(Serializer& serializer, Serializable& object) const override {
        static_cast<T&>(object).describe(serializer);
    }

private:
    std::string tag_;
    std::function<std::shared_ptr<T>()> factory_;
};

class ClassRegister {
public:
    // Registers T under tag; fails with "There's already a class registered with the name " + tag when
    // the tag is taken.
    template <class T>
    static void registerClass(const std::string& tag, std::function<std::shared_ptr<T>()> factory) {
        add(tag, typeid(T), std::make_shared<ClassDescription<T>>(tag, std::move(factory)));
    }
    // Registers T under its own tag with its default constructor.
    template <class T> static void registerDefault() {
        const std::string tag = classTag(T::kClassName);
        add(tag, typeid(T), std::make_shared<ClassDescriptionDefault<T>>(tag));
    }

    static bool isRegistered(const std::string& tag);
    static const ClassDescriptionBase* findByTag(const std::string& tag);
    static const ClassDescriptionBase* findByClass(std::type_index type);

private:
    static void add(const std::string& tag, std::type_index type,
                    std::shared_ptr<ClassDescriptionBase> description);
};

} // namespace serialization
