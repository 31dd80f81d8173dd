// An indicator lamp (LED) with a caption beside it: lit or unlit, each state in its own colour.
// The on-line window shows the drive's inputs and outputs with them (lit red, unlit green, caption
// "On", "Off" or "?") and its fault state (lit red, unlit silver). Accessibility tools see an
// indicator named by its accessible name (else its caption), checked while lit, whose value and
// text are the caption (so "?" is heard) and whose description is the tool tip.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace tools700 {

class TIndicatorLamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool lit READ IsLit WRITE SetLit)
    Q_PROPERTY(QString caption READ Caption WRITE SetCaption)
public:
    explicit TIndicatorLamp(QWidget *parent = nullptr);

    bool IsLit() const { return lit_; }
    void SetLit(bool lit);
    const QString &Caption() const { return caption_; }
    void SetCaption(const QString &caption);
    void SetColors(const QColor &lit, const QColor &unlit);
    QColor LitColor() const { return litColor_; }
    QColor UnlitColor() const { return unlitColor_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    void Changed(bool stateChanged);

    bool lit_ = false;
    QString caption_;
    QColor litColor_{255, 0, 0};
    QColor unlitColor_{0, 255, 64};
};

} // namespace tools700
