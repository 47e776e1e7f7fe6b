// The maker's web-site window. There is no browser engine in the program, so the window's
// browser control shows a page of the maker's details whose link opens the system browser.
#pragma once

#include <QWidget>

class QTextBrowser;

class Twww : public QWidget {
    Q_OBJECT
public:
    explicit Twww(QWidget* owner);

    // Points the browser control at the maker's site. Called on every paint, as a browser
    // window would reload; loading the same page again costs nothing.
    void navigate();
    int navigationCount() const { return navigations_; }
    QTextBrowser* browser() const { return qqq; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QTextBrowser* qqq;
    int navigations_ = 0;
    bool loaded_ = false;
};
