// A two-position rocker switch with an indicator lamp. On: the rocker is pressed at its upper end
// and the lamp glows; off: pressed at the lower end, lamp dark. A click only reports itself: the
// owner decides whether the switch changes position (SetOn). Accessibility tools see a toggle
// button whose checked state is the position, whose value is the caption of that position, and
// whose press and toggle actions are a click.
#pragma once

#include <QString>
#include <QWidget>

namespace tools700 {

class TRockerSwitch : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool on READ IsOn WRITE SetOn)
public:
    explicit TRockerSwitch(QWidget *parent = nullptr);

    bool IsOn() const { return on_; }
    void SetOn(bool on);
    // Texts written beside the two ends.
    void SetCaptions(const QString &onText, const QString &offText);
    // The caption of the current position.
    QString PositionText() const { return on_ ? onText_ : offText_; }
    // A click from the keyboard, the mouse or an accessibility tool: emits clicked().
    void Click();

    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool on_ = false;
    bool pressed_ = false;
    QString onText_ = QStringLiteral("Serial");
    QString offText_ = QStringLiteral("SERCOS");
};

} // namespace tools700
