// What the oscilloscope gives out: the printed summary with the chart, the CSV of its history and
// the chart as a picture.
#include "tools700/scope/ScopeForm.h"

#include "tools700/Messages.h"
#include "tools700/scope/ScopeGraph.h"
#include "tools700/widgets/Controls.h"

#include <QChart>
#include <QComboBox>
#include <QDateTime>
#include <QGraphicsScene>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>

#include <algorithm>

namespace tools700 {

void TScopeForm::btnPrintClick()
{
    if (!setupPrinter || !setupPrinter(*printer_))
        return;
    btnPrint->setEnabled(false);
    PrintSummary(*printer_);
    btnPrint->setEnabled(true);
}

void TScopeForm::PrintSummary(QPrinter &printer)
{
    const QString cursor = CursorPositionText();
    printer.setDocName(QStringLiteral("DazuDizir Summary"));
    QPainter painter;
    if (!painter.begin(&printer)) {
        messages_.Message("Can't print: the printer could not be started");
        return;
    }
    QFont font = painter.font();
    font.setPointSize(10);
    painter.setFont(font);
    const QStringList lines = {
        QStringLiteral("DazuDizir Summary ") + QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat),
        QStringLiteral(" "),
        QStringLiteral("Cursor Position: ") + cursor + QStringLiteral(" seconds"),
        QStringLiteral(" "),
        QStringLiteral("Ch1 Source: ") + Q(scope_->SourceName(1)),
        QStringLiteral("Ch1 Scale:  ") + edtCh1Gain->text() + QLatin1Char(' ') + lblCh1Units->text() +
            QStringLiteral(" per division"),
        QStringLiteral("Ch1 Offset: ") + edtCh1Offset->text() + QLatin1Char(' ') + lblCh1Units->text(),
        QStringLiteral("Ch1 value at cursor:  ") + edtCursorValue1->text(),
        QStringLiteral(" "),
        QStringLiteral("Ch2 Source: ") + Q(scope_->SourceName(2)),
        QStringLiteral("Ch2 Scale:  ") + edtCh2Gain->text() + QLatin1Char(' ') + lblCh2Units->text() +
            QStringLiteral(" per division"),
        QStringLiteral("Ch2 Offset: ") + edtCh2Offset->text() + QLatin1Char(' ') + lblCh2Units->text(),
        QStringLiteral("Ch2 value at cursor:  ") + edtCursorValue2->text(),
        QStringLiteral(" "),
        QStringLiteral("Timebase: ") + cmbTimebase->currentText(),
        QStringLiteral(" "),
        QStringLiteral("Trigger Source: ") + cmbTrigger->currentText(),
        QStringLiteral("Trigger Level: ") + edtTriggerLevel->text() + QLatin1Char(' ') + lblTriggerUnits->text(),
    };
    // One logical unit per printer dot; each line below the one before by that line's height.
    int y = 200;
    const QFontMetrics metrics(painter.font(), &printer);
    for (const QString &line : lines) {
        const QRect box = metrics.boundingRect(line);
        painter.drawText(QRect(100, y, metrics.horizontalAdvance(line) + 1, metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, line);
        y += std::max(box.height(), metrics.height());
    }
    // The chart in the lower half: from the left edge, two thirds of the page wide.
    const int pageWidth = painter.device()->width();
    const int pageHeight = painter.device()->height();
    const QRect target(0, pageHeight / 2, pageWidth * 2 / 3, pageHeight / 2);
    graph->Update();
    graph->scene()->render(&painter, QRectF(target), graph->Chart()->sceneBoundingRect());
    painter.end();
}

void TScopeForm::btnSaveCsvClick()
{
    const QString file = chooseSaveFile ? chooseSaveFile(QStringLiteral("Save CSV"), QStringLiteral("CSV files (*.csv)"))
                                        : QString();
    if (file.isEmpty())
        return;
    if (!scope_->WriteCsv(file.toStdString()))
        messages_.Message("Can't open file " + file.toStdString());
}

void TScopeForm::btnSavePictureClick()
{
    const QString file = chooseSaveFile ? chooseSaveFile(QStringLiteral("Save Picture"), QStringLiteral("PNG pictures (*.png)"))
                                        : QString();
    if (file.isEmpty())
        return;
    graph->Update();
    if (!graph->grab().save(file, "PNG"))
        messages_.Message("Can't open file " + file.toStdString());
}

} // namespace tools700
