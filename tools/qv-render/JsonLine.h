#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace vis::render {

// Builds one JSON object on one line, fields in the order they are added.
class JsonLine {
  public:
    JsonLine& Field(const char* name, std::int64_t value);
    JsonLine& Field(const char* name, std::optional<std::int64_t> value); // null when empty
    JsonLine& Field(const char* name, const std::string& text);
    // A field whose value is already JSON (an array, null).
    JsonLine& Raw(const char* name, const std::string& json);
    std::string Text() const { return text_ + "}"; }

  private:
    void Name(const char* name);
    std::string text_ = "{";
};

// The text as a JSON string literal; UTF-8 passes through, control characters are escaped.
std::string JsonString(const std::string& text);

} // namespace vis::render
