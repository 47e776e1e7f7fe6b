#include "TS_Wait.h"
#include "ui_TS_Wait.h"

#include <QApplication>
#include <QScreen>

namespace {
int g_live = 0;
}

TS_Wait::TS_Wait(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      ui(new Ui::TS_Wait)
{
    ui->setupUi(this);
    setFixedSize(466, 111);
    setAttribute(Qt::WA_ShowWithoutActivating);
    ++g_live;
}

TS_Wait::~TS_Wait()
{
    --g_live;
    delete ui;
}

void TS_Wait::setText(const QString& text)
{
    ui->StaticText1->setText(text);
}

QString TS_Wait::text() const
{
    return ui->StaticText1->text();
}

void TS_Wait::showAndPaint()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    QApplication::processEvents();
}

int TS_Wait::liveCount()
{
    return g_live;
}
