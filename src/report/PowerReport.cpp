#include "PowerReport.h"

#include "OctaveBands.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kDpi = 300;
constexpr double kMm = kDpi / 25.4;
constexpr double kMargin = 12 * kMm;

// The sizes tried, from the most readable down, until everything fits on the page.
constexpr double kLargestSize = 8.5;
constexpr double kSmallestSize = 4.5;
constexpr double kMinChart = 45 * kMm;
constexpr double kMaxChart = 85 * kMm;

QString numberText(const QLocale& locale, double value, int decimals)
{
    return std::isfinite(value) ? locale.toString(value, 'f', decimals) : QStringLiteral("—");
}

QColor gradeColour(SurveyGrade grade)
{
    switch (grade) {
    case SurveyGrade::Precision:
        return QColor(46, 139, 87);
    case SurveyGrade::Engineering:
        return QColor(52, 101, 164);
    case SurveyGrade::Survey:
        return QColor(214, 137, 16);
    case SurveyGrade::None:
        break;
    }
    return QColor(192, 57, 43);
}

QString gradeName(int grade)
{
    switch (grade) {
    case 1:
        return QCoreApplication::translate("PowerReport", "точный");
    case 2:
        return QCoreApplication::translate("PowerReport", "технический");
    case 3:
        return QCoreApplication::translate("PowerReport", "ориентировочный");
    }
    return {};
}

// A normal along an axis by its face, any other as its components.
QString normalText(const std::array<double, 3>& n, const QLocale& locale)
{
    static const char* axes[] = {"x", "y", "z"};
    for (int k = 0; k < 3; ++k)
        if (std::fabs(std::fabs(n[static_cast<size_t>(k)]) - 1.0) < 1e-12)
            return QString(n[static_cast<size_t>(k)] > 0 ? QLatin1Char('+') : QChar(0x2212)) + axes[k];
    const auto component = [&](double v) { return locale.toString(std::fabs(v) < 5e-3 ? 0.0 : v, 'g', 2); };
    return QStringLiteral("(%1; %2; %3)").arg(component(n[0]), component(n[1]), component(n[2]));
}

struct Column {
    const char* title;
    double width;   // mm of the 186 mm the table spans
};

const Column kColumns[] = {
    {QT_TRANSLATE_NOOP("PowerReport", "Полоса, Гц"), 17},
    {QT_TRANSLATE_NOOP("PowerReport", "L_W, дБ"), 30},
    {QT_TRANSLATE_NOOP("PowerReport", "L_p, дБ"), 12},
    {QT_TRANSLATE_NOOP("PowerReport", "F2, дБ"), 11},
    {QT_TRANSLATE_NOOP("PowerReport", "F3, дБ"), 11},
    {"F4", 10},
    {QT_TRANSLATE_NOOP("PowerReport", "L_d, дБ"), 11},
    {QT_TRANSLATE_NOOP("PowerReport", "Крит. 1"), 11},
    {QT_TRANSLATE_NOOP("PowerReport", "Крит. 2"), 11},
    {"N ≥ 10", 10},
    {"F3−F2 ≤ 3", 18},
    {QT_TRANSLATE_NOOP("PowerReport", "Класс"), 11},
    {QT_TRANSLATE_NOOP("PowerReport", "Примечания"), 23},
};

QString columnTitle(const Column& column)
{
    return QCoreApplication::translate("PowerReport", column.title);
}

// The page, drawn at one base font size; measure() tells whether it fits, draw() paints it.
class Page {
    Q_DECLARE_TR_FUNCTIONS(PowerReport)

public:
    Page(QPainter& painter, QPaintDevice& device, const PowerReportInput& input, double size)
        : p_(painter), device_(device), in_(input), size_(size)
    {
        width_ = device.width() - 2 * kMargin;
    }

    QString number(double value, int decimals) const { return numberText(in_.locale, value, decimals); }

    QString number(const std::optional<double>& value, int decimals) const
    {
        return value ? number(*value, decimals) : QStringLiteral("—");
    }

    // The height of everything but the chart's plot.
    double measure()
    {
        paint_ = false;
        return sections(0.0);
    }

    void draw(double chartHeight)
    {
        paint_ = true;
        sections(chartHeight);
    }

private:
    QFont font(double delta, bool bold = false) const
    {
        QFont f;
        f.setFamilies(
            {QStringLiteral("DejaVu Sans"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
        f.setStyleHint(QFont::SansSerif);
        f.setPointSizeF(std::max(3.5, size_ + delta));
        f.setBold(bold);
        return f;
    }

    double lineHeight(const QFont& f) const { return QFontMetricsF(f, &device_).height(); }

    double textWidth(const QFont& f, const QString& text) const
    {
        return QFontMetricsF(f, &device_).horizontalAdvance(text);
    }

    QString elided(const QFont& f, const QString& text, double width,
                   Qt::TextElideMode mode = Qt::ElideRight) const
    {
        return QFontMetricsF(f, &device_).elidedText(text, mode, width);
    }

    // The font made smaller, down to 70 %, until the text fits the width.
    QFont fitted(QFont f, const QString& text, double width) const
    {
        const double smallest = f.pointSizeF() * 0.7;
        while (textWidth(f, text) > width && f.pointSizeF() - 0.25 >= smallest)
            f.setPointSizeF(f.pointSizeF() - 0.25);
        return f;
    }

    // Text wrapped to the width; returns its height.
    double paragraph(const QFont& f, double y, const QString& s, const QColor& colour)
    {
        const QRectF box(left(), y, width_, lineHeight(f) * 4);
        if (paint_) {
            p_.setFont(f);
            p_.setPen(colour);
            p_.drawText(box, Qt::TextWordWrap, s);
        }
        return QFontMetricsF(f, &device_).boundingRect(box, Qt::TextWordWrap, s).height();
    }

    void text(const QFont& f, const QRectF& box, int flags, const QString& s,
              const QColor& colour = Qt::black)
    {
        if (!paint_)
            return;
        p_.setFont(f);
        p_.setPen(colour);
        p_.drawText(box, flags | Qt::TextSingleLine, s);
    }

    double sections(double chartHeight)
    {
        double y = kMargin;
        y = header(y);
        y = surface(y + gap());
        y = table(y + gap());
        y = chart(y + gap(), chartHeight);
        y = conditions(y + gap());
        return y - kMargin;
    }

    static QString no() { return tr("нет"); }

    double gap() const { return lineHeight(font(0)) * 0.7; }
    double left() const { return kMargin; }

    double heading(double y, const QString& title)
    {
        const QFont f = font(1.5, true);
        text(f, QRectF(left(), y, width_, lineHeight(f)), Qt::AlignLeft | Qt::AlignVCenter, title);
        return y + lineHeight(f) * 1.15;
    }

    double header(double y)
    {
        const QFont title = font(5, true), body = font(0.5);
        text(title, QRectF(left(), y, width_, lineHeight(title)), Qt::AlignLeft,
             tr("Звуковая мощность по точкам измерения"));
        y += lineHeight(title) * 1.2;
        const QString created =
            in_.created.isEmpty()
                ? QDateTime::currentDateTime().toString(in_.locale.language() == QLocale::Russian
                                                            ? QStringLiteral("dd.MM.yyyy HH:mm")
                                                            : QStringLiteral("yyyy-MM-dd HH:mm"))
                : in_.created;
        const QString date = tr("Дата: %1").arg(created);
        const double dateWidth = textWidth(body, date) + 2 * kMm;
        const QString source = in_.source.trimmed().isEmpty() ? tr("не указан") : in_.source.trimmed();
        text(body, QRectF(left(), y, width_ - dateWidth, lineHeight(body)), Qt::AlignLeft,
             elided(body, tr("Источник: %1").arg(source), width_ - dateWidth));
        text(body, QRectF(left(), y, width_, lineHeight(body)), Qt::AlignRight, date);
        y += lineHeight(body);
        text(body, QRectF(left(), y, width_, lineHeight(body)), Qt::AlignLeft,
             elided(body, tr("Файл съёмки: %1").arg(QDir::toNativeSeparators(in_.surveyPath)), width_,
                    Qt::ElideMiddle));
        y += lineHeight(body);
        if (paint_) {
            p_.setPen(QPen(Qt::darkGray, 0.3 * kMm));
            p_.drawLine(QPointF(left(), y + 0.8 * kMm), QPointF(left() + width_, y + 0.8 * kMm));
        }
        return y + 1.2 * kMm;
    }

    bool read(size_t i) const
    {
        return in_.pointRead.empty() || (i < in_.pointRead.size() && in_.pointRead[i]);
    }

    double surface(double y)
    {
        y = heading(y, tr("Поверхность измерения"));
        const size_t n = in_.points.size();
        double area = 0.0, areaRead = 0.0;
        size_t readCount = 0;
        for (size_t i = 0; i < n; ++i) {
            area += in_.points[i].area;
            if (read(i)) {
                areaRead += in_.points[i].area;
                ++readCount;
            }
        }
        const QString summary =
            readCount < n ? tr("Точек: %1, прочитано %2 (непрочитанные зачёркнуты, в расчёт не вошли); "
                               "площадь %3 м², по "
                               "прочитанным точкам %4 м². В списке: метка, файл, площадь, м², нормаль.")
                                .arg(n)
                                .arg(readCount)
                                .arg(number(area, 2), number(areaRead, 2))
                          : tr("Точек: %1; площадь %2 м². В списке: метка, файл, площадь, м², нормаль.")
                                .arg(n)
                                .arg(number(area, 2));
        y += paragraph(font(0), y, summary, Qt::black) + lineHeight(font(0)) * 0.1;

        // The points in columns, down each column first.
        size_t columns = std::clamp<size_t>((n + 5) / 6, 1, 3);
        if ((n + columns - 1) / columns > 16)
            columns = 4;
        const size_t rows = (n + columns - 1) / columns;
        const QFont small = font(-1);
        const double row = lineHeight(small) * 1.05;
        const double columnWidth = width_ / static_cast<double>(columns);
        const double numberWidth = textWidth(small, QStringLiteral("00 "));
        for (size_t i = 0; i < n; ++i) {
            const SurveyPoint& point = in_.points[i];
            const double x = left() + columnWidth * static_cast<double>(i / rows);
            const double top = y + row * static_cast<double>(i % rows);
            const double inner = columnWidth - numberWidth - 2 * kMm;
            QFont f = small;
            f.setStrikeOut(!read(i));
            const QColor colour = read(i) ? Qt::black : Qt::gray;
            text(small, QRectF(x, top, numberWidth, row), Qt::AlignRight, QString::number(i + 1) + ' ',
                 Qt::gray);
            const double x0 = x + numberWidth;
            const QString label = QString::fromStdString(point.label);
            const QString file = QFileInfo(QString::fromStdString(point.file)).fileName();
            text(f, QRectF(x0, top, inner * 0.2, row), Qt::AlignLeft, elided(f, label, inner * 0.19), colour);
            text(f, QRectF(x0 + inner * 0.2, top, inner * 0.4, row), Qt::AlignLeft,
                 elided(f, file, inner * 0.39, Qt::ElideMiddle), colour);
            text(f, QRectF(x0 + inner * 0.6, top, inner * 0.13, row), Qt::AlignRight, number(point.area, 2),
                 colour);
            text(f, QRectF(x0 + inner * 0.76, top, inner * 0.24, row), Qt::AlignLeft,
                 elided(f, normalText(point.normal, in_.locale), inner * 0.24), colour);
        }
        return y + row * static_cast<double>(rows);
    }

    QStringList cells(const SurveyPowerRow& row) const
    {
        const SurveyBandPower& p = row.power;
        const auto criterion = [this](const std::optional<bool>& holds) {
            return holds ? (*holds ? tr("да") : no()) : QStringLiteral("—");
        };
        QStringList notes;
        if (row.cautions & kBandCautionSpacing)
            notes << QStringLiteral("kΔr");
        if (row.cautions & kBandCautionDynamic)
            notes << QStringLiteral("δpI");
        if (p.negativeMeanIntensity && !p.negativePower)
            notes << QStringLiteral("[I_n] < 0");
        return {row.aWeightedTotal ? tr("Сумма A") : QString::fromStdString(row.label),
                p.powerLevelDb ? number(p.powerLevelDb, 1) : tr("отрицательная мощность"),
                number(p.meanPressureLevelDb, 1),
                number(p.F2, 1),
                number(p.F3, 1),
                number(p.F4, 2),
                number(p.dynamicCapabilityDb, 1),
                criterion(p.criterion1),
                criterion(p.criterion2),
                criterion(p.enoughPoints),
                criterion(p.extraneousLimitHolds),
                p.grade == SurveyGrade::None ? no() : QString::number(static_cast<int>(p.grade)),
                notes.join(QStringLiteral(", "))};
    }

    double table(double y)
    {
        y = heading(y, in_.table.fraction == 1 ? tr("Звуковая мощность в октавных полосах")
                                               : tr("Звуковая мощность в третьоктавных полосах"));
        // Never larger than 7.5 pt: the longest cell, a negative power, keeps to its column.
        QFont body = font(-0.5), bold = font(-0.5, true);
        body.setPointSizeF(std::min(body.pointSizeF(), 7.5));
        bold.setPointSizeF(body.pointSizeF());
        const double row = lineHeight(body) * 1.25;
        const double scale = width_ / (186 * kMm);
        std::vector<double> xs{left()};
        for (const Column& c : kColumns)
            xs.push_back(xs.back() + c.width * kMm * scale);
        const auto cell = [&](size_t k, double top) {
            return QRectF(xs[k] + 0.6 * kMm, top, xs[k + 1] - xs[k] - 1.2 * kMm, row);
        };

        // The titles in one line each, in a smaller font where a column is narrow for them.
        QFont head = bold;
        const auto fits = [&] {
            for (size_t k = 0; k < std::size(kColumns); ++k)
                if (textWidth(head, columnTitle(kColumns[k])) > cell(k, y).width())
                    return false;
            return true;
        };
        while (!fits() && head.pointSizeF() > 3.5)
            head.setPointSizeF(head.pointSizeF() - 0.25);
        if (paint_)
            p_.fillRect(QRectF(left(), y, width_, row), QColor(230, 230, 230));
        for (size_t k = 0; k < std::size(kColumns); ++k)
            text(head, cell(k, y), Qt::AlignCenter,
                 elided(head, columnTitle(kColumns[k]), cell(k, y).width()));
        y += row;

        bool doubtful = false, shortOfGrade = false, negativeMean = false;
        for (const SurveyPowerRow& r : in_.table.rows) {
            const QStringList values = cells(r);
            const bool caution = r.cautions != 0;
            doubtful = doubtful || caution;
            negativeMean = negativeMean || (r.power.negativeMeanIntensity && !r.power.negativePower);
            const bool shortOf = !SurveyGradeShortfall(r, in_.grade, in_.residualIndexDb).empty();
            shortOfGrade = shortOfGrade || shortOf;
            if (paint_) {
                if (r.aWeightedTotal) {
                    p_.setPen(QPen(Qt::black, 0.25 * kMm));
                    p_.drawLine(QPointF(left(), y), QPointF(left() + width_, y));
                } else if (caution) {
                    p_.fillRect(QRectF(left(), y, width_, row), QColor(255, 243, 191));
                }
                QColor tint = gradeColour(r.power.grade);
                tint.setAlpha(60);
                p_.fillRect(cell(11, y), tint);
            }
            for (size_t k = 0; k < std::size(kColumns); ++k) {
                const QFont f =
                    fitted(r.aWeightedTotal || k == 11 ? bold : body, values[int(k)], cell(k, y).width());
                QColor colour = Qt::black;
                if ((k == 1 && !r.power.powerLevelDb) || ((k >= 7 && k <= 10) && values[int(k)] == no()) ||
                    (k == 11 && shortOf))
                    colour = gradeColour(SurveyGrade::None);
                const Qt::Alignment align = k == 0 || k == 12 ? Qt::AlignLeft : Qt::AlignRight;
                text(f, cell(k, y), align | Qt::AlignVCenter, elided(f, values[int(k)], cell(k, y).width()),
                     colour);
            }
            y += row;
        }
        if (paint_) {
            p_.setPen(QPen(Qt::darkGray, 0.2 * kMm));
            p_.drawLine(QPointF(left(), y), QPointF(left() + width_, y));
        }

        // What the marks mean.
        QStringList legend{tr("L_W в дБ отн. 1 пВт; «—»: критерий не проверен")};
        if (doubtful)
            legend << tr("жёлтым выделены сомнительные полосы (kΔr: kΔr > 1 хотя бы в одной точке, "
                         "погрешность конечной разности может превышать 1 дБ; δpI: δpI > δpI0 − 7 дБ, "
                         "мал динамический диапазон зонда)");
        if (negativeMean)
            legend << tr("[I_n] < 0: средняя нормальная интенсивность отрицательна");
        if (shortOfGrade)
            legend << tr("красный класс: ниже требуемого");
        return y + 0.5 * kMm +
               paragraph(font(-1.5), y + 0.5 * kMm, legend.join(QStringLiteral("; ")) + '.', Qt::darkGray);
    }

    double chart(double y, double plotHeight)
    {
        y = heading(y, tr("Уровни звуковой мощности L_W по полосам"));
        const QFont small = font(-1.5);
        const double h = lineHeight(small);
        std::vector<const SurveyPowerRow*> bands;
        const SurveyPowerRow* total = nullptr;
        for (const SurveyPowerRow& r : in_.table.rows) {
            if (r.aWeightedTotal)
                total = &r;
            else
                bands.push_back(&r);
        }

        // The legend, one line.
        double x = left();
        const auto swatch = [&](const QBrush& brush, const QString& label) {
            if (paint_) {
                p_.setPen(Qt::NoPen);
                p_.fillRect(QRectF(x, y + h * 0.2, h * 0.9, h * 0.6), QColor(Qt::white));
                p_.setBrush(brush);
                p_.drawRect(QRectF(x, y + h * 0.2, h * 0.9, h * 0.6));
            }
            x += h * 1.2;
            text(small, QRectF(x, y, width_, h), Qt::AlignLeft, label);
            x += textWidth(small, label) + h * 1.2;
        };
        for (int grade : {1, 2})
            swatch(gradeColour(static_cast<SurveyGrade>(grade)),
                   tr("класс %1 (%2)").arg(grade).arg(gradeName(grade)));
        swatch(gradeColour(SurveyGrade::None), tr("класс не достигнут"));
        swatch(QBrush(Qt::black, Qt::BDiagPattern), tr("сомнительная полоса"));
        text(small, QRectF(x, y, h, h), Qt::AlignLeft, QStringLiteral("×"), gradeColour(SurveyGrade::None));
        x += h * 1.1;
        text(small, QRectF(x, y, width_, h), Qt::AlignLeft, tr("отрицательная мощность"));
        y += h * 1.4;

        // The axes: decibels up, the bands along.
        double lo = INFINITY, hi = -INFINITY;
        for (const SurveyPowerRow& r : in_.table.rows)
            if (r.power.powerLevelDb) {
                lo = std::min(lo, *r.power.powerLevelDb);
                hi = std::max(hi, *r.power.powerLevelDb);
            }
        if (!(hi >= lo)) {
            lo = 0;
            hi = 100;
        }
        double step = hi - lo > 60 ? 20.0 : (hi - lo > 25 ? 10.0 : 5.0);
        const double yMin = std::floor((lo - step * 0.5) / step) * step;
        const double yMax = std::ceil((hi + step * 0.3) / step) * step;

        const bool rotate = bands.size() > 12;
        double labelWidth = 0.0;
        for (const SurveyPowerRow* r : bands)
            labelWidth = std::max(labelWidth, textWidth(small, QString::fromStdString(r->label)));
        const double axisLeft = left() + textWidth(small, QStringLiteral("000")) + h * 1.6;
        const double bottomSpace = (rotate ? labelWidth + h * 0.5 : h * 1.3) + h * 1.2;
        const QRectF plot(axisLeft, y + h * 0.5, left() + width_ - axisLeft - 2 * kMm, plotHeight);
        const double end = plot.bottom() + bottomSpace;
        if (!paint_)
            return end;

        const auto yOf = [&](double db) {
            return plot.bottom() - (db - yMin) / (yMax - yMin) * plot.height();
        };
        p_.setFont(small);
        for (double db = yMin; db <= yMax + 1e-9; db += step) {
            p_.setPen(QPen(QColor(215, 215, 215), 0.15 * kMm));
            p_.drawLine(QPointF(plot.left(), yOf(db)), QPointF(plot.right(), yOf(db)));
            text(small, QRectF(plot.left() - h * 3.2, yOf(db) - h / 2, h * 3, h),
                 Qt::AlignRight | Qt::AlignVCenter, number(db, 0));
        }
        p_.save();
        p_.translate(left() + h * 0.1, plot.center().y());
        p_.rotate(-90);
        text(small, QRectF(-plot.height() / 2, 0, plot.height(), h), Qt::AlignCenter,
             tr("L_W, дБ отн. 1 пВт"));
        p_.restore();

        const double slot = bands.empty() ? plot.width() : plot.width() / static_cast<double>(bands.size());
        for (size_t i = 0; i < bands.size(); ++i) {
            const SurveyPowerRow& r = *bands[i];
            const double cx = plot.left() + slot * (static_cast<double>(i) + 0.5);
            const QString label = QString::fromStdString(r.label);
            if (r.power.powerLevelDb) {
                const double barWidth = std::min(slot * 0.7, 12 * kMm);
                const QRectF bar(cx - barWidth / 2, yOf(*r.power.powerLevelDb), barWidth,
                                 plot.bottom() - yOf(*r.power.powerLevelDb));
                p_.fillRect(bar, gradeColour(r.power.grade));
                if (r.cautions)
                    p_.fillRect(bar, QBrush(QColor(255, 255, 255, 200), Qt::BDiagPattern));
            } else {
                text(small, QRectF(cx - slot / 2, plot.bottom() - h * 1.1, slot, h), Qt::AlignCenter,
                     QStringLiteral("×"), gradeColour(SurveyGrade::None));
            }
            if (rotate) {
                p_.save();
                p_.translate(cx, plot.bottom() + h * 0.3);
                p_.rotate(-90);
                text(small, QRectF(-labelWidth, -h / 2, labelWidth, h), Qt::AlignRight | Qt::AlignVCenter,
                     label);
                p_.restore();
            } else {
                text(small, QRectF(cx - slot / 2, plot.bottom() + h * 0.2, slot, h), Qt::AlignCenter, label);
            }
        }
        if (total && total->power.powerLevelDb) {
            const double level = *total->power.powerLevelDb;
            const QString label = tr("Сумма A: %1 дБ").arg(number(level, 1));
            if (level <= yMax && level >= yMin) {
                p_.setPen(QPen(Qt::black, 0.25 * kMm, Qt::DashLine));
                p_.drawLine(QPointF(plot.left(), yOf(level)), QPointF(plot.right(), yOf(level)));
            }
            const double w = textWidth(small, label) + h;
            const double top = std::clamp(yOf(level) - h * 1.1, plot.top(), plot.bottom() - h);
            p_.fillRect(QRectF(plot.right() - w, top, w, h), QColor(255, 255, 255, 220));
            text(small, QRectF(plot.right() - w, top, w - h * 0.3, h), Qt::AlignRight, label);
        }
        p_.setPen(QPen(Qt::black, 0.2 * kMm));
        p_.drawLine(plot.bottomLeft(), plot.bottomRight());
        p_.drawLine(plot.bottomLeft(), plot.topLeft());
        text(small, QRectF(plot.left(), end - h * 1.1, plot.width(), h), Qt::AlignCenter,
             tr("Среднегеометрическая частота полосы, Гц"));
        return end;
    }

    double conditions(double y)
    {
        y = heading(y, tr("Условия расчёта"));
        QStringList lines;
        lines << tr("Требуемый класс точности: %1 (%2)").arg(in_.grade).arg(gradeName(in_.grade));
        lines << (in_.residualIndexDb
                      ? tr("Остаточный индекс зонда δpI0: %1 дБ").arg(number(in_.residualIndexDb, 1))
                      : tr("Остаточный индекс зонда δpI0: не задан (критерий 1 не проверен)"));
        lines << in_.constants;
        const QFont body = font(-1);
        const double row = lineHeight(body);
        const qsizetype half = (lines.size() + 1) / 2;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const double x = left() + (i < half ? 0.0 : width_ / 2);
            const double top = y + row * static_cast<double>(i < half ? i : i - half);
            text(body, QRectF(x, top, width_ / 2 - 2 * kMm, row), Qt::AlignLeft,
                 elided(body, lines[i], width_ / 2 - 2 * kMm));
        }
        return y + row * static_cast<double>(half);
    }

    QPainter& p_;
    QPaintDevice& device_;
    const PowerReportInput& in_;
    double size_;
    double width_ = 0.0;
    bool paint_ = false;
};

}   // namespace

void PaintPowerReport(QPainter& painter, QPaintDevice& device, const PowerReportInput& input)
{
    const double room = device.height() - 2 * kMargin;
    double size = kLargestSize;
    double chart = kMinChart;
    for (;; size -= 0.25) {
        Page page(painter, device, input, size);
        const double rest = room - page.measure();
        chart = std::min(rest, kMaxChart);
        if (chart >= kMinChart || size - 0.25 < kSmallestSize)
            break;
    }
    Page(painter, device, input, size).draw(std::max(chart, kMinChart * 0.5));
}

QString WritePowerReportPdf(const QString& path, const PowerReportInput& input)
{
    const QString name = QDir::toNativeSeparators(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QCoreApplication::translate("PowerReport", "Не удалось записать файл «%1»: %2")
            .arg(name, file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setResolution(kDpi);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(QCoreApplication::translate("PowerReport", "Звуковая мощность по точкам измерения"));
        writer.setCreator(QStringLiteral("Sonorix"));
        QPainter painter;
        if (!painter.begin(&writer))
            return QCoreApplication::translate("PowerReport",
                                               "Не удалось записать файл «%1»: страница не начата")
                .arg(name);
        PaintPowerReport(painter, writer, input);
        if (!painter.end())
            return QCoreApplication::translate("PowerReport",
                                               "Не удалось записать файл «%1»: страница не дописана")
                .arg(name);
    }
    if (!file.commit())
        return QCoreApplication::translate("PowerReport", "Не удалось записать файл «%1»: %2")
            .arg(name, file.errorString());
    return {};
}
