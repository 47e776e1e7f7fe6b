#include "CliJson.h"

#include "CliSupport.h"

#include <cmath>
#include <cstdio>

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char ch : text) {
        switch (ch) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (ch < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", ch);
                out += buffer;
            } else {
                out += static_cast<char>(ch);
            }
        }
    }
    return out + '"';
}

std::string JsonNumber(double value)
{
    if (!std::isfinite(value)) {
        NoteNonFiniteNumber();
        return "null";
    }
    return MachineNumber(value);
}

std::string JsonAngle(double modulus, double degrees)
{
    return modulus > 0 ? JsonNumber(degrees) : "null";
}

std::string JsonArray(const std::vector<std::string>& items)
{
    std::string text = "[";
    for (size_t i = 0; i < items.size(); ++i)
        text += (i ? ", " : "") + items[i];
    return text + "]";
}

std::string JsonDocument(const std::vector<std::string>& items)
{
    std::string text = "[";
    for (size_t i = 0; i < items.size(); ++i)
        text += (i ? ",\n " : "\n ") + items[i];
    return text + "\n]\n";
}

JsonObject& JsonObject::raw(const std::string& name, const std::string& json)
{
    if (!members_.empty())
        members_ += ", ";
    members_ += JsonString(name) + ": " + json;
    return *this;
}
