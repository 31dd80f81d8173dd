#include "tools700/widgets/Application.h"

#include "tools700/common/Line.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/QtMessages.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QToolTip>
#include <QWidget>

#include <exception>
#include <new>
#include <thread>

namespace tools700 {

namespace {

class TimingStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return Application::kToolTipDelayMs;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setStyle(new TimingStyle);
    setApplicationName(QString::fromLatin1(kAppTitle));
    setApplicationDisplayName(QString::fromLatin1(kAppTitle));
    setOrganizationName(QStringLiteral("Korvane"));
    // Ties the running windows to the desktop entry (its icon and name in task bars).
    setDesktopFileName(QStringLiteral("com.korvane.tools700"));
    InstallAccessibleWidgets();
    // This thread runs the windows: it must never wait for the drive.
    SetUiThread(std::this_thread::get_id());
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    if (event->type() == QEvent::ToolTip && receiver->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(receiver);
        if (!widget->toolTip().isEmpty()) {
            auto *help = static_cast<QHelpEvent *>(event);
            QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), kToolTipShowMs);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1 &&
        receiver->isWidgetType()) {
        QWidget *window = static_cast<QWidget *>(receiver)->window();
        if (window != &AppHelp()) {
            RunAction([window] { RequestHelp(window); });
            return true;
        }
    }
    bool handled = false;
    RunAction([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

bool RunAction(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const std::bad_alloc &) {
        ShowErrorBox("Out of memory");
    } catch (const std::exception &e) {
        ShowErrorBox(e.what());
    } catch (...) {
        ShowErrorBox("Unknown error");
    }
    return false;
}

} // namespace tools700
