#include "TAudioOpen.h"
#include "ui_TAudioOpen.h"

#include "SettingsStore.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

const QString kSection = QStringLiteral("AudioFiles");

QString MapKey(int channels, int m)
{
    return QStringLiteral("Map%1_%2").arg(channels).arg(m + 1);
}

QString ScaleKey(const QString& path)
{
    return QStringLiteral("FullScale_") + QFileInfo(path).suffix().toLower();
}

}   // namespace

TAudioOpen::TAudioOpen(QWidget* owner, const QString& path, const AudioFileInfo& info)
    : QDialog(owner), ui(new Ui::TAudioOpen), path_(path), info_(info)
{
    ui->setupUi(this);
    const double rate = info.sampleRate > 0 ? info.sampleRate : 1.0;
    const double duration = static_cast<double>(info.frames) / rate;
    ui->FileLabel->setText(tr("%1\n%2, каналов: %3, %4 Гц, %5 с")
                               .arg(QFileInfo(path).fileName(), QString::fromStdString(info.formatText))
                               .arg(info.channels)
                               .arg(info.sampleRate)
                               .arg(duration, 0, 'f', 3));

    const SettingsStore store;
    auto* grid = qobject_cast<QGridLayout*>(ui->MapBox->layout());
    for (int m = 0; m < 6; ++m) {
        auto* label = new QLabel(tr("Микрофон %1").arg(m + 1), ui->MapBox);
        auto* box = new QComboBox(ui->MapBox);
        box->setObjectName(QStringLiteral("Microphone%1").arg(m + 1));
        for (int c = 0; c < info.channels; ++c)
            box->addItem(tr("Канал %1").arg(c + 1));
        const int stored = store.ReadInteger(kSection, MapKey(info.channels, m), m + 1) - 1;
        box->setCurrentIndex(stored >= 0 && stored < info.channels ? stored : std::min(m, info.channels - 1));
        label->setBuddy(box);
        grid->addWidget(label, m % 3, 2 * (m / 3));
        grid->addWidget(box, m % 3, 2 * (m / 3) + 1);
        boxes_[static_cast<size_t>(m)] = box;
    }

    ui->StartEdit->setRange(0.0, duration);
    ui->LengthEdit->setRange(0.0, duration);
    ui->LengthEdit->setValue(duration);
    ui->ScaleEdit->setValue(StoredFullScale(path));
    UpdateStretchText();
    connect(ui->StartEdit, &QDoubleSpinBox::valueChanged, this, [this] { UpdateStretchText(); });
    connect(ui->LengthEdit, &QDoubleSpinBox::valueChanged, this, [this] { UpdateStretchText(); });
    connect(ui->OpenButton, &QPushButton::clicked, this, &TAudioOpen::Accept);
    connect(ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

TAudioOpen::~TAudioOpen()
{
    delete ui;
}

double TAudioOpen::StoredFullScale(const QString& path)
{
    const double v = SettingsStore().ReadFloat(kSection, ScaleKey(path), 1.0);
    return std::isfinite(v) && v > 0 ? v : 1.0;
}

AudioOpenChoice TAudioOpen::choice() const
{
    AudioOpenChoice c;
    for (int m = 0; m < 6; ++m)
        c.map[static_cast<size_t>(m)] = boxes_[static_cast<size_t>(m)]->currentIndex();
    const double rate = info_.sampleRate;
    c.startFrame = static_cast<int64_t>(std::llround(ui->StartEdit->value() * rate));
    c.frameCount = AudioStretchFrames(info_, c.startFrame,
                                      static_cast<int64_t>(std::llround(ui->LengthEdit->value() * rate)));
    c.voltsFullScale = ui->ScaleEdit->value();
    return c;
}

void TAudioOpen::UpdateStretchText()
{
    const AudioOpenChoice c = choice();
    ui->StretchText->setText(c.frameCount > 0 ? tr("Будет прочитано отсчетов на канал: %1").arg(c.frameCount)
                                              : tr("Участок пуст или лежит за концом записи."));
}

void TAudioOpen::Accept()
{
    const AudioOpenChoice c = choice();
    const std::set<int> distinct(c.map.begin(), c.map.end());
    if (distinct.size() != 6) {
        ui->ProblemText->setText(tr("Каждому микрофону нужен свой канал файла."));
        return;
    }
    if (c.frameCount < 2) {
        ui->ProblemText->setText(tr("Участок записи короче двух отсчетов."));
        return;
    }
    SettingsStore store;
    for (int m = 0; m < 6; ++m)
        store.WriteInteger(kSection, MapKey(info_.channels, m), c.map[static_cast<size_t>(m)] + 1);
    store.WriteFloat(kSection, ScaleKey(path_), c.voltsFullScale);
    accept();
}
