// A chart's picture for reports: every chart's context menu ("Сохранить изображение…",
// "Копировать") and the writers behind it. A chart drawn with QCustomPlot is written at any
// size as PNG, SVG or PDF (the vector forms keep lines and text sharp); a view that only has
// a rendered picture (the 3-D view) is written as PNG or as a PDF page showing that picture.
#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QCustomPlot;
class QMenu;
class QPoint;
class QWidget;

enum class ImageFormat { Png, Svg, Pdf };

// The format a file's extension names (case aside), or none.
std::optional<ImageFormat> ImageFormatOf(const QString& path);

// Writes the chart laid out at `size` pixels. False, with the reason in `error`, when the file
// could not be written.
bool WriteChartImage(QCustomPlot& plot, const QString& path, QSize size, QString* error = nullptr);
// Writes a rendered picture, scaled to `size` when that differs: PNG or PDF, not SVG.
bool WritePicture(const QImage& picture, const QString& path, QSize size, QString* error = nullptr);

class ChartImageMenu : public QObject {
    Q_OBJECT
public:
    // The chart opens the menu itself on a right click, unless `ownClick` is false: then the
    // chart's owner, which uses the right button for more, calls popup() on a click.
    explicit ChartImageMenu(QCustomPlot* plot, bool ownClick = true);
    // A view with a picture only; `grab` renders it at the view's size.
    ChartImageMenu(QWidget* view, std::function<QImage()> grab);
    ~ChartImageMenu() override;

    QMenu* menu() const { return menu_; }
    QAction* saveAction() const { return save_; }
    QAction* copyAction() const { return copy_; }
    void popup(const QPoint& globalPos);

    bool vector() const { return plot_ != nullptr; }
    // The picture at a size (the view's own size when empty).
    QImage picture(QSize size = QSize()) const;
    // Writes the picture without asking; the format from the extension.
    bool save(const QString& path, QSize size, QString* error = nullptr);
    // Asks for a file and a size, writes, and tells the window where the file went. Returns
    // the file written, or empty (cancelled, or an error the user was told about).
    QString saveAs();
    // Puts the picture at the view's size on the clipboard.
    void copy();

    // The size the save flow offers first: the last one chosen, or the view's own size.
    QSize offeredSize() const;

signals:
    void written(const QString& path);

private:
    void build();
    // The menu's items in the interface's current language.
    void retranslate();

    QWidget* view_ = nullptr;
    QCustomPlot* plot_ = nullptr;
    std::function<QImage()> grab_;
    QMenu* menu_ = nullptr;
    QAction* save_ = nullptr;
    QAction* copy_ = nullptr;
};
