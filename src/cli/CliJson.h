// The JSON the batch tool writes: objects on one line with ", " between members and ": " after
// each name, and a document that is an array with one object per line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A JSON string literal, and a JSON number (null for a value JSON cannot hold).
std::string JsonString(const std::string& text);
std::string JsonNumber(double value);
// A direction angle of a vector of that modulus: null for a zero vector, which has none.
std::string JsonAngle(double modulus, double degrees);
// Items already in JSON, inline: "[a, b]".
std::string JsonArray(const std::vector<std::string>& items);
// The document a command prints: "[", each item on a line of its own, "]".
std::string JsonDocument(const std::vector<std::string>& items);

// Members in the order they are added.
class JsonObject {
public:
    JsonObject& raw(const std::string& name, const std::string& json);
    JsonObject& string(const std::string& name, const std::string& text)
    {
        return raw(name, JsonString(text));
    }
    JsonObject& number(const std::string& name, double value) { return raw(name, JsonNumber(value)); }
    JsonObject& integer(const std::string& name, int64_t value) { return raw(name, std::to_string(value)); }
    JsonObject& boolean(const std::string& name, bool value) { return raw(name, value ? "true" : "false"); }
    std::string text() const { return "{" + members_ + "}"; }

private:
    std::string members_;
};
