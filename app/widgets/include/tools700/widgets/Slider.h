// A horizontal slider with a scale: numbered major steps, minor ticks between them, a unit after
// the numbers and captions written under its left, middle and right part (the tuning wizard's
// bandwidth slider: 0 to 200 Hz, 5 steps of 5 sub-steps, "Gentle", "Medium", "Stiff"). A QSlider
// underneath, so keyboard, mouse and accessibility tools (role slider, its value) work as usual.
#pragma once

#include <QSlider>
#include <QString>
#include <QStringList>

namespace tools700 {

class TScaleSlider : public QSlider {
    Q_OBJECT
public:
    explicit TScaleSlider(QWidget *parent = nullptr);

    // `steps` numbered intervals across the range, each divided in `subSteps` ticks.
    void SetScale(int steps, int subSteps);
    void SetUnit(const QString &unit) { unit_ = unit; update(); }
    void SetCaptions(const QStringList &captions) { captions_ = captions; update(); }
    const QString &Unit() const { return unit_; }
    const QStringList &Captions() const { return captions_; }
    int Steps() const { return steps_; }
    int SubSteps() const { return subSteps_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QRect Groove() const;

    int steps_ = 5;
    int subSteps_ = 5;
    QString unit_;
    QStringList captions_;
};

} // namespace tools700
