#include "tools700/shell/Splash.h"

#include "tools700/common/Messages.h"
#include "tools700/common/Release.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

namespace tools700 {

void PaintProductPicture(QPainter &p, const QRect &r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(r.topLeft(), r.bottomRight());
    bg.setColorAt(0, QColor(0, 128, 128));
    bg.setColorAt(1, QColor(0, 60, 70));
    p.fillRect(r, bg);

    // A drive: a dark housing with a heat sink and a status display.
    const int unit = qMax(4, r.height() / 12);
    const QRect drive(r.left() + unit * 2, r.top() + unit * 2, unit * 5, r.height() - unit * 4);
    p.setPen(QPen(QColor(10, 10, 10), 2));
    p.setBrush(QColor(45, 48, 52));
    p.drawRoundedRect(drive, unit / 3, unit / 3);
    p.setPen(QPen(QColor(90, 95, 100), 2));
    for (int x = drive.left() + unit / 2; x < drive.right() - unit / 3; x += unit / 2)
        p.drawLine(x, drive.top() + unit / 2, x, drive.top() + unit * 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 60, 40));
    const QRect display(drive.left() + unit, drive.top() + unit * 3, unit * 3, unit * 2);
    p.drawRect(display);
    p.setPen(QColor(255, 230, 220));
    QFont f(QStringLiteral("Verdana"));
    f.setPixelSize(unit);
    f.setBold(true);
    p.setFont(f);
    p.drawText(display, Qt::AlignCenter, QStringLiteral("700"));

    // A sine wave, the drive's business.
    QPainterPath wave;
    const int x0 = drive.right() + unit;
    const int x1 = r.right() - unit;
    const int yc = r.top() + r.height() * 3 / 4;
    wave.moveTo(x0, yc);
    for (int x = x0; x <= x1; x += 2)
        wave.lineTo(x, yc - std::sin((x - x0) / double(unit) * 1.2) * unit * 0.8);
    p.setPen(QPen(QColor(255, 210, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);

    f.setPixelSize(qMax(8, qMin(unit * 3, (x1 - x0) / 5)));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(x0, r.top() + unit, x1 - x0, unit * 4), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("700Tools"));
    f.setPixelSize(qMax(6, qMin(unit, (x1 - x0) / 16)));
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(x0, r.top() + unit * 5, x1 - x0, unit * 2), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Korvane SV7xx servo drives"));
    p.restore();
}

TSplash::TSplash(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Splash"));
    setFixedSize(480, 260);
    if (QScreen *screen = this->screen())
        move(screen->geometry().center() - rect().center());
    timer_.setSingleShot(true);
    timer_.setInterval(2000);
    connect(&timer_, &QTimer::timeout, this, &QWidget::close);
}

void TSplash::ArmTimer()
{
    // Queued: runs when the event loop has started, and the 2000 ms count from there.
    QTimer::singleShot(0, this, [this] { timer_.start(); });
}

void TSplash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    PaintProductPicture(p, rect().adjusted(6, 6, -6, -6));
    p.setPen(QPen(QColor(0, 40, 40), 6));
    p.drawRect(rect().adjusted(3, 3, -3, -3));
}

namespace {
class Picture : public QWidget {
public:
    explicit Picture(QWidget *parent) : QWidget(parent) { setFixedSize(320, 170); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        PaintProductPicture(p, rect());
    }
};
} // namespace

TAbout::TAbout(Messages &messages, std::function<std::string()> moreText, QWidget *parent)
    : QDialog(parent), messages_(messages), moreText_(std::move(moreText))
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About 700Tools"));
    setProperty("helpContext", 104);
    setModal(true);
    auto *picture = new Picture(this);
    auto *label1 = new QLabel(QStringLiteral("700Tools"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    QFont big = label1->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    label1->setFont(big);
    auto *label2 = new QLabel(QStringLiteral("Release ") + QString::fromLatin1(Release()), this);
    label2->setObjectName(QStringLiteral("Label2"));
    // The folders in use: which one a technician's files are in depends on how the program runs.
    lblFolders_ = new QLabel(this);
    lblFolders_->setObjectName(QStringLiteral("lblFolders"));
    lblFolders_->setTextFormat(Qt::PlainText);
    lblFolders_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFolders_->setAccessibleName(QStringLiteral("Folders"));
    auto *btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    auto *btnMore = new QPushButton(QStringLiteral("&More"), this);
    btnMore->setObjectName(QStringLiteral("btnMore"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnMore);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    layout->addWidget(label1, 0, Qt::AlignHCenter);
    layout->addWidget(label2, 0, Qt::AlignHCenter);
    layout->addWidget(lblFolders_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnMore, &QPushButton::clicked, this, &TAbout::btnMoreClick);
}

void TAbout::SetFolders(const std::string &text)
{
    lblFolders_->setText(QString::fromStdString(text));
    lblFolders_->setAccessibleDescription(lblFolders_->text());
}

QString TAbout::FoldersText() const { return lblFolders_->text(); }

void TAbout::btnMoreClick() { messages_.Message(moreText_ ? moreText_() : std::string()); }

} // namespace tools700
