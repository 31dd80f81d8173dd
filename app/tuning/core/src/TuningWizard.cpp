#include "tools700/tuning/TuningWizard.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "mdb700.h"
#include "tools700/common/Error.h"
#include "tools700/common/Messages.h"
#include "tools700/common/Session.h"
#include "tools700/config/Generator.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/DriveFamily.h"

#include <chrono>
#include <thread>

namespace tools700::tuning {

const std::array<EditRange, kFieldCount> kEditRanges = {{
    {kFieldInertiaRatio, kEditInertiaRatio, 0, 100, "Inertia Ratio is out of range"},
    {kFieldKvp, kEditKvp, 0, 378, "Kvp is out of range"},
    {kFieldKvi, kEditKvi, 0, 636.6, "Kvi is out of range"},
    {kFieldARF0, kEditARF0, 0.01, 1e7, "ARF0 is out of range"},
    {kFieldARF1, kEditARF1, 0.01, 1e7, "ARF1 is out of range"},
}};

namespace {

bool InRange(const EditRange &r, double v) { return v >= r.min && v <= r.max; }

const EditRange *RangeOfEdit(int pendingEdit)
{
    for (const EditRange &r : kEditRanges)
        if (r.pendingEdit == pendingEdit)
            return &r;
    return nullptr;
}

// The drive values LoadTuningData reads, in order; their position is the code of a failed read.
constexpr const char *kLoadNames[] = {"Model", "Motor1", "Motor2", "Kvp", "Kvi", "ARF0", "ARF1", "ARZ0", "ARZ1", "Kip"};

} // namespace

Indicator IndicatorFor(double bw, double kvi, double arf0, double arf1)
{
    if (kvi < bw && bw < arf0 && bw < arf1)
        return Indicator::PhaseMargin;
    if (bw < kvi)
        return Indicator::KvpTooLow;
    if (bw > arf0 || bw > arf1)
        return Indicator::KvpTooHigh;
    return Indicator::Unchanged;
}

DriveError::DriveError(int status) : Error(StatusText(status)), status_(status) {}

std::string DriveName(double model)
{
    const int code = TruncToInt(model);
    return code > 1000 ? "SVE" + std::to_string(code - 1000) : "SV" + std::to_string(code);
}

Gains ReadGains()
{
    Gains g;
    for (auto [name, value] : {std::pair{"Kvp", &g.Kvp}, {"Kvi", &g.Kvi}, {"ARF0", &g.ARF0}, {"ARF1", &g.ARF1}})
        if (const int status = line::GetVar700(name, value); status != 0)
            throw DriveError(status);
    return g;
}

std::string ApplyQuestion(const Gains &drive, const Gains &wanted, char point)
{
    auto up2 = [point](double x) { return UpToText(x, 2, point); };
    auto general = [point](double x) { return GeneralText(x, point); };
    return "Applying the your adjustment will change the parameters in drive.\n--------From --> To-------- \n"
           "Kvp  " + KvpText(drive.Kvp, point) + "-->" + general(wanted.Kvp) + "\n" +
           "Kvi   " + up2(drive.Kvi) + "-->" + general(wanted.Kvi) + "\n" +
           "ARF0  " + up2(drive.ARF0) + "-->" + general(wanted.ARF0) + "\n" +
           "ARF1  " + up2(drive.ARF1) + "-->" + general(wanted.ARF1) + "\n" +
           "and the drive will be disabled.  Would you like to do it now?";
}

bool ApplyGains(const Gains &wanted, Messages &messages, char point)
{
    const Gains drive = ReadGains();
    if (!messages.Confirm(ApplyQuestion(drive, wanted, point)))
        return false;
    // The drive is disabled before its loop changes; Kvi goes first so the integrator never runs
    // with the new proportional gain and the old integral gain.
    const std::pair<const char *, double> writes[] = {
        {"Enable", 0}, {"Kvi", wanted.Kvi}, {"Kvp", wanted.Kvp}, {"ARF0", wanted.ARF0}, {"ARF1", wanted.ARF1}};
    for (const auto &[name, value] : writes)
        if (const int status = line::PutVar700(name, value); status != 0)
            throw DriveError(status);
    return true;
}

bool TuningWizard::MotorData()
{
    const char *motor = MotorName.c_str();
    Ke = mdb_Ke(motor);
    if (Ke == 0) {
        messages_.Message("Ke is 0, please check the motor database.");
        return false;
    }
    Inertia = mdb_Inertia(motor);
    if (Inertia == 0) {
        messages_.Message("Inertia is 0, please check the motor database.");
        return false;
    }
    Inductance = mdb_Inductance(motor) / 1000; // millihenry to henry
    if (Inductance == 0) {
        messages_.Message("Inductance is 0, please check the motor database.");
        return false;
    }
    return true;
}

DriveTuningData ReadDriveTuningData()
{
    DriveTuningData read;
    for (int i = 0; i < 10; ++i) {
        if (const int status = line::GetVar700(kLoadNames[i], &read.values[static_cast<std::size_t>(i)]); status != 0) {
            read.failedAt = i + 1;
            read.status = status;
            break;
        }
    }
    return read;
}

bool DriveAnswers()
{
    double axis = 0;
    return line::GetVar700("AxisAddr", &axis) == 0;
}

int SaveInNvram() { return line::ExeCmd700("NVSave"); }

int TuningWizard::LoadTuningData() { return TakeTuningData(TuningMode == kOnline ? ReadDriveTuningData() : DriveTuningData{}); }

int TuningWizard::TakeTuningData(const DriveTuningData &read)
{
    if (TuningMode == kOnline) {
        if (read.failedAt != 0) {
            messages_.Message(StatusText(read.status));
            return read.failedAt;
        }
        double *const into[] = {&Model, &Motor1, &Motor2, &Kvp, &Kvi, &ARF0, &ARF1, &ARZ0, &ARZ1, &Kip};
        for (std::size_t i = 0; i < read.values.size(); ++i)
            *into[i] = read.values[i];
        MotorName = UnpackMotorName(Motor1, Motor2);
    }
    if (!MotorData()) {
        if (Ke == 0)
            return 11;
        return Inertia == 0 ? 12 : 14;
    }
    return 0;
}

void TuningWizard::Activate(double inertiaRatio)
{
    JR = inertiaRatio;
    view_.edit[kFieldInertiaRatio] = Text(JR, 2);
    if (TuningMode == kOnline) {
        view_.motor = MotorName;
        view_.drive = DriveName(Model);
        ShowKvpBandwidth();
        view_.applyVisible = true;
        view_.edit[kFieldKvp] = KvpText(Kvp, DecimalPoint);
        PendingEdit = kFirstOnline;
    } else {
        view_.applyVisible = false;
        view_.motor = MotorName;
        view_.drive = DriveText;
        Kvi = kDefaultKvi;
        ARF0 = kDefaultARF0;
        ARF1 = kDefaultARF1;
        ARZ0 = ARZ1 = 0;
        // In millihenry times 2 pi, so that with Inductance in henry the current loop's term of
        // the phase margin is atan(BW / 1000).
        Kip = kTwoPi * mdb_Inductance(MotorName.c_str());
        view_.sliderValue = kDefaultBandwidth;
        PendingEdit = kEditSlider;
    }
    Start = {Kvp, Kvi, ARF0, ARF1};
    view_.edit[kFieldKvi] = Text(Kvi, 2);
    view_.edit[kFieldARF0] = Text(ARF0, 2);
    view_.edit[kFieldARF1] = Text(ARF1, 2);
    view_.applyEnabled = false;
    Applied = false;
}

void TuningWizard::ShowKvpBandwidth()
{
    BW = BandwidthFromKvp(Kvp, Ke, Inertia, JR);
    if (BW < 0 || BW > kKvpPathMax) {
        view_.sliderVisible = false;
        view_.outOfSliderRange = true;
        view_.bandwidthReader = GeneralText(BW, DecimalPoint);
    } else {
        BW = HalfUp(BW);
        view_.sliderVisible = true;
        view_.sliderValue = BW;
        view_.outOfSliderRange = false;
        view_.bandwidthReader = Text(BW, 1);
    }
}

void TuningWizard::SetKvp(double kvp)
{
    Kvp = kvp;
    ShowKvpBandwidth();
}

void TuningWizard::SetBandwidth(double bw)
{
    BW = bw;
    view_.bandwidthReader = Text(BW, 1);
    Kvp = KvpFromBandwidth(BW, Ke, Inertia, JR);
    view_.edit[kFieldKvp] = KvpText(Kvp, DecimalPoint);
}

void TuningWizard::KeyPress(EditField field) { PendingEdit = kEditRanges[field].pendingEdit; }

void TuningWizard::SliderChanged(double value)
{
    view_.sliderValue = value;
    SliderMoved = true;
}

bool TuningWizard::SliderReleased()
{
    if (!SliderMoved)
        return false;
    SliderMoved = false;
    view_.applyEnabled = true;
    PendingEdit = kEditSlider;
    return true;
}

void TuningWizard::OutOfRange(const char *warning)
{
    view_.applyEnabled = false;
    messages_.Warning(warning, BtnOk);
}

void TuningWizard::Take(EditField field, double v)
{
    switch (field) {
    case kFieldInertiaRatio: {
        JR = v;
        BW = BandwidthFromKvp(Kvp, Ke, Inertia, JR);
        // The ratio path keeps the bandwidth as computed, inside the slider's open range only.
        const bool onSlider = BW > 0 && BW < kSliderMax;
        view_.sliderVisible = onSlider;
        view_.outOfSliderRange = !onSlider;
        if (onSlider)
            view_.sliderValue = BW;
        view_.bandwidthReader = Text(BW, 1);
        break;
    }
    case kFieldKvp:
        view_.applyEnabled = true;
        SetKvp(v);
        break;
    default:
        (field == kFieldKvi ? Kvi : field == kFieldARF0 ? ARF0 : ARF1) = v;
        view_.applyEnabled = true;
        break;
    }
}

void TuningWizard::Evaluate(const EditTexts &texts)
{
    TakeTexts(texts);
    const int pending = PendingEdit;
    switch (pending) {
    case kEditInertiaRatio:
    case kEditKvp:
    case kEditKvi:
    case kEditARF0:
    case kEditARF1: {
        const EditRange &range = *RangeOfEdit(pending);
        const std::string &text = texts[range.field];
        if (text.empty())
            break;
        const double v = NumberOf(text, DecimalPoint);
        if (!InRange(range, v)) {
            // The ratio and Kvp decide the bandwidth: without a valid one the slider has nothing
            // to show.
            if (range.field == kFieldInertiaRatio || range.field == kFieldKvp) {
                view_.outOfSliderRange = true;
                view_.sliderVisible = false;
                view_.bandwidthReader.clear();
            }
            OutOfRange(range.warning);
            return;
        }
        Take(range.field, v);
        break;
    }
    case kEditSlider:
        SetBandwidth(view_.sliderValue);
        break;
    case kFirstOnline:
        SetKvp(NumberOf(texts[kFieldKvp], DecimalPoint));
        break;
    default:
        break;
    }
    UpdateIndicators();
}

void TuningWizard::UpdateIndicators()
{
    switch (IndicatorFor(BW, Kvi, ARF0, ARF1)) {
    case Indicator::PhaseMargin:
        view_.phaseVisible = true;
        view_.phaseValue = Text(PhaseMargin(BW, Loop()), 2);
        view_.kvpTooLow = false;
        view_.kvpTooHigh = false;
        break;
    case Indicator::KvpTooLow:
        view_.kvpTooLow = true;
        view_.kvpTooHigh = false;
        break;
    case Indicator::KvpTooHigh:
        view_.kvpTooLow = false;
        view_.kvpTooHigh = true;
        break;
    case Indicator::Unchanged:
        break;
    }
}

void TuningWizard::UndoAll(double inertiaRatio)
{
    JR = inertiaRatio;
    Kvp = Start.Kvp;
    Kvi = Start.Kvi;
    ARF0 = Start.ARF0;
    ARF1 = Start.ARF1;
    view_.edit[kFieldInertiaRatio] = Text(JR, 2);
    view_.edit[kFieldKvi] = Text(Kvi, 2);
    view_.edit[kFieldARF0] = Text(ARF0, 2);
    view_.edit[kFieldARF1] = Text(ARF1, 2);
    view_.edit[kFieldKvp] = KvpText(Kvp, DecimalPoint);
    PendingEdit = kEditKvp;
}

void TuningWizard::Default()
{
    Kvi = kDefaultKvi;
    ARF0 = kDefaultARF0;
    ARF1 = kDefaultARF1;
    view_.edit[kFieldKvi] = "5";
    view_.edit[kFieldARF0] = "150";
    view_.edit[kFieldARF1] = "750";
    view_.sliderValue = kDefaultBandwidth;
    PendingEdit = kEditSlider;
}

std::optional<Gains> TuningWizard::CheckedGains(const EditTexts &texts)
{
    TakeTexts(texts);
    double *const into[kFieldCount] = {nullptr, &Kvp, &Kvi, &ARF0, &ARF1};
    for (const EditRange &range : kEditRanges) {
        const double v = NumberOf(texts[range.field], DecimalPoint);
        if (!InRange(range, v)) {
            messages_.Warning(range.warning, BtnOk);
            return std::nullopt;
        }
        // The ratio is only checked: it changes no drive value.
        if (into[range.field])
            *into[range.field] = v;
    }
    return Gains{Kvp, Kvi, ARF0, ARF1};
}

void TuningWizard::MarkApplied()
{
    Applied = true;
    view_.applyEnabled = false;
}

bool TuningWizard::Apply(const EditTexts &texts)
{
    const std::optional<Gains> wanted = CheckedGains(texts);
    if (!wanted || !ApplyGains(*wanted, messages_, DecimalPoint))
        return false;
    MarkApplied();
    return true;
}

void TuningWizard::Close(const EditTexts &texts, Session &session, const std::function<void(int ms)> &wait)
{
    if (OffersLastChange() && messages_.Confirm(kApplyLastChange))
        Apply(texts);
    if (OffersNvSave() && messages_.Confirm(kSaveInNvram)) {
        if (!DriveAnswers()) {
            messages_.Warning(kNoCommunication, BtnOk);
        } else {
            session.SuspendStatusPolling();
            if (wait)
                wait(0);
            const int status = SaveInNvram();
            messages_.Warning(status == 0 ? kNvSaveDone : kNvSaveFailed, BtnOk);
            // The drive is busy writing its memory for a while after it answers.
            if (wait)
                wait(1000);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1000));
            session.ResumeStatusPolling();
        }
    }
    FinishClose(session);
}

void TuningWizard::FinishClose(Session &session)
{
    session.InertiaRatio = JR;
    view_.outOfSliderRange = false;
    view_.sliderVisible = true;
}

void TuningWizard::TakeTexts(const EditTexts &texts)
{
    for (int i = 0; i < kFieldCount; ++i)
        view_.edit[i] = texts[static_cast<std::size_t>(i)];
}

EditTexts TuningWizard::Texts() const
{
    EditTexts t;
    for (int i = 0; i < kFieldCount; ++i)
        t[static_cast<std::size_t>(i)] = view_.edit[i];
    return t;
}

} // namespace tools700::tuning
