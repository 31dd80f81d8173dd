#include "tools700/widgets/BoundControls.h"

#include "tools700/common/Error.h"
#include "tools700/common/NumberText.h"
#include "tools700/config/ValueSet.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"
#include "tools700/widgets/QtMessages.h"
#include "tools700/widgets/UserNumbers.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <climits>

namespace tools700 {

namespace {

Messages *controlMessages = nullptr;
std::atomic<unsigned long long> nextSerial{1};

int ClampToInt(double x)
{
    return TruncToInt(x);
}

} // namespace

void SetControlMessages(Messages *messages) { controlMessages = messages; }

Messages &ControlMessages() { return controlMessages ? *controlMessages : static_cast<Messages &>(AppMessages()); }

// ---- bindings ----

void TQXRadio::Init(ValueSet *set)
{
    const double x = set->Get(name);
    if (Check(x))
        Update(x);
}

void TQXRadio::Update(double x)
{
    value = x;
    if (group_)
        group_->SetItemIndex(ClampToInt(x));
}

void TQXCombo::Init(ValueSet *set) { Update(set->Get(name)); }

void TQXCombo::Update(double x)
{
    value = x;
    if (!box_)
        return;
    const int index = EnumIndex(name, ClampToInt(x));
    if (index >= 0 && index < box_->count())
        box_->setCurrentIndex(index);
    else if (box_->count() > 0)
        box_->setCurrentIndex(0);
}

void TQXScroll::Init(ValueSet *set)
{
    value = ClampToInt(set->Get(name));
    Update(value);
}

void TQXScroll::Update(double x)
{
    value = x;
    if (bar_) {
        const QSignalBlocker block(bar_);
        bar_->setValue(ClampToInt(x));
    }
}

// ---- BoundControl ----

BoundControl::BoundControl(const Symtab &table) : table_(&table), serial_(nextSerial.fetch_add(1)) {}

bool BoundControl::Acceptable(const QString &name) const
{
    const SymtabEntry *e = table_->Lookup(name.toStdString());
    return e && e->type != kCommand;
}

void BoundControl::SetVarName(const QString &name)
{
    if (!Acceptable(name))
        throw Error("Invalid name for this type");
    BindControl(name, this);
}

QString BoundControl::VarName() const { return QString::fromStdString(Info()->VarName()); }

void BoundControl::Guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        ControlMessages().Message(e.what());
        QPointer<QWidget> widget(Widget());
        // The focus goes back once the focus change that led here has finished.
        QTimer::singleShot(0, widget, [widget] {
            if (widget)
                widget->setFocus(Qt::OtherFocusReason);
        });
    }
}

// ---- TQXEditNum ----

TQXEditNum::TQXEditNum(QWidget *parent) : TQXEditNum(Dictionary(), parent) {}

TQXEditNum::TQXEditNum(const Symtab &table, QWidget *parent)
    : QLineEdit(parent), BoundControl(table), binding_(std::make_unique<TQXNum>(table, this))
{
}

TQXEditNum::~TQXEditNum() = default;

void TQXEditNum::ShowNumText(const std::string &text)
{
    setText(UserNumberText(text));
}

void TQXEditNum::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (text.size() == 1 && text.front().isPrint()) {
        if (binding_->Filter(text.front().unicode()) == 0) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TQXEditNum::DoExit()
{
    Guarded([this] {
        const std::optional<double> read = ReadUserNumber(text());
        if (!read)
            throw Error(numtext::NotANumberText(text().toStdString()));
        const double x = *read;
        if (!binding_->Check(x))
            throw Error("Bounds error : " + Table().BoundsText(binding_->VarName(), UserDecimalPoint()));
        binding_->Val(x);
        binding_->UpdateAll();
    });
}

void TQXEditNum::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        DoExit();
}

TQXEditMotorNum::TQXEditMotorNum(QWidget *parent) : TQXEditNum(MotorParameterTable(), parent) {}

// ---- TQXRadioGroup ----

TQXRadioGroup::TQXRadioGroup(QWidget *parent)
    : QGroupBox(parent), BoundControl(Dictionary()), binding_(std::make_unique<TQXRadio>(Dictionary(), this)),
      buttons_(new QButtonGroup(this)), layout_(new QVBoxLayout(this))
{
    buttons_->setExclusive(true);
    connect(buttons_, &QButtonGroup::idClicked, this, [this](int) { Click(); });
}

TQXRadioGroup::~TQXRadioGroup() = default;

void TQXRadioGroup::SetItems(const QStringList &items)
{
    for (QAbstractButton *b : buttons_->buttons()) {
        buttons_->removeButton(b);
        delete b;
    }
    items_ = items;
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items[i], this);
        b->installEventFilter(this);
        buttons_->addButton(b, i);
        layout_->addWidget(b);
    }
}

int TQXRadioGroup::ItemIndex() const { return buttons_->checkedId(); }

void TQXRadioGroup::SetItemIndex(int index)
{
    QAbstractButton *b = buttons_->button(index);
    if (b) {
        b->setChecked(true);
    } else if (QAbstractButton *checked = buttons_->checkedButton()) {
        // No such button: nothing is selected.
        buttons_->setExclusive(false);
        checked->setChecked(false);
        buttons_->setExclusive(true);
    }
}

QRadioButton *TQXRadioGroup::Button(int index) const { return qobject_cast<QRadioButton *>(buttons_->button(index)); }

void TQXRadioGroup::Store(const char *boundsMessage)
{
    Guarded([this, boundsMessage] {
        const int index = ItemIndex();
        if (!binding_->Check(index))
            throw Error(boundsMessage);
        binding_->Val(index);
        binding_->UpdateAll();
    });
}

void TQXRadioGroup::DoExit() { Store("bounds error"); }
void TQXRadioGroup::Click() { Store("Bounds error"); }

bool TQXRadioGroup::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        // Leaving the group: the focus goes to a widget that is not one of its buttons.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        QWidget *next = QApplication::focusWidget();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            !(next && next->parentWidget() == this))
            DoExit();
    }
    return QGroupBox::eventFilter(watched, event);
}

// ---- TQXComboBox ----

TQXComboBox::TQXComboBox(QWidget *parent) : TQXComboBox(Dictionary(), parent) {}

TQXComboBox::TQXComboBox(const Symtab &table, QWidget *parent)
    : QComboBox(parent), BoundControl(table), binding_(std::make_unique<TQXCombo>(table, this))
{
}

TQXComboBox::~TQXComboBox() = default;

void TQXComboBox::SetVarName(const QString &name)
{
    BoundControl::SetVarName(name);
    std::vector<std::string> texts;
    FillEnumList(texts, binding_->VarName());
    const QSignalBlocker block(this);
    clear();
    for (const std::string &t : texts)
        addItem(QString::fromStdString(t));
}

void TQXComboBox::DoExit()
{
    Guarded([this] {
        const int x = EnumValue(binding_->VarName(), currentText().toStdString());
        binding_->Val(x);
        binding_->UpdateAll();
    });
}

void TQXComboBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        DoExit();
}

TQXComboMotorBox::TQXComboMotorBox(QWidget *parent) : TQXComboBox(MotorParameterTable(), parent) {}

// ---- TQXScrollBar ----

TQXScrollBar::TQXScrollBar(QWidget *parent)
    : QScrollBar(Qt::Horizontal, parent), BoundControl(Dictionary()),
      binding_(std::make_unique<TQXScroll>(Dictionary(), this))
{
    setFocusPolicy(Qt::StrongFocus);
}

TQXScrollBar::~TQXScrollBar() = default;

void TQXScrollBar::SetVarName(const QString &name)
{
    BoundControl::SetVarName(name);
    const QSignalBlocker block(this);
    setRange(ClampToInt(binding_->Min()), ClampToInt(binding_->Max()));
    setValue(ClampToInt(binding_->Val()));
}

void TQXScrollBar::DoExit()
{
    Guarded([this] {
        const int position = value();
        if (!binding_->Check(position))
            throw Error("bounds error");
        binding_->Val(position);
        binding_->UpdateAll();
    });
}

void TQXScrollBar::focusOutEvent(QFocusEvent *event)
{
    QScrollBar::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        DoExit();
}

// ---- form-level operations ----

std::vector<BoundControl *> CollectControls(QWidget *form)
{
    std::vector<BoundControl *> out;
    if (!form)
        return out;
    if (auto *self = dynamic_cast<BoundControl *>(form))
        out.push_back(self);
    for (QWidget *w : form->findChildren<QWidget *>()) {
        if (auto *c = dynamic_cast<BoundControl *>(w))
            out.push_back(c);
    }
    std::sort(out.begin(), out.end(), [](BoundControl *a, BoundControl *b) { return a->Serial() < b->Serial(); });
    return out;
}

std::vector<TQX *> CollectBindings(QWidget *form)
{
    std::vector<TQX *> out;
    for (BoundControl *c : CollectControls(form))
        out.push_back(c->Info());
    return out;
}

void BindControl(const QString &name, BoundControl *control)
{
    QWidget *form = control->Widget()->window();
    const std::vector<TQX *> bindings = CollectBindings(form);
    TQX *own = control->Info();
    own->Disconnect();
    own->SetVarName(name.toStdString());
    for (TQX *other : bindings) {
        if (other != own && other->Matches(own->VarName())) {
            own->Connect(other);
            break;
        }
    }
}

int InitAll(ValueSet &set, QWidget *form)
{
    int count = 0;
    for (TQX *b : CollectBindings(form)) {
        b->Init(&set);
        ++count;
    }
    return count;
}

int StoreAll(ValueSet &set, QWidget *form)
{
    int count = 0;
    for (TQX *b : CollectBindings(form)) {
        set.Set(b->VarName(), b->Val());
        ++count;
    }
    return count;
}

void SetHints(QWidget *form, const Symtab &table)
{
    for (BoundControl *c : CollectControls(form))
        c->Widget()->setToolTip(QString::fromStdString(table.HelpText(c->Info()->VarName())));
}

} // namespace tools700
