// A round dial with a scale of numbered ticks around it and its value written in the middle.
// A QDial underneath, so keyboard, mouse wheel, dragging and accessibility tools (role dial, its
// value) work as usual.
#pragma once

#include <QDial>
#include <QString>

namespace tools700 {

class TDial : public QDial {
    Q_OBJECT
public:
    explicit TDial(QWidget *parent = nullptr);

    // Numbered ticks at every `step` of the range.
    void SetScaleStep(int step) { step_ = qMax(1, step); update(); }
    int ScaleStep() const { return step_; }
    void SetUnit(const QString &unit) { unit_ = unit; update(); }
    const QString &Unit() const { return unit_; }

    QSize sizeHint() const override { return {120, 120}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    int step_ = 10;
    QString unit_;
};

} // namespace tools700
