#include "TD3x.h"
#include "ui_TD3x.h"

#include "ChartImage.h"
#include "D3xView.h"
#include "MessageBox.h"
#include "SettingsStore.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kTimerIntervalMs = 20;
constexpr int kFirstButtonTag = 100;
const QString kSection = QStringLiteral("D3D");
const QString kStepKey = QStringLiteral("tgrad");
constexpr int kDefaultStep = 3;

}   // namespace

TD3x::TD3x(QWidget* owner, const std::array<double, 6>& block, double scale, int kind)
    : QDialog(owner), ui(new Ui::TD3x)
{
    ui->setupUi(this);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TD3x::Timer1Timer);
    FormCreate(block, scale, kind);
    setFixedSize(sizeHint());
}

TD3x::~TD3x()
{
    delete ui;
}

bool TD3x::checkDrawingSetup()
{
    // A QOpenGLWidget that cannot get a context takes the process down when it is shown (the
    // offscreen platform, a display without GLX), so a context is tried on its own first.
    QOpenGLContext probe;
    probe.setFormat(QSurfaceFormat::defaultFormat());
    if (!probe.create()) {
        ShowMessageBox("Ошибка", tr("Выбран неверный формат").toStdString(), MB_OK | MB_ICONERROR);
        return false;
    }
    QOffscreenSurface surface;
    surface.setFormat(probe.format());
    surface.create();
    // The scene is fixed-function OpenGL: a core-profile context would draw nothing.
    const bool usable = surface.isValid() && probe.makeCurrent(&surface) &&
                        probe.format().profile() != QSurfaceFormat::CoreProfile;
    if (probe.isValid())
        probe.doneCurrent();
    if (!usable) {
        ShowMessageBox("Ошибка", tr("Неверно заполнен формат пикселей").toStdString(), MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

void TD3x::FormCreate(const std::array<double, 6>& block, double scale, int kind)
{
    QPushButton* buttons[] = {ui->Button1, ui->Button2, ui->Button3, ui->Button4, ui->Button5, ui->Button6};
    for (int i = 0; i < 6; ++i) {
        const int tag = kFirstButtonTag + i;
        buttons[i]->setProperty("tag", tag);
        connect(buttons[i], &QPushButton::pressed, this, [this, tag]() { ButtonMouseDown(tag); });
        connect(buttons[i], &QPushButton::released, this, &TD3x::ButtonMouseUp);
    }
    pressed_ = 0;

    step_ = SettingsStore().ReadInteger(kSection, kStepKey, kDefaultStep);
    ui->CSpinEdit1->setValue(step_);   // clamps to 1 ... 10
    step_ = ui->CSpinEdit1->value();
    connect(ui->CSpinEdit1, &QSpinBox::valueChanged, this, &TD3x::CSpinEdit1Change);

    if (!checkDrawingSetup())
        return;
    view_ = new D3xView(ui->Panel1, block, scale, kind);
    view_->setObjectName(QStringLiteral("GLView"));
    connect(view_, &D3xView::dragged, this, [this](double aboutX, double aboutZ) {
        if (aboutX != 0.0)
            view_->Turn(1, aboutX);
        if (aboutZ != 0.0)
            view_->Turn(5, aboutZ);
    });
    ui->Panel1->layout()->addWidget(view_);
    new ChartImageMenu(view_, [view = view_]() { return view->grabFramebuffer(); });
    // The view, not the step box, starts with the focus: a blinking text cursor would have the
    // whole window composed again with OpenGL twice a second while nothing changes.
    view_->setFocusPolicy(Qt::StrongFocus);
}

int TD3x::exec()
{
    // Without a drawing context the window has nothing to show: the message was given.
    if (!drawingReady())
        return QDialog::Rejected;
    return QDialog::exec();
}

void TD3x::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!drawingReady()) {
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    view_->setFocus(Qt::OtherFocusReason);
    Timer1->start();
}

void TD3x::done(int result)
{
    Timer1->stop();
    if (drawingReady())
        SettingsStore().WriteInteger(kSection, kStepKey, step_);
    QDialog::done(result);
}

void TD3x::Timer1Timer()
{
    // The projection is set up when the surface first gets its size; until then a tick would
    // draw into nothing and its rotation would be thrown away.
    if (!view_ || !view_->isValid())
        return;
    step_ = ui->CSpinEdit1->value();
    if (pressed_ != 0) {
        // Owed by the clock, not by the ticks: a late tick catches up, and the view never
        // turns faster than the set speed.
        const double owed =
            step_ + kHoldDegreesPerSecond * std::max<qint64>(0, held_.elapsed() - kHoldDelayMs) / 1000.0;
        if (owed > turned_) {
            view_->Turn(pressed_, owed - turned_);
            turned_ = owed;
        }
        return;
    }
    // The first tick after opening: the tilted picture, then the timer rests until a button
    // is held.
    view_->DrawScene(0, step_);
    view_->DrawScene(1, step_);
    Timer1->stop();
}

void TD3x::ButtonMouseDown(int tag)
{
    pressed_ = tag - (kFirstButtonTag - 1);
    if (!view_)
        return;
    // The step at once, so that a click turns the view visibly however short it is.
    step_ = ui->CSpinEdit1->value();
    view_->Turn(pressed_, step_);
    turned_ = step_;
    held_.start();
    Timer1->start();
}

void TD3x::ButtonMouseUp()
{
    pressed_ = 0;
    Timer1->stop();
}

void TD3x::CSpinEdit1Change(int value)
{
    step_ = value;
}
