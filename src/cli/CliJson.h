// The batch tool's one JSON writer: string and number literals, objects built field by field,
// and the array of objects every command's --json prints, so all of them share one layout:
//     [
//      {"file": "a.kvnb", "x": 1.5},
//      {"file": "b.kvnb", "x": null}
//     ]
#pragma once

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

// A JSON string literal, and a JSON number (null for a value JSON cannot hold).
std::string JsonString(const std::string& text);
std::string JsonNumber(double value);
// "[a, b, c]" of numbers.
std::string JsonNumbers(std::initializer_list<double> values);

// {"key": value, ...} in the order the fields were added; values are JSON text already
// (JsonString, JsonNumber, another object's text()) or given by the typed adders.
class JsonObject {
public:
    JsonObject& raw(const std::string& key, const std::string& json);
    JsonObject& string(const std::string& key, const std::string& text) { return raw(key, JsonString(text)); }
    JsonObject& number(const std::string& key, double value) { return raw(key, JsonNumber(value)); }
    JsonObject& boolean(const std::string& key, bool value) { return raw(key, value ? "true" : "false"); }
    std::string text() const { return "{" + fields_ + "}"; }

private:
    std::string fields_;
};

// The objects as one array, one object per line.
void WriteJsonArray(std::ostream& out, const std::vector<std::string>& objects);
