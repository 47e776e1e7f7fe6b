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
    return std::isfinite(value) ? MachineNumber(value) : "null";
}

std::string JsonNumbers(std::initializer_list<double> values)
{
    std::string text = "[";
    for (double v : values)
        text += (text.size() > 1 ? ", " : "") + JsonNumber(v);
    return text + "]";
}

JsonObject& JsonObject::raw(const std::string& key, const std::string& json)
{
    fields_ += (fields_.empty() ? "" : ", ") + JsonString(key) + ": " + json;
    return *this;
}

void WriteJsonArray(std::ostream& out, const std::vector<std::string>& objects)
{
    out << "[";
    for (size_t i = 0; i < objects.size(); ++i)
        out << (i ? ",\n " : "\n ") << objects[i];
    out << "\n]\n";
}
