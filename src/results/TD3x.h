// The 3-D view: one intensity vector in space, turned with six rotation buttons while they
// are held (a 10 ms timer), the rotation step kept in the settings store ("D3D", "tgrad").
// When no OpenGL drawing context can be had, it says so and closes without drawing.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include <array>

class D3xView;
class QTimer;
namespace Ui {
class TD3x;
}

class TD3x : public QDialog {
    Q_OBJECT
public:
    // block: active x, y, z then reactive x, y, z; kind 1 shows the active vector, 2 the
    // reactive one; `scale` is the value drawn 5 units from the origin (a scale of 0 is
    // replaced by a positive one, see ChartHalfWidth).
    TD3x(QWidget* owner, const std::array<double, 6>& block, double scale, int kind);
    ~TD3x() override;

    int exec() override;
    void done(int result) override;

    // Whether the drawing set-up worked; without it the window closes as soon as it is shown.
    bool drawingReady() const { return view_ != nullptr; }
    D3xView* view() const { return view_; }
    int step() const { return step_; }
    int pressed() const { return pressed_; }
    // Degrees the button held now (or last) has turned the view, its first step included.
    double heldDegrees() const { return turned_; }
    // A held button turns at this speed once it has been held for kHoldDelayMs; a click turns
    // the step of the spin box.
    static constexpr double kHoldDegreesPerSecond = 90.0;
    static constexpr int kHoldDelayMs = 400;
    QTimer* timer() const { return Timer1; }

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void Timer1Timer();
    void CSpinEdit1Change(int value);

private:
    void FormCreate(const std::array<double, 6>& block, double scale, int kind);
    bool checkDrawingSetup();
    void ButtonMouseDown(int tag);
    void ButtonMouseUp();

    Ui::TD3x* ui;
    D3xView* view_ = nullptr;
    QTimer* Timer1;
    int step_ = 3;
    int pressed_ = 0;
    double turned_ = 0.0;
    QElapsedTimer held_;
};
