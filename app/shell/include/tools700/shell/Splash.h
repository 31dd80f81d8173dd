// Start-up windows: the splash window and the about box, with the picture both show.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

namespace tools700 {

class Messages;

// Paints the product picture into a rectangle of a painter's device.
void PaintProductPicture(class QPainter &p, const QRect &r);

class TSplash : public QWidget {
    Q_OBJECT
public:
    explicit TSplash(QWidget *parent = nullptr);
    // Starts the close timer once the event loop runs: the splash closes itself 2000 ms later.
    void ArmTimer();
    QTimer &Timer1() { return timer_; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QTimer timer_;
};

class TAbout : public QDialog {
    Q_OBJECT
public:
    // `moreText` gives the libraries' versions for "&More"; `messages` shows them.
    TAbout(Messages &messages, std::function<std::string()> moreText, QWidget *parent = nullptr);
    void btnMoreClick();
    // The folders the program uses (program, data, help), one per line.
    void SetFolders(const std::string &text);
    QString FoldersText() const;

private:
    Messages &messages_;
    QLabel *lblFolders_ = nullptr;
    std::function<std::string()> moreText_;
};

} // namespace tools700
