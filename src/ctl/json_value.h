#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orva {

// A JSON value as orva-ctl's answers are made of; the Qt layer writes it
// out. Strings are UTF-8.
class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };
    using Array = std::vector<JsonValue>;
    using Object = std::vector<std::pair<std::string, JsonValue>>;

    JsonValue() = default;
    JsonValue(std::nullptr_t) {}
    JsonValue(bool b) : kind_(Kind::Bool), boolean_(b) {}
    JsonValue(double d) : kind_(Kind::Number), number_(d) {}
    JsonValue(int i) : JsonValue(static_cast<double>(i)) {}
    JsonValue(long i) : JsonValue(static_cast<double>(i)) {}
    JsonValue(std::string s) : kind_(Kind::String), text_(std::move(s)) {}
    JsonValue(std::string_view s) : JsonValue(std::string(s)) {}
    JsonValue(const char* s) : JsonValue(std::string(s)) {}
    JsonValue(Array a) : kind_(Kind::Array), items_(std::move(a)) {}
    JsonValue(Object o) : kind_(Kind::Object), members_(std::move(o)) {}

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }
    const bool* boolean() const { return kind_ == Kind::Bool ? &boolean_ : nullptr; }
    const double* number() const { return kind_ == Kind::Number ? &number_ : nullptr; }
    const std::string* string() const { return kind_ == Kind::String ? &text_ : nullptr; }
    const Array* array() const { return kind_ == Kind::Array ? &items_ : nullptr; }
    const Object* object() const { return kind_ == Kind::Object ? &members_ : nullptr; }

    // The member of that name in an object, or nullptr.
    const JsonValue* find(std::string_view key) const
    {
        for (const auto& [k, v] : members_) {
            if (k == key)
                return &v;
        }
        return nullptr;
    }

private:
    Kind kind_ = Kind::Null;
    bool boolean_ = false;
    double number_ = 0;
    std::string text_;
    Array items_;
    Object members_;
};

} // namespace orva
