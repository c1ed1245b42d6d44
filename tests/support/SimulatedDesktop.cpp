#include "support/SimulatedDesktop.h"

#include <algorithm>

SimulatedApp::SimulatedApp(SimulatedDesktop& desktop, qint64 pid, QString bundleIdentifier,
                           QString name)
    : pid(pid),
      bundleIdentifier(std::move(bundleIdentifier)),
      name(std::move(name)),
      desktop_(desktop) {
    element = SimulatedAXNode::make(AXRole::Application);
    element->applicationOf = this;
    window = SimulatedAXNode::make(AXRole::Window);
    SimulatedAXNode::attach(window, element);
    field = SimulatedAXNode::make(AXRole::TextArea);
    field->textFieldOf = this;
    field->selectionReplaceable = true;
    field->focusable = true;
    SimulatedAXNode::attach(field, window);
    focused = field;
}

SimulatedApp::~SimulatedApp() {
    element->applicationOf = nullptr;
    field->textFieldOf = nullptr;
}

void SimulatedApp::setText(const QString& value, int start, int length) {
    text = value;
    selectionStart = std::clamp(start, 0, int(text.size()));
    selectionLength = std::clamp(length, 0, int(text.size()) - selectionStart);
}

void SimulatedApp::selectAll() {
    selectionStart = 0;
    selectionLength = int(text.size());
}

QString SimulatedApp::selectedText() const {
    return text.mid(selectionStart, selectionLength);
}

void SimulatedApp::replaceSelection(const QString& replacement) {
    text.replace(selectionStart, selectionLength, replacement);
    selectionStart += int(replacement.size());
    selectionLength = 0;
}

void SimulatedApp::receiveKey(quint16 keyCode, KeyModifiers modifiers) {
    if (modifiers != KeyModifiers(KeyModifier::Control)) {
        return;
    }
    if (keyCode == KeyCode::A) {
        ++selectAllCount;
        selectAll();
    } else if (keyCode == KeyCode::C) {
        ++copyCount;
        QString selection = selectedText();
        if (selection.isEmpty() && copiesLineWithoutSelection) {
            const int start = int(text.lastIndexOf(QLatin1Char('\n'), selectionStart - 1)) + 1;
            const qsizetype end = text.indexOf(QLatin1Char('\n'), selectionStart);
            selection = text.mid(start, end < 0 ? -1 : end - start) + QLatin1Char('\n');
            selectionStart = start;
        }
        if (copyCount < copyFromAttempt || selection.isEmpty()) {
            return;
        }
        if (copyWriteDelayMs > 0) {
            SimulatedPasteboard* board = &desktop_.pasteboard;
            desktop_.clock.callAfter(copyWriteDelayMs, [board, selection, owner = pid] {
                board->putText(selection, owner);
            });
        } else {
            desktop_.pasteboard.putText(selection, pid);
        }
    } else if (keyCode == KeyCode::V) {
        ++pasteCount;
        if (pasteReadDelayMs > 0) {
            desktop_.clock.callAfter(pasteReadDelayMs, [this] { pasteFromPasteboard(); });
        } else {
            pasteFromPasteboard();
        }
    }
}

void SimulatedApp::pasteFromPasteboard() {
    if (const auto pasted = desktop_.pasteboard.plainText()) {
        // A late fetch of ours serves our write; the instant one leaves that to the test.
        if (pasteReadDelayMs > 0 &&
            desktop_.pasteboard.ownerProcessIdentifier() == SimulatedPasteboard::kOwnPid) {
            desktop_.pasteboard.serveText();
        }
        pastedTexts.append(*pasted);
        replaceSelection(*pasted);
    }
}

RunningApplication SimulatedApp::info() const {
    return RunningApplication{pid, bundleIdentifier, name, QStringLiteral("/usr/bin/") + name};
}

QList<RunningApplication> SimulatedWorkspace::runningApplications() const {
    QList<RunningApplication> out;
    for (const auto& app : desktop_.apps()) {
        out.append(app->info());
    }
    return out;
}

std::optional<RunningApplication> SimulatedWorkspace::frontmostApplication() const {
    if (const auto* app = desktop_.frontmost()) {
        return app->info();
    }
    return std::nullopt;
}

bool SimulatedWorkspace::activate(qint64 processIdentifier) {
    activations.append({desktop_.clock.nowMs(), processIdentifier});
    auto* app = desktop_.app(processIdentifier);
    if (!app || app->refusesActivation) {
        return false;
    }
    if (!app->staysBehind) {
        desktop_.setFrontmost(processIdentifier);
    }
    return true;
}

bool SimulatedWorkspace::openUrl(const QUrl& url) {
    openedUrls.append(url);
    return opensUrls;
}

bool SimulatedKeyEvents::postKey(quint16 keyCode, KeyModifiers modifiers, bool down) {
    if (failsToPost) {
        return false;
    }
    auto* target = desktop_.frontmost();
    log.append({desktop_.clock.nowMs(), keyCode, modifiers, down, target ? target->pid : 0});
    if (target && down) {
        target->receiveKey(keyCode, modifiers);
    }
    return true;
}

KeyModifiers SimulatedKeyEvents::heldModifiers() const {
    return desktop_.clock.nowMs() < heldUntilMs_ ? held_ : KeyModifiers();
}

void SimulatedKeyEvents::holdModifiers(KeyModifiers modifiers, qint64 untilMs) {
    held_ = modifiers;
    heldUntilMs_ = untilMs;
}

QList<qint64> SimulatedKeyEvents::downTimes(quint16 keyCode) const {
    QList<qint64> out;
    for (const auto& record : log) {
        if (record.down && record.keyCode == keyCode) {
            out.append(record.atMs);
        }
    }
    return out;
}

SimulatedDesktop::SimulatedDesktop() = default;

SimulatedApp& SimulatedDesktop::launch(const QString& bundleIdentifier, const QString& name) {
    const QString appName = name.isEmpty() ? bundleIdentifier.section(QLatin1Char('.'), -1) : name;
    apps_.push_back(std::make_unique<SimulatedApp>(*this, nextPid_++, bundleIdentifier, appName));
    return *apps_.back();
}

void SimulatedDesktop::quit(qint64 pid) {
    if (frontmostPid_ == pid) {
        frontmostPid_ = 0;
    }
    std::erase_if(apps_, [pid](const auto& app) { return app->pid == pid; });
}

void SimulatedDesktop::bringToFront(qint64 pid) {
    setFrontmost(pid);
}

SimulatedApp* SimulatedDesktop::app(qint64 pid) const {
    for (const auto& app : apps_) {
        if (app->pid == pid) {
            return app.get();
        }
    }
    return nullptr;
}

void SimulatedDesktop::setFrontmost(qint64 pid) {
    const bool changed = frontmostPid_ != pid;
    frontmostPid_ = pid;
    if (changed) {
        if (auto* app = this->app(pid)) {
            Q_EMIT workspace.applicationActivated(app->info());
        }
    }
}
