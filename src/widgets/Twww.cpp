#include "Twww.h"

#include "Artwork.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

Twww::Twww(QWidget* owner) : QWidget(owner, Qt::Window), qqq(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("www"));
    setWindowTitle(tr("Сайт ООО \"Кварнис\""));
    setWindowIcon(SonorixIcon());
    qqq->setObjectName(QStringLiteral("qqq"));
    qqq->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(qqq);
    resize(900, 600);
    setWindowState(Qt::WindowMaximized);
}

void Twww::navigate()
{
    ++navigations_;
    if (loaded_)
        return;
    loaded_ = true;

    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    SonorixLogo(QSize(208, 116)).save(&buf, "PNG");
    const QString address = MakerWebAddress();
    qqq->setHtml(tr("<div style='margin:24px; font-family:sans-serif'>"
                    "<img src='data:image/png;base64,%1' width='208' height='116'/>"
                    "<h2>ООО \"Кварнис\"</h2>"
                    "<p>Программа Sonorix: расчет интенсиметрических и энергетических характеристик "
                    "звуковых полей по записям трехкомпонентного зонда.</p>"
                    "<p>Сайт: <a href='%2'>%2</a><br/>E-mail: <a href='mailto:%3'>%3</a><br/>"
                    "Телефон: %4</p></div>")
                     .arg(QString::fromLatin1(png.toBase64()), address, MakerEmail(), MakerPhone()));
}

void Twww::paintEvent(QPaintEvent* event)
{
    navigate();
    QWidget::paintEvent(event);
}

void Twww::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window: it lives until its owner goes.
    hide();
    event->ignore();
}
