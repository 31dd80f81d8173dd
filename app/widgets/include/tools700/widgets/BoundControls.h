// Bound controls: Qt widgets that carry a binding (TQX) to a variable of the drive variable
// dictionary or of the motor parameter table. A binding checks and converts what the user enters
// and keeps every control of one window that shows the same variable in step (its cousins).
// The variable is named by the VarName property, from code or from a Qt Designer .ui file
// (a promoted widget with a dynamic property "VarName").
#pragma once

#include "tools700/config/TQX.h"
#include "tools700/config/TQXNum.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

namespace tools700 {

class Messages;
class Symtab;
class ValueSet;
class TQXRadioGroup;
class TQXComboBox;
class TQXScrollBar;

// Where the bound controls show the errors of their exit and click handlers (default: the
// program's Qt message boxes). Passing nullptr restores the default.
void SetControlMessages(Messages *messages);
Messages &ControlMessages();

// Binding of a radio group: the value is the index of the selected button.
class TQXRadio : public TQX {
public:
    TQXRadio(const Symtab &table, TQXRadioGroup *group) : TQX(table), group_(group) {}
    void Init(ValueSet *set) override;  // the set's value when within bounds, else unchanged
    void Update(double x) override;     // selects button number x (truncated)
    TQXRadioGroup *Group() const { return group_; }

private:
    TQXRadioGroup *group_;
};

// Binding of a combo box of an enumerated variable.
class TQXCombo : public TQX {
public:
    TQXCombo(const Symtab &table, TQXComboBox *box) : TQX(table), box_(box) {}
    void Init(ValueSet *set) override;  // no bounds check
    void Update(double x) override;     // selects the item of enumeration value x, else the first
    TQXComboBox *Box() const { return box_; }

private:
    TQXComboBox *box_;
};

// Binding of a scroll bar: the value is the position.
class TQXScroll : public TQX {
public:
    TQXScroll(const Symtab &table, TQXScrollBar *bar) : TQX(table), bar_(bar) {}
    void Init(ValueSet *set) override;  // the set's value truncated
    void Update(double x) override;     // position := x truncated
    TQXScrollBar *Bar() const { return bar_; }

private:
    TQXScrollBar *bar_;
};

// What every bound control offers.
class BoundControl {
public:
    virtual ~BoundControl() = default;
    // The binding.
    virtual TQX *Info() const = 0;
    virtual QWidget *Widget() = 0;
    // True when the name is a variable (not a command) of the control's table.
    bool Acceptable(const QString &name) const;
    // Writing VarName: "Invalid name for this type" for a name the control cannot show;
    // otherwise binds it (BindControl), joining the controls of the window that show it.
    virtual void SetVarName(const QString &name);
    QString VarName() const;
    const Symtab &Table() const { return *table_; }
    // Creation order among all bound controls (the order of CollectBindings).
    unsigned long long Serial() const { return serial_; }

protected:
    explicit BoundControl(const Symtab &table);
    // Runs an exit or click handler: an error is shown, the binding keeps its value and the
    // focus goes back to the control.
    void Guarded(const std::function<void()> &handler);

private:
    const Symtab *table_;
    unsigned long long serial_;
};

class TQXEditNum : public QLineEdit, public BoundControl, public NumEdit {
    Q_OBJECT
    Q_PROPERTY(QString VarName READ VarName WRITE SetVarNameProperty)
public:
    explicit TQXEditNum(QWidget *parent = nullptr);
    TQXEditNum(const Symtab &table, QWidget *parent);
    ~TQXEditNum() override;

    TQX *Info() const override { return binding_.get(); }
    QWidget *Widget() override { return this; }
    void SetVarNameProperty(const QString &name) { SetVarName(name); }

    // Shows a number in the user's regional format.
    void ShowNumText(const std::string &text) override;
    // Leaving the control: converts the text, checks the bounds, stores and updates the cousins.
    void DoExit();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    std::unique_ptr<TQXNum> binding_;
};

class TQXEditMotorNum : public TQXEditNum {
    Q_OBJECT
public:
    explicit TQXEditMotorNum(QWidget *parent = nullptr);
};

class TQXRadioGroup : public QGroupBox, public BoundControl {
    Q_OBJECT
    Q_PROPERTY(QString VarName READ VarName WRITE SetVarNameProperty)
    Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
public:
    explicit TQXRadioGroup(QWidget *parent = nullptr);
    ~TQXRadioGroup() override;

    TQX *Info() const override { return binding_.get(); }
    QWidget *Widget() override { return this; }
    void SetVarNameProperty(const QString &name) { SetVarName(name); }

    QStringList Items() const { return items_; }
    void SetItems(const QStringList &items);
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton *Button(int index) const;

    void DoExit();
    void Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Store(const char *boundsMessage);

    std::unique_ptr<TQXRadio> binding_;
    QStringList items_;
    QButtonGroup *buttons_;
    QVBoxLayout *layout_;
};

class TQXComboBox : public QComboBox, public BoundControl {
    Q_OBJECT
    Q_PROPERTY(QString VarName READ VarName WRITE SetVarNameProperty)
public:
    explicit TQXComboBox(QWidget *parent = nullptr);
    TQXComboBox(const Symtab &table, QWidget *parent);
    ~TQXComboBox() override;

    TQX *Info() const override { return binding_.get(); }
    QWidget *Widget() override { return this; }
    void SetVarNameProperty(const QString &name) { SetVarName(name); }
    // Binds, then fills the list with the variable's enumeration texts in table order.
    void SetVarName(const QString &name) override;

    void DoExit();

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    std::unique_ptr<TQXCombo> binding_;
};

class TQXComboMotorBox : public TQXComboBox {
    Q_OBJECT
public:
    explicit TQXComboMotorBox(QWidget *parent = nullptr);
};

class TQXScrollBar : public QScrollBar, public BoundControl {
    Q_OBJECT
    Q_PROPERTY(QString VarName READ VarName WRITE SetVarNameProperty)
public:
    explicit TQXScrollBar(QWidget *parent = nullptr);
    ~TQXScrollBar() override;

    TQX *Info() const override { return binding_.get(); }
    QWidget *Widget() override { return this; }
    void SetVarNameProperty(const QString &name) { SetVarName(name); }
    // Binds, then sets the bar's range to the variable's bounds.
    void SetVarName(const QString &name) override;

    void DoExit();

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    std::unique_ptr<TQXScroll> binding_;
};

// Form-level operations over the bound controls of a window, in creation order.
std::vector<TQX *> CollectBindings(QWidget *form);
std::vector<BoundControl *> CollectControls(QWidget *form);
// Binds the control to the name and links it with the first other control of its window that
// shows the same name. Raises "Invalid Name" for a name the table lacks.
void BindControl(const QString &name, BoundControl *control);
// Init on every binding from the set; returns how many.
int InitAll(ValueSet &set, QWidget *form);
// Set on the value set for every binding; returns how many.
int StoreAll(ValueSet &set, QWidget *form);
// Each bound control's tool tip becomes its variable's help text in the table.
void SetHints(QWidget *form, const Symtab &table);

} // namespace tools700
