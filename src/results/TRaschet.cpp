#include "TRaschet.h"
#include "ui_TRaschet.h"

#include "ChartImage.h"
#include "ResultText.h"
#include "ResultWidgets.h"
#include "TD3x.h"
#include "TTabl.h"

#include <qcustomplot.h>

#include <QLocale>
#include <QPointer>

namespace {

constexpr int kActiveKind = 1;
constexpr int kReactiveKind = 2;
// The size the window was laid out for; a long band text or a limit warning adds to it.
constexpr QSize kMinimumSize(874, 470);

const QColor kActiveColour(255, 0, 0);     // colour word 0x0000FF
const QColor kReactiveColour(0, 0, 255);   // colour word 0xFF0000

void setupChart(QCustomPlot* chart, const QString& title)
{
    chart->setBackground(Qt::white);
    chart->setLocale(QLocale());
    chart->legend->setVisible(false);
    chart->plotLayout()->insertRow(0);
    auto* titleElement = new QCPTextElement(chart, title, QFont(chart->font().family(), 9, QFont::Bold));
    chart->plotLayout()->addElement(0, 0, titleElement);
    // The axes stand for lines through the centre: their own lines are hidden and the grid's
    // zero lines mark the origin.
    for (QCPAxis* axis : {chart->xAxis, chart->yAxis}) {
        axis->setBasePen(Qt::NoPen);
        axis->setTickPen(Qt::NoPen);
        axis->setSubTickPen(Qt::NoPen);
        axis->setRange(-10.0, 10.0);
        axis->setNumberFormat(QStringLiteral("g"));
        axis->setNumberPrecision(3);
        // Large values are written like "7,5E+03": at the default density the labels of a
        // chart this narrow run into one another.
        axis->ticker()->setTickCount(4);
        QFont font = axis->tickLabelFont();
        font.setPointSize(7);
        axis->setTickLabelFont(font);
        axis->grid()->setZeroLinePen(QPen(QColor(90, 90, 90), 1));
    }
}

QCPCurve* addSeries(QCustomPlot* chart, const QColor& colour, bool circles)
{
    auto* curve = new QCPCurve(chart->xAxis, chart->yAxis);
    curve->setPen(QPen(colour, 3));
    if (circles)
        curve->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, colour, Qt::white, 9));
    return curve;
}

}   // namespace

TRaschet::TRaschet(QWidget* owner, const IntensityResult& result)
    : QDialog(owner), ui(new Ui::TRaschet), result_(result)
{
    ui->setupUi(this);
    FormCreate();
    ui->Label5->setText(QString::fromStdString(result_.bandText));
    setLimitWarning(QString::fromStdString(result_.limitWarning));
    DrawResult();
}

void TRaschet::done(int result)
{
    if (pendingClose_.Defer(result))
        return;
    QDialog::done(result);
}

TRaschet::~TRaschet()
{
    delete ui;
}

void TRaschet::FormCreate()
{
    charts_ = {ui->Chart1, ui->Chart2, ui->Chart3, ui->Chart4, ui->Chart5, ui->Chart6};
    const char* titles[] = {"X-Y", "X-Z", "Y-Z", "X-Y", "X-Z", "Y-Z"};
    for (int i = 0; i < 6; ++i) {
        setupChart(charts_[i], QString::fromLatin1(titles[i]));
        new ChartImageMenu(charts_[i]);
        const bool active = i < 3;
        // Only the X-Y charts mark both ends with a circle.
        series_[i] = addSeries(charts_[i], active ? kActiveColour : kReactiveColour, i % 3 == 0);
    }
    series_[0]->setObjectName(QStringLiteral("Series1"));
    series_[1]->setObjectName(QStringLiteral("Series2"));
    series_[2]->setObjectName(QStringLiteral("Series3"));
    series_[3]->setObjectName(QStringLiteral("LineSeries1"));
    series_[4]->setObjectName(QStringLiteral("LineSeries3"));
    series_[5]->setObjectName(QStringLiteral("LineSeries5"));

    for (QWidget* swatch : {static_cast<QWidget*>(ui->Panel1), static_cast<QWidget*>(ui->Panel2)}) {
        QPalette palette = swatch->palette();
        palette.setColor(QPalette::Window, swatch == ui->Panel1 ? kActiveColour : kReactiveColour);
        swatch->setPalette(palette);
    }
    for (QLabel* label : {ui->Label1, ui->Label4}) {
        QFont font(QStringLiteral("Times New Roman"));
        font.setPixelSize(13);
        label->setFont(font);
    }
    ui->PageControl1->setCurrentIndex(0);

    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->Button3, &QPushButton::clicked, this, &TRaschet::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TRaschet::Button4Click);
    connect(ui->Button5, &QPushButton::clicked, this, &TRaschet::Button5Click);
}

void TRaschet::setBandText(const QString& text)
{
    ui->Label5->setText(text);
    FixSizeToContents(this, kMinimumSize);
}

void TRaschet::setLimitWarning(const QString& text)
{
    ShowLimitWarning(ui->LabelLimit, text);
    FixSizeToContents(this, kMinimumSize);
}

QString TRaschet::limitWarning() const
{
    return ui->LabelLimit->text();
}

void TRaschet::DrawResult()
{
    const double halfI = ChartHalfWidth(result_.maxI, result_.I);
    const double halfJ = ChartHalfWidth(result_.maxJ, result_.J);
    for (int i = 0; i < 6; ++i) {
        const double half = i < 3 ? halfI : halfJ;
        charts_[i]->xAxis->setRange(-half, half);
        charts_[i]->yAxis->setRange(-half, half);
    }
    const auto& I = result_.I;
    const auto& J = result_.J;
    const std::array<std::array<double, 2>, 6> tips = {{
        {I[0], I[1]},
        {I[0], I[2]},
        {I[1], I[2]},
        {J[0], J[1]},
        {J[0], J[2]},
        {J[1], J[2]},
    }};
    for (int i = 0; i < 6; ++i) {
        series_[i]->setData({0.0, tips[i][0]}, {0.0, tips[i][1]});
        charts_[i]->replot();
    }
    ui->Label1->setText(ActiveLabelText(I));
    ui->Label4->setText(ReactiveLabelText(J));
}

// The table and the 3-D view are made on the heap and held by QPointer: should this window be
// destroyed while one of them is open, it takes them with it, and the command must not
// destroy them a second time nor touch this window.
void TRaschet::Button4Click()
{
    const CommandScope command(this, pendingClose_);
    QPointer<TTabl> table = new TTabl(this);
    table->setTitle(ui->Label5->text());
    table->setValues(CalculationTable(result_));
    table->setLimitWarning(ui->LabelLimit->text());
    table->exec();
    delete table;
}

void TRaschet::openView(int kind, double scale)
{
    const CommandScope command(this, pendingClose_);
    // Without OpenGL the view says so from its constructor, in a message box.
    QPointer<TD3x> view = new TD3x(this, ActiveReactiveBlock(result_), scale, kind);
    if (view && command.windowAlive())
        view->exec();
    delete view;
}

void TRaschet::Button3Click()
{
    openView(kActiveKind, result_.maxI);
}

void TRaschet::Button5Click()
{
    openView(kReactiveKind, result_.maxJ);
}
