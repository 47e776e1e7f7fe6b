// Number text with the process-wide decimal separator (see the header for the rules).
#include "NumberText.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<char> g_separator{'.'};

constexpr int kSignificantDigits = 7;

}   // namespace

void SetDecimalSeparator(char separator)
{
    g_separator.store(separator, std::memory_order_relaxed);
}

char DecimalSeparator()
{
    return g_separator.load(std::memory_order_relaxed);
}

std::string NumberText(double value, int decimals)
{
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    decimals = std::clamp(decimals, 0, 20);
    const char separator = DecimalSeparator();

    // The 7 significant digits and the decimal exponent of the first one.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.*e", kSignificantDigits - 1, std::fabs(value));
    std::string digits;
    digits += buffer[0];
    digits.append(buffer + 2, kSignificantDigits - 1);
    const int exponent = std::atoi(buffer + kSignificantDigits + 2);
    const bool negative = std::signbit(value);

    if (exponent >= kSignificantDigits) {
        std::string mantissa = digits;
        while (mantissa.size() > 1 && mantissa.back() == '0') {
            mantissa.pop_back();
        }
        std::string text = negative ? "-" : "";
        text += mantissa[0];
        if (mantissa.size() > 1) {
            text += separator;
            text.append(mantissa, 1);
        }
        return text + "E" + std::to_string(exponent);
    }

    // Value = 0.d1d2...d7 * 10^(exponent+1). Keep the digits up to `decimals` places after
    // the point, rounding half away from zero on the decimal digits.
    const int integerDigits = exponent + 1;   // may be zero or negative
    const int keep = integerDigits + decimals;
    std::string kept;   // the kept digits; the last `decimals` of them follow the point
    if (keep >= kSignificantDigits) {
        kept = digits + std::string(keep - kSignificantDigits, '0');
    } else if (keep >= 0) {
        kept = digits.substr(0, keep);
        if (digits[keep] >= '5') {
            int pos = keep - 1;
            while (pos >= 0 && kept[pos] == '9') {
                kept[pos] = '0';
                --pos;
            }
            if (pos >= 0) {
                ++kept[pos];
            } else {
                kept.insert(kept.begin(), '1');
            }
        }
    }
    // Left-pad so that there is at least one digit before the point.
    if (static_cast<int>(kept.size()) < decimals + 1) {
        kept.insert(kept.begin(), decimals + 1 - kept.size(), '0');
    }
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    std::string text = (negative && !zero) ? "-" : "";
    text.append(kept, 0, kept.size() - decimals);
    if (decimals > 0) {
        text += separator;
        text.append(kept, kept.size() - decimals, std::string::npos);
    }
    return text;
}
