// The filtering passes of a designed cascade (RunFilterCascade of Filters.h), kept apart from the
// designs: this is the hot loop of every filter.
#include "Filters.h"

namespace {

// ---- The filtering passes ----
//
// Every stage is a direct-form recurrence from rest,
//   y[i] = N(x[i], x[i-1], x[i-2]) - a2 y[i-2] - a1 y[i-1],
// with the numerator N in the form the design gave it:
//   FirstOrder  b0 (x[i] + x[i-1])            (and no y[i-2] term)
//   LowPass     b0 (x[i] + 2 x[i-1] + x[i-2]), kept as a running sum of neighbour pairs
//   BandPass    b0 (x[i] - x[i-2])
//   Notch       b0 (x[i] + x[i-2]) + b1 x[i-1]
// The term with the newest output comes last, so that each stage's loop-carried chain is one
// multiply and one subtract. One such chain takes longer than the arithmetic of a sample, so
// up to kGroupStages consecutive stages of one form run in the same pass, sample by sample,
// their chains overlapping; each stage still does exactly the arithmetic it would do alone.

constexpr int kGroupStages = 3;

template <StageForm Form> struct StageState {
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

    double Step(const Biquad& s, double x0)
    {
        double y0;
        if constexpr (Form == StageForm::FirstOrder) {
            y0 = s.b0 * (x0 + x1) - s.a1 * y1;
            x1 = x0;
        } else if constexpr (Form == StageForm::LowPass) {
            // x2 holds x[i-1] + x[i-2] here.
            const double pairSum = x0 + x1;
            y0 = s.b0 * (pairSum + x2) - s.a2 * y2 - s.a1 * y1;
            x2 = pairSum;
            x1 = x0;
        } else if constexpr (Form == StageForm::BandPass) {
            y0 = s.b0 * (x0 - x2) - s.a2 * y2 - s.a1 * y1;
            x2 = x1;
            x1 = x0;
        } else {
            y0 = s.b0 * (x0 + x2) + s.b1 * x1 - s.a2 * y2 - s.a1 * y1;
            x2 = x1;
            x1 = x0;
        }
        y2 = y1;
        y1 = y0;
        return y0;
    }
};

// The stages of a group are separate locals, not an array, so that their state and
// coefficients stay in registers.
template <StageForm Form> void RunGroupOfForm(const Biquad* group, int stages, double* data, int count)
{
    static_assert(kGroupStages == 3);
    const Biquad first = group[0];
    StageState<Form> firstState;
    if (stages == 1) {
        for (int i = 0; i < count; ++i)
            data[i] = firstState.Step(first, data[i]);
        return;
    }
    const Biquad second = group[1];
    StageState<Form> secondState;
    if (stages == 2) {
        for (int i = 0; i < count; ++i)
            data[i] = secondState.Step(second, firstState.Step(first, data[i]));
        return;
    }
    const Biquad third = group[2];
    StageState<Form> thirdState;
    for (int i = 0; i < count; ++i)
        data[i] = thirdState.Step(third, secondState.Step(second, firstState.Step(first, data[i])));
}

void RunGroup(const Biquad* group, int stages, double* data, int count)
{
    switch (group[0].form) {
    case StageForm::FirstOrder:
        RunGroupOfForm<StageForm::FirstOrder>(group, stages, data, count);
        break;
    case StageForm::LowPass:
        RunGroupOfForm<StageForm::LowPass>(group, stages, data, count);
        break;
    case StageForm::BandPass:
        RunGroupOfForm<StageForm::BandPass>(group, stages, data, count);
        break;
    case StageForm::Notch:
        RunGroupOfForm<StageForm::Notch>(group, stages, data, count);
        break;
    }
}

}   // namespace

void RunFilterCascade(const FilterDesign& design, double* data, int count)
{
    // Stages are gathered in cascade order into groups of one form, at most kGroupStages long;
    // each group is one pass over the data.
    Biquad group[kGroupStages];
    int grouped = 0;
    for (int index = 0; index < design.SectionCount(); ++index) {
        const FilterSection section = design.Section(index);
        for (int j = 0; j < (section.order == 4 ? 2 : 1); ++j) {
            const Biquad& stage = section.stage[j];
            if (grouped == kGroupStages || (grouped > 0 && stage.form != group[0].form)) {
                RunGroup(group, grouped, data, count);
                grouped = 0;
            }
            group[grouped++] = stage;
        }
    }
    if (grouped > 0)
        RunGroup(group, grouped, data, count);
}
