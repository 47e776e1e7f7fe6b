#include "PowerCharts.h"

#include "BandAxisLabels.h"
#include "IntensityText.h"

#include <qcustomplot.h>

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr double kBarWidth = 0.7;
constexpr double kLevelSpanDb = 80.0;

struct GradeSeries {
    SurveyGrade grade;
    const char* name;
    const char* title;
    QColor color;
};

const std::array<GradeSeries, 4> kSeries = {{
    {SurveyGrade::Precision, "grade1", QT_TRANSLATE_NOOP("PowerCharts", "Класс 1 (точный)"),
     QColor(40, 140, 70)},
    {SurveyGrade::Engineering, "grade2", QT_TRANSLATE_NOOP("PowerCharts", "Класс 2 (технический)"),
     QColor(60, 110, 180)},
    {SurveyGrade::Survey, "grade3", QT_TRANSLATE_NOOP("PowerCharts", "Класс 3 (ориентировочный)"),
     QColor(230, 170, 40)},
    {SurveyGrade::None, "nograde", QT_TRANSLATE_NOOP("PowerCharts", "Класс не достигнут"),
     QColor(200, 70, 60)},
}};

std::vector<const SurveyPowerRow*> bandRows(const SurveyPowerTable& table)
{
    std::vector<const SurveyPowerRow*> rows;
    for (const SurveyPowerRow& row : table.rows)
        if (!row.aWeightedTotal)
            rows.push_back(&row);
    return rows;
}

}   // namespace

void DrawPowerChart(QCustomPlot& plot, const SurveyPowerTable& table)
{
    plot.clearPlottables();
    plot.clearItems();
    plot.legend->setVisible(true);
    plot.legend->setFont(plot.font());
    plot.xAxis->setVisible(true);
    plot.yAxis->setVisible(true);
    plot.yAxis->grid()->setVisible(true);
    plot.xAxis->grid()->setVisible(false);
    plot.xAxis->setLabel(QCoreApplication::translate("PowerCharts", "Полоса, Гц"));
    plot.yAxis->setLabel(QCoreApplication::translate("PowerCharts", "LW, дБ"));

    const std::vector<const SurveyPowerRow*> rows = bandRows(table);
    double top = -std::numeric_limits<double>::infinity();
    double bottom = std::numeric_limits<double>::infinity();
    for (const SurveyPowerRow* row : rows)
        if (row->power.powerLevelDb) {
            top = std::max(top, *row->power.powerLevelDb);
            bottom = std::min(bottom, *row->power.powerLevelDb);
        }
    double lower = 0.0, upper = 100.0;
    if (std::isfinite(top)) {
        upper = std::ceil((top + 5.0) / 10.0) * 10.0;
        lower = std::max(std::floor((bottom - 5.0) / 10.0) * 10.0, upper - kLevelSpanDb);
    }
    plot.yAxis->setRange(lower, upper);

    std::array<QCPBars*, kSeries.size()> bars{};
    for (size_t s = 0; s < kSeries.size(); ++s) {
        auto* b = new QCPBars(plot.xAxis, plot.yAxis);
        b->setObjectName(QString::fromLatin1(kSeries[s].name));
        b->setName(QCoreApplication::translate("PowerCharts", kSeries[s].title));
        b->setWidth(kBarWidth);
        b->setPen(QPen(kSeries[s].color.darker(130)));
        b->setBrush(kSeries[s].color);
        b->setBaseValue(lower);
        bars[s] = b;
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        const SurveyBandPower& p = rows[i]->power;
        if (!p.powerLevelDb || *p.powerLevelDb <= lower)
            continue;
        for (size_t s = 0; s < kSeries.size(); ++s)
            if (kSeries[s].grade == p.grade)
                bars[s]->addData(static_cast<double>(i), *p.powerLevelDb - lower);
    }
    for (QCPBars* b : bars)
        if (b->dataCount() == 0)
            b->removeFromLegend();
    plot.xAxis->setRange(-0.6, std::max<double>(static_cast<double>(rows.size()), 1.0) - 0.4);
    LabelPowerBands(plot, table);
}

void LabelPowerBands(QCustomPlot& plot, const SurveyPowerTable& table)
{
    QStringList names;
    for (const SurveyPowerRow* row : bandRows(table))
        names << SpectrumValueText(row->nominal, 6);
    LabelBandAxis(plot, names, {}, table.fraction);
}
