#include "JsonLine.h"

#include <cstdio>

namespace vis::render {

std::string JsonString(const std::string& text) {
    std::string s = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += c;
        } else if (c == '\n') {
            s += "\\n";
        } else if (c == '\r') {
            s += "\\r";
        } else if (c == '\t') {
            s += "\\t";
        } else if (u < 0x20 || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            s += buf;
        } else {
            s += c;
        }
    }
    return s + "\"";
}

void JsonLine::Name(const char* name) {
    if (text_.size() > 1) text_ += ", ";
    text_ += JsonString(name) + ": ";
}

JsonLine& JsonLine::Field(const char* name, std::int64_t value) {
    Name(name);
    text_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Field(const char* name, std::optional<std::int64_t> value) {
    Name(name);
    text_ += value ? std::to_string(*value) : "null";
    return *this;
}

JsonLine& JsonLine::Field(const char* name, const std::string& text) {
    Name(name);
    text_ += JsonString(text);
    return *this;
}

JsonLine& JsonLine::Raw(const char* name, const std::string& json) {
    Name(name);
    text_ += json;
    return *this;
}

} // namespace vis::render
