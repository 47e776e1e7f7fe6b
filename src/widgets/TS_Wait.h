// The wait notice: a borderless, always-on-top note shown while a long operation runs.
// Its creator sets the text, shows it, lets pending events paint it, works, then deletes it.
//
// The notice is about work in progress, never about what comes after it: as soon as another
// window or dialog appears (the window the work was opening, a message box, a dialog a command
// asks with) every notice that is up steps out of the way and stays hidden, so none ever sits
// over a question, an error or the controls of a dialog.
#pragma once

#include <QWidget>

#include <functional>

namespace Ui {
class TS_Wait;
}

class TS_Wait : public QWidget {
    Q_OBJECT
public:
    explicit TS_Wait(QWidget* owner);
    ~TS_Wait() override;

    void setText(const QString& text);
    QString text() const;
    // Shows the notice centred on the screen and lets it paint before the caller goes on.
    void showAndPaint();
    // For work that runs in the background: a progress bar (fraction 0 ... 1, or a busy bar for
    // a negative fraction) and an "Отмена" button that calls onCancel.
    void showProgress(double fraction);
    void offerCancel(std::function<void()> onCancel);
    bool cancelOffered() const;

    // How many notices exist right now; tests check that a command showed (or did not show) one.
    static int liveCount();
    // Notices on screen now: tests check that none sits over a message or a dialog.
    static int visibleCount();

private:
    Ui::TS_Wait* ui;
};
