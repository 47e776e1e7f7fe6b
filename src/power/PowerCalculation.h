// The survey window's calculation: every point's recording read and analysed into its bands
// off the interface thread, with the wait notice, each point's failure kept for its own line.
#pragma once

#include "BackgroundWork.h"
#include "OctaveBands.h"
#include "Settings.h"
#include "SoundPower.h"
#include "SurveyPointAnalysis.h"

#include <QCoreApplication>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

struct PointAnalyses {
    WorkOutcome outcome = WorkOutcome::Done;
    std::vector<std::optional<BandAnalysis>> analyses;   // per point, none where it failed
    std::vector<QString> errors;                         // per point, empty where it was read
};

class PowerCalculation {
    // The window's own texts.
    Q_DECLARE_TR_FUNCTIONS(TPower)

public:
    // Analyses the points with `plan` (an audio point reads with the channel map and full scale its
    // open dialog remembers) under a wait notice over `window`; `progress` hears "Точка i из n…"
    // on the interface thread. Stops at the next point once `cancel` is set. Throws what the
    // background work throws.
    static PointAnalyses Run(QWidget* window, const std::vector<SurveyPoint>& points,
                             const Settings& settings, const PointAnalysisPlan& plan,
                             const std::atomic<bool>& cancel,
                             const std::function<void(const QString&)>& progress);
    // "точка 1 (P1, a.kvnb)": how the failure list names a point.
    static QString PointName(const SurveyPoint& point, size_t index);
};
