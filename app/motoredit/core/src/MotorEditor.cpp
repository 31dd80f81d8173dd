#include "tools700/motoredit/MotorEditor.h"

#include "tools700/common/Error.h"
#include "tools700/common/Messages.h"
#include "tools700/motors/MotorExtensions.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace tools700::motoredit {

namespace fs = std::filesystem;

std::string DeleteFailedText(const std::string &path)
{
    return "Unable to delete old definition of \n\"" + path + "\"\nMotor database update aborted!";
}

std::string MotorNameOf(const fs::path &file)
{
    std::string name = file.stem().string();
    for (char &c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

MotorEditor::MotorEditor(fs::path folder) : folder_(std::move(folder)) {}

void MotorEditor::Open(Messages &messages)
{
    names_.clear();
    motors_.clear();
    untouched_.clear();
    bool reading = true;
    for (const fs::path &file : MotorExtensionFiles(folder_)) {
        const std::string name = MotorNameOf(file);
        if (!reading) {
            untouched_.insert(name);
            continue;
        }
        if (!Holds(name))
            names_.push_back(name);
        auto motor = std::make_unique<Motor>();
        try {
            motor->Load(file.string());
            motors_[name] = std::move(motor);
        } catch (const Error &e) {
            messages.Show(BoxKind::Error, ErrorBoxText(e.what()), BtnOk);
            untouched_.insert(name);
            reading = false;
        }
    }
    std::sort(names_.begin(), names_.end());
}

bool MotorEditor::Holds(const std::string &name) const
{
    return std::find(names_.begin(), names_.end(), name) != names_.end() || untouched_.count(name) > 0;
}

Motor *MotorEditor::Find(const std::string &name)
{
    auto it = motors_.find(name);
    return it == motors_.end() ? nullptr : it->second.get();
}

const Motor *MotorEditor::Find(const std::string &name) const
{
    auto it = motors_.find(name);
    return it == motors_.end() ? nullptr : it->second.get();
}

int MotorEditor::Add(const std::string &name, const Motor &motor)
{
    names_.insert(std::upper_bound(names_.begin(), names_.end(), name), name);
    motors_[name] = std::make_unique<Motor>(motor);
    return static_cast<int>(std::find(names_.begin(), names_.end(), name) - names_.begin());
}

void MotorEditor::Store(const std::string &name, const Motor &motor)
{
    if (Motor *m = Find(name))
        *m = motor;
    else
        motors_[name] = std::make_unique<Motor>(motor);
    // A name whose file could not be read now has a motor the user gave it.
    untouched_.erase(name);
}

void MotorEditor::Remove(const std::string &name)
{
    names_.erase(std::remove(names_.begin(), names_.end(), name), names_.end());
    motors_.erase(name);
    // The user removed it: its file goes on Exit even if it could not be read.
    untouched_.erase(name);
}

fs::path MotorEditor::FileOf(const std::string &name) const { return folder_ / (name + ".MDE"); }

bool MotorEditor::Replaceable(const fs::path &file) const { return untouched_.count(MotorNameOf(file)) == 0; }

bool MotorEditor::Exit(Messages &messages)
{
    std::error_code ec;
    // 1. The new files under temporary names.
    std::vector<std::pair<fs::path, fs::path>> written; // temporary, final
    const auto removeWritten = [&] {
        for (const auto &w : written)
            fs::remove(w.first, ec);
    };
    for (const std::string &name : names_) {
        const Motor *motor = Find(name);
        if (!motor)
            continue; // unreadable when opened and not edited: its file stays as it is
        const fs::path final = FileOf(name);
        const fs::path temporary = final.string() + kNewSuffix;
        try {
            Motor copy(*motor);
            copy.Save(temporary.string(), 0);
        } catch (const Error &e) {
            removeWritten();
            messages.Show(BoxKind::Error, ErrorBoxText(e.what()), BtnOk);
            return false;
        }
        written.emplace_back(temporary, final);
    }

    // 2. The old files moved aside.
    std::vector<fs::path> moved;
    const auto restoreOld = [&] {
        for (const fs::path &old : moved)
            fs::rename(old.string() + kOldSuffix, old, ec);
    };
    for (const fs::path &old : MotorExtensionFiles(folder_)) {
        if (!Replaceable(old))
            continue;
        std::error_code moveError;
        fs::rename(old, old.string() + kOldSuffix, moveError);
        if (moveError) {
            restoreOld();
            removeWritten();
            messages.Warning(DeleteFailedText(old.string()));
            return false;
        }
        moved.push_back(old);
    }

    // 3. The new files in place.
    for (std::size_t i = 0; i < written.size(); ++i) {
        std::error_code placeError;
        fs::rename(written[i].first, written[i].second, placeError);
        if (placeError) {
            for (std::size_t j = 0; j < i; ++j)
                fs::remove(written[j].second, ec);
            restoreOld();
            removeWritten();
            messages.Show(BoxKind::Error, ErrorBoxText("Error writing file " + written[i].second.string()), BtnOk);
            return false;
        }
    }

    // 4. The old files go.
    for (const fs::path &old : moved)
        fs::remove(old.string() + kOldSuffix, ec);
    return true;
}

} // namespace tools700::motoredit
