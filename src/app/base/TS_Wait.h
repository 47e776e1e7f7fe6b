// The wait notice: a borderless, always-on-top note shown while a long operation runs.
// Its creator sets the text, shows it, lets pending events paint it, works, then deletes it.
#pragma once

#include <QWidget>

namespace Ui { class TS_Wait; }

class TS_Wait : public QWidget {
    Q_OBJECT
public:
    explicit TS_Wait(QWidget* owner);
    ~TS_Wait() override;

    void setText(const QString& text);
    QString text() const;
    // Shows the notice centred on the screen and lets it paint before the caller goes on.
    void showAndPaint();

    // How many notices exist right now; tests check that a command showed (or did not show) one.
    static int liveCount();

private:
    Ui::TS_Wait* ui;
};
