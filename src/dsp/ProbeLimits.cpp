#include "ProbeLimits.h"

#include "CoreText.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {
// Hanning's equivalent noise bandwidth; the small margin keeps Hanning itself below it.
constexpr double kHanningEnbw = 1.5 + 1e-9;

const char* axisName(int axis)
{
    static const char* const names[] = {"X", "Y", "Z"};
    return axis >= 0 && axis < 3 ? names[axis] : "?";
}

std::string format(const char* pattern, double a, const char* b = "")
{
    char buf[512];
    std::snprintf(buf, sizeof buf, pattern, a, b);
    return buf;
}
}

ProbeLimitCheck CheckProbeLimits(double bandHiHz, const std::array<double, 3>& spacings, double soundSpeed,
                                 double windowEnbw, int lineBin)
{
    ProbeLimitCheck out;
    for (int a = 0; a < 3; ++a) {
        if (!(spacings[a] > 0.0) || !(soundSpeed > 0.0))
            continue;
        // k dr = 1 at f = c / (2 pi dr).
        const double limit = soundSpeed / (2.0 * std::numbers::pi * spacings[a]);
        if (out.spacingLimitAxis < 0 || limit < out.spacingLimitHz) {
            out.spacingLimitHz = limit;
            out.spacingLimitAxis = a;
        }
    }
    out.aboveSpacingLimit = out.spacingLimitAxis >= 0 && bandHiHz > out.spacingLimitHz;
    if (lineBin >= 0 && lineBin < kWideWindowMinBin && windowEnbw > kHanningEnbw) {
        out.wideWindowNearZero = true;
        out.lineBin = lineBin;
    }
    return out;
}

std::string ProbeLimitTextRu(const ProbeLimitCheck& check)
{
    std::string text;
    if (check.aboveSpacingLimit)
        text +=
            FillArgs(CoreText("ProbeLimits", "Полоса выходит за %1 Гц, где kΔr = 1 для пары %2: направление "
                                             "и модуль вектора могут быть заметно искажены."),
                     {format("%.4g", check.spacingLimitHz), axisName(check.spacingLimitAxis)});
    if (check.wideWindowNearZero) {
        if (!text.empty())
            text += ' ';
        text += FillArgs(CoreText("ProbeLimits", "Линия лежит на отсчёте %1, ниже 20-го, а окно шире окна "
                                                 "Ханнинга: модуль может быть завышен."),
                         {format("%.0f", check.lineBin)});
    }
    return text;
}

std::string ProbeLimitTextEn(const ProbeLimitCheck& check)
{
    std::string text;
    if (check.aboveSpacingLimit)
        text += format("the band reaches above %.4g Hz, where k*dr = 1 for the %s pair: the "
                       "vector's direction and modulus may be noticeably wrong.",
                       check.spacingLimitHz, axisName(check.spacingLimitAxis));
    if (check.wideWindowNearZero) {
        if (!text.empty())
            text += ' ';
        text += format("the line lies at bin %.0f, below bin 20, with a window wider than "
                       "Hanning: its modulus may be too high.",
                       check.lineBin);
    }
    return text;
}
