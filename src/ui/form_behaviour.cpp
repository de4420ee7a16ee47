#include "ui/form_behaviour.h"

#include <exception>

#include "core/messages.h"
#include "core/observation_date.h"
#include "platform/clock.h"
#include "platform/platform_file.h"
#include "platform/regional_settings.h"
#include "text/dates.h"
#include "text/errors.h"
#include "ui/app_identity.h"
#include "ui/path_text.h"

namespace celestra {
namespace {

// A dialog opens on the path in its field when that path's folder exists
// (the file the user is working with, typed or kept from the last use), else
// on the file it chose last.
void StartAtField(OpenDialog& dialog, const std::string& fieldText) {
    const std::string fieldPath = PathWithoutCopiedQuotes(fieldText);
    const std::string folder = DirectoryPart(fieldPath);
    if (!folder.empty() && FolderExists(folder)) dialog.fileName = fieldPath;
}

}  // namespace

std::optional<std::string> DroppedPath(const std::vector<DroppedItem>& items) {
    if (items.empty() || !items.front().local || items.front().path.empty()) return std::nullopt;
    if (FolderExists(items.front().path)) return std::nullopt;
    return items.front().path;
}

FormBehaviour::FormBehaviour(Desktop& desktop, FormControls& controls) : desktop_(desktop), controls_(controls) {
    StartUp();
}

void FormBehaviour::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        desktop_.ShowError(ErrorBoxText(ErrorText(error)));
    }
}

void FormBehaviour::Start(const std::string& executablePath) {
    Guarded([&] {
        programFolder_ = ProgramFolder(executablePath);
        settings_ = LocateSettings(programFolder_);
        ReadSettings(
            settings_, [this](const std::string& path) { controls_.SetCometPath(path); },
            [this](const std::string& path) { controls_.SetObjectPath(path); });
        controls_.SetDateText(DefaultObservationDate());
        controls_.SetPrecise(ReadOptions(settings_).precise);
    });
}

void FormBehaviour::Close() {
    Guarded([this] {
        // The options are kept even when the paths cannot be, and the
        // first failure is the one box.
        std::exception_ptr failure;
        try {
            WriteSettings(settings_, controls_.CometPath(), controls_.ObjectPath());
        } catch (const std::exception&) {
            failure = std::current_exception();
        }
        try {
            WriteOptions(settings_, {controls_.Precise()});
        } catch (const std::exception&) {
            if (failure == nullptr) failure = std::current_exception();
        }
        if (failure != nullptr) std::rethrow_exception(failure);
    });
}

void FormBehaviour::PickCometFile() {
    Guarded([this] {
        StartAtField(cometDialog, controls_.CometPath());
        if (const auto path = desktop_.ChooseFile(cometDialog)) controls_.SetCometPath(*path);
    });
}

void FormBehaviour::PickObjectFile() {
    Guarded([this] {
        StartAtField(objectDialog, controls_.ObjectPath());
        if (const auto path = desktop_.ChooseFile(objectDialog)) controls_.SetObjectPath(*path);
    });
}

void FormBehaviour::DropOnCometField(const std::vector<DroppedItem>& items) {
    Guarded([&] {
        if (const auto path = DroppedPath(items)) {
            cometDialog.fileName = *path;
            controls_.SetCometPath(*path);
        }
    });
}

void FormBehaviour::DropOnObjectField(const std::vector<DroppedItem>& items) {
    Guarded([&] {
        if (const auto path = DroppedPath(items)) {
            objectDialog.fileName = *path;
            controls_.SetObjectPath(*path);
        }
    });
}

void FormBehaviour::Process() {
    Guarded([this] {
        // A path pasted with Explorer's quotes runs, and its field shows
        // (and the settings keep) the path the run used.
        state_.cometPath = PathWithoutCopiedQuotes(controls_.CometPath());
        if (state_.cometPath != controls_.CometPath()) controls_.SetCometPath(state_.cometPath);
        state_.objectPath = PathWithoutCopiedQuotes(controls_.ObjectPath());
        if (state_.objectPath != controls_.ObjectPath()) controls_.SetObjectPath(state_.objectPath);
        state_.dateText = controls_.DateText();
        state_.precise = controls_.Precise();
        ProcessingRun(state_, desktop_).Run();
    });
}

void FormBehaviour::SetToday() {
    Guarded([this] { controls_.SetDateText(DefaultObservationDate()); });
}

void FormBehaviour::StepDay(bool forward) {
    Guarded([this, forward] {
        const double dayCount = TextToDate(controls_.DateText(), CurrentYear());
        controls_.SetDateText(DateToText(dayCount + (forward ? 1 : -1)));
    });
}

void FormBehaviour::CheckMask() {
    if (!controls_.DateMaskIncomplete()) return;
    desktop_.Beep();
    controls_.ReturnFocusToDate();
    throw Error(kMaskErrorText);
}

void FormBehaviour::DateFieldEnter() {
    Guarded([this] { CheckMask(); });
}

bool FormBehaviour::DateTextConverts() const {
    try {
        TextToDate(controls_.DateText(), CurrentYear());
        return true;
    } catch (const ConversionError&) {
        return false;
    }
}

bool FormBehaviour::DateFieldRefusesToLeave() const { return controls_.DateMaskIncomplete() || !DateTextConverts(); }

void FormBehaviour::CheckDate() {
    if (DateTextConverts()) return;
    // Back in the field before the box opens, so that the box hands the
    // focus back to it when it closes.
    controls_.ReturnFocusToDate();
    desktop_.Show(kBadDateText);
}

void FormBehaviour::LeaveDateField() {
    // No date check after a failed mask check.
    Guarded([this] {
        if (controls_.DateMaskIncomplete()) {
            CheckMask();
        } else {
            CheckDate();
        }
    });
}

}  // namespace celestra
