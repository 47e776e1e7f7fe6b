// Text on a printed page needs Qt's font database, which only a QGuiApplication sets up. The
// batch tool has no display: where no application exists yet, one is made for the page on the
// offscreen platform and ended with it.
#pragma once

#include <QString>

#include <memory>

class QGuiApplication;

class ReportApplication {
public:
    ReportApplication();
    ~ReportApplication();
    ReportApplication(const ReportApplication&) = delete;
    ReportApplication& operator=(const ReportApplication&) = delete;

    // Empty when pages can be drawn; else why not (an application without the gui part runs).
    QString problem() const;

private:
    std::unique_ptr<QGuiApplication> own_;
};
