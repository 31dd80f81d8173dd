// Accessibility of the program's windows: the interfaces through which screen readers and test
// robots on the accessibility bus see the drawn widgets (rocker switch, indicator lamp), and a
// check that every control of a window can be told by name.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tools700 {

// Installs the interfaces of the drawn widgets with Qt's accessibility (once; the widgets call it).
void InstallAccessibleWidgets();

// Walks the accessibility tree of a window and lists every control a user can operate or read a
// value from (buttons, boxes, edits, tabs, menu entries, sliders, dials, lamps, switches) that has
// no accessible name, as "<role> <object name>". Hidden controls are included: they are named as
// well, for when they are shown.
QStringList NamelessControls(QWidget *window);

// Sets the accessible name of a control that has no caption and no label of its own.
void NameControl(QWidget *control, const QString &name);

} // namespace tools700
