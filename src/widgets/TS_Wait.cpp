#include "TS_Wait.h"
#include "ui_TS_Wait.h"

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <vector>

namespace {

std::vector<TS_Wait*>& liveNotices()
{
    static std::vector<TS_Wait*> notices;
    return notices;
}

// Watches the whole application while a notice exists and hides the notices when any other
// window or dialog is shown. One place for it, so that messages and dialogs opened from deep
// inside a reader or a command are covered as well as those the commands open themselves.
class NoticeGuard : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A spontaneous show is the window system giving back a window that was up before
        // (restored from the task bar), not something new to look at.
        if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType()) {
            const auto* widget = static_cast<QWidget*>(watched);
            const Qt::WindowType type = widget->windowType();
            // Popups (a combo box's list, a menu) and tool tips belong to a window already up.
            if (widget->isWindow() && (type == Qt::Window || type == Qt::Dialog) &&
                !qobject_cast<const TS_Wait*>(widget))
                for (TS_Wait* notice : std::vector<TS_Wait*>(liveNotices()))
                    notice->hide();
        }
        return false;
    }
};

NoticeGuard* g_guard = nullptr;

}   // namespace

TS_Wait::TS_Wait(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), ui(new Ui::TS_Wait)
{
    ui->setupUi(this);
    setFixedSize(466, 111);
    setAttribute(Qt::WA_ShowWithoutActivating);
    if (liveNotices().empty() && QCoreApplication::instance()) {
        g_guard = new NoticeGuard;
        QCoreApplication::instance()->installEventFilter(g_guard);
    }
    liveNotices().push_back(this);
}

TS_Wait::~TS_Wait()
{
    auto& notices = liveNotices();
    notices.erase(std::remove(notices.begin(), notices.end(), this), notices.end());
    if (notices.empty() && g_guard) {
        delete g_guard;   // removes itself from the application's filters
        g_guard = nullptr;
    }
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

void TS_Wait::showProgress(double fraction)
{
    if (!ui->Progress->isVisible()) {
        ui->Progress->setVisible(true);
        setFixedSize(466, 150);   // room for the bar and the button under the text
    }
    if (fraction < 0) {
        ui->Progress->setRange(0, 0);   // busy: how far the work is cannot be told
        return;
    }
    ui->Progress->setRange(0, 1000);
    ui->Progress->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000.0 + 0.5));
}

void TS_Wait::offerCancel(std::function<void()> onCancel)
{
    ui->CancelButton->setVisible(true);
    connect(ui->CancelButton, &QPushButton::clicked, this, [this, onCancel = std::move(onCancel)] {
        ui->CancelButton->setEnabled(false);   // once is enough; the work stops at its next step
        onCancel();
    });
}

bool TS_Wait::cancelOffered() const
{
    return ui->CancelButton->isVisible();
}

int TS_Wait::liveCount()
{
    return static_cast<int>(liveNotices().size());
}

int TS_Wait::visibleCount()
{
    return static_cast<int>(std::count_if(liveNotices().begin(), liveNotices().end(),
                                          [](const TS_Wait* notice) { return notice->isVisible(); }));
}
