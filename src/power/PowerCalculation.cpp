#include "PowerCalculation.h"

#include "MessageBox.h"
#include "SettingsStore.h"
#include "TS_Wait.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <cmath>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// While the points are read on the worker, what the readers say there is kept for the point's
// own line instead of popping up once the work is over; anything said on another thread goes on
// to the presenter that was there before.
class WorkerMessages : public MessagePresenter {
public:
    WorkerMessages() : thread_(std::this_thread::get_id()), previous_(SetMessagePresenter(this)) {}
    ~WorkerMessages() override { SetMessagePresenter(previous_); }
    WorkerMessages(const WorkerMessages&) = delete;
    WorkerMessages& operator=(const WorkerMessages&) = delete;

    int present(MessageKind kind, const std::string& caption, const std::string& text, int flags) override
    {
        if (std::this_thread::get_id() != thread_)
            return previous_ ? previous_->present(kind, caption, text, flags)
                             : ((flags & 0xF) == MB_YESNO ? IDNO : IDOK);
        const std::lock_guard<std::mutex> lock(mutex_);
        kept_ += (kept_.empty() ? "" : "; ") + text;
        return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
    }
    std::string take()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::string text;
        text.swap(kept_);
        return text;
    }

private:
    std::thread::id thread_;
    MessagePresenter* previous_;
    std::mutex mutex_;
    std::string kept_;
};

// How an audio point is read: the channel map the audio open dialog remembers for its channel
// count and the full scale it remembers for its kind, the whole recording.
AudioPlan audioPlanFor(const QString& path)
{
    AudioPlan plan;
    AudioFileInfo info;
    if (!ReadAudioInfo(QFile::encodeName(path).toStdString(), info).ok())
        return plan;
    const SettingsStore store;
    const QString section = QStringLiteral("AudioFiles");
    for (int m = 0; m < 6; ++m) {
        const int stored =
            store.ReadInteger(section, QStringLiteral("Map%1_%2").arg(info.channels).arg(m + 1), m + 1) - 1;
        plan.map[static_cast<size_t>(m)] = stored >= 0 && stored < info.channels ? stored : m;
    }
    const double scale =
        store.ReadFloat(section, QStringLiteral("FullScale_") + QFileInfo(path).suffix().toLower(), 1.0);
    plan.fullScale = std::isfinite(scale) && scale > 0 ? scale : 1.0;
    return plan;
}

}   // namespace

QString PowerCalculation::PointName(const SurveyPoint& p, size_t index)
{
    const QString file = QFileInfo(QString::fromStdString(p.file)).fileName();
    return p.label.empty()
               ? QStringLiteral("%1 (%2)").arg(index + 1).arg(file)
               : QStringLiteral("%1 (%2, %3)").arg(index + 1).arg(QString::fromStdString(p.label), file);
}

PointAnalyses PowerCalculation::Run(QWidget* window, const std::vector<SurveyPoint>& points,
                                    const Settings& settings, const PointAnalysisPlan& plan,
                                    const std::atomic<bool>& cancel,
                                    const std::function<void(const QString&)>& progress)
{
    const size_t n = points.size();
    PointAnalyses result;
    std::vector<PointAnalysisPlan> plans(n, plan);
    std::vector<std::string> paths(n);
    std::vector<QString>& errors = result.errors;
    errors.resize(n);
    for (size_t i = 0; i < n; ++i) {
        paths[i] = points[i].file;
        const QFileInfo info(QString::fromStdString(points[i].file));
        if (!info.exists())
            errors[i] = tr("файл не найден");
        else if (info.isDir())
            errors[i] = tr("это папка, а не файл записи");
        else if (IsAudioInput(paths[i]))
            plans[i].audio = audioPlanFor(info.filePath());
    }

    std::vector<std::optional<BandAnalysis>>& analyses = result.analyses;
    analyses.resize(n);
    auto notice = std::make_unique<TS_Wait>(window);
    TS_Wait* shown = notice.get();
    notice->setText(tr("Точка 1 из %1…").arg(n));
    notice->showAndPaint();
    result.outcome = RunInBackground(notice.get(), [&](WorkControl& control) {
        WorkerMessages messages;
        for (size_t i = 0; i < n; ++i) {
            if (control.cancelled() || cancel.load()) {
                control.cancel();
                return;
            }
            control.setProgress(static_cast<double>(i) / static_cast<double>(n));
            const QString text = tr("Точка %1 из %2…").arg(i + 1).arg(n);
            QMetaObject::invokeMethod(
                shown, [shown, text] { shown->setText(text); }, Qt::QueuedConnection);
            QMetaObject::invokeMethod(
                window, [progress, text] { progress(text); }, Qt::QueuedConnection);
            if (!errors[i].isEmpty())
                continue;
            BandAnalysis a;
            std::string error;
            try {
                error = AnalysePointFile(paths[i], settings, plans[i], a);
            } catch (const std::exception& e) {
                error = tr("непредвиденная ошибка: %1").arg(QString::fromUtf8(e.what())).toStdString();
            } catch (...) {
                error = tr("непредвиденная ошибка").toStdString();
            }
            const std::string said = messages.take();
            if (error.empty())
                analyses[i] = std::move(a);
            else
                errors[i] = QString::fromStdString(said.empty() ? error : said + "; " + error);
        }
        control.setProgress(1.0);
    });
    return result;
}
