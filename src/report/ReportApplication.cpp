#include "ReportApplication.h"

#include <QGuiApplication>

namespace {

// QGuiApplication keeps the arguments it was given for its whole life.
int g_argc = 3;
char g_name[] = "sonorix";
char g_option[] = "-platform";
char g_platform[] = "offscreen";
char* g_argv[] = {g_name, g_option, g_platform, nullptr};

}   // namespace

ReportApplication::ReportApplication()
{
    if (!QCoreApplication::instance()) {
        g_argc = 3;
        g_argv[0] = g_name;
        g_argv[1] = g_option;
        g_argv[2] = g_platform;
        g_argv[3] = nullptr;
        own_ = std::make_unique<QGuiApplication>(g_argc, g_argv);
    }
}

ReportApplication::~ReportApplication() = default;

QString ReportApplication::problem() const
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    return QCoreApplication::translate("ReportApplication",
                                       "Отчёт не построен: шрифтам страницы нужна графическая часть Qt");
}
