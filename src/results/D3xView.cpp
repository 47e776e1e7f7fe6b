#include "D3xView.h"

#include <QMouseEvent>

#include "ResultText.h"
#include "ResultVectors.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <GL/gl.h>

#include <vector>

namespace {

constexpr int kFirstGlyph = 32;
constexpr int kGlyphCount = 96;   // the characters 32 ... 127

}   // namespace

D3xView::D3xView(QWidget* parent, const std::array<double, 6>& block, double scale, int kind)
    : QOpenGLWidget(parent), block_(block), scale_(ChartHalfWidth(scale, KindComponents(block, kind))),
      kind_(kind), projection_(ViewBoxMatrix()), picture_(ViewBoxMatrix())
{
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setDepthBufferSize(16);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    setFormat(format);
}

D3xView::~D3xView()
{
    if (glyphBase_ != 0 && context()) {
        makeCurrent();
        glDeleteLists(glyphBase_, kGlyphCount);
        doneCurrent();
    }
}

void D3xView::initializeGL()
{
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    // The light is placed with an identity model-view, which is never changed afterwards.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat position[] = {3.0f, 3.0f, 3.0f, 1.0f};
    const GLfloat direction[] = {-1.0f, -1.0f, -3.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, direction);
    buildGlyphLists();
}

void D3xView::buildGlyphLists()
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(24);
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int width = metrics.maxWidth();
    const int height = metrics.height();
    const int rowBytes = (width + 7) / 8;

    glyphBase_ = glGenLists(kGlyphCount);
    if (glyphBase_ == 0)
        return;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int i = 0; i < kGlyphCount; ++i) {
        const QChar ch(kFirstGlyph + i);
        QImage image(width, height, QImage::Format_Grayscale8);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::TextAntialiasing, true);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(0, metrics.ascent(), QString(ch));
        }
        // glBitmap wants the rows bottom-up, most significant bit first; the anti-aliased
        // coverage is cut at one half.
        std::vector<GLubyte> bits(static_cast<size_t>(rowBytes) * height, 0);
        for (int y = 0; y < height; ++y) {
            const uchar* line = image.constScanLine(height - 1 - y);
            for (int x = 0; x < width; ++x)
                if (line[x] < 128)
                    bits[static_cast<size_t>(y) * rowBytes + x / 8] |= GLubyte(0x80 >> (x % 8));
        }
        glNewList(glyphBase_ + i, GL_COMPILE);
        glBitmap(width, height, 0.0f, static_cast<GLfloat>(metrics.descent()),
                 static_cast<GLfloat>(metrics.horizontalAdvance(ch)), 0.0f, bits.data());
        glEndList();
    }
}

void D3xView::resizeGL(int w, int h)
{
    // A change of size starts the view over from the untilted box, as the projection is
    // loaded afresh; the first call comes before anything is drawn.
    if (QSize(w, h) != lastSize_) {
        lastSize_ = QSize(w, h);
        projection_ = ViewBoxMatrix();
    }
}

void D3xView::DrawScene(int mode, int step)
{
    picture_ = projection_;
    hasPicture_ = true;
    projection_ = ApplyViewRotation(projection_, mode, step);
    update();
}

void D3xView::Turn(int mode, double degrees)
{
    projection_ = ApplyViewRotation(projection_, mode, degrees);
    picture_ = projection_;
    hasPicture_ = true;
    update();
}

void D3xView::mousePressEvent(QMouseEvent* event)
{
    dragFrom_ = event->position().toPoint();
    QOpenGLWidget::mousePressEvent(event);
}

void D3xView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    // Half a degree per pixel: a drag across the view turns it about half way round.
    const QPoint at = event->position().toPoint();
    const QPoint moved = at - dragFrom_;
    dragFrom_ = at;
    if (!moved.isNull())
        emit dragged(0.5 * moved.y(), 0.5 * moved.x());
}

void D3xView::drawText(double x, double y, double z, const QString& text)
{
    if (glyphBase_ == 0)
        return;
    std::vector<GLubyte> codes;
    for (QChar ch : text)
        if (ch.unicode() >= kFirstGlyph && ch.unicode() < kFirstGlyph + kGlyphCount)
            codes.push_back(static_cast<GLubyte>(ch.unicode() - kFirstGlyph));
    glRasterPos3d(x, y, z);
    glListBase(glyphBase_);
    glCallLists(static_cast<GLsizei>(codes.size()), GL_UNSIGNED_BYTE, codes.data());
}

void D3xView::paintGL()
{
    const qreal ratio = devicePixelRatioF();
    glViewport(0, 0, static_cast<GLsizei>(width() * ratio), static_cast<GLsizei>(height() * ratio));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Until the first timer tick there is no picture: the first one shown is the tilted one.
    if (!hasPicture_)
        return;
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(picture_.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // Ground grid in the plane z = 0, as thin as lines go.
    glColor3ub(0, 0, 0);
    glLineWidth(0.01f);
    glBegin(GL_LINES);
    for (int i = -5; i <= 5; ++i) {
        glVertex3d(-5, i, 0);
        glVertex3d(5, i, 0);
        glVertex3d(i, -5, 0);
        glVertex3d(i, 5, 0);
    }
    glEnd();

    glLineWidth(2.0f);
    glBegin(GL_LINES);
    glVertex3d(-6, 0, 0);
    glVertex3d(6, 0, 0);
    glVertex3d(0, -6, 0);
    glVertex3d(0, 6, 0);
    glVertex3d(0, 0, -6);
    glVertex3d(0, 0, 6);
    glEnd();

    const auto tip = VectorTip(block_, kind_, scale_);
    glLineWidth(3.0f);
    if (kind_ == 2)
        glColor3ub(0, 0, 255);
    else
        glColor3ub(255, 0, 0);
    glBegin(GL_LINES);
    glVertex3d(0, 0, 0);
    glVertex3d(tip[0], tip[1], tip[2]);
    glEnd();

    glColor3ub(0, 0, 0);
    glPointSize(4.0f);
    glBegin(GL_POINTS);
    for (int z = -5; z <= 5; ++z)
        glVertex3d(0, 0, z);
    glEnd();

    drawText(0, 7, 0, QStringLiteral("Y"));
    drawText(7, 0, 0, QStringLiteral("X"));
    drawText(0, 0, 7, QStringLiteral("Z"));
    const QString plus = ScaleLabelText(scale_);
    const QString minus = ScaleLabelText(-scale_);
    drawText(0.2, 5, 0, plus);
    drawText(5, 0.2, 0, plus);
    drawText(0.2, 0, 5, plus);
    drawText(0.2, -5, 0, minus);
    drawText(-5, 0.2, 0, minus);
    drawText(0.2, 0, -5, minus);
}
