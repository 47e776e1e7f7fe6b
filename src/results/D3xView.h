// The drawing surface of the 3-D view: a legacy OpenGL 1.x scene (ground grid, axes with
// ticks and labels, one vector) drawn with a projection that accumulates the rotations of
// successive draws. Labels are bitmap glyph display lists of a bold 24-pixel monospaced font.
#pragma once

#include "ResultMath.h"

#include <QOpenGLWidget>
#include <QString>

#include <array>

class D3xView : public QOpenGLWidget {
    Q_OBJECT
public:
    // block: active x, y, z then reactive x, y, z; kind 1 draws the active vector in red,
    // kind 2 the reactive one in blue; `scale` is drawn 5 units from the origin.
    D3xView(QWidget* parent, const std::array<double, 6>& block, double scale, int kind);
    ~D3xView() override;

    // Draws the whole scene with the current projection, then applies the rotation of `mode`
    // (0 ... 6) to that projection: each picture shows the rotations up to the draw before.
    void DrawScene(int mode, int step);
    // Turns the projection by `degrees` the way `mode` (1 ... 6) does, and shows it at once.
    void Turn(int mode, double degrees);

    // The projection the next draw starts from, and the one the picture on show was drawn with.
    const Matrix4& projection() const { return projection_; }
    const Matrix4& pictureProjection() const { return picture_; }
    bool hasPicture() const { return hasPicture_; }
    double scale() const { return scale_; }

signals:
    // A drag in the view: degrees to turn about the view's x and z axes.
    void dragged(double aboutX, double aboutZ);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void buildGlyphLists();
    void drawText(double x, double y, double z, const QString& text);

    std::array<double, 6> block_;
    double scale_;
    int kind_;
    Matrix4 projection_;
    Matrix4 picture_;
    bool hasPicture_ = false;
    QSize lastSize_;
    unsigned glyphBase_ = 0;
    QPoint dragFrom_;
};
