#include "ChartImage.h"

#include "MessageBox.h"
#include "RecentFolders.h"
#include "SettingsStore.h"
#include "WrittenNote.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QMenu>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSpinBox>
#include <QSvgGenerator>

#include <qcustomplot.h>

namespace {
const QString kSizeSection = QStringLiteral("ChartImage");
constexpr int kSideMinimum = 16;
// A picture this large is already some 250 MB in memory.
constexpr int kSideMaximum = 8000;

QString text(const char* source)
{
    return QCoreApplication::translate("ChartImage", source);
}

// Built at use, so that they are in the language the interface has then.
QString pngFilter()
{
    return text(QT_TRANSLATE_NOOP("ChartImage", "Рисунок PNG (*.png)"));
}

QString svgFilter()
{
    return text(QT_TRANSLATE_NOOP("ChartImage", "Рисунок SVG (*.svg)"));
}

QString pdfFilter()
{
    return text(QT_TRANSLATE_NOOP("ChartImage", "Документ PDF (*.pdf)"));
}

QString suffixOf(const QString& filter)
{
    if (filter == svgFilter())
        return QStringLiteral("svg");
    if (filter == pdfFilter())
        return QStringLiteral("pdf");
    return QStringLiteral("png");
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool writeSvg(QCustomPlot& plot, const QString& path, QSize size, QString* error)
{
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    QCPPainter painter;
    if (!painter.begin(&generator)) {
        setError(error, text(QT_TRANSLATE_NOOP("ChartImage", "файл не открывается для записи")));
        return false;
    }
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    plot.toPainter(&painter, size.width(), size.height());
    painter.end();
    // The generator says nothing of a failed write: the file shows it.
    if (QFileInfo(path).size() <= 0) {
        setError(error, text(QT_TRANSLATE_NOOP("ChartImage", "файл не записан")));
        return false;
    }
    return true;
}

bool writePdfPicture(const QImage& picture, const QString& path)
{
    QPdfWriter writer(path);
    // One page the picture's size at 96 dots per inch, with no margins.
    writer.setResolution(96);
    writer.setPageSize(QPageSize(QSizeF(picture.width(), picture.height()) * 72.0 / 96.0, QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    painter.drawImage(QRect(QPoint(0, 0), picture.size()), picture);
    return painter.end();
}

// Asks for the picture's size; false when cancelled.
bool askSize(QWidget* parent, QSize& size)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(text(QT_TRANSLATE_NOOP("ChartImage", "Размер изображения")));
    // Wide enough for the title, which the window frame would otherwise cut short.
    dialog.setMinimumWidth(dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) + 160);
    auto* form = new QFormLayout(&dialog);
    auto* width = new QSpinBox(&dialog);
    auto* height = new QSpinBox(&dialog);
    width->setObjectName(QStringLiteral("imageWidth"));
    height->setObjectName(QStringLiteral("imageHeight"));
    for (QSpinBox* box : {width, height}) {
        box->setRange(kSideMinimum, kSideMaximum);
        box->setSuffix(text(QT_TRANSLATE_NOOP("ChartImage", " пикс.")));
    }
    width->setValue(size.width());
    height->setValue(size.height());
    form->addRow(text(QT_TRANSLATE_NOOP("ChartImage", "Ширина:")), width);
    form->addRow(text(QT_TRANSLATE_NOOP("ChartImage", "Высота:")), height);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    size = QSize(width->value(), height->value());
    return true;
}
}   // namespace

std::optional<ImageFormat> ImageFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return ImageFormat::Png;
    if (suffix == QLatin1String("svg"))
        return ImageFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return ImageFormat::Pdf;
    return std::nullopt;
}

bool WriteChartImage(QCustomPlot& plot, const QString& path, QSize size, QString* error)
{
    const std::optional<ImageFormat> format = ImageFormatOf(path);
    if (!format) {
        setError(error,
                 text(QT_TRANSLATE_NOOP("ChartImage", "неизвестный вид файла (нужен PNG, SVG или PDF)")));
        return false;
    }
    if (size.isEmpty())
        size = plot.size();
    bool ok = false;
    switch (*format) {
    case ImageFormat::Png:
        ok = plot.savePng(path, size.width(), size.height());
        break;
    case ImageFormat::Pdf:
        ok = plot.savePdf(path, size.width(), size.height());
        break;
    case ImageFormat::Svg:
        return writeSvg(plot, path, size, error);
    }
    if (!ok)
        setError(error, text(QT_TRANSLATE_NOOP("ChartImage", "файл не записан")));
    return ok;
}

bool WritePicture(const QImage& picture, const QString& path, QSize size, QString* error)
{
    const std::optional<ImageFormat> format = ImageFormatOf(path);
    if (!format || *format == ImageFormat::Svg) {
        setError(error, text(QT_TRANSLATE_NOOP("ChartImage", "неизвестный вид файла (нужен PNG или PDF)")));
        return false;
    }
    if (picture.isNull()) {
        setError(error, text(QT_TRANSLATE_NOOP("ChartImage", "изображения нет")));
        return false;
    }
    const QImage scaled = size.isEmpty() || size == picture.size()
                              ? picture
                              : picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const bool ok = *format == ImageFormat::Png ? scaled.save(path, "PNG") : writePdfPicture(scaled, path);
    if (!ok)
        setError(error, text(QT_TRANSLATE_NOOP("ChartImage", "файл не записан")));
    return ok;
}

ChartImageMenu::ChartImageMenu(QCustomPlot* plot, bool ownClick) : QObject(plot), view_(plot), plot_(plot)
{
    build();
    if (ownClick) {
        plot->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(plot, &QWidget::customContextMenuRequested, this,
                [this](const QPoint& pos) { popup(view_->mapToGlobal(pos)); });
    }
}

ChartImageMenu::ChartImageMenu(QWidget* view, std::function<QImage()> grab)
    : QObject(view), view_(view), grab_(std::move(grab))
{
    build();
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { popup(view_->mapToGlobal(pos)); });
}

ChartImageMenu::~ChartImageMenu()
{
    delete menu_;
}

void ChartImageMenu::build()
{
    // The menu has no parent widget, so it never takes the chart's palette or its place in a
    // layout; it goes with this object.
    menu_ = new QMenu;
    save_ = menu_->addAction(QString());
    copy_ = menu_->addAction(QString());
    retranslate();
    // The chart's window may have outlived a change of the interface language.
    connect(menu_, &QMenu::aboutToShow, this, &ChartImageMenu::retranslate);
    connect(save_, &QAction::triggered, this, [this]() { saveAs(); });
    connect(copy_, &QAction::triggered, this, &ChartImageMenu::copy);
}

void ChartImageMenu::retranslate()
{
    save_->setText(tr("Сохранить изображение…"));
    copy_->setText(tr("Копировать"));
}

void ChartImageMenu::popup(const QPoint& globalPos)
{
    menu_->popup(globalPos);
}

QImage ChartImageMenu::picture(QSize size) const
{
    if (plot_) {
        if (size.isEmpty())
            size = plot_->size();
        return plot_->toPixmap(size.width(), size.height()).toImage();
    }
    QImage image = grab_ ? grab_() : view_->grab().toImage();
    if (!size.isEmpty() && size != image.size())
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

bool ChartImageMenu::save(const QString& path, QSize size, QString* error)
{
    const bool ok =
        plot_ ? WriteChartImage(*plot_, path, size, error) : WritePicture(picture(), path, size, error);
    if (ok) {
        ShowWritten(view_, path);
        emit written(path);
    }
    return ok;
}

QSize ChartImageMenu::offeredSize() const
{
    SettingsStore store;
    const int width = store.ReadInteger(kSizeSection, QStringLiteral("Width"), 0);
    const int height = store.ReadInteger(kSizeSection, QStringLiteral("Height"), 0);
    if (width >= kSideMinimum && width <= kSideMaximum && height >= kSideMinimum && height <= kSideMaximum)
        return QSize(width, height);
    return view_->size()
        .boundedTo(QSize(kSideMaximum, kSideMaximum))
        .expandedTo(QSize(kSideMinimum, kSideMinimum));
}

QString ChartImageMenu::saveAs()
{
    QFileDialog dialog(view_->window(), tr("Сохранить изображение"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    QStringList filters{pngFilter()};
    if (plot_)
        filters << svgFilter();
    filters << pdfFilter();
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    StartInRecentFolder(dialog, FolderKind::Images);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    RememberDialogFolder(dialog, FolderKind::Images);
    QString path = dialog.selectedFiles().front();
    const std::optional<ImageFormat> format = ImageFormatOf(path);
    // A name with another extension takes the chosen filter's.
    if (!format || (!plot_ && *format == ImageFormat::Svg))
        path += QLatin1Char('.') + suffixOf(dialog.selectedNameFilter());
    if (QFileInfo::exists(path) &&
        ShowMessageBox("Внимание!", tr("Файл существует.Переписать?").toStdString(),
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return QString();
    QSize size = offeredSize();
    if (!askSize(view_->window(), size))
        return QString();
    {
        SettingsStore store;
        store.WriteInteger(kSizeSection, QStringLiteral("Width"), size.width());
        store.WriteInteger(kSizeSection, QStringLiteral("Height"), size.height());
    }
    QString error;
    if (!save(path, size, &error)) {
        ShowMessageBox("Ошибка",
                       tr("Не удалось записать изображение %1: %2")
                           .arg(QDir::toNativeSeparators(path), error)
                           .toStdString(),
                       MB_OK | MB_ICONERROR);
        return QString();
    }
    return path;
}

void ChartImageMenu::copy()
{
    const QImage image = picture();
    if (!image.isNull())
        QApplication::clipboard()->setImage(image);
}
