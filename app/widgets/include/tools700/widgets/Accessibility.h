// Accessibility of the program's windows: the interfaces through which screen readers and test
// robots on the accessibility bus see the drawn widgets (rocker switch, indicator lamp) and Qt's
// labels, panels, edits, combo boxes and tab bars, a check that every control of a window can be
// told by name, and the audit every window's widget test runs.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tools700 {

// Installs the program's interfaces with Qt's accessibility (once; the application object and the
// drawn widgets call it).
void InstallAccessibleWidgets();

// Walks the accessibility tree of a window and lists every control a user can operate or read a
// value from (buttons, boxes, edits, tabs, menu entries, sliders, dials, lamps, switches) that has
// no accessible name, as "<role> <object name>". Hidden controls are included: they are named as
// well, for when they are shown.
QStringList NamelessControls(QWidget *window);

// The accessibility audit of a window, as a screen reader or a test robot meets it through Qt's
// accessibility interfaces: one line per problem ("<what> <object name>: ..."), none when all is
// well. It finds
// - controls without a name (NamelessControls);
// - combo boxes not named by their label (their text is their value), labels not named by their
//   own text (an empty one named after its group box), values that are not what is shown (labels,
//   panels, lamps, edits, combo boxes);
// - controls that cannot be operated as with the mouse and keyboard: a combo box entry that cannot
//   be chosen, an edit the user can type into whose text cannot be set;
// - hidden controls and tabs that report themselves as showing.
QStringList AccessibilityProblems(QWidget *window);

// Sets the accessible name of a control that has no caption and no label of its own.
void NameControl(QWidget *control, const QString &name);

} // namespace tools700
